#include "ui/recorder/tform7.h"

#include "recorder/log_export.h"
#include "recorder/log_record.h"
#include "recorder/log_source.h"
#include "ui/common/widget_factory.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <filesystem>

namespace crv::ui {

namespace {

using link::RecorderState;
using recorder::FlightRecorder;
using recorder::PlaybackSpeed;
using recorder::TickReport;

const char* const kLogFilter = "Corvane X logfile (*.xlog *.xlg)";

struct SpeedItem {
    const char* text;
    PlaybackSpeed speed;
};
const SpeedItem kSpeeds[] = {
    {"x0.5", PlaybackSpeed::Half},    {"x1", PlaybackSpeed::Normal},
    {"x2", PlaybackSpeed::Double},    {"x4", PlaybackSpeed::Fourfold},
    {"x8", PlaybackSpeed::Eightfold},
};

QString timeText(int64_t records) {
    return QString::fromStdString(recorder::recordTimeText(records));
}

// The slider's ticks thin out as the log grows; the last test that holds wins.
int tickIntervalFor(int32_t count, int current) {
    int interval = current;
    if (count > 1000) {
        interval = 100;
    }
    if (count > 10000) {
        interval = 1000;
    }
    if (count > 100000) {
        interval = 10000;
    }
    return interval;
}

QPushButton* namedButton(QWidget* parent, const char* name, const QString& text,
                         const QString& accessible, const QRect& geometry) {
    QPushButton* widget = button(parent, name, text, geometry);
    widget->setAccessibleName(accessible);
    return widget;
}

QLabel* namedLabel(QWidget* parent, const char* name, const QString& text,
                   const QString& accessible, const QRect& geometry) {
    QLabel* widget = label(parent, name, text, geometry);
    widget->setAccessibleName(accessible);
    return widget;
}

} // namespace

TForm7::TForm7(link::BoardLink& link, int32_t& logFileNumber, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      m_recorder(link.parser()), m_logFileNumber(logFileNumber) {
    setObjectName("TForm7");
    setWindowTitle("Flight Data Recorder");
    setFixedSize(420, 178);
    createControls();

    connect(BitBtn6, &QPushButton::clicked, this, &TForm7::BitBtn6Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm7::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm7::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TForm7::BitBtn4Click);
    connect(BitBtn7, &QPushButton::clicked, this, &TForm7::BitBtn7Click);
    connect(ExportButton, &QPushButton::clicked, this, &TForm7::ExportButtonClick);
    // Only the user's moves seek: actionTriggered comes from the mouse and the keys, never
    // from the position set by playback.
    connect(TrackBar1, &QSlider::actionTriggered, this,
            [this] { TrackBar1Change(TrackBar1->sliderPosition()); });
    connect(SpeedBox, &QComboBox::currentIndexChanged, this, &TForm7::SpeedBoxChange);
    connect(JobTimer, &QTimer::timeout, this, &TForm7::takeJobResults);
}

// Workers still running are asked to stop and waited for; both look at the flag often.
TForm7::~TForm7() = default;

void TForm7::createControls() {
    BitBtn6 = namedButton(this, "BitBtn6", "Open", "Open log", {10, 10, 74, 28});
    BitBtn2 = namedButton(this, "BitBtn2", "Play", "Play", {90, 10, 74, 28});
    BitBtn3 = namedButton(this, "BitBtn3", "Pause", "Pause", {170, 10, 74, 28});
    BitBtn4 = namedButton(this, "BitBtn4", "Stop", "Stop", {250, 10, 74, 28});
    BitBtn7 = namedButton(this, "BitBtn7", "Record", "Record", {330, 10, 80, 28});
    TrackBar1 = named<QSlider>(this, "TrackBar1", {10, 46, 400, 28});
    TrackBar1->setOrientation(Qt::Horizontal);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setRange(0, 0);
    TrackBar1->setAccessibleName("Position");
    Label5 = namedLabel(this, "Label5", "0:00:00", "Position time", {10, 78, 80, 20});
    Label1 = namedLabel(this, "Label1", "0:00:00", "Log length", {330, 78, 80, 20});
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    caption(this, "Speed", {140, 78, 44, 22});
    SpeedBox = dropDown(this, "SpeedBox", {}, {186, 76, 70, 24});
    for (const SpeedItem& item : kSpeeds) {
        SpeedBox->addItem(item.text);
    }
    SpeedBox->setCurrentIndex(1);
    SpeedBox->setAccessibleName("Playback speed");
    Label4 = namedLabel(this, "Label4", "", "Log file", {10, 108, 300, 22});
    ExportButton = namedButton(this, "ExportButton", "Export...", "Export track and telemetry",
                               {330, 106, 80, 28});
    Label3 = namedLabel(this, "Label3", "Ready", "Status", {10, 138, 400, 34});
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    QWidget* order[] = {BitBtn6, BitBtn2,   BitBtn3,  BitBtn4,
                        BitBtn7, TrackBar1, SpeedBox, ExportButton};
    for (size_t i = 0; i + 1 < std::size(order); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
    JobTimer = new QTimer(this);
    JobTimer->setObjectName("JobTimer");
    JobTimer->setInterval(20);
}

void TForm7::ShowRecorder() {
    if (!m_shownBefore && parentWidget() != nullptr) {
        m_shownBefore = true;
        move(parentWidget()->geometry().center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
}

void TForm7::setAllButtonsEnabled(bool enabled) {
    for (QWidget* widget : {BitBtn6, BitBtn2, BitBtn3, BitBtn4, BitBtn7, ExportButton}) {
        widget->setEnabled(enabled);
    }
}

void TForm7::setSliderRange(int32_t count) {
    TrackBar1->setMaximum(count);
    TrackBar1->setTickInterval(tickIntervalFor(count, TrackBar1->tickInterval()));
}

void TForm7::showFileName(const std::string& path) {
    Label4->setText(QString::fromStdString(std::filesystem::path(path).filename().string()));
}

// Record.
void TForm7::BitBtn7Click() {
    const RecorderState before = m_recorder.state();
    m_recorder.setNextFileNumber(m_logFileNumber);
    Status failure = Status::success();
    const FlightRecorder::Start start = m_recorder.record(failure);
    m_logFileNumber = m_recorder.nextFileNumber();
    if (start == FlightRecorder::Start::Failed) {
        Label3->setText("Cannot record: " + QString::fromStdString(failure.message()));
        return;
    }
    if (start == FlightRecorder::Start::Ignored) {
        return;
    }
    Label3->setText("REC");
    if (before == RecorderState::Idle) {
        BitBtn6->setEnabled(false);
        BitBtn2->setEnabled(false);
        ExportButton->setEnabled(false);
        BitBtn3->setEnabled(true);
        BitBtn7->setEnabled(true);
        showFileName(m_recorder.currentFile());
        TrackBar1->setTickInterval(10);
        TrackBar1->setValue(0);
        TrackBar1->setMaximum(1);
    }
}

// Play.
void TForm7::BitBtn2Click() {
    const RecorderState before = m_recorder.state();
    const FlightRecorder::Start start = m_recorder.play();
    if (start == FlightRecorder::Start::Ignored) {
        return;
    }
    if (start == FlightRecorder::Start::Failed) {
        Label3->setText("Invalid file");
        setAllButtonsEnabled(true);
        return;
    }
    Label3->setText("Play");
    if (before == RecorderState::Idle) {
        BitBtn6->setEnabled(false);
        BitBtn7->setEnabled(false);
        ExportButton->setEnabled(false);
        showFileName(m_recorder.currentFile());
    }
}

// Pause.
void TForm7::BitBtn3Click() {
    if (m_recorder.pause()) {
        Label3->setText("Paused");
    }
}

// Stop.
void TForm7::BitBtn4Click() {
    const bool recording = m_recorder.state() == RecorderState::Recording;
    if (!m_recorder.stop()) {
        return;
    }
    if (recording) {
        m_logFileNumber = m_recorder.nextFileNumber();
    }
    setAllButtonsEnabled(true);
    Label3->setText("Ready");
    TrackBar1->setValue(0);
}

void TForm7::TrackBar1Change(int position) {
    if (TrackBar1->maximum() <= 20 || m_recorder.state() != RecorderState::Playing) {
        return;
    }
    const int32_t target = std::min(position, TrackBar1->maximum() - 1);
    if (m_recorder.seek(target)) {
        Label5->setText(timeText(target));
    }
}

void TForm7::SpeedBoxChange(int index) {
    if (index >= 0 && index < int(std::size(kSpeeds))) {
        m_recorder.setSpeed(kSpeeds[index].speed);
    }
}

void TForm7::RecorderTick() {
    const TickReport report = m_recorder.tick();
    switch (report.kind) {
    case TickReport::Kind::Nothing:
        break;
    case TickReport::Kind::Recorded:
        showRecorded(report.recordedCount);
        break;
    case TickReport::Kind::Played:
        showPlayed(report);
        break;
    case TickReport::Kind::Ended:
        endPlayback(QString::fromStdString(report.message));
        break;
    case TickReport::Kind::WriteFailed:
        m_logFileNumber = m_recorder.nextFileNumber();
        setAllButtonsEnabled(true);
        Label3->setText("Recording stopped: " + QString::fromStdString(report.message));
        break;
    }
}

void TForm7::showRecorded(int32_t count) {
    setSliderRange(count);
    TrackBar1->setValue(count);
    Label5->setText(timeText(count));
    Label1->setText(timeText(count));
    if (isHidden()) {
        ShowRecorder();
    }
}

void TForm7::showPlayed(const TickReport& report) {
    // The user's hand on the slider wins over the playback position.
    if (!TrackBar1->isSliderDown()) {
        TrackBar1->setValue(report.shownIndex);
    }
    if (report.fedData && isHidden()) {
        ShowRecorder();
    }
    Label5->setText(timeText(report.shownIndex));
}

void TForm7::endPlayback(const QString& status) {
    Label3->setText(status);
    setAllButtonsEnabled(true);
}

// Open.
void TForm7::BitBtn6Click() {
    QFileDialog dialog(this, "Open", QDir::currentPath(), kLogFilter);
    dialog.setObjectName("OpenDialog1");
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        OpenLogFile(dialog.selectedFiles().first());
    }
}

// Counting a long or hostile file takes a while, so it is done away from the window.
void TForm7::OpenLogFile(const QString& path) {
    if (m_recorder.state() != RecorderState::Idle || busy()) {
        return;
    }
    setAllButtonsEnabled(false);
    Label3->setText("Loading...");
    m_openJob.start([path = path.toStdString()](const std::atomic<bool>& cancelled) {
        OpenedLog opened{path, std::nullopt};
        Status status = Status::success();
        const auto source = recorder::FileLogSource::open(path, status);
        if (source && source->size() >= recorder::kSmallestLogFile) {
            opened.index = recorder::LogIndex::build(*source, &cancelled);
        }
        return opened;
    });
    JobTimer->start();
}

void TForm7::ExportButtonClick() {
    const QString suggested =
        QFileInfo(QString::fromStdString(m_recorder.currentFile())).completeBaseName() + ".gpx";
    QFileDialog dialog(this, "Export", QDir::current().filePath(suggested),
                       "GPX track with CSV telemetry (*.gpx)");
    dialog.setObjectName("ExportDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("gpx");
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        ExportTo(dialog.selectedFiles().first());
    }
}

void TForm7::ExportTo(const QString& path) {
    if (m_recorder.state() == RecorderState::Recording || busy()) {
        return;
    }
    const QFileInfo target(path);
    const QString base = target.dir().filePath(target.completeBaseName());
    ExportButton->setEnabled(false);
    BitBtn6->setEnabled(false);
    Label3->setText("Exporting...");
    m_exportJob.start([log = m_recorder.currentFile(), gpx = (base + ".gpx").toStdString(),
                       csv = (base + ".csv").toStdString()](const std::atomic<bool>& cancelled) {
        return recorder::exportLogFiles(log, gpx, csv, cancelled);
    });
    JobTimer->start();
}

bool TForm7::busy() const { return m_openJob.running() || m_exportJob.running(); }

void TForm7::takeJobResults() {
    if (std::optional<OpenedLog> opened = m_openJob.take()) {
        const bool valid = opened->index.has_value();
        m_recorder.opened(opened->path, std::move(opened->index));
        setAllButtonsEnabled(true);
        if (!valid) {
            Label3->setText("Invalid file");
        } else {
            const int32_t count = m_recorder.recordCount();
            setSliderRange(count);
            TrackBar1->setValue(0);
            Label1->setText(timeText(count));
            Label3->setText("File Loaded");
            showFileName(opened->path);
        }
    }
    if (std::optional<Status> exported = m_exportJob.take()) {
        const bool playing = m_recorder.state() == RecorderState::Playing;
        ExportButton->setEnabled(!playing);
        BitBtn6->setEnabled(!playing);
        Label3->setText(exported->ok()
                            ? "Exported"
                            : "Export failed: " + QString::fromStdString(exported->message()));
    }
    if (!busy()) {
        JobTimer->stop();
    }
}

} // namespace crv::ui
