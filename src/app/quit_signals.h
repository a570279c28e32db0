#pragma once

class QWidget;

namespace crv::app {

/// Makes SIGINT and SIGTERM close the window as its close box does, from the event loop.
void closeOnQuitSignals(QWidget* window);

} // namespace crv::app
