// How the terminal copes with the board printing at full speed: 100 KB of output from the
// board emulator at 57600 baud while the window is shown, and the same 100 KB handed to the
// link at once, as a backlog in the port would be. Prints the longest the event loop went
// without answering (target: under 50 ms) and the scroll-back's memory.

#include "app/ground_station.h"
#include "console/terminal_buffer.h"
#include "link/message_types.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <vector>

namespace {

/// The longest gap between two turns of the event loop while it runs.
class LoopWatch {
public:
    LoopWatch() {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (m_clock.isValid()) {
                m_worstMs = std::max(m_worstMs, m_clock.nsecsElapsed() / 1e6);
            }
            m_clock.restart();
        });
        m_timer.start(1);
    }
    double worstMs() const { return m_worstMs; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_worstMs = 0;
};

std::vector<uint8_t> frameOf(uint8_t type, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> frame = {0xCB, static_cast<uint8_t>(payload.size() + 2), type};
    frame.insert(frame.end(), payload.begin(), payload.end());
    uint8_t check = 0;
    for (uint8_t byte : frame) {
        check ^= byte;
    }
    frame.push_back(check);
    return frame;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QDir::setCurrent(CRV_BUILD_DIR);
    QTemporaryDir folder;
    const QString board = folder.filePath("board");
    QProcess emulator;
    emulator.start(CRV_EMULATOR_PATH, {"--link", board});
    if (!emulator.waitForStarted(5000) ||
        !QTest::qWaitFor([&] { return QFileInfo::exists(board); }, 5000)) {
        std::fprintf(stderr, "The emulator did not start\n");
        return 1;
    }
    crv::app::GroundStation station;
    crv::ui::TForm1& main = station.mainWindow();
    crv::ui::TForm10& terminal = station.terminalWindow();
    main.setDatabasePath(folder.filePath("crv_data").toStdString());
    main.setStartupPort(board.toStdString());
    main.show();
    if (!QTest::qWaitFor([&] { return main.Label9->text().startsWith("Corvane X"); }, 5000)) {
        std::fprintf(stderr, "The board did not answer\n");
        return 1;
    }
    terminal.ShowTerminal();
    constexpr size_t kBytes = 100 * 1024;

    {
        LoopWatch watch;
        QElapsedTimer clock;
        clock.start();
        const size_t before = terminal.buffer().size();
        terminal.Edit1->setText("flood 100");
        terminal.Button2Click();
        if (!QTest::qWaitFor([&] { return terminal.buffer().size() >= before + kBytes; },
                             60000)) {
            std::fprintf(stderr, "The output did not all arrive\n");
        }
        std::printf("At 57600 baud: %zu bytes in %.1f s, the event loop answered within %.1f ms "
                    "at worst\n",
                    terminal.buffer().size() - before, clock.elapsed() / 1000.0,
                    watch.worstMs());
    }
    {
        // The same amount handed over at once, 250 bytes to a read of the port.
        std::vector<uint8_t> backlog;
        std::vector<uint8_t> text(200, 'x');
        text.back() = '\n';
        while (backlog.size() < kBytes) {
            const auto frame = frameOf(crv::link::msg::kTerminalOutput, text);
            backlog.insert(backlog.end(), frame.begin(), frame.end());
        }
        LoopWatch watch;
        QTest::qWait(20);
        QElapsedTimer clock;
        clock.start();
        double worstReadMs = 0;
        for (size_t at = 0; at < backlog.size(); at += 250) {
            QElapsedTimer read;
            read.start();
            station.link().parser().feed(backlog.data() + at,
                                         std::min<size_t>(250, backlog.size() - at));
            QApplication::processEvents(); // the port's next notification
            worstReadMs = std::max(worstReadMs, read.nsecsElapsed() / 1e6);
        }
        std::printf("A 100 KB backlog: %.0f ms in all, %.2f ms for the worst read and its "
                    "redraw\n",
                    static_cast<double>(clock.elapsed()), worstReadMs);
    }
    std::printf("Scroll-back: %zu bytes held, at most %zu (%zu reserved)\n",
                terminal.buffer().size(), crv::console::TerminalBuffer::kKeepBytes,
                terminal.buffer().capacity());
    main.close();
    emulator.terminate();
    emulator.waitForFinished(5000);
    return 0;
}
