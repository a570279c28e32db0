#include "ui/console/tform10.h"

#include "console/pack_files.h"
#include "console/script_text.h"
#include "link/message_types.h"
#include "ui/common/widget_factory.h"

#include <QFileDialog>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

namespace crv::ui {

namespace {

constexpr int kInputMaxLength = 16384;

} // namespace

TForm10::TForm10(link::BoardLink& link, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint), m_link(link),
      m_sender(link.builder()) {
    setObjectName("TForm10");
    setWindowTitle("X Terminal #1");
    resize(640, 420);
    createControls();
    connect(Button1, &QPushButton::clicked, this, &TForm10::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm10::Button2Click);
    connect(Edit1, &QLineEdit::returnPressed, this, &TForm10::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm10::Button3Click);
    connect(StopButton, &QPushButton::clicked, this, [this] {
        m_sender.cancel();
        showProgress();
    });
    auto& dispatcher = m_link.dispatcher();
    dispatcher.setHandler(link::msg::kTerminalOutput,
                          [this](const link::LinkFrame& frame) { OutputReceived(frame); });
    dispatcher.setHandler(link::msg::kOpenTerminal, [this](const link::LinkFrame&) {
        if (isHidden()) {
            show();
        }
    });
}

// The link may outlive the window; it must not call into a window that is gone.
TForm10::~TForm10() {
    m_link.dispatcher().setHandler(link::msg::kTerminalOutput, nullptr);
    m_link.dispatcher().setHandler(link::msg::kOpenTerminal, nullptr);
}

void TForm10::createControls() {
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setAccessibleName("Board output");
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QPalette colours = Memo1->palette();
    colours.setColor(QPalette::Base, Qt::black);
    colours.setColor(QPalette::Text, QColor(192, 192, 192));
    Memo1->setPalette(colours);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setAccessibleName("Command line");
    Edit1->setMaxLength(kInputMaxLength);
    Edit1->setFont(Memo1->font());
    Button2 = button(this, "Button2", "Send", {});
    Button2->setAccessibleName("Send line");
    Button1 = button(this, "Button1", "Clear", {});
    Button1->setAccessibleName("Clear output");
    Button3 = button(this, "Button3", "Send File...", {});
    Button3->setAccessibleName("Send file");
    SendProgress = gauge(this, "SendProgress", Qt::Horizontal, 0, 1, {});
    SendProgress->setTextVisible(true);
    SendProgress->setAccessibleName("Send progress");
    StopButton = button(this, "StopButton", "Stop", {});
    StopButton->setAccessibleName("Stop sending");
    SendProgress->hide();
    StopButton->hide();

    QWidget* order[] = {Edit1, Button2, Button3, StopButton, Button1, Memo1};
    for (size_t i = 0; i + 1 < std::size(order); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
    setFocusProxy(Edit1);
}

void TForm10::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    Memo1->setGeometry(4, 4, w - 8, h - 72);
    Edit1->setGeometry(4, h - 64, w - 96, 26);
    Button2->setGeometry(w - 88, h - 64, 84, 26);
    Button1->setGeometry(4, h - 32, 84, 26);
    Button3->setGeometry(94, h - 32, 100, 26);
    SendProgress->setGeometry(200, h - 30, w - 296, 22);
    StopButton->setGeometry(w - 88, h - 32, 84, 26);
}

void TForm10::ShowTerminal() {
    show();
    raise();
    showOutput();
}

void TForm10::OutputReceived(const link::LinkFrame& frame) {
    m_buffer.append(frame.payload, frame.payloadSize);
    // Frames come many to a read of the port: the pane follows once they have all been taken.
    if (!m_outputPending) {
        m_outputPending = true;
        QTimer::singleShot(0, this, &TForm10::showOutput);
    }
}

void TForm10::showOutput() {
    m_outputPending = false;
    const std::string_view shown = m_buffer.displayed();
    Memo1->setPlainText(QString::fromLatin1(shown.data(), static_cast<qsizetype>(shown.size())));
    Memo1->moveCursor(QTextCursor::End);
    Memo1->verticalScrollBar()->setValue(Memo1->verticalScrollBar()->maximum());
}

void TForm10::Button1Click() {
    m_buffer.clear();
    Memo1->clear();
}

void TForm10::Button2Click() {
    const QByteArray line = Edit1->text().toLatin1() + "\r\n";
    m_sender.send(std::vector<uint8_t>(line.begin(), line.end()), false);
    Edit1->clear();
    showProgress();
}

void TForm10::Button3Click() {
    const QString path = QFileDialog::getOpenFileName(
        this, "Send File", ".", "BASIC file (*.bas);;Any file (*.*)");
    if (!path.isEmpty()) {
        SendFile(path);
    }
}

void TForm10::SendFile(const QString& path) {
    const console::FileBytes file = console::readFileWhole(
        path.toStdString(), console::kMaxScriptBytes - 1, console::kScriptTooBig);
    if (!file.status.ok()) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(file.status.message()));
        return;
    }
    m_sender.send(file.bytes, true);
    showProgress();
}

void TForm10::ChunkTick() {
    if (m_sender.busy()) {
        m_sender.tick();
        showProgress();
    }
}

// Only a send that takes more than one piece shows its progress.
void TForm10::showProgress() {
    const bool running = m_sender.busy();
    SendProgress->setVisible(running);
    StopButton->setVisible(running);
    if (running) {
        SendProgress->setRange(0, static_cast<int>(m_sender.queuedBytes()));
        SendProgress->setValue(static_cast<int>(m_sender.sentBytes()));
        SendProgress->setFormat(QString("Sending: %v of %m bytes"));
    }
}

} // namespace crv::ui
