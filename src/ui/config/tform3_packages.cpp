// The "Packages" page: what the board holds of its voice and script packs, and their transfers.

#include "console/pack_files.h"
#include "link/message_types.h"
#include "ui/common/widget_factory.h"
#include "ui/config/tform3.h"

#include <QElapsedTimer>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>

namespace crv::ui {

namespace {

using console::Package;
using Kind = console::TransferStep::Kind;

const char* const kVoiceFilter = "VoicePack (*.XVPack)";
const char* const kStalled = "No answer from the board";

QLabel* namedLabel(QWidget* parent, const char* name, const QString& text,
                   const QString& accessible, const QRect& geometry) {
    QLabel* widget = label(parent, name, text, geometry);
    widget->setAccessibleName(accessible);
    return widget;
}

QPushButton* namedButton(QWidget* parent, const char* name, const QString& text,
                         const QString& accessible, const QRect& geometry) {
    QPushButton* widget = button(parent, name, text, geometry);
    widget->setAccessibleName(accessible);
    return widget;
}

QString defaultVoicePackEditor() {
    const QString configured = qEnvironmentVariable("CRV_VOICE_PACK_EDITOR");
    return configured.isEmpty() ? "snd_pack" : configured;
}

} // namespace

void TForm3::createPackagesPage() {
    QWidget* page = TabSheet3;
    GroupBox20 = group(page, "GroupBox20", "Voice Pack", {8, 8, 360, 170});
    Label43 = label(GroupBox20, "Label43", "Current:", {10, 24, 60, 22});
    Label44 = namedLabel(GroupBox20, "Label44", "=empty=", "Voice pack on the board",
                         {74, 24, 276, 22});
    Label45 = namedLabel(GroupBox20, "Label45", "-", "Voice pack transfer", {10, 52, 340, 22});
    Button38 = namedButton(GroupBox20, "Button38", "Download...", "Download voice pack",
                           {10, 82, 100, 28});
    Button39 = namedButton(GroupBox20, "Button39", "Upload...", "Upload voice pack",
                           {118, 82, 100, 28});
    VoiceCancel = namedButton(GroupBox20, "VoiceCancel", "Cancel", "Cancel voice pack transfer",
                              {226, 82, 100, 28});
    BitBtn1 = namedButton(GroupBox20, "BitBtn1", "VoicePack Editor", "Start voice pack editor",
                          {10, 122, 208, 32});
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_MediaVolume));

    GroupBox21 = group(page, "GroupBox21", "Script Pack", {376, 8, 360, 170});
    Label46 = label(GroupBox21, "Label46", "Current:", {10, 24, 60, 22});
    Label47 = namedLabel(GroupBox21, "Label47", "=empty=", "Script pack on the board",
                         {74, 24, 276, 22});
    Label48 = namedLabel(GroupBox21, "Label48", "-", "Script pack transfer", {10, 52, 340, 22});
    Button40 = namedButton(GroupBox21, "Button40", "Edit...", "Edit script pack",
                           {10, 82, 100, 28});
    Button41 = namedButton(GroupBox21, "Button41", "Restart", "Restart script",
                           {118, 82, 100, 28});
    ScriptCancel = namedButton(GroupBox21, "ScriptCancel", "Cancel",
                               "Cancel script pack transfer", {226, 82, 100, 28});
    VoiceCancel->setEnabled(false);
    ScriptCancel->setEnabled(false);

    QWidget* order[] = {Button38, Button39, VoiceCancel, BitBtn1, Button40, Button41, ScriptCancel};
    for (size_t i = 0; i + 1 < std::size(order); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
    m_voicePackEditor = defaultVoicePackEditor();
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    m_nowMs = [clock] { return clock->elapsed(); };
}

void TForm3::connectPackagesPage() {
    connect(Button38, &QPushButton::clicked, this, &TForm3::StartVoiceDownload);
    connect(Button39, &QPushButton::clicked, this, &TForm3::StartVoiceUpload);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm3::startVoicePackEditor);
    connect(Button40, &QPushButton::clicked, this, &TForm3::StartScriptRead);
    connect(Button41, &QPushButton::clicked, this, [this] {
        m_link.builder().send(link::msg::kScriptPack, {5, 0xFF, 0xFF});
    });
    connect(VoiceCancel, &QPushButton::clicked, this, &TForm3::cancelTransfer);
    connect(ScriptCancel, &QPushButton::clicked, this, &TForm3::cancelTransfer);
    for (Package package : {Package::Voice, Package::Script}) {
        m_link.dispatcher().setHandler(
            static_cast<uint8_t>(package),
            [this, package](const link::LinkFrame& frame) { PackageReceived(package, frame); });
    }
}

QLabel* TForm3::stateLabel(Package package) const {
    return package == Package::Voice ? Label45 : Label48;
}

void TForm3::StartVoiceUpload() {
    const QString path =
        QFileDialog::getOpenFileName(this, "Upload voice pack", ".", kVoiceFilter);
    if (!path.isEmpty()) {
        UploadVoicePack(path);
    }
}

void TForm3::UploadVoicePack(const QString& path) {
    console::FileBytes file =
        console::readFileWhole(path.toStdString(), console::kMaxPackageBytes,
                               "The voice pack is too big for the board.");
    Status usable = file.status.ok() ? console::checkVoicePack(file.bytes) : file.status;
    if (!usable.ok()) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(usable.message()));
        return;
    }
    endOtherTransfer(Package::Voice);
    showTransferStep(Package::Voice,
                     m_packages.startUpload(Package::Voice, std::move(file.bytes), m_nowMs()));
}

void TForm3::StartVoiceDownload() {
    QString path = QFileDialog::getSaveFileName(this, "Download voice pack", ".", kVoiceFilter);
    if (path.isEmpty()) {
        return;
    }
    if (!path.endsWith(".XVPack")) {
        path += ".XVPack";
    }
    DownloadVoicePack(path);
}

void TForm3::DownloadVoicePack(const QString& path) {
    endOtherTransfer(Package::Voice);
    m_voiceDownloadPath = path;
    showTransferStep(Package::Voice, m_packages.startDownload(Package::Voice, m_nowMs()));
}

void TForm3::StartScriptUpload(std::vector<uint8_t> image) {
    PageControl1->setCurrentWidget(TabSheet3);
    show();
    raise();
    endOtherTransfer(Package::Script);
    showTransferStep(Package::Script,
                     m_packages.startUpload(Package::Script, std::move(image), m_nowMs()));
}

void TForm3::StartScriptRead() {
    endOtherTransfer(Package::Script);
    showTransferStep(Package::Script, m_packages.startDownload(Package::Script, m_nowMs()));
}

void TForm3::PackageReceived(Package package, const link::LinkFrame& frame) {
    if (frame.payloadSize > 0 && frame.payload[0] == console::kPackageReport) {
        const std::string report = package == Package::Voice ? console::voiceReportText(frame)
                                                             : console::scriptReportText(frame);
        (package == Package::Voice ? Label44 : Label47)->setText(QString::fromLatin1(report));
        return;
    }
    const console::TransferStep step = m_packages.handle(package, frame, m_nowMs());
    if (step.kind != Kind::Downloaded) {
        showTransferStep(package, step);
    } else if (package == Package::Voice) {
        finishVoiceDownload();
    } else {
        finishScriptRead();
    }
}

// The file is written whole under its name or not at all; "OK" only once it is there.
void TForm3::finishVoiceDownload() {
    const Status written =
        console::writeFileWhole(m_voiceDownloadPath.toStdString(), m_packages.takeDownload());
    m_voiceDownloadPath.clear();
    if (!written.ok()) {
        showTransferStep(Package::Voice, {Kind::Failed, written.message()});
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(written.message()));
        return;
    }
    showTransferStep(Package::Voice, {Kind::Finished, "OK"});
}

void TForm3::finishScriptRead() {
    const console::StoredScript script = console::storedScript(m_packages.takeDownload());
    showTransferStep(Package::Script, {Kind::Finished, "OK"});
    if (m_scriptRead) {
        m_scriptRead(script);
    }
}

void TForm3::showTransferStep(Package package, const console::TransferStep& step) {
    if (step.kind == Kind::Nothing) {
        return;
    }
    stateLabel(package)->setText(QString::fromStdString(step.text));
    m_stallShown = false;
    VoiceCancel->setEnabled(m_packages.active(Package::Voice));
    ScriptCancel->setEnabled(m_packages.active(Package::Script));
}

void TForm3::PackagesTick() {
    if (!m_stallShown && m_packages.stalled(m_nowMs())) {
        m_stallShown = true;
        const Package package =
            m_packages.active(Package::Voice) ? Package::Voice : Package::Script;
        stateLabel(package)->setText(stateLabel(package)->text() + " - " + kStalled);
    }
}

// Whatever was half sent or half read is dropped: nothing of it is kept or reported done.
void TForm3::cancelTransfer() {
    const Package package = m_packages.active(Package::Voice) ? Package::Voice : Package::Script;
    if (!m_packages.active()) {
        return;
    }
    m_packages.cancel();
    m_voiceDownloadPath.clear();
    showTransferStep(package, {Kind::Failed, "Cancelled"});
}

// The packages share one transfer: starting one ends the other's, which then says so.
void TForm3::endOtherTransfer(Package starting) {
    const Package other = starting == Package::Voice ? Package::Script : Package::Voice;
    if (m_packages.active(other)) {
        stateLabel(other)->setText("Cancelled");
    }
    m_voiceDownloadPath.clear();
}

void TForm3::startVoicePackEditor() {
    const QStringList words = QProcess::splitCommand(m_voicePackEditor);
    const QString program =
        words.isEmpty() ? QString() : QStandardPaths::findExecutable(words.front());
    if (program.isEmpty() || !QProcess::startDetached(program, words.mid(1), ".")) {
        QMessageBox::information(
            this, windowTitle(),
            "The voice pack editor \"" + m_voicePackEditor +
                "\" is not installed.\nInstall it, or set CRV_VOICE_PACK_EDITOR to the command "
                "that starts it.");
    }
}

} // namespace crv::ui
