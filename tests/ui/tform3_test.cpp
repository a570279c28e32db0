#include "ui/config/tform3.h"

#include "support/fake_serial_port.h"
#include "support/frame_recorder.h"

#include "support/modal_catcher.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace crv::ui {
namespace {

class TForm3Test : public ::testing::Test {
protected:
    TForm3Test() {
        owner.setGeometry(100, 100, 1000, 648);
        owner.show();
        link.session().connect("/tmp/pty");
    }

    /// The payload of the one frame the action sends, checked to be message 27.
    link::testing::Bytes payloadSentBy(const std::function<void()>& action) {
        port.written.clear();
        action();
        if (port.written.size() < 4 || port.written[2] != 27 ||
            port.written.size() != port.written[1] + 2u) {
            return {};
        }
        return link::testing::Bytes(port.written.begin() + 3, port.written.end() - 1);
    }
    void receive(const link::testing::Bytes& payload) {
        const auto frame = link::testing::frameOf(27, payload);
        port.receive(frame);
        port.listener->bytesWaiting(frame.size());
    }
    void fillGeneral(const std::vector<const char*>& texts) {
        QLineEdit* fields[] = {form.spd_t,    form.circle_t, form.safealt_t, form.thrmax_t,
                               form.aspd_min, form.aspd_max, form.Edit5,     form.Edit16,
                               form.Edit17,   form.Edit18};
        for (size_t i = 0; i < texts.size(); ++i) {
            fields[i]->setText(texts[i]);
        }
    }

    link::testing::FakeSerialPort port;
    link::BoardLink link{port};
    QWidget owner;
    TForm3 form{link, &owner};
};

TEST_F(TForm3Test, PagesInTheirOrder) {
    EXPECT_EQ(form.windowTitle(), "Autopilot Config");
    QStringList captions;
    QStringList names;
    for (int page = 0; page < form.PageControl1->count(); ++page) {
        captions << form.PageControl1->tabText(page);
        names << form.PageControl1->widget(page)->objectName();
    }
    EXPECT_EQ(captions, (QStringList{"General", "OSD&&Sound", "Antenna Tracker", "Custom Airframe",
                                     "ATOL", "Packages", "PTR"}));
    EXPECT_EQ(names, (QStringList{"TabSheet1", "TabSheet2", "TabSheet5", "TabSheet6", "TabSheet4",
                                  "TabSheet3", "TabSheet7"}));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::Tool)) << "stays above the main window";
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
}

TEST_F(TForm3Test, OpensOnPackagesTheFirstTimeThenWhereTheUserLeftIt) {
    form.OpenConfigurationWindow();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.PageControl1->currentWidget(), form.TabSheet3);
    EXPECT_LE((form.geometry().center() - owner.geometry().center()).manhattanLength(), 4)
        << "centred on the main window, give or take a frame";
    form.PageControl1->setCurrentWidget(form.TabSheet2);
    form.hide();
    form.OpenConfigurationWindow();
    EXPECT_EQ(form.PageControl1->currentWidget(), form.TabSheet2);
}

TEST_F(TForm3Test, OpeningSendsTheReadsAndHandlesAnswersInBetween) {
    int sentWhenAnswered = -1;
    link.dispatcher().setHandler(27, [&](const link::LinkFrame&) {
        sentWhenAnswered = static_cast<int>(link.counters().framesSent);
    });
    QTimer::singleShot(0, [this] { // an answer arriving while the window opens
        const auto answer = link::testing::frameOf(27, {90, 0x0F});
        port.receive(answer);
        port.listener->bytesWaiting(answer.size());
    });
    form.OpenConfigurationWindow();
    EXPECT_EQ(link.counters().framesSent, 11u);
    EXPECT_EQ(port.written.size(), 7u * 5 + 4 + 2 * 5 + 6);
    EXPECT_GE(sentWhenAnswered, 0);
    EXPECT_LT(sentWhenAnswered, 11);
}

TEST_F(TForm3Test, GeneralWriteTakesTheControlsWithTheirClamps) {
    fillGeneral({"60", "300", "250", "120", "30", "110", "70000", "0", "100", "45"});
    form.rc_lost_t->setChecked(true);
    form.autoland_t->setChecked(true);
    form.ComboBox1->setCurrentIndex(3);
    form.UpDown1->setValue(-25);
    form.UpDown3->setValue(7);
    form.ComboBox9->setCurrentIndex(2);
    form.ComboBox10->setCurrentIndex(-1);
    form.CheckBox28->setChecked(true);
    form.ComboBox11->setCurrentIndex(-1);
    EXPECT_EQ(payloadSentBy([&] { form.Button2->click(); }),
              (link::testing::Bytes{2,    60,   300 & 0xFF, 0,  0,   0x81, 3,    2, 0xE7, 0, 7, 50,
                                    0x81, 0xFF, 100,        30, 110, 0x11, 0x70, 5, 80,   45}));
    EXPECT_EQ(form.Label35->text(), "-2.5");
    EXPECT_EQ(form.Label39->text(), "7");
}

TEST_F(TForm3Test, GeneralWriteRefusesAFieldThatIsNoNumber) {
    fillGeneral({"60", "80", "x1", "90", "30", "110", "3000", "45", "30", "30"});
    testing::ModalCatcher boxes;
    EXPECT_TRUE(payloadSentBy([&] { form.Button2->click(); }).empty());
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(boxes.texts, QStringList{"'x1' is not a valid integer value"});
}

TEST_F(TForm3Test, ReceivedGeneralBlockFillsThePageAndSendsNothing) {
    EXPECT_TRUE(payloadSentBy([&] {
                    receive({2,   60,   80, 9,  9,  0x93, 1,    3,    0xCE, 0x05, 0xF6,
                             120, 0x82, 2,  95, 30, 110,  0x11, 0x70, 45,   30,   20});
                }).empty());
    EXPECT_EQ(form.spd_t->text(), "60");
    EXPECT_EQ(form.safealt_t->text(), "120");
    EXPECT_EQ(form.Edit5->text(), "4464");
    EXPECT_EQ(form.Edit18->text(), "20");
    EXPECT_TRUE(form.rc_lost_t->isChecked());
    EXPECT_TRUE(form.rc_jit_t->isChecked());
    EXPECT_FALSE(form.bat_low_t->isChecked());
    EXPECT_TRUE(form.mis_int_t->isChecked());
    EXPECT_TRUE(form.autoland_t->isChecked());
    EXPECT_EQ(form.ComboBox1->currentText(), "PPM");
    EXPECT_EQ(form.ComboBox9->currentText(), "8G");
    EXPECT_EQ(form.ComboBox10->currentText(), "Hard");
    EXPECT_TRUE(form.CheckBox28->isChecked()) << "bit 7 of the vibration byte";
    EXPECT_EQ(form.ComboBox11->currentText(), "MPX5010");
    EXPECT_EQ(form.UpDown1->value(), -50);
    EXPECT_EQ(form.Label35->text(), "-5");
    EXPECT_EQ(form.Label38->text(), "0.5");
    EXPECT_EQ(form.Label39->text(), "-10");
}

TEST_F(TForm3Test, FlightModeChannelAndSwitchPositions) {
    receive({3, 3});
    EXPECT_EQ(form.ComboBox3->currentIndex(), -1) << "below 4 selects nothing";
    receive({3, 4});
    EXPECT_EQ(form.ComboBox3->currentText(), "RC5");
    receive({3, 17});
    EXPECT_EQ(form.ComboBox3->currentText(), "S18");
    EXPECT_EQ(payloadSentBy([&] { form.ComboBox3->activated(1); }), (link::testing::Bytes{3, 5}));

    receive({4, 2, 7});
    EXPECT_EQ(form.fm_sel->text(), "2");
    EXPECT_EQ(form.ComboBox2->currentText(), "-----");
    EXPECT_EQ(payloadSentBy([&] { form.ComboBox2->activated(8); }),
              (link::testing::Bytes{4, 2, 8}));
}

TEST_F(TForm3Test, GeneralPageCommands) {
    EXPECT_EQ(payloadSentBy([&] { form.Button3->click(); }), (link::testing::Bytes{5}));
    EXPECT_EQ(payloadSentBy([&] { form.Button29->click(); }), (link::testing::Bytes{101}));
    EXPECT_EQ(payloadSentBy([&] { form.Button30->click(); }), (link::testing::Bytes{102}));
    EXPECT_EQ(payloadSentBy([&] { form.Button28->click(); }), (link::testing::Bytes{100, 1}));
    EXPECT_EQ(payloadSentBy([&] { form.Button33->click(); }), (link::testing::Bytes{78}));
    EXPECT_EQ(payloadSentBy([&] { form.Button59->click(); }), (link::testing::Bytes{112}));
    EXPECT_EQ(payloadSentBy([&] { form.Button60->click(); }), (link::testing::Bytes{113}));
    port.written.clear();
    form.Button1->click();
    EXPECT_EQ(port.written, (link::testing::Bytes{0xCB, 0x03, 0x9B, 0x02, 0x51, 0xCB, 0x03, 0x9B,
                                                  0x03, 0x50, 0xCB, 0x03, 0x9B, 0x0A, 0x59}));
}

TEST_F(TForm3Test, OsdWriteTakesTheBitsWithTheTwoInvertedBoxes) {
    form.OpenConfigurationWindow();
    for (QCheckBox* box : {form.CheckBox13, form.CheckBox9, form.CheckBox10, form.CheckBox14,
                           form.CheckBox11, form.CheckBox12, form.CheckBox7}) {
        box->setChecked(true);
    }
    form.CheckBox22->setChecked(true);
    form.CheckBox20->setChecked(true);   // "invert SYN_IN": bit 5 clear
    form.CheckBox26->setChecked(true);   // "AHI style: F16/SU25": bit 7 clear
    form.ComboBox6->setCurrentIndex(1);  // swON
    form.ComboBox7->setCurrentIndex(13); // S18
    form.cusbox11->setCurrentIndex(2);
    form.RebuildCustomItems(form.cusbox11, form.cusbox12);
    form.cusbox12->setCurrentIndex(3);
    EXPECT_EQ(payloadSentBy([&] { form.Button18->click(); }),
              (link::testing::Bytes{70, 0xFE, 0x01, 2 | 13 << 2, 0x43, 0x00, 0x00}));
    form.CheckBox20->setChecked(false);
    form.CheckBox26->setChecked(false);
    const auto payload = payloadSentBy([&] { form.Button18->click(); });
    ASSERT_EQ(payload.size(), 7u);
    EXPECT_EQ(payload[2], 0x21);
    EXPECT_EQ(payload[3], 0x80 | 2 | 13 << 2);
}

TEST_F(TForm3Test, ReceivedOsdBlockShowsTheCustomLines) {
    form.OpenConfigurationWindow();
    receive({70, 0x02, 0x20, 0x80, 0x43, 0xE1, 0x69});
    EXPECT_TRUE(form.CheckBox13->isChecked());
    EXPECT_FALSE(form.CheckBox9->isChecked());
    EXPECT_FALSE(form.CheckBox20->isChecked()) << "bit 5 set: not inverted";
    EXPECT_FALSE(form.CheckBox26->isChecked()) << "bit 7 set";
    EXPECT_EQ(form.ComboBox6->currentText(), "OFF");
    EXPECT_EQ(form.cusbox11->currentText(), "Flight");
    EXPECT_EQ(form.cusbox12->currentText(), "Odometer: km");
    EXPECT_EQ(form.cusbox21->currentIndex(), -1) << "category 7 is past the list";
    EXPECT_EQ(form.cusbox22->count(), 1);
    EXPECT_EQ(form.cusbox22->currentText(), "=off=");
    EXPECT_EQ(form.cusbox31->currentText(), "Sens");
    EXPECT_EQ(form.cusbox32->currentText(), "bias gx");

    // A new category keeps the item where the new list has it.
    form.cusbox31->setCurrentIndex(1);
    form.cusbox31->activated(1);
    EXPECT_EQ(form.cusbox32->currentText(), "Cost: W/m/s");
    form.cusbox32->setCurrentIndex(4);
    form.cusbox31->setCurrentIndex(4);
    form.cusbox31->activated(4);
    EXPECT_EQ(form.cusbox32->currentText(), "Path error: m");
}

TEST_F(TForm3Test, VariometerAndSoundMixer) {
    receive({80, 0x80 | 3 << 3, 0x01});
    EXPECT_TRUE(form.CheckBox8->isChecked());
    EXPECT_EQ(form.TrackBar3->value(), 3);
    EXPECT_TRUE(form.CheckBox18->isChecked());
    EXPECT_FALSE(form.CheckBox17->isChecked());
    EXPECT_EQ(payloadSentBy([&] { form.Button22->click(); }),
              (link::testing::Bytes{80, 0x80 | 3 << 3, 0x01}));
    receive({90, 0x0E});
    EXPECT_EQ(form.TrackBar5->value(), 2);
    EXPECT_EQ(form.TrackBar6->value(), 3);
    EXPECT_EQ(payloadSentBy([&] { form.Button23->click(); }), (link::testing::Bytes{90, 0x0E}));
}

TEST_F(TForm3Test, PowerSensorAdjustments) {
    EXPECT_EQ(form.Edit6->text(), "12.0");
    EXPECT_EQ(payloadSentBy([&] { form.Button4->click(); }),
              (link::testing::Bytes{6, 21, 0x00, 0x00, 0x40, 0x41}));
    form.Edit8->setText("abc");
    testing::ModalCatcher boxes;
    EXPECT_TRUE(payloadSentBy([&] { form.Button6->click(); }).empty());
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(boxes.texts, QStringList{"'abc' is not a valid floating point value"});
    EXPECT_TRUE(payloadSentBy([&] { form.Button20->click(); }).empty()) << "no range chosen";
    EXPECT_TRUE(port.written.empty());
    form.ComboBox8->setCurrentIndex(7);
    EXPECT_EQ(payloadSentBy([&] { form.Button20->click(); }), (link::testing::Bytes{6, 26, 7}));
    EXPECT_EQ(payloadSentBy([&] { form.Button8->click(); }), (link::testing::Bytes{6, 5}));
    EXPECT_EQ(payloadSentBy([&] { form.Button25->click(); }), (link::testing::Bytes{6, 12}));
    EXPECT_EQ(payloadSentBy([&] { form.Button7->click(); }), (link::testing::Bytes{6, 25}));
    EXPECT_EQ(payloadSentBy([&] { form.Button26->click(); }), (link::testing::Bytes{75}));
    EXPECT_EQ(payloadSentBy([&] { form.Button32->click(); }), (link::testing::Bytes{104}));
    EXPECT_EQ(payloadSentBy([&] { form.Button35->click(); }), (link::testing::Bytes{107}));
}

} // namespace
} // namespace crv::ui
