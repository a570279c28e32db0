#include "ui/recorder/tform7.h"

#include "support/fake_serial_port.h"
#include "support/frame_recorder.h"
#include "support/test_folder.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace crv::ui {
namespace {

using link::testing::Bytes;
using link::testing::frameOf;

class TForm7Test : public ::testing::Test {
protected:
    TForm7Test() {
        owner.setGeometry(100, 100, 1000, 648);
        owner.show();
        link.session().connect("/tmp/pty");
        link.dispatcher().setHandler(32, [this](const link::LinkFrame& frame) {
            attitudes.push_back(link::testing::seen(frame).payload);
        });
        form.flightRecorder().setFolder(folder.path().string());
    }

    void receive(const Bytes& bytes) {
        port.receive(bytes);
        port.listener->bytesWaiting(bytes.size());
    }
    /// A recording of count ticks, one attitude message in each.
    void recordTicks(int count) {
        form.BitBtn7->click();
        for (int tick = 0; tick < count; ++tick) {
            receive(frameOf(32, {uint8_t(tick >> 8), uint8_t(tick)}));
            form.RecorderTick();
        }
        form.BitBtn4->click();
    }
    void writeLog(const std::string& path, int records) {
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < records; ++i) {
            const Bytes frame = frameOf(32, {uint8_t(i >> 8), uint8_t(i)});
            out.put(0x55).put(0).put(char(frame.size()));
            out.write(reinterpret_cast<const char*>(frame.data()), std::streamsize(frame.size()));
        }
    }
    void open(const std::string& path) {
        form.OpenLogFile(QString::fromStdString(path));
        ASSERT_TRUE(QTest::qWaitFor([this] { return !form.busy(); }, 5000));
    }
    std::vector<bool> enabled() const {
        std::vector<bool> states;
        for (QWidget* w : {form.BitBtn6, form.BitBtn2, form.BitBtn3, form.BitBtn4, form.BitBtn7})
            states.push_back(w->isEnabled());
        return states;
    }

    crv::testing::TestFolder folder{"crv-tform7"};
    link::testing::FakeSerialPort port;
    link::BoardLink link{port};
    QWidget owner;
    int32_t logFileNumber = 7;
    TForm7 form{link, logFileNumber, &owner};
    std::vector<Bytes> attitudes;
};

TEST_F(TForm7Test, ControlsHaveTheirNamesAccessibleNamesAndTabOrder) {
    EXPECT_EQ(form.windowTitle(), "Flight Data Recorder");
    EXPECT_EQ(form.Label5->text(), "0:00:00");
    EXPECT_EQ(form.Label1->text(), "0:00:00");
    EXPECT_EQ(form.Label3->text(), "Ready");
    const char* order[] = {"BitBtn6", "BitBtn2",   "BitBtn3",  "BitBtn4",
                           "BitBtn7", "TrackBar1", "SpeedBox", "ExportButton"};
    for (const char* name : order) {
        auto* control = form.findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_FALSE(control->accessibleName().isEmpty()) << name;
    }
    for (size_t i = 0; i + 1 < std::size(order); ++i) {
        QWidget* next = form.findChild<QWidget*>(order[i])->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus) {
            next = next->nextInFocusChain();
        }
        EXPECT_EQ(next->objectName(), order[i + 1]);
    }
    QStringList speeds;
    for (int i = 0; i < form.SpeedBox->count(); ++i) {
        speeds << form.SpeedBox->itemText(i);
    }
    EXPECT_EQ(speeds, (QStringList{"x0.5", "x1", "x2", "x4", "x8"}));
    EXPECT_EQ(form.SpeedBox->currentText(), "x1");
}

TEST_F(TForm7Test, RecordsWhatThePortDeliversAndPlaysItBackInPlaceOfThePort) {
    form.BitBtn7->click();
    EXPECT_EQ(form.Label3->text(), "REC");
    EXPECT_EQ(form.Label4->text(), "log_7.xlog");
    EXPECT_EQ(enabled(), (std::vector<bool>{false, false, true, true, true}));
    for (int tick = 0; tick < 50; ++tick) {
        receive(frameOf(32, {0, uint8_t(tick)}));
        form.RecorderTick();
    }
    EXPECT_EQ(form.Label5->text(), "0:00:05");
    EXPECT_EQ(form.Label1->text(), "0:00:05");
    EXPECT_EQ(form.TrackBar1->maximum(), 50);
    form.BitBtn4->click();
    EXPECT_EQ(form.Label3->text(), "Ready");
    EXPECT_EQ(logFileNumber, 8);
    EXPECT_EQ(form.TrackBar1->value(), 0);

    attitudes.clear();
    form.BitBtn2->click();
    EXPECT_EQ(form.Label3->text(), "Play");
    EXPECT_EQ(enabled(), (std::vector<bool>{false, true, true, true, false}));
    for (int tick = 0; tick < 50; ++tick) {
        receive(frameOf(32, {9, 9})); // live data while playing is read and dropped
        form.RecorderTick();
        EXPECT_EQ(form.TrackBar1->value(), tick);
    }
    ASSERT_EQ(attitudes.size(), 50u);
    EXPECT_EQ(attitudes[49], (Bytes{0, 49}));
    EXPECT_EQ(form.Label5->text(), "0:00:04");
    EXPECT_TRUE(port.input.empty());
    form.RecorderTick();
    EXPECT_EQ(form.Label3->text(), "EOF");
    EXPECT_EQ(enabled(), (std::vector<bool>(5, true)));
}

TEST_F(TForm7Test, OpenCountsTheRecordsAndRefusesFilesThatHoldNone) {
    writeLog(folder.file("flight.xlg"), 50);
    open(folder.file("flight.xlg"));
    EXPECT_EQ(form.Label3->text(), "File Loaded");
    EXPECT_EQ(form.Label1->text(), "0:00:05");
    EXPECT_EQ(form.Label4->text(), "flight.xlg");
    EXPECT_EQ(form.TrackBar1->maximum(), 50);

    std::ofstream(folder.file("short.xlog")) << "UU";
    open(folder.file("short.xlog"));
    EXPECT_EQ(form.Label3->text(), "Invalid file");
    EXPECT_EQ(form.flightRecorder().recordCount(), 50) << "the count keeps its value";
    form.BitBtn2->click();
    EXPECT_EQ(form.Label3->text(), "Invalid file");
    EXPECT_EQ(enabled(), (std::vector<bool>(5, true)));
}

TEST_F(TForm7Test, TheUsersSliderMovesSeekWhilePlayingAndPlaybacksOwnNever) {
    writeLog(folder.file("long.xlog"), 300);
    open(folder.file("long.xlog"));
    form.BitBtn2->click();
    form.RecorderTick();
    form.TrackBar1->setValue(200); // as playback moves it
    EXPECT_EQ(form.flightRecorder().playbackIndex(), 1);

    form.TrackBar1->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(form.flightRecorder().playbackIndex(), 299) << "at most the last record";
    EXPECT_EQ(form.Label5->text(), "0:00:29");
    form.TrackBar1->setFocus();
    QTest::keyClick(form.TrackBar1, Qt::Key_Home);
    EXPECT_EQ(form.flightRecorder().playbackIndex(), 0);
    attitudes.clear();
    form.RecorderTick();
    ASSERT_EQ(attitudes.size(), 1u);
    EXPECT_EQ(attitudes[0], (Bytes{0, 0}));

    form.BitBtn3->click();
    EXPECT_EQ(form.Label3->text(), "Paused");
    form.TrackBar1->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(form.flightRecorder().playbackIndex(), form.TrackBar1->sliderPosition());
}

TEST_F(TForm7Test, ASliderOfTwentyRecordsOrLessNeverSeeks) {
    writeLog(folder.file("short.xlog"), 20);
    open(folder.file("short.xlog"));
    form.BitBtn2->click();
    form.RecorderTick();
    form.TrackBar1->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(form.flightRecorder().playbackIndex(), 1);
}

TEST_F(TForm7Test, PlaysFasterOrSlowerAsChosen) {
    writeLog(folder.file("long.xlog"), 100);
    open(folder.file("long.xlog"));
    form.SpeedBox->setCurrentText("x8");
    form.BitBtn2->click();
    form.RecorderTick();
    EXPECT_EQ(form.TrackBar1->value(), 7);
    form.SpeedBox->setCurrentText("x0.5");
    form.RecorderTick();
    form.RecorderTick();
    EXPECT_EQ(form.TrackBar1->value(), 8);
}

TEST_F(TForm7Test, AFullDiskStopsTheRecordingWithAMessageAndTheLinkGoesOn) {
    form.flightRecorder().setSinkOpener([](const std::string&, Status& status, int&) {
        return std::unique_ptr<recorder::LogSink>(
            recorder::FileLogSink::append("/dev/full", status));
    });
    form.BitBtn7->click();
    receive(frameOf(32, {1, 2}));
    form.RecorderTick();
    EXPECT_TRUE(form.Label3->text().startsWith("Recording stopped: "))
        << form.Label3->text().toStdString();
    EXPECT_TRUE(form.Label3->text().contains("No space left on device"));
    EXPECT_EQ(enabled(), (std::vector<bool>(5, true)));
    receive(frameOf(32, {3, 4}));
    EXPECT_EQ(attitudes.size(), 2u);
}

TEST_F(TForm7Test, ARecordingThatCannotStartSaysWhy) {
    form.flightRecorder().setFolder(folder.file("no such folder"));
    form.BitBtn7->click();
    EXPECT_TRUE(form.Label3->text().startsWith("Cannot record: "))
        << form.Label3->text().toStdString();
    EXPECT_EQ(form.flightRecorder().state(), link::RecorderState::Idle);
}

TEST_F(TForm7Test, AHiddenWindowShowsItselfWhenARecordIsWritten) {
    form.BitBtn7->click();
    form.hide();
    form.RecorderTick();
    EXPECT_TRUE(form.isVisible());
}

TEST_F(TForm7Test, ExportWritesTheTrackAndTheTelemetryBesideEachOther) {
    recordTicks(5);
    form.ExportTo(QString::fromStdString(folder.file("track.gpx")));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !form.busy(); }, 5000));
    EXPECT_EQ(form.Label3->text(), "Exported");
    EXPECT_TRUE(std::filesystem::exists(folder.file("track.gpx")));
    std::ifstream csv(folder.file("track.csv"));
    std::string header, row;
    std::getline(csv, header);
    std::getline(csv, row);
    EXPECT_EQ(row.rfind("0.0,attitude,", 0), 0u) << row;
}

} // namespace
} // namespace crv::ui
