#pragma once

#include "link/board_link.h"
#include "recorder/background_job.h"
#include "recorder/flight_recorder.h"
#include "recorder/log_index.h"

#include <QWidget>

#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;

namespace crv::ui {

/// The flight data recorder window: records the received bytes into log files, opens a log
/// and plays it back through the link's parser, with pause, seek, speed and export. Its tick
/// is the main window's 100 ms timer.
class TForm7 : public QWidget {
    Q_OBJECT

public:
    /// logFileNumber is the main window's setting "Logfile_num", read before each recording and
    /// written back after it.
    TForm7(link::BoardLink& link, int32_t& logFileNumber, QWidget* owner = nullptr);
    ~TForm7() override;

    recorder::FlightRecorder& flightRecorder() { return m_recorder; }

    QPushButton *BitBtn6, *BitBtn2, *BitBtn3, *BitBtn4, *BitBtn7;
    QSlider* TrackBar1;
    QLabel *Label5, *Label1, *Label3, *Label4;
    QComboBox* SpeedBox;       ///< playback speed
    QPushButton* ExportButton; ///< "Export..."
    QTimer* JobTimer;          ///< looks for the result of an open or export on its worker

    /// Shows the window, centred on the main window the first time.
    void ShowRecorder();
    /// The recorder tick.
    void RecorderTick();

    void BitBtn6Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn7Click();
    void ExportButtonClick();
    /// Seek, when the user moves the slider.
    void TrackBar1Change(int position);

    /// Open's work after the file dialog: counts the records of path on a worker thread.
    void OpenLogFile(const QString& path);
    /// Export's work after the file dialog: writes the current log as path (.gpx) and the
    /// same name with .csv, on a worker thread.
    void ExportTo(const QString& path);
    /// True while an open or export is being worked on.
    bool busy() const;

private:
    struct OpenedLog {
        std::string path;
        std::optional<recorder::LogIndex> index;
    };

    void createControls();
    void setAllButtonsEnabled(bool enabled);
    void setRecordingButtons();
    void setSliderRange(int32_t count);
    void showFileName(const std::string& path);
    void showRecorded(int32_t count);
    void showPlayed(const recorder::TickReport& report);
    void endPlayback(const QString& status);
    void takeJobResults();
    void SpeedBoxChange(int index);

    recorder::FlightRecorder m_recorder;
    int32_t& m_logFileNumber;
    bool m_shownBefore = false;
    recorder::BackgroundJob<OpenedLog> m_openJob;
    recorder::BackgroundJob<Status> m_exportJob;
};

} // namespace crv::ui
