// The "General" page: navigation, control, return-to-base, sensor and limit settings of block
// 27/2, the flight-mode channel and switch positions, and the calibration commands.

#include "config/config_blocks.h"
#include "config/config_commands.h"
#include "common/typed_number.h"
#include "config/field_rules.h"
#include "link/message_types.h"
#include "link/payload_reader.h"
#include "telemetry/number_format.h"
#include "ui/common/widget_factory.h"
#include "ui/config/tform3.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>

namespace crv::ui {

namespace {

/// A caption and its edit field on one row; returns the field.
QLineEdit* field(QWidget* parent, const char* name, const QString& text, int y,
                 int captionWidth = 140) {
    caption(parent, text, QRect(8, y, captionWidth, 22));
    return named<QLineEdit>(parent, name, QRect(8 + captionWidth, y, 70, 22));
}

QCheckBox* tick(QWidget* parent, const char* name, const QString& text, int y) {
    return checkBox(parent, name, text, QRect(8, y, 220, 20));
}

QSpinBox* upDown(QWidget* parent, const char* name, int y) {
    auto* spin = named<QSpinBox>(parent, name, QRect(140, y, 56, 22));
    spin->setRange(-50, 50);
    return spin;
}

int selectedOr(const QComboBox* list, int none) {
    return list->currentIndex() < 0 ? none : list->currentIndex();
}

} // namespace

void TForm3::createGeneralPage() {
    QWidget* page = TabSheet1;
    GroupBox1 = group(page, "GroupBox1", "Navigation Constants", QRect(8, 8, 240, 106));
    spd_t = field(GroupBox1, "spd_t", "Target Speed (kph)", 22);
    circle_t = field(GroupBox1, "circle_t", "Circle radius (m)", 48);
    safealt_t = field(GroupBox1, "safealt_t", "SAFE Alt (50-200m)", 74);

    GroupBox3 = group(page, "GroupBox3", "Control Constants", QRect(8, 118, 240, 106));
    thrmax_t = field(GroupBox3, "thrmax_t", "THR max percent", 22);
    caption(GroupBox3, "Receiver type:", QRect(8, 48, 100, 22));
    ComboBox1 =
        dropDown(GroupBox3, "ComboBox1", {"PWM", "PPM", "iPPM", "S.Bus"}, QRect(118, 48, 100, 22));
    caption(GroupBox3, "Flight mode ch", QRect(8, 74, 100, 22));
    ComboBox3 = dropDown(GroupBox3, "ComboBox3", toQStringList(config::channelNames()),
                         QRect(118, 74, 100, 22));
    ComboBox3->setCurrentIndex(-1);

    GroupBox2 = group(page, "GroupBox2", "Return To Base Conditions", QRect(8, 228, 240, 184));
    rc_lost_t = tick(GroupBox2, "rc_lost_t", "Lost control (RC && GCS)", 22);
    rc_jit_t = tick(GroupBox2, "rc_jit_t", "Jittery RC", 44);
    bat_low_t = tick(GroupBox2, "bat_low_t", "Battery Low", 66);
    bat_low_t->setEnabled(false);
    bat_crit_t = tick(GroupBox2, "bat_crit_t", "Battery Critical", 88);
    bat_crit_t->setEnabled(false);
    CheckBox1 = tick(GroupBox2, "CheckBox1", "Interrupt mission", 110);
    CheckBox1->setEnabled(false); // belongs to no block
    mis_int_t = tick(GroupBox2, "mis_int_t", "Interrupt mission", 132);
    autoland_t = tick(GroupBox2, "autoland_t", "Perform auto-land", 154);

    GroupBox16 = group(page, "GroupBox16", "AHRS Sensors", QRect(256, 8, 240, 160));
    caption(GroupBox16, "Board pitch adjust:", QRect(8, 22, 130, 22));
    UpDown1 = upDown(GroupBox16, "UpDown1", 22);
    Label35 = label(GroupBox16, "Label35", "0.0", QRect(200, 22, 36, 22));
    caption(GroupBox16, "Board roll adjust:", QRect(8, 48, 130, 22));
    UpDown2 = upDown(GroupBox16, "UpDown2", 48);
    Label38 = label(GroupBox16, "Label38", "0.0", QRect(200, 48, 36, 22));
    caption(GroupBox16, "Mag. Declination", QRect(8, 74, 130, 22));
    UpDown3 = upDown(GroupBox16, "UpDown3", 74);
    Label39 = label(GroupBox16, "Label39", "0.0", QRect(200, 74, 36, 22));
    caption(GroupBox16, "Vibration level", QRect(8, 102, 100, 22));
    ComboBox10 = dropDown(GroupBox16, "ComboBox10", {"Small", "Medium", "Hard", "Extreme"},
                          QRect(118, 102, 110, 22));
    ComboBox10->setToolTip("Select the estimated vibration level of your aircraft. Small - for "
                           "well balanced multirotor. Extreme for the gasoline engine.");
    CheckBox28 = tick(GroupBox16, "CheckBox28", "Stop MAG auto-adjust", 130);

    GroupBox17 = group(page, "GroupBox17", "Safety Triggers - Disarm", QRect(256, 172, 240, 54));
    caption(GroupBox17, "Impact sensor", QRect(8, 22, 100, 22));
    ComboBox9 =
        dropDown(GroupBox17, "ComboBox9", {"off", "3G", "5G", "8G"}, QRect(118, 22, 100, 22));

    GroupBox19 = group(page, "GroupBox19", "Air Speed Sensor", QRect(256, 230, 240, 108));
    ComboBox11 = dropDown(GroupBox19, "ComboBox11", {"Disabled", "MPXV7002DP", "MPX5010"},
                          QRect(8, 22, 140, 22));
    Button33 = button(GroupBox19, "Button33", "ZERO", QRect(156, 21, 72, 24));
    aspd_min = field(GroupBox19, "aspd_min", "Airspeed min, kph", 50);
    aspd_max = field(GroupBox19, "aspd_max", "Airspeed max, kph", 76);

    GroupBox22 = group(page, "GroupBox22", "Battery Capacity (mAh)", QRect(256, 342, 240, 54));
    Edit5 = named<QLineEdit>(GroupBox22, "Edit5", QRect(8, 22, 100, 22));
    Edit5->setText("0");

    GroupBox27 = group(page, "GroupBox27", "Angle Limits", QRect(504, 8, 236, 106));
    Edit16 = field(GroupBox27, "Edit16", "Roll", 22, 100);
    Edit17 = field(GroupBox27, "Edit17", "Pitch up", 48, 100);
    Edit18 = field(GroupBox27, "Edit18", "Pitch down", 74, 100);

    GroupBox31 = group(page, "GroupBox31", "Fuel Level Sensor", QRect(504, 118, 236, 54));
    Button59 = button(GroupBox31, "Button59", "Set Min", QRect(8, 22, 100, 24));
    Button60 = button(GroupBox31, "Button60", "Set Max", QRect(116, 22, 100, 24));

    caption(page, "Current fl.mode", QRect(504, 184, 100, 22));
    fm_sel = label(page, "fm_sel", "0", QRect(606, 184, 20, 22));
    ComboBox2 = dropDown(
        page, "ComboBox2",
        {"Manual", "Acro", "Stable", "A.Hold", "P.Hold", "Return", "Auto", "-----", "FailSafe"},
        QRect(630, 184, 110, 22));
    ComboBox2->setCurrentIndex(-1);
    caption(page, "All my TX sticks are", QRect(504, 216, 130, 24));
    Button3 = button(page, "Button3", "Neutral", QRect(640, 216, 100, 24));
    Button29 = button(page, "Button29", "THR MIN", QRect(504, 248, 116, 24));
    Button29->setToolTip("Set current throttle as MIN");
    Button30 = button(page, "Button30", "THR MAX", QRect(624, 248, 116, 24));
    Button30->setToolTip("Set current throttle as MAX");
    Button28 = button(page, "Button28", "Raw display", QRect(504, 284, 236, 26));
    QFont bold = Button28->font();
    bold.setBold(true);
    Button28->setFont(bold);

    Button1 = button(page, "Button1", "Read", QRect(504, 420, 116, 28));
    Button2 = button(page, "Button2", "Write", QRect(624, 420, 116, 28));
}

void TForm3::connectGeneralPage() {
    link::LinkFrameBuilder& out = m_link.builder();
    connect(Button1, &QPushButton::clicked, this, [&out] {
        for (uint8_t subtype : {config::block::kGeneral, config::block::kFlightModeChannel,
                                config::block::kTracker}) {
            config::RequestConfigBlock(out, subtype);
            QApplication::processEvents();
        }
    });
    connect(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
    // activated: only a choice of the user sends
    connect(ComboBox3, &QComboBox::activated, this,
            [&out](int index) { config::sendFlightModeChannel(out, {index + 4}); });
    connect(ComboBox2, &QComboBox::activated, this, [this, &out](int index) {
        config::sendSwitchMode(out, {fm_sel->text().toInt(), index});
    });
    const std::pair<QPushButton*, uint8_t> commands[] = {
        {Button3, config::block::kNeutral},      {Button29, config::block::kThrottleMin},
        {Button30, config::block::kThrottleMax}, {Button33, config::block::kAirspeedZero},
        {Button59, config::block::kFuelMin},     {Button60, config::block::kFuelMax},
    };
    for (const auto& [commandButton, subtype] : commands) {
        connect(commandButton, &QPushButton::clicked, this,
                [&out, subtype = subtype] { config::sendConfigCommand(out, subtype); });
    }
    connect(Button28, &QPushButton::clicked, this, [&out] {
        out.send(link::msg::kConfigBlock, {config::block::kRawSensors, 1});
    });
    for (QSpinBox* spin : {UpDown1, UpDown2, UpDown3}) {
        connect(spin, &QSpinBox::valueChanged, this, &TForm3::showUpDownLabels);
    }
}

void TForm3::showUpDownLabels() {
    Label35->setText(QString::fromStdString(telemetry::formatScaled(UpDown1->value() * 0.1)));
    Label38->setText(QString::fromStdString(telemetry::formatScaled(UpDown2->value() * 0.1)));
    Label39->setText(QString::number(UpDown3->value()));
}

void TForm3::Button2Click() {
    // The text fields in the order the block takes them; the first that is no number stops.
    QLineEdit* const fields[] = {spd_t,    circle_t, safealt_t, thrmax_t, aspd_min,
                                 aspd_max, Edit5,    Edit16,    Edit17,   Edit18};
    int32_t values[std::size(fields)] = {};
    for (size_t i = 0; i < std::size(fields); ++i) {
        const IntegerParse parsed = parseInteger(fields[i]->text().toStdString());
        if (!parsed.value) {
            QMessageBox::critical(this, windowTitle(), QString::fromStdString(parsed.error));
            return;
        }
        values[i] = *parsed.value;
    }
    config::GeneralSettings settings;
    settings.targetSpeedKmh = values[0] & 0xFF;
    settings.circleRadiusM = values[1] & 0xFF;
    settings.safeAltitudeM = config::safeAltitudeByte(values[2]);
    settings.throttleMaxPercent = config::throttleMaxByte(values[3]);
    settings.airspeedMinKmh = values[4] & 0xFF;
    settings.airspeedMaxKmh = values[5] & 0xFF;
    settings.batteryCapacityMah = values[6] & 0xFFFF;
    settings.rollLimitDeg = config::angleLimitByte(values[7]);
    settings.pitchUpLimitDeg = config::angleLimitByte(values[8]);
    settings.pitchDownLimitDeg = config::angleLimitByte(values[9]);
    const std::pair<QCheckBox*, int> returnBits[] = {{rc_lost_t, 0}, {rc_jit_t, 1},
                                                     {bat_low_t, 2}, {bat_crit_t, 3},
                                                     {mis_int_t, 4}, {autoland_t, 7}};
    for (const auto& [box, bit] : returnBits) {
        settings.returnConditions |= box->isChecked() ? 1 << bit : 0;
    }
    settings.receiverType = selectedOr(ComboBox1, 0);
    settings.impactSensor = selectedOr(ComboBox9, 0);
    settings.pitchAdjustDeciDeg = UpDown1->value();
    settings.rollAdjustDeciDeg = UpDown2->value();
    settings.declinationDeg = UpDown3->value();
    settings.vibration = selectedOr(ComboBox10, 1) | (CheckBox28->isChecked() ? 0x80 : 0);
    settings.airspeedSensor = selectedOr(ComboBox11, 255);
    config::sendGeneralSettings(m_link.builder(), settings);
}

void TForm3::GeneralReceived(const link::LinkFrame& frame) {
    const config::GeneralSettings settings = config::decodeGeneralSettings(frame);
    const std::pair<QLineEdit*, int32_t> texts[] = {
        {spd_t, settings.targetSpeedKmh},     {circle_t, settings.circleRadiusM},
        {safealt_t, settings.safeAltitudeM},  {thrmax_t, settings.throttleMaxPercent},
        {aspd_min, settings.airspeedMinKmh},  {aspd_max, settings.airspeedMaxKmh},
        {Edit5, settings.batteryCapacityMah}, {Edit16, settings.rollLimitDeg},
        {Edit17, settings.pitchUpLimitDeg},   {Edit18, settings.pitchDownLimitDeg},
    };
    for (const auto& [edit, value] : texts) {
        edit->setText(QString::number(value));
    }
    const std::pair<QCheckBox*, int> returnBits[] = {{rc_lost_t, 0}, {rc_jit_t, 1},
                                                     {bat_low_t, 2}, {bat_crit_t, 3},
                                                     {mis_int_t, 4}, {autoland_t, 7}};
    for (const auto& [box, bit] : returnBits) {
        box->setChecked((settings.returnConditions >> bit & 1) != 0);
    }
    ComboBox1->setCurrentIndex(settings.receiverType);
    ComboBox9->setCurrentIndex(settings.impactSensor);
    ComboBox10->setCurrentIndex(settings.vibration & 3);
    CheckBox28->setChecked((settings.vibration & 0x80) != 0);
    ComboBox11->setCurrentIndex(settings.airspeedSensor);
    UpDown1->setValue(settings.pitchAdjustDeciDeg);
    UpDown2->setValue(settings.rollAdjustDeciDeg);
    UpDown3->setValue(settings.declinationDeg);
    showUpDownLabels();
}

} // namespace crv::ui
