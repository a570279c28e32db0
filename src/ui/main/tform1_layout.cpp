// Where the main window's controls stand and what they say.

#include "ui/common/widget_factory.h"
#include "ui/main/pie_gauge.h"
#include "ui/main/tform1.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QSlider>
#include <QTimer>

namespace crv::ui {

namespace {

const QStringList kRateItems = {"off", "1", "2", "5", "10"};

QComboBox* rateList(QWidget* parent, const char* name, const QRect& geometry) {
    QComboBox* list = dropDown(parent, name, kRateItems, geometry);
    list->setToolTip("Updates per second");
    return list;
}

QLineEdit* edit(QWidget* parent, const char* name, const QRect& geometry, bool readOnly = false) {
    auto* field = named<QLineEdit>(parent, name, geometry);
    field->setReadOnly(readOnly);
    return field;
}

QSlider* trimSlider(QWidget* parent, const char* name, const QRect& geometry) {
    auto* slider = named<QSlider>(parent, name, geometry);
    slider->setOrientation(Qt::Vertical);
    slider->setRange(-3000, 3000);
    slider->setPageStep(100);
    slider->setValue(0);
    return slider;
}

/// A caption with its value label under or beside it; returns the value label.
QLabel* valueWithCaption(QWidget* parent, const char* name, const QString& text,
                         const QString& initial, int x, int y) {
    caption(parent, text, QRect(x, y, 58, 18));
    return label(parent, name, initial, QRect(x + 60, y, 92, 18));
}

} // namespace

void TForm1::createAttitudeArea() {
    // The horizon itself is painted by the window at (35, 15), 300 × 300.
    const char* names[] = {"Label1", "Label2", "Label3", "Label4"};
    const char* captions[] = {"Roll", "Pitch", "Heading", "Aux"};
    QLabel** values[] = {&Label1, &Label2, &Label3, &Label4};
    for (int i = 0; i < 4; ++i) {
        caption(this, captions[i], QRect(35 + 75 * i, 322, 70, 16));
        *values[i] = label(this, names[i], "0", QRect(35 + 75 * i, 338, 70, 18));
    }
    caption(this, "IMU", QRect(345, 4, 60, 14));
    IMUrate = rateList(this, "IMUrate", QRect(345, 18, 60, 24));

    Label37 = label(this, "Label37", "", QRect(345, 52, 120, 42));
    QFont armedFont = Label37->font();
    armedFont.setPixelSize(32);
    armedFont.setBold(true);
    Label37->setFont(armedFont);
    Label37->installEventFilter(this); // a press opens the arm menu

    Label34 = label(this, "Label34", "North", QRect(375, 104, 60, 16));
    Label34->setAlignment(Qt::AlignHCenter);
    hdg_pie = named<PieGauge>(this, "hdg_pie", QRect(355, 122, 100, 100));
    hdg_pie->setRange(0, 3600);
    Label35 = label(this, "Label35", "Heading", QRect(375, 226, 60, 16));
    Label35->setAlignment(Qt::AlignHCenter);
}

void TForm1::createBars() {
    Label6 = label(this, "Label6", "Radio IN", QRect(475, 12, 112, 18));
    Label7 = label(this, "Label7", "Servo OUT", QRect(600, 12, 112, 18));
    for (int k = 0; k < 8; ++k) {
        rci[k] = gauge(this, QString("rci%1").arg(k + 1), Qt::Vertical, -1200, 1200,
                       QRect(475 + 14 * k, 32, 12, 172));
        rco[k] = gauge(this, QString("rco%1").arg(k + 1), Qt::Vertical, -1200, 1200,
                       QRect(600 + 14 * k, 32, 12, 172));
    }
    Label5 = label(this, "Label5", "1 2 3 4 5 6 7 8", QRect(475, 206, 112, 14));
    QFont numbers("monospace");
    numbers.setPixelSize(10);
    numbers.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    Label5->setFont(numbers);
    caption(this, "RC", QRect(475, 224, 40, 14));
    RCrate = rateList(this, "RCrate", QRect(475, 238, 60, 24));
    caption(this, "Servo", QRect(600, 224, 40, 14));
    Servorate = rateList(this, "Servorate", QRect(600, 238, 60, 24));

    CheckBox5 = checkBox(this, "CheckBox5", "Restore defaults?", QRect(475, 280, 160, 20));
    Button6 = button(this, "Button6", "RESTORE DEFAULTS", QRect(475, 302, 160, 26));
    Button6->hide();
}

void TForm1::createMeasurementsGroup() {
    GroupBox6 = group(this, "GroupBox6", "Measurements && Modes", QRect(350, 362, 360, 176));
    Label42 = valueWithCaption(GroupBox6, "Label42", "Vbat1", "0", 8, 24);
    Label43 = valueWithCaption(GroupBox6, "Label43", "Current", "0", 8, 46);
    Label48 = valueWithCaption(GroupBox6, "Label48", "mAh", "0", 8, 68);
    Label49 = valueWithCaption(GroupBox6, "Label49", "Vbat2", "0", 8, 90);
    Label50 = valueWithCaption(GroupBox6, "Label50", "RSSI", "0", 8, 112);
    caption(GroupBox6, "Power", QRect(8, 140, 40, 24));
    VOLTrate = rateList(GroupBox6, "VOLTrate", QRect(60, 140, 60, 24));

    Button19 = button(GroupBox6, "Button19", "Flight Mode", QRect(190, 22, 160, 28));
    Label52 = label(GroupBox6, "Label52", "OSD", QRect(190, 62, 34, 24));
    Button5 = button(GroupBox6, "Button5", "OFF", QRect(226, 60, 40, 26));
    Button25 = button(GroupBox6, "Button25", "1", QRect(270, 60, 26, 26));
    Button26 = button(GroupBox6, "Button26", "2", QRect(298, 60, 26, 26));
    Button27 = button(GroupBox6, "Button27", "3", QRect(326, 60, 26, 26));
    Button23 = button(GroupBox6, "Button23", "LED sw", QRect(190, 98, 80, 26));
    Button23->setToolTip("Toggle LED sequencer");
}

void TForm1::createNavigationGroup() {
    GroupBox4 = group(this, "GroupBox4", "Navigation", QRect(10, 362, 332, 176));
    alt_asl = valueWithCaption(GroupBox4, "alt_asl", "Alt ASL", "000", 8, 22);
    temp_c = valueWithCaption(GroupBox4, "temp_c", "Temp C", "000", 8, 42);
    gps_spd = valueWithCaption(GroupBox4, "gps_spd", "GPS Spd", "000", 8, 62);
    air_spd = valueWithCaption(GroupBox4, "air_spd", "Air Spd", "000", 8, 82);
    gpsfix = valueWithCaption(GroupBox4, "gpsfix", "GPS fix", "000", 8, 102);
    numsats = valueWithCaption(GroupBox4, "numsats", "#Sats", "000", 170, 22);
    hdop = valueWithCaption(GroupBox4, "hdop", "HDOP", "000", 170, 42);
    lat_l = valueWithCaption(GroupBox4, "lat_l", "LAT", "000", 170, 62);
    lon_l = valueWithCaption(GroupBox4, "lon_l", "LON", "000", 170, 82);
    alt_g = valueWithCaption(GroupBox4, "alt_g", "Alt GPS", "000", 170, 102);
    Label51 = label(GroupBox4, "Label51", "Flight mode", QRect(8, 124, 80, 18));
    QFont bold = Label51->font();
    bold.setBold(true);
    Label51->setFont(bold);
    flightmode_t = label(GroupBox4, "flightmode_t", "-", QRect(100, 124, 100, 18));
    CompassSetup = button(GroupBox4, "CompassSetup", "Compass...", QRect(210, 118, 110, 24));
    caption(GroupBox4, "Nav", QRect(8, 146, 28, 24));
    NAVrate = rateList(GroupBox4, "NAVrate", QRect(36, 146, 60, 24));
    caption(GroupBox4, "GPS", QRect(104, 146, 28, 24));
    CRDrate = rateList(GroupBox4, "CRDrate", QRect(132, 146, 60, 24));
    Button14 = button(GroupBox4, "Button14", "HOM", QRect(210, 144, 52, 26));
    Button21 = button(GroupBox4, "Button21", "zero", QRect(268, 144, 52, 26));
    Button21->setToolTip("Set che current airspeed to ZERO");
}

void TForm1::createBoardConfigGroup() {
    GroupBox1 = group(this, "GroupBox1", "Board Configuration", QRect(720, 180, 272, 250));
    caption(GroupBox1, "Rev", QRect(222, 18, 40, 16));
    const char* names[] = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5"};
    const char* captions[] = {"D (0.01-2)", "RC Rate (0.1-2)", "Roll (0.1-2)", "Pitch (0.1-2)",
                              "Yaw (0.1-2)"};
    QLineEdit** fields[] = {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5};
    for (int i = 0; i < 5; ++i) {
        caption(GroupBox1, captions[i], QRect(8, 36 + 24 * i, 110, 22));
        *fields[i] = edit(GroupBox1, names[i], QRect(130, 36 + 24 * i, 70, 22));
    }
    Edit1->setToolTip("Dampening Factor");
    Edit2->setToolTip("RC control gain");
    CheckBox1 = checkBox(GroupBox1, "CheckBox1", "", QRect(226, 84, 22, 22));
    CheckBox2 = checkBox(GroupBox1, "CheckBox2", "", QRect(226, 108, 22, 22));
    CheckBox3 = checkBox(GroupBox1, "CheckBox3", "", QRect(226, 132, 22, 22));
    Button4 = button(GroupBox1, "Button4", "Read", QRect(8, 160, 70, 26));
    Button3 = button(GroupBox1, "Button3", "Write", QRect(84, 160, 70, 26));
    Button2 = button(GroupBox1, "Button2", "ACC", QRect(192, 160, 70, 26));
    Button2->setToolTip("Adjust AHI level");
    ComboBox2 = dropDown(GroupBox1, "ComboBox2",
                         {"Model #1", "Model #2", "Model #3", "Model #4", "Model #5", "Model #6"},
                         QRect(8, 192, 180, 24));
    ComboBox2->setCurrentIndex(-1);
    Button20 = button(GroupBox1, "Button20", "Set", QRect(192, 191, 70, 26));
    Label17 = label(GroupBox1, "Label17", "Current Model:", QRect(8, 222, 100, 18));
    currentmdl = label(GroupBox1, "currentmdl", "-----------", QRect(110, 222, 150, 18));
}

void TForm1::createLinkGroup() {
    GroupBox2 = group(this, "GroupBox2", "GCS Link", QRect(720, 8, 272, 168));
    ComboBox1 =
        dropDown(GroupBox2, "ComboBox1", {"1", "2", "3", "4", "5", "6"}, QRect(8, 22, 150, 26));
    ComboBox1->setEditable(true); // a device path can be typed, a pseudo-terminal for one
    Button22 = button(GroupBox2, "Button22", "?", QRect(162, 23, 24, 24));
    Button22->setToolTip("Refresh COM-ports list");
    Button1 = button(GroupBox2, "Button1", "Connect", QRect(190, 22, 74, 26));
    Label9 = label(GroupBox2, "Label9", "-", QRect(8, 52, 256, 34));
    Label9->setWordWrap(true);
    Label10 = label(GroupBox2, "Label10", "Bitrate", QRect(8, 88, 150, 20));
    Label18 = label(GroupBox2, "Label18", "", QRect(160, 88, 104, 20));
    Label18->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label18->setAccessibleName("Link status");
    Label11 = label(GroupBox2, "Label11", "Lost", QRect(8, 110, 256, 20));
    Button7 = button(GroupBox2, "Button7", "FW update", QRect(8, 136, 90, 24));
    Button7->setEnabled(false);
    ReconnectBox = checkBox(GroupBox2, "ReconnectBox", "Reconnect", QRect(110, 138, 154, 20));
    ReconnectBox->setChecked(true);
    ReconnectBox->setToolTip("Connect again by itself when a lost device comes back");
}

void TForm1::createJoystickGroup() {
    GroupBox3 = group(this, "GroupBox3", "Joystick Control", QRect(720, 434, 272, 206));
    QStringList curves = {"lin"};
    for (int percent = 10; percent <= 90; percent += 10) {
        curves << QString("%1%").arg(percent);
    }
    caption(GroupBox3, "EXPO", QRect(8, 18, 60, 14));
    ComboBox3 = dropDown(GroupBox3, "ComboBox3", curves, QRect(8, 32, 64, 24));
    caption(GroupBox3, "Joystick", QRect(78, 18, 60, 14));
    ComboBox4 = dropDown(GroupBox3, "ComboBox4", {"#1", "#2"}, QRect(78, 32, 56, 24));
    caption(GroupBox3, "Rate", QRect(140, 18, 60, 14));
    ComboBox5 =
        dropDown(GroupBox3, "ComboBox5", {"2Hz", "5Hz", "10Hz", "20Hz"}, QRect(140, 32, 64, 24));

    struct Axis {
        const char* reverse;
        const char* trim; ///< none for throttle
        const char* bar;
        const char* letter;
        QCheckBox** reverseBox;
        QSlider** trimSlider;
        QProgressBar** gaugeBar;
    };
    const Axis axes[] = {
        {"jrollrev", "jrolltrim", "jrollbar", "R", &jrollrev, &jrolltrim, &jrollbar},
        {"jpitchrev", "jpitchtrim", "jpitchbar", "P", &jpitchrev, &jpitchtrim, &jpitchbar},
        {"jthrrev", nullptr, "jthrbar", "T", &jthrrev, nullptr, &jthrbar},
        {"jyawrev", "jyawtrim", "jyawbar", "Y", &jyawrev, &jyawtrim, &jyawbar},
    };
    for (int i = 0; i < 4; ++i) {
        const Axis& axis = axes[i];
        const int x = 8 + 46 * i;
        caption(GroupBox3, axis.letter, QRect(x + 2, 62, 12, 16));
        *axis.reverseBox = checkBox(GroupBox3, axis.reverse, "", QRect(x + 14, 62, 22, 18));
        (*axis.reverseBox)->setToolTip("Reverse");
        *axis.gaugeBar = gauge(GroupBox3, axis.bar, Qt::Vertical, 0, 65535, QRect(x, 84, 12, 112));
        if (axis.trim != nullptr) {
            *axis.trimSlider = trimSlider(GroupBox3, axis.trim, QRect(x + 16, 84, 22, 112));
        }
    }
    CheckBox6 = checkBox(GroupBox3, "CheckBox6", "Enabled", QRect(194, 84, 76, 20));
    CheckBox6->setToolTip("Fly the board with the joystick");
    Button8 = button(GroupBox3, "Button8", "Calibrate", QRect(194, 110, 72, 26));
    jstatus = label(GroupBox3, "jstatus", "-", QRect(194, 142, 72, 40));
    jstatus->setWordWrap(true);
    nameJoystickControls();
}

// Screen readers name controls by their text; these have none, or a short one.
void TForm1::nameJoystickControls() {
    const std::pair<QWidget*, const char*> names[] = {
        {ComboBox3, "Curve"},          {ComboBox4, "Joystick"},
        {ComboBox5, "Update rate"},    {jrollrev, "Reverse roll"},
        {jpitchrev, "Reverse pitch"},  {jthrrev, "Reverse throttle"},
        {jyawrev, "Reverse yaw"},      {jrolltrim, "Roll trim"},
        {jpitchtrim, "Pitch trim"},    {jyawtrim, "Yaw trim"},
        {jrollbar, "Roll"},            {jpitchbar, "Pitch"},
        {jthrbar, "Throttle"},         {jyawbar, "Yaw"},
        {jstatus, "Joystick status"},  {CheckBox6, "Joystick enabled"},
        {Button8, "Calibrate joystick"},
    };
    for (const auto& [widget, name] : names) {
        widget->setAccessibleName(name);
    }
}

void TForm1::createSimulatorGroup() {
    GroupBox5 = group(this, "GroupBox5", "FlightGear Simulator", QRect(10, 544, 332, 96));
    fg_status = label(GroupBox5, "fg_status", "No Link", QRect(8, 20, 120, 20));
    fg_enabled = checkBox(GroupBox5, "fg_enabled", "Enable Simulation", QRect(170, 20, 150, 20));
    Button11 = button(GroupBox5, "Button11", "Set path...", QRect(8, 42, 84, 24));
    fg_path = edit(GroupBox5, "fg_path", QRect(96, 42, 226, 24), true);
    fg_path->setText(".\\");
    Button12 = button(GroupBox5, "Button12", "install CRV", QRect(8, 68, 100, 24));
    Button12->setEnabled(false);
    Button13 = button(GroupBox5, "Button13", "Launch FlightGear", QRect(112, 68, 140, 24));
    Button13->setEnabled(false);
    fg_status->setAccessibleName("Simulator link");
    fg_path->setAccessibleName("Simulator folder");
    Button11->setToolTip("Choose the folder of FlightGear's data, the one with \"Protocol\" in it");
    Button12->setToolTip("Install the ground station's protocol into FlightGear");
    Button13->setToolTip("Start FlightGear talking to the ground station");

    SaveDialog1 = new QFileDialog(this, "FlightGear root directory", ".");
    SaveDialog1->setObjectName("SaveDialog1");
    SaveDialog1->setFileMode(QFileDialog::Directory);
    SaveDialog1->setOption(QFileDialog::ShowDirsOnly);
}

void TForm1::createCompassBox() {
    MagBox = group(this, "MagBox", "Compass Setup", QRect(10, 362, 332, 176));
    const char* readings[] = {"magx", "magy", "magz"};
    const char* centres[] = {"magxc", "magyc", "magzc"};
    QLineEdit** readingFields[] = {&magx, &magy, &magz};
    QLineEdit** centreFields[] = {&magxc, &magyc, &magzc};
    const char* axes[] = {"MAG X", "MAG Y", "MAG Z"};
    for (int i = 0; i < 3; ++i) {
        caption(MagBox, axes[i], QRect(8, 24 + 26 * i, 50, 22));
        *readingFields[i] = edit(MagBox, readings[i], QRect(60, 24 + 26 * i, 60, 22), true);
        *centreFields[i] = edit(MagBox, centres[i], QRect(124, 24 + 26 * i, 60, 22), true);
    }
    auto* note = label(MagBox, "",
                       "Try placing the board on its opposite edges and wiggle a bit "
                       "until the Cal values will stop changing.\n"
                       "Keep away from metal parts.",
                       QRect(192, 22, 132, 110));
    note->setWordWrap(true);
    Button9 = button(MagBox, "Button9", "Cancel", QRect(8, 140, 80, 26));
    Button10 = button(MagBox, "Button10", "Save", QRect(96, 140, 80, 26));
    MagBox->hide();
}

void TForm1::createWindowButtons() {
    struct Entry {
        const char* name;
        const char* text;
        QPushButton** button;
    };
    const Entry entries[] = {
        {"Button15", "Mission Control", &Button15},
        {"Button16", "Autopilot Config", &Button16},
        {"Button18", "LED Sequencer", &Button18},
        {"BitBtn1", "Recorder", &BitBtn1},
        {"BitBtn2", "Debug", &BitBtn2},
        {"BitBtn3", "OSD", &BitBtn3},
        {"Button24", "Terminal", &Button24},
    };
    for (int i = 0; i < 7; ++i) {
        *entries[i].button = button(this, entries[i].name, entries[i].text,
                                    QRect(350 + 120 * (i % 3), 548 + 31 * (i / 3), 116, 28));
    }
}

void TForm1::createMenus() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    DISARM1 = PopupMenu1->addAction("DISARM");
    DISARM1->setObjectName("DISARM1");
    ARM1 = PopupMenu1->addAction("ARM");
    ARM1->setObjectName("ARM1");

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName("PopupMenu2");
    const char* names[] = {"Manual1",  "Acro1",   "Stable1", "AltHold1",
                           "PosHold1", "Return1", "Auto1"};
    const char* texts[] = {"Manual", "Acro", "Stable", "Alt Hold", "Pos Hold", "Return", "Auto"};
    QAction** actions[] = {&Manual1, &Acro1, &Stable1, &AltHold1, &PosHold1, &Return1, &Auto1};
    for (int mode = 0; mode < 7; ++mode) {
        *actions[mode] = PopupMenu2->addAction(texts[mode]);
        (*actions[mode])->setObjectName(names[mode]);
        (*actions[mode])->setData(mode);
    }
}

void TForm1::createTimers() {
    const char* names[] = {"Timer1", "Timer2", "Timer3"};
    const int intervalsMs[] = {1000, 100, 200};
    QTimer** timers[] = {&Timer1, &Timer2, &Timer3};
    for (int i = 0; i < 3; ++i) {
        *timers[i] = new QTimer(this);
        (*timers[i])->setObjectName(names[i]);
        (*timers[i])->setInterval(intervalsMs[i]);
    }
    // Well inside the two seconds a re-plugged adapter may take to be back in use.
    ReconnectTimer = new QTimer(this);
    ReconnectTimer->setObjectName("ReconnectTimer");
    ReconnectTimer->setInterval(500);
}

} // namespace crv::ui
