// The board commands of the main window and the messages that answer them.

#include "config/config_commands.h"
#include "link/message_types.h"
#include "telemetry/model_messages.h"
#include "ui/main/tform1.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

namespace crv::ui {

namespace {

namespace msg = link::msg;

// Configuration commands (type 27) by their number in payload byte 0.
constexpr uint8_t kCommandHome = 1;
constexpr uint8_t kCommandAirspeedZero = 78;
constexpr uint8_t kCommandOsdScreen = 110;
constexpr uint8_t kCommandLedSequencer = 111;
constexpr uint8_t kOsdOff = 255;
constexpr uint32_t kRestoreDefaultsWord = 0x4F1D6B92;
constexpr uint8_t kNoModelSelected = 255;

QString latin1(const std::string& bytes) { return QString::fromLatin1(bytes.data(), bytes.size()); }

} // namespace

void TForm1::connectCommands() {
    connect(Button19, &QPushButton::clicked, this,
            [this] { PopupMenu2->popup(Button19->mapToGlobal(QPoint(0, 40))); });
    connect(ARM1, &QAction::triggered, this, [this] { m_link.builder().send(msg::kArmed, {1}); });
    connect(DISARM1, &QAction::triggered, this,
            [this] { m_link.builder().send(msg::kArmed, {0}); });
    for (QAction* mode : PopupMenu2->actions()) {
        connect(mode, &QAction::triggered, this, [this, mode] {
            m_link.builder().send(msg::kFlightMode, {static_cast<uint8_t>(mode->data().toInt())});
        });
    }
    const std::pair<QComboBox*, uint8_t> rateLists[] = {
        {IMUrate, msg::kAttitude},   {RCrate, msg::kRcInputs}, {Servorate, msg::kServoOutputs},
        {NAVrate, msg::kNavigation}, {CRDrate, msg::kGps},     {VOLTrate, msg::kPower},
    };
    for (const auto& [list, type] : rateLists) {
        // activated: only a choice of the user sends
        connect(list, &QComboBox::activated, this, [this, type = type](int index) {
            if (const auto code = link::rateCodeForItem(index)) {
                m_link.builder().send(type, {*code});
            }
        });
    }
    connect(Button4, &QPushButton::clicked, this,
            [this] { m_link.session().setBoardIdentified(false); });
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(Button20, &QPushButton::clicked, this, [this] {
        const int index = ComboBox2->currentIndex();
        m_link.builder().send(msg::kModel,
                              {index < 0 ? kNoModelSelected : static_cast<uint8_t>(index)});
        m_link.session().setBoardIdentified(false);
    });
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(CheckBox5, &QCheckBox::toggled, Button6, &QWidget::setVisible);
    connect(Button6, &QPushButton::clicked, this, [this] {
        link::LinkFrameBuilder& out = m_link.builder();
        out.begin();
        out.put8(msg::kRestoreDefaults);
        out.put32(kRestoreDefaultsWord); // big-endian, which a byte list would hide
        out.finish();
        m_link.session().setBoardIdentified(false);
        Button6->hide();
        CheckBox5->setChecked(false);
    });
    connect(Button14, &QPushButton::clicked, this,
            [this] { m_link.builder().send(msg::kConfigBlock, {kCommandHome}); });
    connect(Button21, &QPushButton::clicked, this,
            [this] { m_link.builder().send(msg::kConfigBlock, {kCommandAirspeedZero}); });
    connect(Button5, &QPushButton::clicked, this, [this] {
        m_link.builder().send(msg::kConfigBlock, {kCommandOsdScreen, kOsdOff});
    });
    const std::pair<QPushButton*, uint8_t> screens[] = {
        {Button25, 0}, {Button26, 1}, {Button27, 2}};
    for (const auto& [screenButton, screen] : screens) {
        connect(screenButton, &QPushButton::clicked, this, [this, screen = screen] {
            m_link.builder().send(msg::kConfigBlock, {kCommandOsdScreen, screen});
        });
    }
    connect(Button23, &QPushButton::clicked, this, [this] {
        m_link.builder().send(msg::kConfigBlock, {kCommandLedSequencer, 1});
    });
    connect(CompassSetup, &QPushButton::clicked, this, [this] {
        MagBox->show();
        MagBox->raise();
    });
    connect(Button10, &QPushButton::clicked, this, &TForm1::Button10Click);
    connect(Button15, &QPushButton::clicked, this, [this] {
        if (m_missionControl.show) {
            m_missionControl.show();
        }
    });
    connect(Button16, &QPushButton::clicked, this, [this] {
        if (m_openConfiguration) {
            m_openConfiguration();
        }
    });
    connect(Button9, &QPushButton::clicked, this, [this] {
        m_link.builder().sendReadRequest(msg::kCompassCalibration, 0);
        MagBox->hide();
    });
}

// "Write": the record from the controls, sent only when every field is a number.
void TForm1::Button3Click() {
    config::BoardConfigRecord record;
    record.bytes[0] = (CheckBox1->isChecked() ? config::BoardConfigRecord::kRollReverse : 0) |
                      (CheckBox2->isChecked() ? config::BoardConfigRecord::kPitchReverse : 0) |
                      (CheckBox3->isChecked() ? config::BoardConfigRecord::kYawReverse : 0);
    const QLineEdit* fields[] = {Edit1, Edit2, Edit3, Edit4, Edit5};
    for (size_t i = 0; i < config::BoardConfigRecord::kGains; ++i) {
        const config::GainParse parsed = config::parseGain(fields[i]->text().toStdString());
        if (!parsed.gain) {
            QMessageBox::critical(this, windowTitle(), QString::fromStdString(parsed.error));
            return;
        }
        record.bytes[1 + i] = *parsed.gain;
    }
    m_boardConfig = record;
    config::sendBoardConfig(m_link.builder(), record);
}

// "ACC": the level reset, only after the user confirms.
void TForm1::Button2Click() {
    const auto answer =
        QMessageBox::warning(this, "Reset Board Level",
                             "Place your board ABSOLUTELY horizontal\n and press OK to RESET level",
                             QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
    if (answer == QMessageBox::Ok) {
        m_link.builder().send(msg::kLevelReset, {1});
    }
}

// "Save" of the compass setup: the centres and gains found so far.
void TForm1::Button10Click() {
    link::LinkFrameBuilder& out = m_link.builder();
    out.begin();
    out.put8(msg::kCompassCalibration);
    out.put8(0);
    for (int16_t offset : m_vehicle.magOffset) {
        out.put16(static_cast<uint16_t>(offset));
    }
    for (int16_t gain : m_vehicle.magGain) {
        out.put16(static_cast<uint16_t>(gain));
    }
    out.finish();
    MagBox->hide();
}

void TForm1::BoardConfigReceived(const link::LinkFrame& frame) {
    m_boardConfig = config::decodeBoardConfig(frame);
    const uint8_t flags = m_boardConfig.flags();
    CheckBox1->setChecked((flags & config::BoardConfigRecord::kRollReverse) != 0);
    CheckBox2->setChecked((flags & config::BoardConfigRecord::kPitchReverse) != 0);
    CheckBox3->setChecked((flags & config::BoardConfigRecord::kYawReverse) != 0);
    QLineEdit* fields[] = {Edit1, Edit2, Edit3, Edit4, Edit5};
    for (size_t i = 0; i < config::BoardConfigRecord::kGains; ++i) {
        fields[i]->setText(QString::fromStdString(config::gainText(m_boardConfig.gain(i))));
    }
}

void TForm1::CurrentModelReceived(const link::LinkFrame& frame) {
    const telemetry::CurrentModel model = telemetry::decodeCurrentModel(frame);
    currentmdl->setText(latin1(telemetry::currentModelLine(model)));
    if (model.index < ComboBox2->count()) {
        ComboBox2->setItemText(model.index, latin1(model.name));
        ComboBox2->setCurrentIndex(model.index);
    }
}

void TForm1::ModelListReceived(const link::LinkFrame& frame) {
    const auto names = telemetry::decodeModelList(frame);
    const int selected = ComboBox2->currentIndex();
    for (int k = 0; k < static_cast<int>(names.size()) && k < ComboBox2->count(); ++k) {
        ComboBox2->setItemText(k, latin1(names[k]));
    }
    ComboBox2->setCurrentIndex(selected);
}

} // namespace crv::ui
