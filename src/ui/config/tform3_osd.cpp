// The "OSD&&Sound" page: what the board's on-screen display shows, the audio variometer, the
// sound mixer, and the camera, RSSI and voltage and current adjustments.

#include "common/typed_number.h"
#include "config/config_blocks.h"
#include "config/config_commands.h"
#include "config/field_rules.h"
#include "ui/common/widget_factory.h"
#include "ui/config/tform3.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QSlider>

namespace crv::ui {

namespace {

QSlider* trackBar(QWidget* parent, const char* name, int maximum, const QRect& geometry) {
    auto* bar = named<QSlider>(parent, name, geometry);
    bar->setOrientation(Qt::Horizontal);
    bar->setRange(0, maximum);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setPageStep(1);
    return bar;
}

int bit(bool set, int position) { return set ? 1 << position : 0; }

const QString kMeasuredHint = "Enter the actual measured value and press Set";

} // namespace

void TForm3::createOsdPage() {
    QWidget* page = TabSheet2;
    GroupBox12 = group(page, "GroupBox12", "OSD Display", QRect(8, 8, 360, 330));
    struct Box {
        const char* name;
        const char* text;
        QCheckBox** box;
    };
    const Box firstColumn[] = {
        {"CheckBox13", "AHI", &CheckBox13},        {"CheckBox9", "Speed", &CheckBox9},
        {"CheckBox10", "Altitude", &CheckBox10},   {"CheckBox14", "Targets", &CheckBox14},
        {"CheckBox11", "Home arrow", &CheckBox11}, {"CheckBox12", "Coordinates", &CheckBox12},
        {"CheckBox7", "Timer", &CheckBox7},        {"CheckBox22", "RSSI", &CheckBox22},
    };
    const Box secondColumn[] = {
        {"CheckBox16", "Variometer", &CheckBox16},    {"CheckBox15", "Vector", &CheckBox15},
        {"CheckBox19", "Shadow", &CheckBox19},        {"CheckBox6", "Battery", &CheckBox6},
        {"CheckBox20", "invert SYN_IN", &CheckBox20}, {"CheckBox21", "NTSC", &CheckBox21},
        {"CheckBox23", "RPTY", &CheckBox23},
    };
    for (size_t i = 0; i < std::size(firstColumn); ++i) {
        *firstColumn[i].box = checkBox(GroupBox12, firstColumn[i].name, firstColumn[i].text,
                                       QRect(10, 22 + 22 * static_cast<int>(i), 150, 20));
    }
    for (size_t i = 0; i < std::size(secondColumn); ++i) {
        *secondColumn[i].box = checkBox(GroupBox12, secondColumn[i].name, secondColumn[i].text,
                                        QRect(180, 22 + 22 * static_cast<int>(i), 170, 20));
    }
    caption(GroupBox12, "Whole OSD", QRect(10, 204, 70, 22));
    ComboBox6 =
        dropDown(GroupBox12, "ComboBox6", {"ON", "swON", "swOFF", "OFF"}, QRect(82, 204, 80, 22));
    ComboBox7 = dropDown(GroupBox12, "ComboBox7", toQStringList(config::channelNames()),
                         QRect(168, 204, 70, 22));
    CheckBox26 =
        checkBox(GroupBox12, "CheckBox26", "AHI style: F16/SU25", QRect(180, 176, 170, 20));
    const char* customNames[][2] = {
        {"cusbox11", "cusbox12"}, {"cusbox21", "cusbox22"}, {"cusbox31", "cusbox32"}};
    QComboBox** customBoxes[][2] = {
        {&cusbox11, &cusbox12}, {&cusbox21, &cusbox22}, {&cusbox31, &cusbox32}};
    for (int line = 0; line < 3; ++line) {
        const int y = 234 + 28 * line;
        caption(GroupBox12, QString("Custom %1").arg(line + 1), QRect(10, y, 70, 22));
        *customBoxes[line][0] =
            dropDown(GroupBox12, customNames[line][0], {}, QRect(82, y, 80, 22));
        *customBoxes[line][1] =
            dropDown(GroupBox12, customNames[line][1], {}, QRect(168, y, 180, 22));
    }
    Button19 = button(page, "Button19", "Read", QRect(8, 344, 116, 28));
    Button18 = button(page, "Button18", "Write", QRect(130, 344, 116, 28));
    createOsdSoundGroups(page);
    createPowerGroup(page);
}

void TForm3::createOsdSoundGroups(QWidget* page) {
    GroupBox13 = group(page, "GroupBox13", "Variometer (audio)", QRect(376, 8, 364, 150));
    CheckBox8 = checkBox(GroupBox13, "CheckBox8", "Enabled", QRect(10, 22, 100, 20));
    caption(GroupBox13, "Range m/s", QRect(10, 46, 100, 16));
    TrackBar3 = trackBar(GroupBox13, "TrackBar3", 4, QRect(10, 62, 160, 24));
    caption(GroupBox13, "5       10       15       20       25", QRect(8, 86, 178, 16));
    caption(GroupBox13, "Sensitivity", QRect(190, 46, 100, 16));
    TrackBar4 = trackBar(GroupBox13, "TrackBar4", 4, QRect(192, 62, 160, 24));
    TrackBar4->setValue(4);
    TrackBar4->setEnabled(false); // belongs to no block
    caption(GroupBox13, "1         2         3         4         5", QRect(190, 86, 172, 16));
    CheckBox18 = checkBox(GroupBox13, "CheckBox18", "Use MS5611", QRect(10, 110, 120, 20));
    CheckBox17 = checkBox(GroupBox13, "CheckBox17", "Cut on throttle", QRect(130, 110, 130, 20));
    CheckBox17->setChecked(true);
    Button22 = button(GroupBox13, "Button22", "Set", QRect(280, 108, 72, 26));

    GroupBox14 = group(page, "GroupBox14", "Sound Mixer", QRect(376, 162, 364, 92));
    caption(GroupBox14, "Voice", QRect(10, 22, 80, 20));
    TrackBar5 = trackBar(GroupBox14, "TrackBar5", 3, QRect(90, 22, 160, 22));
    caption(GroupBox14, "Variometer", QRect(10, 48, 80, 20));
    TrackBar6 = trackBar(GroupBox14, "TrackBar6", 3, QRect(90, 48, 160, 22));
    caption(GroupBox14, "off               max", QRect(90, 70, 170, 16));
    Button23 = button(GroupBox14, "Button23", "Set", QRect(280, 34, 72, 26));

    GroupBox15 = group(page, "GroupBox15", "Camera Adjustment", QRect(376, 258, 220, 80));
    caption(GroupBox15, "Zoom (FOV)", QRect(10, 20, 90, 18));
    Button26 = button(GroupBox15, "Button26", "Out", QRect(10, 40, 44, 26));
    Button27 = button(GroupBox15, "Button27", "In", QRect(58, 40, 44, 26));
    caption(GroupBox15, "AHI shift", QRect(116, 20, 90, 18));
    Button31 = button(GroupBox15, "Button31", "Up", QRect(116, 40, 44, 26));
    Button32 = button(GroupBox15, "Button32", "Down", QRect(164, 40, 48, 26));

    GroupBox18 = group(page, "GroupBox18", "RSSI", QRect(600, 258, 140, 80));
    Button34 = button(GroupBox18, "Button34", "Set Min", QRect(10, 22, 120, 24));
    Button35 = button(GroupBox18, "Button35", "Set Max", QRect(10, 50, 120, 24));
}

void TForm3::createPowerGroup(QWidget* page) {
    GroupBox4 = group(page, "GroupBox4", "Voltage && Current", QRect(8, 380, 732, 100));
    struct Adjust {
        const char* label;
        const char* edit;
        const char* initial;
        const char* set;
        QLineEdit** field;
        QPushButton** button;
    };
    const Adjust adjusts[] = {
        {"Vbat1 adjust", "Edit6", "12.0", "Button4", &Edit6, &Button4},
        {"Vbat2 adjust", "Edit7", "12.0", "Button5", &Edit7, &Button5},
        {"Current adjust", "Edit8", "20.0", "Button6", &Edit8, &Button6},
    };
    for (int i = 0; i < 3; ++i) {
        const int x = 10 + 170 * i;
        caption(GroupBox4, adjusts[i].label, QRect(x, 20, 160, 18));
        *adjusts[i].field = named<QLineEdit>(GroupBox4, adjusts[i].edit, QRect(x, 40, 80, 24));
        (*adjusts[i].field)->setText(adjusts[i].initial);
        (*adjusts[i].field)->setToolTip(kMeasuredHint);
        *adjusts[i].button = button(GroupBox4, adjusts[i].set, "Set", QRect(x + 84, 39, 60, 26));
        (*adjusts[i].button)->setToolTip(kMeasuredHint);
    }
    Button8 = button(GroupBox4, "Button8", "ZERO", QRect(504, 18, 104, 24));
    Button8->setToolTip("Set the current readings to zero");
    Button25 = button(GroupBox4, "Button25", "Display on/off", QRect(612, 18, 112, 24));
    Button25->setToolTip("Toggle current display on/off");
    Button7 = button(GroupBox4, "Button7", "Reset all", QRect(504, 44, 104, 24));
    caption(GroupBox4, "or set Range", QRect(10, 70, 90, 22));
    ComboBox8 = dropDown(GroupBox4, "ComboBox8",
                         {"30A", "50A", "75A", "80A", "100A", "120A", "150A", "200A"},
                         QRect(100, 70, 80, 22));
    ComboBox8->setCurrentIndex(-1);
    ComboBox8->setToolTip("Set the range of the current sensor");
    Button20 = button(GroupBox4, "Button20", "Set", QRect(186, 69, 60, 24));
}

void TForm3::connectOsdPage() {
    link::LinkFrameBuilder& out = m_link.builder();
    connect(Button19, &QPushButton::clicked, this,
            [&out] { config::RequestConfigBlock(out, config::block::kOsd); });
    connect(Button18, &QPushButton::clicked, this, &TForm3::Button18Click);
    const std::pair<QComboBox*, QComboBox*> lines[] = {
        {cusbox11, cusbox12}, {cusbox21, cusbox22}, {cusbox31, cusbox32}};
    for (const auto& [category, items] : lines) {
        connect(category, &QComboBox::activated, this, [this, category = category, items = items] {
            RebuildCustomItems(category, items);
        });
    }
    connect(Button22, &QPushButton::clicked, this, [this, &out] {
        config::sendVariometer(out,
                               {(TrackBar3->value() & 7) << 3 | bit(CheckBox8->isChecked(), 7),
                                bit(CheckBox18->isChecked(), 0) | bit(CheckBox17->isChecked(), 1)});
    });
    connect(Button23, &QPushButton::clicked, this, [this, &out] {
        config::sendSoundMixer(out, {(TrackBar5->value() & 3) | (TrackBar6->value() & 3) << 2});
    });
    const std::pair<QPushButton*, uint8_t> commands[] = {
        {Button26, config::block::kZoomOut},      {Button27, config::block::kZoomIn},
        {Button31, config::block::kOsdHorizonUp}, {Button32, config::block::kOsdHorizonDown},
        {Button34, config::block::kRssiMin},      {Button35, config::block::kRssiMax},
    };
    for (const auto& [commandButton, subtype] : commands) {
        connect(commandButton, &QPushButton::clicked, this,
                [&out, subtype = subtype] { config::sendConfigCommand(out, subtype); });
    }
    connect(Button4, &QPushButton::clicked, this,
            [this] { sendPowerValue(Edit6, config::power::kBattery1Volts); });
    connect(Button5, &QPushButton::clicked, this,
            [this] { sendPowerValue(Edit7, config::power::kBattery2Volts); });
    connect(Button6, &QPushButton::clicked, this,
            [this] { sendPowerValue(Edit8, config::power::kCurrentAmps); });
    const std::pair<QPushButton*, uint8_t> powerCommands[] = {
        {Button8, config::power::kZeroCurrent},
        {Button25, config::power::kToggleCurrentDisplay},
        {Button7, config::power::kResetAll},
    };
    for (const auto& [commandButton, command] : powerCommands) {
        connect(commandButton, &QPushButton::clicked, this,
                [&out, command = command] { config::sendPowerSensorCommand(out, command); });
    }
    connect(Button20, &QPushButton::clicked, this, [this, &out] {
        if (ComboBox8->currentIndex() >= 0) {
            config::sendCurrentRange(out, static_cast<uint8_t>(ComboBox8->currentIndex()));
        }
    });
}

void TForm3::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Every showing starts the custom lines over; the OSD read that follows fills them again.
    for (const auto& [category, items] :
         {std::pair{cusbox11, cusbox12}, std::pair{cusbox21, cusbox22},
          std::pair{cusbox31, cusbox32}}) {
        category->clear();
        category->addItems(toQStringList(config::customCategories()));
        category->setCurrentIndex(0);
        RebuildCustomItems(category, items);
    }
}

void TForm3::RebuildCustomItems(QComboBox* category, QComboBox* items) {
    const int remembered = items->currentIndex();
    items->clear();
    items->addItems(toQStringList(config::customItems(category->currentIndex())));
    items->setCurrentIndex(config::keptItemIndex(remembered, items->count()));
}

void TForm3::Button18Click() {
    config::OsdSettings osd;
    osd.items = bit(CheckBox13->isChecked(), 1) | bit(CheckBox9->isChecked(), 2) |
                bit(CheckBox10->isChecked(), 3) | bit(CheckBox14->isChecked(), 4) |
                bit(CheckBox11->isChecked(), 5) | bit(CheckBox12->isChecked(), 6) |
                bit(CheckBox7->isChecked(), 7);
    osd.options = bit(CheckBox22->isChecked(), 0) | bit(CheckBox16->isChecked(), 1) |
                  bit(CheckBox15->isChecked(), 2) | bit(CheckBox19->isChecked(), 3) |
                  bit(CheckBox6->isChecked(), 4) | bit(!CheckBox20->isChecked(), 5) |
                  bit(CheckBox21->isChecked(), 6) | bit(CheckBox23->isChecked(), 7);
    const int whole = std::max(ComboBox6->currentIndex(), 0);
    osd.mode = (3 - whole) | (std::max(ComboBox7->currentIndex(), 0) & 0xF) << 2 |
               bit(!CheckBox26->isChecked(), 7);
    const auto line = [](const QComboBox* category, const QComboBox* items) {
        return config::customLineByte(std::max(category->currentIndex(), 0),
                                      std::max(items->currentIndex(), 0));
    };
    osd.customLine1 = line(cusbox11, cusbox12);
    osd.customLine2 = line(cusbox21, cusbox22);
    osd.customLine3 = line(cusbox31, cusbox32);
    config::sendOsdSettings(m_link.builder(), osd);
}

void TForm3::OsdReceived(const link::LinkFrame& frame) {
    const config::OsdSettings osd = config::decodeOsdSettings(frame);
    const std::pair<QCheckBox*, int> itemBits[] = {
        {CheckBox13, 1}, {CheckBox9, 2},  {CheckBox10, 3}, {CheckBox14, 4},
        {CheckBox11, 5}, {CheckBox12, 6}, {CheckBox7, 7}};
    for (const auto& [box, position] : itemBits) {
        box->setChecked((osd.items >> position & 1) != 0);
    }
    const std::pair<QCheckBox*, int> optionBits[] = {
        {CheckBox22, 0}, {CheckBox16, 1}, {CheckBox15, 2}, {CheckBox19, 3},
        {CheckBox6, 4},  {CheckBox21, 6}, {CheckBox23, 7}};
    for (const auto& [box, position] : optionBits) {
        box->setChecked((osd.options >> position & 1) != 0);
    }
    CheckBox20->setChecked((osd.options & 0x20) == 0);
    ComboBox6->setCurrentIndex(3 - (osd.mode & 3));
    ComboBox7->setCurrentIndex(osd.mode >> 2 & 0xF);
    CheckBox26->setChecked((osd.mode & 0x80) == 0);

    const int bytes[] = {osd.customLine1, osd.customLine2, osd.customLine3};
    QComboBox* categories[] = {cusbox11, cusbox21, cusbox31};
    QComboBox* items[] = {cusbox12, cusbox22, cusbox32};
    for (int i = 0; i < 3; ++i) {
        categories[i]->setCurrentIndex(config::customCategoryOf(static_cast<uint8_t>(bytes[i])));
    }
    for (int i = 0; i < 3; ++i) {
        RebuildCustomItems(categories[i], items[i]);
    }
    for (int i = 0; i < 3; ++i) {
        items[i]->setCurrentIndex(config::keptItemIndex(
            config::customItemOf(static_cast<uint8_t>(bytes[i])), items[i]->count()));
    }
}

void TForm3::VariometerReceived(const link::LinkFrame& frame) {
    const config::Variometer variometer = config::decodeVariometer(frame);
    CheckBox8->setChecked((variometer.settings & 0x80) != 0);
    TrackBar3->setValue(variometer.settings >> 3 & 7);
    CheckBox18->setChecked((variometer.options & 1) != 0);
    CheckBox17->setChecked((variometer.options & 2) != 0);
}

void TForm3::SoundMixerReceived(const link::LinkFrame& frame) {
    const config::SoundMixer mixer = config::decodeSoundMixer(frame);
    TrackBar5->setValue(mixer.volumes & 3);
    TrackBar6->setValue(mixer.volumes >> 2 & 3);
}

void TForm3::sendPowerValue(QLineEdit* field, uint8_t command) {
    const NumberParse parsed = parseNumber(field->text().toStdString());
    if (!parsed.value) {
        QMessageBox::critical(this, windowTitle(), QString::fromStdString(parsed.error));
        return;
    }
    config::sendPowerSensorValue(m_link.builder(), command, static_cast<float>(*parsed.value));
}

} // namespace crv::ui
