#pragma once

#include "console/paced_sender.h"
#include "console/terminal_buffer.h"
#include "link/board_link.h"

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace crv::ui {

/// The terminal "X Terminal #1": the board's command line over the link. What the board prints
/// (type 55) fills the pane; what the user types goes out through the paced sender (type 56),
/// which the CLI codepad shares. The board opens the window with type 4.
class TForm10 : public QWidget {
    Q_OBJECT

public:
    TForm10(link::BoardLink& link, QWidget* owner = nullptr);
    ~TForm10() override;

    QPlainTextEdit* Memo1;
    QLineEdit* Edit1;
    QPushButton *Button1, *Button2, *Button3;
    QProgressBar* SendProgress; ///< how much of a running send has gone out
    QPushButton* StopButton;    ///< drops what a running send has not sent yet

    console::PacedSender& sender() { return m_sender; }
    const console::TerminalBuffer& buffer() const { return m_buffer; }

    /// The main window's "Terminal": shows the window with the newest output.
    void ShowTerminal();
    /// The chunk tick of the main window's 100 ms timer: the next piece of a send.
    void ChunkTick();

    void Button1Click();
    void Button2Click();
    void Button3Click();
    /// Send File's work after the dialog: refuses a file of 128 KiB or more, else queues it
    /// without its carriage returns.
    void SendFile(const QString& path);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
    void OutputReceived(const link::LinkFrame& frame);
    void showOutput();
    void showProgress();

    link::BoardLink& m_link;
    console::TerminalBuffer m_buffer;
    console::PacedSender m_sender;
    bool m_outputPending = false; ///< the pane is reloaded once per pass of the event loop
};

} // namespace crv::ui
