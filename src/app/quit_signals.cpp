#include "app/quit_signals.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace crv::app {

namespace {

int g_signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: one byte down the pipe wakes the event loop.
void onSignal(int) {
    const char byte = 1;
    (void)!::write(g_signalPipe[0], &byte, 1);
}

// A modal box runs an event loop of its own, in which the window's close would wait for the
// box; the boxes go first, as if each had been dismissed.
void closeModalBoxes() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || !window->isModal()) {
            continue;
        }
        if (auto* dialog = qobject_cast<QDialog*>(window)) {
            dialog->reject();
        } else {
            window->close();
        }
    }
}

} // namespace

void closeOnQuitSignals(QWidget* window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
        char byte;
        (void)!::read(g_signalPipe[1], &byte, 1);
        closeModalBoxes();
        window->close();
        // Ends every event loop, the boxes' included, and any box that code after a dismissed
        // one opens returns at once.
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace crv::app
