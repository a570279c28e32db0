#include "ui/config/tform3.h"

#include "support/fake_serial_port.h"
#include "support/frame_recorder.h"

#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

namespace crv::ui {
namespace {

class TForm3Test : public ::testing::Test {
protected:
    TForm3Test() {
        owner.setGeometry(100, 100, 1000, 648);
        owner.show();
        link.session().connect("/tmp/pty");
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

} // namespace
} // namespace crv::ui
