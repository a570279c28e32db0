// The board console tools against the board emulator: a terminal session, a script written to
// the board's flash and read back, an OSD capture saved as a picture and a voice pack uploaded
// and downloaded.

#include "app/ground_station.h"
#include "support/emulator_process.h"
#include "support/modal_catcher.h"
#include "ui/console/code_editor.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace crv {
namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class ConsoleEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(emulator.start());
        main.setDatabasePath(folder.filePath("crv_data").toStdString());
        main.setStartupPort(board.toStdString());
        main.show();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return main.Label9->text() == "Corvane X ver 2.0 build 6100"; }, 5000));
    }
    void TearDown() override { main.close(); }

    QString terminalText() { return station.terminalWindow().Memo1->toPlainText(); }
    void typeLine(const QString& line) {
        ui::TForm10& terminal = station.terminalWindow();
        terminal.Edit1->setText(line);
        QTest::keyClick(terminal.Edit1, Qt::Key_Return);
    }

    QTemporaryDir folder;
    QString board = folder.filePath("board");
    testing::EmulatorProcess emulator{board};
    app::GroundStation station;
    ui::TForm1& main = station.mainWindow();
};

TEST_F(ConsoleEndToEnd, TerminalSessionAndFileSend) {
    ui::TForm10& terminal = station.terminalWindow();
    main.Button24->click();
    EXPECT_TRUE(station.codepadWindow().isVisible());
    ASSERT_TRUE(terminal.isVisible());
    typeLine("help");
    EXPECT_TRUE(terminal.Edit1->text().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return terminalText().contains("Commands: help, ver, list"); }, 3000));

    // The board opens the terminal itself.
    terminal.hide();
    typeLine("term");
    ASSERT_TRUE(QTest::qWaitFor([&] { return terminal.isVisible(); }, 3000));

    QByteArray script;
    QByteArray lastLine;
    for (int line = 10; script.size() < 1500; line += 10) {
        lastLine = QByteArray::number(line) + " PRINT " + QByteArray::number(line * 7);
        script += lastLine + "\r\n";
    }
    script += "ver\r\n";
    const QString path = folder.filePath("demo.bas");
    ASSERT_TRUE(writeAll(path, script));
    terminal.SendFile(path);
    EXPECT_TRUE(terminal.SendProgress->isVisible()) << "1500 bytes take four seconds";
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return terminalText().contains("Corvane X ver 2.0 build 6100"); }, 10000));
    EXPECT_FALSE(terminal.SendProgress->isVisible());
    EXPECT_TRUE(terminalText().contains(QString::fromLatin1(lastLine + "\n")));
    EXPECT_FALSE(terminalText().contains('\r')) << "the pane shows lines, not carriage returns";

    // A file of 1 MB is refused at once, without reading it.
    const QString big = folder.filePath("big.bas");
    ASSERT_TRUE(writeAll(big, QByteArray(1 << 20, 'x')));
    testing::ModalCatcher catcher;
    terminal.SendFile(big);
    EXPECT_EQ(catcher.texts, QStringList{"File is too big!\n No more than 128k!"});
    EXPECT_FALSE(terminal.sender().busy());
}

TEST_F(ConsoleEndToEnd, ScriptWrittenToFlashReadsBackIdentical) {
    ui::TForm12& codepad = station.codepadWindow();
    ui::TForm3& configuration = station.configurationWindow();
    codepad.ShowCodepad();
    const QString script = "10 REM blink\n20 PRINT \"ON\"\n30 WAIT 500\n40 GOTO 20";
    codepad.Memo1->setPlainText(script);
    codepad.AutoRun1->trigger();
    codepad.Writetoboard1->trigger();
    EXPECT_TRUE(configuration.isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return configuration.Label48->text() == "OK"; }, 5000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return configuration.Label47->text() == "54bytes"; }, 3000))
        << configuration.Label47->text().toStdString();

    codepad.New1->trigger();
    codepad.AutoLoad1->trigger(); // AutoLoad off: the read brings the options back
    ASSERT_EQ(codepad.options().byte(), 0x08);
    codepad.Readfromboard1->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return codepad.Memo1->toPlainText() == script; }, 5000))
        << codepad.Memo1->toPlainText().toStdString();
    EXPECT_EQ(configuration.Label48->text(), "OK");
    EXPECT_EQ(codepad.options().byte(), 0x0B);
    EXPECT_TRUE(codepad.AutoRun1->isChecked());
}

TEST_F(ConsoleEndToEnd, OsdPictureCapturedAndSaved) {
    ui::TForm11& osd = station.osdCaptureWindow();
    main.BitBtn3->click();
    ASSERT_TRUE(osd.isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return osd.windowTitle().endsWith("CRC OK"); }, 5000))
        << osd.windowTitle().toStdString();
    EXPECT_TRUE(osd.windowTitle().startsWith("Corvane X OSD capture: "));
    const QString path = folder.filePath("osd.png");
    ASSERT_TRUE(osd.SavePicture(path));
    const QImage saved(path);
    ASSERT_EQ(saved.size(), QSize(240, 240));
    EXPECT_EQ(saved.pixel(4, 4), qRgb(192, 192, 192)) << "the frame round the display";
    EXPECT_EQ(saved.pixel(60, 60), qRgb(0, 0, 0));
    osd.close();
    const QString title = osd.windowTitle();
    QTest::qWait(2500); // the board stops: no capture finishes any more
    EXPECT_EQ(osd.windowTitle(), title);
}

TEST_F(ConsoleEndToEnd, VoicePackUploadedAndDownloadedIdentical) {
    ui::TForm3& configuration = station.configurationWindow();
    QByteArray pack(1280, '\0');
    for (int i = 0; i < pack.size(); ++i) {
        pack[i] = static_cast<char>(i * 37 + 11);
    }
    const QString upload = folder.filePath("mine.XVPack");
    ASSERT_TRUE(writeAll(upload, pack));
    configuration.UploadVoicePack(upload);
    ASSERT_TRUE(QTest::qWaitFor([&] { return configuration.Label45->text() == "OK"; }, 5000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return configuration.Label44->text() == "Voice 1k v1.0"; }, 3000))
        << configuration.Label44->text().toStdString();

    const QString download = folder.filePath("back.XVPack");
    configuration.DownloadVoicePack(download);
    ASSERT_TRUE(QTest::qWaitFor([&] { return configuration.Label45->text() == "OK"; }, 5000));
    EXPECT_EQ(readAll(download), pack);
    EXPECT_FALSE(QFile::exists(download + ".part"));
}

} // namespace
} // namespace crv
