#include "ui/config/tform3.h"

#include "config/config_blocks.h"
#include "config/config_commands.h"
#include "link/message_types.h"
#include "link/payload_reader.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>

namespace crv::ui {

namespace {

constexpr int kSettleRounds = 30; // event passes after showing, before the first request

} // namespace

TForm3::TForm3(link::BoardLink& link, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint), m_link(link),
      m_packages(link.builder()) {
    setObjectName("TForm3");
    setWindowTitle("Autopilot Config");
    setFixedSize(760, 560);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setGeometry(rect().adjusted(4, 4, -4, -4));
    struct Page {
        const char* name;
        const char* caption; ///< "&&" shows as one "&"
        QWidget** sheet;
    };
    const Page pages[] = {
        {"TabSheet1", "General", &TabSheet1},
        {"TabSheet2", "OSD&&Sound", &TabSheet2},
        {"TabSheet5", "Antenna Tracker", &TabSheet5},
        {"TabSheet6", "Custom Airframe", &TabSheet6},
        {"TabSheet4", "ATOL", &TabSheet4},
        {"TabSheet3", "Packages", &TabSheet3},
        {"TabSheet7", "PTR", &TabSheet7},
    };
    for (const Page& page : pages) {
        *page.sheet = new QWidget(PageControl1);
        (*page.sheet)->setObjectName(page.name);
        PageControl1->addTab(*page.sheet, page.caption);
    }
    createGeneralPage();
    connectGeneralPage();
    createOsdPage();
    connectOsdPage();
    createPackagesPage();
    connectPackagesPage();
    m_link.dispatcher().setHandler(link::msg::kConfigBlock, [this](const link::LinkFrame& frame) {
        ConfigBlockReceived(frame);
    });
}

// The link may outlive the window; it must not call into a window that is gone.
TForm3::~TForm3() {
    for (uint8_t type : {link::msg::kConfigBlock, link::msg::kVoicePack, link::msg::kScriptPack}) {
        m_link.dispatcher().setHandler(type, nullptr);
    }
}

void TForm3::OpenConfigurationWindow() {
    if (!m_openedBefore) {
        m_openedBefore = true;
        PageControl1->setCurrentWidget(TabSheet3);
    }
    if (parentWidget() != nullptr) {
        move(parentWidget()->geometry().center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    for (int round = 0; round < kSettleRounds; ++round) {
        QApplication::processEvents();
    }
    config::sendConfigurationReads(m_link.builder(), [] { QApplication::processEvents(); });
}

// Message 27 carries every block of the pages; byte 0 says which.
void TForm3::ConfigBlockReceived(const link::LinkFrame& frame) {
    switch (link::PayloadReader(frame).u8(0)) {
    case config::block::kGeneral:
        GeneralReceived(frame);
        break;
    case config::block::kFlightModeChannel:
        // Values below 4 leave the list without a selection.
        ComboBox3->setCurrentIndex(config::decodeFlightModeChannel(frame).channel - 4);
        break;
    case config::block::kSwitchMode: {
        const config::SwitchMode mode = config::decodeSwitchMode(frame);
        fm_sel->setText(QString::number(mode.position));
        ComboBox2->setCurrentIndex(mode.mode);
        break;
    }
    case config::block::kOsd:
        OsdReceived(frame);
        break;
    case config::block::kVariometer:
        VariometerReceived(frame);
        break;
    case config::block::kSoundMixer:
        SoundMixerReceived(frame);
        break;
    default:
        break;
    }
}

} // namespace crv::ui
