#include "ui/main/tform1.h"

#include "support/fake_serial_port.h"
#include "support/modal_catcher.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace crv::ui {
namespace {

using Bytes = std::vector<uint8_t>;

class TForm1Test : public ::testing::Test {
protected:
    TForm1Test() {
        form.show();
        form.Timer1->stop(); // the tests run the report themselves
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

    link::testing::FakeSerialPort port;
    link::BoardLink link{port};
    TForm1 form{link};
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

} // namespace
} // namespace crv::ui
