// The ground station against the board emulator, over a real pseudo-terminal and the real
// serial layer.

#include "io/qt_serial_port.h"
#include "link/board_link.h"
#include "link/message_types.h"
#include "support/emulator_process.h"
#include "ui/config/tform3.h"
#include "ui/main/tform1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <ctime>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace crv {
namespace {

class LinkEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        form.setDatabasePath(folder.filePath("crv_data").toStdString());
        ASSERT_TRUE(emulator.start());
    }

    bool identified() {
        return QTest::qWaitFor(
            [this] { return form.Label9->text() == "Corvane X ver 2.0 build 6100"; }, 5000);
    }
    int framesInLastSecond() {
        const QString line = form.Label11->text(); // "IN 23pps OUT 0pps"
        return line.section(' ', 1, 1).chopped(3).toInt();
    }

    QTemporaryDir folder;
    QString board = folder.filePath("board");
    testing::EmulatorProcess emulator{board};
    io::QtSerialPort port;
    link::BoardLink link{port};
    store::LocalDatabase database;
    ui::TForm1 form{link, database};
};

TEST_F(LinkEndToEnd, IdentifiesCountsAndDisconnectsWhenTheBoardDies) {
    form.setStartupPort(board.toStdString());
    form.show();
    ASSERT_TRUE(identified());
    EXPECT_EQ(form.Button1->text(), "Disconnect");
    ASSERT_TRUE(QTest::qWaitFor([this] { return framesInLastSecond() >= 5; }, 4000))
        << form.Label11->text().toStdString();
    EXPECT_TRUE(form.Label10->text().startsWith("Bitrate "));
    EXPECT_NE(form.Label10->text(), "Bitrate 0 bps");

    emulator.kill();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !link.session().linkOpen(); }, 3000));
    EXPECT_EQ(form.Button1->text(), "Connect");
    EXPECT_TRUE(form.Label9->text().startsWith("Link lost: ")) << form.Label9->text().toStdString();

    // Quiet afterwards: a dead port that kept reporting would keep the event loop busy.
    const std::clock_t before = std::clock();
    QEventLoop idle;
    QTimer::singleShot(500, &idle, &QEventLoop::quit);
    idle.exec();
    const double cpuMs = 1000.0 * static_cast<double>(std::clock() - before) / CLOCKS_PER_SEC;
    EXPECT_LT(cpuMs, 150.0);
}

TEST_F(LinkEndToEnd, ReconnectsWithTheConnectButton) {
    form.setStartupPort(board.toStdString());
    form.show();
    ASSERT_TRUE(identified());
    form.Button1->click();
    EXPECT_EQ(form.Label9->text(), "-");
    EXPECT_EQ(form.ComboBox1->currentText(), board);
    form.Button1->click();
    EXPECT_TRUE(identified()) << "the board is polled again after a reconnect";
}

TEST_F(LinkEndToEnd, ReconnectsByItselfWhenTheDeviceComesBack) {
    form.setStartupPort(board.toStdString());
    form.show();
    ASSERT_TRUE(identified());

    emulator.replug();
    // The watch looks every 500 ms, so the loss stays on screen at least that long.
    ASSERT_TRUE(QTest::qWaitFor([this] { return form.Label9->text().startsWith("Link lost"); },
                                3000));
    EXPECT_EQ(form.Button1->text(), "Connect");
    EXPECT_TRUE(identified()) << "polled again on the new line";
    EXPECT_EQ(form.Button1->text(), "Disconnect");
    EXPECT_EQ(form.ComboBox1->currentText(), board);
    ASSERT_TRUE(QTest::qWaitFor([this] { return framesInLastSecond() >= 5; }, 4000));

    // A disconnect by the user is no loss: nothing reconnects.
    form.Button1->click();
    emulator.replug();
    QTest::qWait(1200);
    EXPECT_FALSE(link.session().linkOpen());
}

TEST_F(LinkEndToEnd, ReconnectWaitsWhileItsBoxIsUnchecked) {
    form.setStartupPort(board.toStdString());
    form.show();
    ASSERT_TRUE(identified());
    form.ReconnectBox->setChecked(false);

    emulator.replug();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !link.session().linkOpen(); }, 3000));
    QTest::qWait(1200);
    EXPECT_FALSE(link.session().linkOpen());
    form.ReconnectBox->setChecked(true);
    EXPECT_TRUE(identified());
}

TEST_F(LinkEndToEnd, APortHeldByAnotherProgramSaysSo) {
    io::QtSerialPort holder;
    ASSERT_TRUE(holder.open(board.toStdString()).ok());
    io::QtSerialPort second;
    const Status opened = second.open(board.toStdString());
    ASSERT_FALSE(opened.ok());
    EXPECT_NE(opened.message().find("Another program holds the port"), std::string::npos)
        << opened.message();
}

// Root may open any device, so the refusal is seen by a child that has given root up.
TEST_F(LinkEndToEnd, APortTheUserMayNotOpenSaysHowToGetAccess) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to become another user";
    }
    const QString device = QFileInfo(board).canonicalFilePath();
    ASSERT_EQ(::chmod(device.toLocal8Bit().constData(), 0600), 0);
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        constexpr uid_t kNobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            ::_exit(1);
        }
        io::QtSerialPort port;
        const std::string message = port.open(device.toStdString()).message();
        const ssize_t written = ::write(channel[1], message.data(), message.size());
        ::_exit(written < 0 ? 1 : 0);
    }
    ::close(channel[1]);
    std::string message;
    char buffer[512];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        message.append(buffer, static_cast<size_t>(got));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_NE(message.find("Permission denied"), std::string::npos) << message;
    EXPECT_NE(message.find("\"dialout\" group"), std::string::npos) << message;
    EXPECT_NE(message.find("sudo usermod -aG dialout $USER"), std::string::npos) << message;
}

TEST_F(LinkEndToEnd, ArmingFromTheMenuShowsAtTheNextTickAndDisconnectKeepsTheValues) {
    form.setStartupPort(board.toStdString());
    form.show();
    ASSERT_TRUE(identified());
    EXPECT_TRUE(form.GroupBox4->isVisible());
    EXPECT_TRUE(form.GroupBox6->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([this] { return form.Label37->text() == "DISRM"; }, 3000));
    ASSERT_TRUE(QTest::qWaitFor([this] { return form.lat_l->text() != "000"; }, 3000))
        << "GPS streams";

    form.ARM1->trigger();
    ASSERT_TRUE(QTest::qWaitFor([this] { return form.Label37->text() == "ARMED"; }, 3000));
    EXPECT_FALSE(form.GroupBox1->isEnabled());
    form.Auto1->trigger();
    EXPECT_TRUE(QTest::qWaitFor([this] { return form.flightmode_t->text() == "AUTO"; }, 3000));
    form.DISARM1->trigger();
    EXPECT_TRUE(QTest::qWaitFor([this] { return form.Label37->text() == "DISRM"; }, 3000));

    form.Button1->click();
    const QString latitude = form.lat_l->text();
    EXPECT_FALSE(form.GroupBox4->isVisible());
    EXPECT_FALSE(form.GroupBox1->isVisible());
    EXPECT_EQ(form.lat_l->text(), latitude) << "the last values stay";
}

TEST_F(LinkEndToEnd, ConfigurationWrittenIsReadBack) {
    ui::TForm3 configuration(link, &form);
    form.setStartupPort(board.toStdString());
    form.show();
    ASSERT_TRUE(identified());
    configuration.OpenConfigurationWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return configuration.spd_t->text() == "60"; }, 3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return configuration.CheckBox13->isChecked(); }, 3000));

    configuration.spd_t->setText("75");
    configuration.Edit5->setText("4200");
    configuration.Button2->click();
    configuration.CheckBox9->setChecked(!configuration.CheckBox9->isChecked());
    const bool speedShown = configuration.CheckBox9->isChecked();
    configuration.Button18->click();

    configuration.spd_t->setText("");
    configuration.Edit5->setText("");
    configuration.CheckBox9->setChecked(!speedShown);
    configuration.Button1->click();
    configuration.Button19->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return configuration.spd_t->text() == "75"; }, 3000));
    EXPECT_EQ(configuration.Edit5->text(), "4200");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return configuration.CheckBox9->isChecked() == speedShown; }, 3000));
}

TEST_F(LinkEndToEnd, OpensATypedRelativePath) {
    form.show();
    const QString before = QDir::currentPath();
    QDir::setCurrent(folder.path());
    form.ComboBox1->setEditText("./board");
    form.Button1->click();
    const bool ok = identified();
    QDir::setCurrent(before);
    EXPECT_TRUE(ok) << form.Label9->text().toStdString();
}

TEST_F(LinkEndToEnd, FramesKeepComingWhileAHandlerWaitsInAModalLoop) {
    int attitudeFrames = 0;
    int framesDuringModal = 0;
    bool modalOpen = false;
    bool modalDone = false;
    link.dispatcher().setHandler(link::msg::kAttitude, [&](const link::LinkFrame&) {
        ++attitudeFrames;
        if (modalOpen) {
            ++framesDuringModal;
            return;
        }
        if (!modalDone) { // like a message box opened by a handler
            modalOpen = true;
            QEventLoop modal;
            QTimer::singleShot(800, &modal, &QEventLoop::quit);
            modal.exec();
            modalOpen = false;
            modalDone = true;
        }
    });
    form.setStartupPort(board.toStdString());
    form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return modalDone; }, 8000));
    EXPECT_GE(framesDuringModal, 3) << "attitude streams at 5 a second";
}

} // namespace
} // namespace crv
