#include "ui/main/tform1.h"

#include "support/fake_serial_port.h"
#include "support/frame_recorder.h"
#include "support/modal_catcher.h"
#include "ui/main/pie_gauge.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace crv::ui {
namespace {

using Bytes = std::vector<uint8_t>;

class TForm1Test : public ::testing::Test {
protected:
    TForm1Test() {
        form.setDatabasePath(folder.filePath("crv_data").toStdString());
        form.show();
        form.Timer1->stop(); // the tests run the report themselves
    }

    void receiveFrame(uint8_t type, const Bytes& payload) {
        receive(link::testing::frameOf(type, payload));
    }
    Bytes sentAfter(const std::function<void()>& action) {
        port.written.clear();
        action();
        return port.written;
    }

    void connectTo(const QString& device) {
        form.ComboBox1->setEditText(device);
        form.Button1->click();
    }
    void receive(const Bytes& bytes) {
        port.receive(bytes);
        port.listener->bytesWaiting(bytes.size());
    }
    void receiveVersion(uint8_t buildHigh, uint8_t buildLow) {
        Bytes frame = {0xCB, 0x08, 0x01, 0x00, 0x02, 0x00, 0x00, buildHigh, buildLow};
        uint8_t check = 0;
        for (uint8_t byte : frame) {
            check ^= byte;
        }
        frame.push_back(check);
        receive(frame);
    }

    QTemporaryDir folder;
    link::testing::FakeSerialPort port;
    link::BoardLink link{port};
    store::LocalDatabase database;
    TForm1 form{link, database};
};

TEST_F(TForm1Test, LinkGroupHasItsControls) {
    EXPECT_EQ(form.objectName(), "TForm1");
    EXPECT_EQ(form.windowTitle(), "Corvane X Ground Control Station build 98");
    EXPECT_EQ(form.findChild<QGroupBox*>("GroupBox2")->title(), "GCS Link");
    EXPECT_EQ(form.findChild<QPushButton*>("Button1")->text(), "Connect");
    EXPECT_EQ(form.findChild<QPushButton*>("Button22")->text(), "?");
    EXPECT_EQ(form.Button22->toolTip(), "Refresh COM-ports list");
    EXPECT_EQ(form.findChild<QLabel*>("Label9")->text(), "-");
    EXPECT_TRUE(form.findChild<QComboBox*>("ComboBox1")->isEditable());
    EXPECT_EQ(form.findChild<QTimer*>("Timer1")->interval(), 1000);
    EXPECT_FALSE(form.Button7->isEnabled());
}

TEST_F(TForm1Test, ConnectWithoutAPortNameSaysSo) {
    testing::ModalCatcher boxes;
    connectTo("");
    EXPECT_EQ(boxes.texts, QStringList{"No COM devices found!"});
    EXPECT_FALSE(link.session().linkOpen());
}

TEST_F(TForm1Test, ConnectFailureShowsTheSystemTextAndStaysClosed) {
    testing::ModalCatcher boxes;
    port.openError = "No such file or directory";
    connectTo("/dev/ttyUSB7");
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains("No such file or directory"))
        << boxes.texts[0].toStdString();
    EXPECT_EQ(form.Button1->text(), "Connect");
    EXPECT_TRUE(form.ComboBox1->isEnabled());
}

TEST_F(TForm1Test, ConnectAndDisconnectSwitchTheControls) {
    connectTo("/tmp/some-pty");
    EXPECT_EQ(port.openedName, "/tmp/some-pty");
    EXPECT_EQ(form.Button1->text(), "Disconnect");
    EXPECT_FALSE(form.ComboBox1->isEnabled());
    EXPECT_TRUE(form.Button7->isEnabled());

    receiveVersion(0x17, 0xD4);
    EXPECT_EQ(form.Label9->text(), "Corvane X ver 2.0 build 6100");

    form.Button1->click();
    EXPECT_EQ(form.Button1->text(), "Connect");
    EXPECT_FALSE(port.isOpen);
    EXPECT_TRUE(form.ComboBox1->isEnabled());
    EXPECT_FALSE(form.Button7->isEnabled());
    EXPECT_EQ(form.Label9->text(), "-");
    EXPECT_EQ(form.ComboBox1->currentText(), "/tmp/some-pty") << "a typed device stays listed";
}

TEST_F(TForm1Test, ReportLinesAndPollUntilIdentified) {
    connectTo("/tmp/pty");
    form.Timer1Timer();
    EXPECT_EQ(form.Label10->text(), "Bitrate 0 bps");
    EXPECT_EQ(port.written.size(), 46u) << "the identification poll went out";

    receiveVersion(0x17, 0xD4);
    form.Timer1Timer();
    EXPECT_EQ(form.Label10->text(), "Bitrate 80 bps");
    EXPECT_EQ(form.Label11->text(), "IN 1pps OUT 10pps");
    EXPECT_EQ(port.written.size(), 46u) << "an identified board is not polled";
}

TEST_F(TForm1Test, OutdatedBuildWarnsOncePerIdentification) {
    testing::ModalCatcher boxes;
    connectTo("/tmp/pty");
    receiveVersion(0x13, 0x88); // 5000
    receiveVersion(0x13, 0x88);
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains("build 2.0.5000 is outdated!"));

    form.Button1->click();
    connectTo("/tmp/pty");
    receiveVersion(0x13, 0x88);
    EXPECT_EQ(boxes.texts.size(), 2) << "a reconnect makes the warning possible again";
}

TEST_F(TForm1Test, OldBuildKeepsThePollGoing) {
    connectTo("/tmp/pty");
    receiveVersion(0x09, 0xC4); // 2500
    EXPECT_FALSE(link.session().boardIdentified());
    receiveVersion(0x9C, 0x40); // 40000 counts as negative
    EXPECT_EQ(form.Label9->text(), "Corvane X ver 2.0 build 40000");
    EXPECT_FALSE(link.session().boardIdentified());
}

TEST_F(TForm1Test, FailingPortClosesTheLinkAndSaysWhy) {
    connectTo("/tmp/pty");
    port.listener->portFailed("device disconnected");
    EXPECT_EQ(form.Button1->text(), "Connect");
    EXPECT_TRUE(form.ComboBox1->isEnabled());
    EXPECT_EQ(form.Label9->text(), "Link lost: device disconnected");
    EXPECT_FALSE(link.session().linkOpen());
}

TEST_F(TForm1Test, TelemetryFillsTheDisplays) {
    connectTo("/tmp/pty");
    receiveFrame(32, {0x01, 0x31, 0xFF, 0x9C, 0x0E, 0x0F, 0x00, 0x07});
    EXPECT_EQ(form.Label1->text(), "30.5");
    EXPECT_EQ(form.Label2->text(), "-10");
    EXPECT_EQ(form.Label3->text(), "359.9");
    EXPECT_EQ(form.Label4->text(), "7");
    EXPECT_EQ(form.hdg_pie->value(), 3599);

    receiveFrame(34, {3, 9, 12, 0x20, 0xCB, 0xD2, 0x86, 0x2B, 0xC4, 0x33, 0xA0, 0x00, 0x79});
    EXPECT_EQ(form.gpsfix->text(), "OK");
    EXPECT_EQ(form.lat_l->text(), "55.02286");
    EXPECT_EQ(form.alt_g->text(), "121");

    receiveFrame(36, {0x00, 0x73, 0x00, 0x0F, 0x04, 0xB0, 0x00, 0x78, 0x00, 0x55});
    EXPECT_EQ(form.Label42->text(), "11.5V");
    EXPECT_EQ(form.Label50->text(), "85%");

    receiveFrame(33, {0x00, 0x39, 0x00, 0x00, 0x30, 0x39, 0xFB, 0x00, 0x3C, 0x06, 0x01});
    EXPECT_EQ(form.alt_asl->text(), "1234.5");
    EXPECT_EQ(form.flightmode_t->text(), "AUTO");
    receiveFrame(33, {0x00, 0x39, 0x00, 0x00, 0x30, 0x39, 0xFB, 0x00, 0x3C, 12, 0x01});
    EXPECT_EQ(form.flightmode_t->text(), "AUTO") << "an unknown mode leaves the text";

    receiveFrame(35, {0x01, 0x2C, 0x00, 0x96, 0x00, 0x64});
    EXPECT_EQ(form.magx->text(), "300");
}

TEST_F(TForm1Test, ChannelGaugesClipAtTheirEnds) {
    connectTo("/tmp/pty");
    receiveFrame(30, {0x07, 0x08, 0x10, 0x68, 0x0B, 0xB8, 0x00, 0x00, 0xFF, 0xFF});
    EXPECT_EQ(form.rci[0]->value(), -1200);
    EXPECT_EQ(form.rci[1]->value(), 1200);
    EXPECT_EQ(form.rci[2]->value(), 0);
    EXPECT_EQ(form.rci[3]->value(), -1200);
    EXPECT_EQ(form.rci[4]->value(), 1200);
    EXPECT_EQ(form.findChild<QProgressBar*>("rci2"), form.rci[1]);
    receiveFrame(31, {0x0B, 0xB8});
    EXPECT_EQ(form.rco[0]->value(), 0);
}

TEST_F(TForm1Test, ArmedStateShowsAtTheNextTick) {
    connectTo("/tmp/pty");
    form.Timer1Timer();
    EXPECT_EQ(form.Label37->text(), "DISRM");
    EXPECT_TRUE(form.ARM1->isEnabled());
    EXPECT_FALSE(form.DISARM1->isEnabled());

    receiveFrame(3, {1});
    EXPECT_EQ(form.Label37->text(), "DISRM") << "not at once";
    form.Timer1Timer();
    EXPECT_EQ(form.Label37->text(), "ARMED");
    EXPECT_EQ(form.Label37->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_FALSE(form.ARM1->isEnabled());
    EXPECT_TRUE(form.DISARM1->isEnabled());
    EXPECT_FALSE(form.Button7->isEnabled());
    EXPECT_FALSE(form.GroupBox1->isEnabled());
    EXPECT_FALSE(form.GroupBox3->isEnabled());
    EXPECT_FALSE(form.GroupBox5->isEnabled());
}

TEST_F(TForm1Test, DisconnectHidesTheBoardGroupsAndKeepsTheValues) {
    connectTo("/tmp/pty");
    EXPECT_FALSE(form.GroupBox4->isVisible());
    receiveVersion(0x17, 0xD4);
    EXPECT_TRUE(form.GroupBox1->isVisible());
    EXPECT_TRUE(form.GroupBox4->isVisible());
    EXPECT_TRUE(form.GroupBox6->isVisible());
    EXPECT_TRUE(form.Button16->isVisible());
    receiveFrame(34, {3, 9, 12, 0x20, 0xCB, 0xD2, 0x86, 0, 0, 0, 0, 0, 0});
    form.Button1->click();
    EXPECT_FALSE(form.GroupBox1->isVisible());
    EXPECT_FALSE(form.GroupBox4->isVisible());
    EXPECT_FALSE(form.GroupBox6->isVisible());
    EXPECT_FALSE(form.Button18->isVisible());
    connectTo("/tmp/pty");
    receiveVersion(0x17, 0xD4);
    EXPECT_EQ(form.lat_l->text(), "55.02286");
}

TEST_F(TForm1Test, MenusSendArmAndFlightModeCommands) {
    connectTo("/tmp/pty");
    EXPECT_EQ(sentAfter([&] { form.ARM1->trigger(); }), (Bytes{0xCB, 0x03, 0x03, 0x01, 0xCA}));
    EXPECT_EQ(sentAfter([&] { form.DISARM1->trigger(); }), (Bytes{0xCB, 0x03, 0x03, 0x00, 0xCB}));
    EXPECT_EQ(sentAfter([&] { form.Auto1->trigger(); }), (Bytes{0xCB, 0x03, 0x0A, 0x06, 0xC4}));
    EXPECT_EQ(sentAfter([&] { form.Manual1->trigger(); }), (Bytes{0xCB, 0x03, 0x0A, 0x00, 0xC2}));
    QStringList items;
    for (QAction* action : form.PopupMenu2->actions()) {
        items << action->text();
    }
    EXPECT_EQ(items,
              (QStringList{"Manual", "Acro", "Stable", "Alt Hold", "Pos Hold", "Return", "Auto"}));
}

TEST_F(TForm1Test, UserChoiceOfAStreamRateSendsIt) {
    connectTo("/tmp/pty");
    EXPECT_EQ(sentAfter([&] { form.IMUrate->activated(4); }),
              (Bytes{0xCB, 0x03, 0x20, 0x00, 0xE8}));
    EXPECT_EQ(sentAfter([&] { form.IMUrate->activated(0); }),
              (Bytes{0xCB, 0x03, 0x20, 0x14, 0xFC}));
    EXPECT_TRUE(sentAfter([&] { form.RCrate->setCurrentIndex(4); }).empty())
        << "setting a list from the program sends nothing";
    EXPECT_EQ(form.IMUrate->toolTip(), "Updates per second");
}

TEST_F(TForm1Test, WriteSendsTheBoardConfigurationFromTheControls) {
    connectTo("/tmp/pty");
    const char* texts[] = {"0.35", "1", "0.5", "0.5", "1.2"};
    QLineEdit* fields[] = {form.Edit1, form.Edit2, form.Edit3, form.Edit4, form.Edit5};
    for (int i = 0; i < 5; ++i) {
        fields[i]->setText(texts[i]);
    }
    form.CheckBox1->setChecked(true);
    form.CheckBox3->setChecked(true);
    EXPECT_EQ(sentAfter([&] { form.Button3->click(); }),
              (Bytes{0xCB, 0x08, 0x18, 0x09, 0x23, 0x64, 0x32, 0x32, 0x78, 0xED}));

    testing::ModalCatcher boxes;
    form.Edit3->setText("abc");
    EXPECT_TRUE(sentAfter([&] { form.Button3->click(); }).empty());
    EXPECT_EQ(boxes.texts, QStringList{"'abc' is not a valid floating point value"});
    EXPECT_EQ(form.Edit1->text(), "0.35") << "the other fields are left alone";
}

TEST_F(TForm1Test, ReceivedBoardConfigurationFillsTheControlsAndSendsNothing) {
    connectTo("/tmp/pty");
    EXPECT_TRUE(sentAfter([&] { receiveFrame(24, {0x09, 0x23, 0x64, 0x32, 0x19, 0x78}); }).empty());
    EXPECT_EQ(form.Edit1->text(), "0.35");
    EXPECT_EQ(form.Edit2->text(), "1");
    EXPECT_EQ(form.Edit4->text(), "0.25");
    EXPECT_TRUE(form.CheckBox1->isChecked());
    EXPECT_FALSE(form.CheckBox2->isChecked());
    EXPECT_TRUE(form.CheckBox3->isChecked());
}

TEST_F(TForm1Test, LevelResetOnlyAfterConfirmation) {
    connectTo("/tmp/pty");
    {
        testing::ModalCatcher cancel(QMessageBox::Cancel);
        EXPECT_TRUE(sentAfter([&] { form.Button2->click(); }).empty());
        EXPECT_EQ(
            cancel.texts,
            QStringList{"Place your board ABSOLUTELY horizontal\n and press OK to RESET level"});
    }
    testing::ModalCatcher confirm(QMessageBox::Ok);
    EXPECT_EQ(sentAfter([&] { form.Button2->click(); }), (Bytes{0xCB, 0x03, 0x14, 0x01, 0xDD}));
}

TEST_F(TForm1Test, RestoreDefaultsNeedsTheBoxAndStartsTheIdentificationAgain) {
    connectTo("/tmp/pty");
    receiveVersion(0x17, 0xD4);
    EXPECT_FALSE(form.Button6->isVisible());
    form.CheckBox5->setChecked(true);
    EXPECT_TRUE(form.Button6->isVisible());
    EXPECT_EQ(sentAfter([&] { form.Button6->click(); }),
              (Bytes{0xCB, 0x06, 0x19, 0x4F, 0x1D, 0x6B, 0x92, 0x7F}));
    EXPECT_FALSE(form.Button6->isVisible());
    EXPECT_FALSE(form.CheckBox5->isChecked());
    EXPECT_FALSE(link.session().boardIdentified());
}

TEST_F(TForm1Test, OneFrameCommands) {
    connectTo("/tmp/pty");
    EXPECT_EQ(sentAfter([&] { form.Button20->click(); }), (Bytes{0xCB, 0x03, 0x28, 0xFF, 0x1F}))
        << "no model selected";
    EXPECT_EQ(sentAfter([&] { form.Button14->click(); }), (Bytes{0xCB, 0x03, 0x1B, 0x01, 0xD2}));
    EXPECT_EQ(sentAfter([&] { form.Button5->click(); }),
              (Bytes{0xCB, 0x04, 0x1B, 0x6E, 0xFF, 0x45}));
    EXPECT_EQ(sentAfter([&] { form.Button9->click(); }), (Bytes{0xCB, 0x03, 0x96, 0x00, 0x5E}));
    receiveVersion(0x17, 0xD4);
    form.Button4->click();
    EXPECT_FALSE(link.session().boardIdentified()) << "Read asks the board again";
}

TEST_F(TForm1Test, ModelMessagesFillTheModelList) {
    connectTo("/tmp/pty");
    receiveFrame(40, {1, 'T', 'r', 'a', 'i', 'n', 'e', 'r', 0, 0, 0});
    EXPECT_EQ(form.currentmdl->text(), "#2 Trainer");
    EXPECT_EQ(form.ComboBox2->itemText(1), "Trainer");
    EXPECT_EQ(form.ComboBox2->currentIndex(), 1);

    receiveFrame(40, {7, 'X', 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(form.currentmdl->text(), "#8 X");
    EXPECT_EQ(form.ComboBox2->currentIndex(), 1) << "an index past the list changes only the line";

    Bytes names(60, 'a');
    const Bytes first = {0x41, 0x42, 0x43, 0, 0, 0, 0, 0, 0, 0};
    std::copy(first.begin(), first.end(), names.begin());
    receiveFrame(42, names);
    EXPECT_EQ(form.ComboBox2->itemText(0), "ABC*******");
    EXPECT_EQ(form.ComboBox2->itemText(5), "aaaaaaaaaa");
    EXPECT_EQ(form.ComboBox2->currentIndex(), 1);
}

} // namespace
} // namespace crv::ui
