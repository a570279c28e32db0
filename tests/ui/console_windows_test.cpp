#include "support/fake_serial_port.h"
#include "support/frame_recorder.h"
#include "support/modal_catcher.h"
#include "support/test_folder.h"
#include "ui/config/tform3.h"
#include "ui/console/code_editor.h"
#include "ui/console/tform10.h"
#include "ui/console/tform11.h"
#include "ui/console/tform12.h"
#include "ui/console/tform13.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace crv::ui {
namespace {

using link::testing::Bytes;

/// Each named control has an accessible name, and Tab goes from one to the next in order.
void expectNamedInTabOrder(QWidget& window, const std::vector<const char*>& order) {
    for (const char* name : order) {
        auto* control = window.findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_FALSE(control->accessibleName().isEmpty()) << name;
    }
    for (size_t i = 0; i + 1 < order.size(); ++i) {
        QWidget* next = window.findChild<QWidget*>(order[i])->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus || next->objectName().isEmpty()) {
            next = next->nextInFocusChain();
        }
        EXPECT_EQ(next->objectName(), order[i + 1]) << "after " << order[i];
    }
}

/// The payloads of the frames written to the port since the last call.
std::vector<Bytes> framesWritten(link::testing::FakeSerialPort& port) {
    std::vector<Bytes> frames;
    for (size_t at = 0; at + 4 <= port.written.size();) {
        const size_t length = port.written[at + 1];
        frames.emplace_back(port.written.begin() + at + 2, port.written.begin() + at + length + 1);
        at += length + 2;
    }
    port.written.clear();
    return frames; // type, then payload
}

class ConsoleWindowsTest : public ::testing::Test {
protected:
    ConsoleWindowsTest() {
        owner.setGeometry(100, 100, 1000, 648);
        owner.show();
        link.session().connect("/tmp/pty");
    }
    void receive(uint8_t type, const Bytes& payload) {
        const auto frame = link::testing::frameOf(type, payload);
        port.receive(frame);
        port.listener->bytesWaiting(frame.size());
    }
    /// Answers the next modal dialog with what answer does to it.
    void whenDialogOpens(std::function<void()> answer) {
        QTimer::singleShot(20, [answer] { answer(); });
    }

    link::testing::FakeSerialPort port;
    link::BoardLink link{port};
    QWidget owner;
    int64_t nowMs = 0;
    TForm3 configuration{link, &owner};
    TForm10 terminal{link, &owner};
    TForm11 osd{link, &owner};
    int32_t width = 500, height = 300;
    TForm12 codepad{terminal, configuration, width, height, &owner};
};

TEST_F(ConsoleWindowsTest, TerminalShowsTheNewestOutputAndIsOpenedByTheBoard) {
    EXPECT_EQ(terminal.windowTitle(), "X Terminal #1");
    EXPECT_TRUE(terminal.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    expectNamedInTabOrder(terminal, {"Edit1", "Button2", "Button3", "StopButton", "Button1",
                                     "Memo1"});
    receive(4, {});
    EXPECT_TRUE(terminal.isVisible());
    receive(4, {}); // already visible: nothing changes
    EXPECT_TRUE(terminal.isVisible());
    Bytes output;
    for (int i = 0; i < 10000; ++i) {
        output.push_back(static_cast<uint8_t>('a' + i % 26));
    }
    for (size_t at = 0; at < output.size(); at += 200) {
        receive(55, Bytes(output.begin() + at, output.begin() + std::min(output.size(), at + 200)));
    }
    QApplication::processEvents();
    const QString shown = terminal.Memo1->toPlainText();
    EXPECT_EQ(shown, QString::fromLatin1(reinterpret_cast<const char*>(output.data()) + 1808, 8192));
    EXPECT_EQ(terminal.Memo1->textCursor().position(), shown.size()) << "caret at the end";
    terminal.Button1->click();
    EXPECT_TRUE(terminal.Memo1->toPlainText().isEmpty());
    receive(55, {'o', 'k'});
    QApplication::processEvents();
    EXPECT_EQ(terminal.Memo1->toPlainText(), "ok");
}

TEST_F(ConsoleWindowsTest, TerminalSendsTheLineAndPacesLongerOnes) {
    terminal.show();
    port.written.clear();
    terminal.Edit1->setText("help");
    QTest::keyClick(terminal.Edit1, Qt::Key_Return);
    EXPECT_EQ(framesWritten(port), (std::vector<Bytes>{{56, 'h', 'e', 'l', 'p', 13, 10}}));
    EXPECT_TRUE(terminal.Edit1->text().isEmpty());
    terminal.Edit1->setText(QString(100, 'x'));
    terminal.Button2->click();
    EXPECT_TRUE(terminal.SendProgress->isVisible());
    terminal.ChunkTick();
    terminal.ChunkTick();
    const std::vector<Bytes> frames = framesWritten(port);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].size(), 41u);
    EXPECT_EQ(frames[2].size(), 23u);
    EXPECT_FALSE(terminal.SendProgress->isVisible());

    terminal.Edit1->setText(QString(400, 'y'));
    terminal.Button2->click();
    terminal.StopButton->click();
    terminal.ChunkTick();
    EXPECT_EQ(framesWritten(port).size(), 1u) << "Stop drops the rest";
}

TEST_F(ConsoleWindowsTest, OsdCaptionAndPictureKeepTheLastGoodCapture) {
    EXPECT_EQ(osd.windowTitle(), "Corvane X OSD capture");
    expectNamedInTabOrder(osd, {"SaveButton"});
    EXPECT_TRUE(osd.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    port.written.clear();
    osd.ShowCapture();
    EXPECT_EQ(framesWritten(port), (std::vector<Bytes>{{27, 95, 1}}));
    // 0xFF and 200 copies, then its check value (computed once, by hand: see the core tests).
    Bytes coded = {0xFF, 0xFE, 200};
    uint16_t w = 0xCB35;
    for (uint8_t byte : coded) {
        w ^= byte;
        w = static_cast<uint16_t>((w << 1) | (w & 1));
    }
    coded.push_back(static_cast<uint8_t>(w >> 8));
    coded.push_back(static_cast<uint8_t>(w));
    Bytes piece = {0, 0};
    piece.insert(piece.end(), coded.begin(), coded.end());
    receive(37, piece);
    receive(37, {0, 0});
    EXPECT_EQ(osd.windowTitle(), "Corvane X OSD capture: 5 bytes, CRC OK");
    EXPECT_EQ(osd.picture().pixel(7, 0), qRgb(192, 192, 192));
    EXPECT_EQ(osd.picture().pixel(0, 7), qRgb(0, 0, 0));
    piece.back() ^= 1;
    receive(37, piece);
    receive(37, {0, 0});
    EXPECT_EQ(osd.windowTitle(), "Corvane X OSD capture: 5 bytes, CRC fail");
    EXPECT_EQ(osd.picture().pixel(7, 0), qRgb(192, 192, 192)) << "the good picture stays";
    osd.close();
    EXPECT_EQ(framesWritten(port), (std::vector<Bytes>{{27, 95, 0}}));
}

TEST_F(ConsoleWindowsTest, CodepadNumbersTheSelectedLinesAndRemovesNumbers) {
    EXPECT_EQ(codepad.windowTitle(), "CLI Codepad");
    expectNamedInTabOrder(codepad, {"Memo1"});
    EXPECT_EQ(codepad.Open1->shortcut(), QKeySequence("Ctrl+O"));
    codepad.ShowCodepad();
    EXPECT_EQ(codepad.size(), QSize(500, 300)) << "the kept size";
    codepad.Memo1->setPlainText("PRINT 1\nGOTO 10\nEND");
    whenDialogOpens([this] { codepad.Form13->Button1->click(); });
    codepad.AddReplace1->trigger();
    EXPECT_EQ(codepad.Memo1->toPlainText(), "10 PRINT 1\n20 GOTO 10\n30 END");
    EXPECT_EQ(codepad.numbering().start, 40);
    QTextCursor cursor(codepad.Memo1->document()->findBlockByNumber(1));
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    codepad.Memo1->setTextCursor(cursor);
    whenDialogOpens([this] {
        codepad.Form13->Edit1->setText("100");
        codepad.Form13->Edit2->setText("5");
        codepad.Form13->Button1->click();
    });
    codepad.AddReplace1->trigger();
    EXPECT_EQ(codepad.Memo1->toPlainText(), "10 PRINT 1\n100 GOTO 10\n30 END");
    codepad.Memo1->moveCursor(QTextCursor::End);
    codepad.Remove1->trigger();
    EXPECT_EQ(codepad.Memo1->toPlainText(), "PRINT 1\nGOTO 10\nEND");
    codepad.Memo1->undo();
    EXPECT_EQ(codepad.Memo1->toPlainText(), "10 PRINT 1\n100 GOTO 10\n30 END") << "one undo step";
}

TEST_F(ConsoleWindowsTest, LineNumbersDialogRefusesWhatIsNoNumber) {
    TForm13& dialog = *codepad.Form13;
    EXPECT_EQ(dialog.windowTitle(), "Line Numbers");
    expectNamedInTabOrder(dialog, {"Edit1", "Edit2", "Button1", "Button2"});
    EXPECT_TRUE(dialog.Button1->isDefault());
    codepad.Memo1->setPlainText("A");
    testing::ModalCatcher catcher;
    whenDialogOpens([&dialog] {
        dialog.Edit2->setText("1x");
        dialog.Button1->click();
        QTimer::singleShot(100, [&dialog] { dialog.Button2->click(); });
    });
    codepad.AddReplace1->trigger();
    EXPECT_EQ(catcher.texts, QStringList{"'1x' is not a valid integer value"});
    EXPECT_EQ(codepad.Memo1->toPlainText(), "A");
}

TEST_F(ConsoleWindowsTest, CodepadOptionsAndColours) {
    codepad.ShowCodepad();
    codepad.AutoRun1->trigger();
    EXPECT_EQ(codepad.options().byte(), 0x0B);
    EXPECT_TRUE(codepad.AutoLoad1->isChecked());
    EXPECT_TRUE(codepad.AutoRun1->isChecked());
    codepad.AutoLoad1->trigger();
    EXPECT_EQ(codepad.options().byte(), 0x08);
    EXPECT_FALSE(codepad.AutoRun1->isChecked());

    codepad.Memo1->setPlainText("10 PRINT \"HI\" ' greet");
    QApplication::processEvents();
    const QTextBlock line = codepad.Memo1->document()->firstBlock();
    const auto colourAt = [&line](int position) {
        for (const QTextLayout::FormatRange& range : line.layout()->formats()) {
            if (position >= range.start && position < range.start + range.length) {
                return range.format.foreground().color();
            }
        }
        return QColor();
    };
    EXPECT_EQ(colourAt(0), QColor(255, 0, 255)) << "number";
    EXPECT_EQ(colourAt(4), QColor(0, 0, 255)) << "keyword";
    EXPECT_EQ(colourAt(10), QColor(128, 0, 0)) << "string";
    EXPECT_EQ(colourAt(16), QColor(0, 128, 0)) << "comment";
    EXPECT_GT(codepad.Memo1->marginWidth(), 0);
}

TEST_F(ConsoleWindowsTest, CodepadRefusesFilesThatAreNoScripts) {
    crv::testing::TestFolder folder("crv-codepad");
    const auto write = [&folder](const char* name, const QByteArray& bytes) {
        const QString path = QString::fromStdString((folder.path() / name).string());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    };
    codepad.Memo1->setPlainText("kept");
    testing::ModalCatcher catcher;
    codepad.OpenScript(write("empty.bas", {}));
    codepad.OpenScript(write("zero.bas", QByteArray("10 A\0B", 6)));
    codepad.OpenScript(write("big.bas", QByteArray(200000, 'a')));
    EXPECT_EQ(catcher.texts.size(), 3);
    EXPECT_EQ(codepad.Memo1->toPlainText(), "kept");
    codepad.OpenScript(write("good.bas", "10 PRINT\r\n20 END\r\n"));
    EXPECT_EQ(codepad.Memo1->toPlainText(), "10 PRINT\n20 END");
    EXPECT_EQ(codepad.scriptText(), (std::vector<uint8_t>{'1', '0', ' ', 'P', 'R', 'I', 'N', 'T',
                                                          13, 10, '2', '0', ' ', 'E', 'N', 'D',
                                                          13, 10}));
}

TEST_F(ConsoleWindowsTest, PackagesPageNamesReportsAndRefusals) {
    expectNamedInTabOrder(configuration, {"Button38", "Button39", "VoiceCancel", "BitBtn1",
                                          "Button40", "Button41", "ScriptCancel"});
    EXPECT_EQ(configuration.Label44->text(), "=empty=");
    EXPECT_EQ(configuration.Label45->text(), "-");
    receive(57, {128, 1, 2, 'E', 'n', 0});
    receive(58, {128, 255});
    EXPECT_EQ(configuration.Label44->text(), "En v1.2");
    EXPECT_EQ(configuration.Label47->text(), "----------");

    crv::testing::TestFolder folder("crv-packs-page");
    const QString empty = QString::fromStdString((folder.path() / "empty.XVPack").string());
    QFile(empty).open(QIODevice::WriteOnly);
    testing::ModalCatcher catcher;
    port.written.clear();
    configuration.UploadVoicePack(empty);
    configuration.setVoicePackEditor("crv-no-such-voice-editor --open");
    configuration.BitBtn1->click();
    ASSERT_EQ(catcher.texts.size(), 2);
    EXPECT_EQ(catcher.texts[0], "The voice pack file is empty.");
    EXPECT_TRUE(catcher.texts[1].contains("\"crv-no-such-voice-editor --open\" is not installed"));
    EXPECT_TRUE(port.written.empty());
    port.written.clear();
    configuration.Button41->click();
    EXPECT_EQ(framesWritten(port), (std::vector<Bytes>{{58, 5, 0xFF, 0xFF}}));
}

// A board that stops asking leaves no transfer hanging for ever: the page says so, Cancel ends
// it, and a download that never finished writes no file.
TEST_F(ConsoleWindowsTest, AStalledTransferIsShownAndCancelled) {
    configuration.setClock([this] { return nowMs; });
    crv::testing::TestFolder folder("crv-stall");
    const QString path = QString::fromStdString((folder.path() / "back.XVPack").string());
    Bytes block(131, 7);
    block[0] = 131;
    block[1] = 0;
    configuration.DownloadVoicePack(path);
    receive(57, {131, 0xFF, 0xFF, 0, 3});
    receive(57, block);
    EXPECT_EQ(configuration.Label45->text(), "33%");
    EXPECT_TRUE(configuration.VoiceCancel->isEnabled());
    nowMs = 2900;
    configuration.PackagesTick();
    EXPECT_EQ(configuration.Label45->text(), "33%");
    nowMs = 3000;
    configuration.PackagesTick();
    EXPECT_EQ(configuration.Label45->text(), "33% - No answer from the board");
    configuration.VoiceCancel->click();
    EXPECT_EQ(configuration.Label45->text(), "Cancelled");
    EXPECT_FALSE(configuration.VoiceCancel->isEnabled());
    port.written.clear();
    for (int i = 0; i < 3; ++i) {
        receive(57, block);
    }
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(configuration.Label45->text(), "Cancelled");
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(QFile::exists(path + ".part"));

    configuration.DownloadVoicePack(path);
    configuration.StartScriptRead(); // one transfer at a time: the voice download ends
    EXPECT_EQ(configuration.Label45->text(), "Cancelled");
    EXPECT_EQ(configuration.Label48->text(), "Read request...");
    receive(57, {131, 0xFF, 0xFF, 0, 0});
    EXPECT_EQ(configuration.Label45->text(), "Cancelled");
}

} // namespace
} // namespace crv::ui
