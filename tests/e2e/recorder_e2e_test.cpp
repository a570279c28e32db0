// The flight data recorder against the board emulator: a recording of its telemetry plays back
// through the main window, which shows the same values in the same order.

#include "app/ground_station.h"
#include "link/link_frame_parser.h"
#include "recorder/log_index.h"
#include "recorder/log_player.h"
#include "support/emulator_process.h"
#include "telemetry/telemetry_decoders.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

namespace crv {
namespace {

/// The heading texts the main window would show, the last one of each record that has one.
QStringList headingsInLog(const std::string& path) {
    link::LinkCounters counters;
    link::MessageDispatcher dispatcher;
    link::LinkFrameParser parser(counters, dispatcher);
    telemetry::VehicleState state;
    QString last;
    dispatcher.setHandler(32, [&](const link::LinkFrame& frame) {
        last = QString::fromStdString(telemetry::applyAttitude(state, frame).heading);
    });
    Status status = Status::success();
    auto source = recorder::FileLogSource::open(path, status);
    recorder::LogIndex index = *recorder::LogIndex::build(*source);
    recorder::LogPlayer player(std::move(source), std::move(index));
    recorder::LogPlayer::RecordBuffer buffer;
    size_t size = 0;
    QStringList headings;
    while (player.next(buffer, size) == recorder::LogPlayer::Step::Record) {
        parser.feed(buffer.data() + recorder::kRecordHeaderSize, size);
        if (!last.isEmpty() && (headings.isEmpty() || headings.last() != last)) {
            headings << last;
        }
    }
    return headings;
}

/// Each text the label shows, in order, sampled far more often than it can change.
class LabelWatch {
public:
    explicit LabelWatch(QLabel* label) : m_label(label) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { look(); });
        m_timer.start(2);
    }
    void clear() { texts.clear(); }
    QStringList texts;

private:
    void look() {
        if (texts.isEmpty() || texts.last() != m_label->text()) {
            texts << m_label->text();
        }
    }
    QLabel* m_label;
    QTimer m_timer;
};

bool isSubsequence(const QStringList& part, const QStringList& whole) {
    auto at = whole.begin();
    for (const QString& text : part) {
        at = std::find(at, whole.end(), text);
        if (at == whole.end()) {
            return false;
        }
        ++at;
    }
    return true;
}

TEST(RecorderEndToEnd, ARecordingOfTheEmulatorPlaysBackThroughTheMainWindow) {
    QTemporaryDir folder;
    const QString board = folder.filePath("board");
    testing::EmulatorProcess emulator(board);
    ASSERT_TRUE(emulator.start());
    app::GroundStation station;
    ui::TForm1& main = station.mainWindow();
    ui::TForm7& recorder = station.recorderWindow();
    main.setDatabasePath(folder.filePath("crv_data").toStdString());
    recorder.flightRecorder().setFolder(folder.path().toStdString());
    main.setStartupPort(board.toStdString());
    main.show();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return main.Label9->text() == "Corvane X ver 2.0 build 6100"; }, 5000));

    main.BitBtn1->click();
    ASSERT_TRUE(recorder.isVisible());
    LabelWatch heading(main.Label3);
    recorder.BitBtn7->click();
    heading.clear();
    QTest::qWait(3000);
    recorder.BitBtn4->click();
    const QStringList live = heading.texts;
    const std::string path = recorder.flightRecorder().currentFile();
    const QStringList recorded = headingsInLog(path);
    ASSERT_GE(recorded.size(), 10) << "the emulator's vehicle turns";
    // The first text was shown before the recording began, the last may have come after its
    // last slice.
    ASSERT_GE(live.size(), 3);
    EXPECT_TRUE(isSubsequence(live.mid(1, live.size() - 2), recorded));

    recorder.OpenLogFile(QString::fromStdString(path));
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.Label3->text() == "File Loaded"; }, 5000));
    recorder.BitBtn2->click();
    heading.clear();
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.Label3->text() == "EOF"; }, 10000));
    const QStringList replayed = heading.texts.mid(1); // the first is the live value before
    EXPECT_TRUE(isSubsequence(replayed, recorded)) << replayed.join(' ').toStdString() << "\n"
                                                   << recorded.join(' ').toStdString();
    EXPECT_GE(replayed.size(), recorded.size() * 8 / 10);
    main.close();
}

} // namespace
} // namespace crv
