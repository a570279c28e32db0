// The main window's settings: read when it is first shown, saved when it closes.

#include "sim/simulator_folder.h"
#include "ui/main/tform1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

namespace crv::ui {

namespace {

// Until the codepad window exists its designed size is kept here.
constexpr int32_t kEditorDesignedWidth = 640;
constexpr int32_t kEditorDesignedHeight = 480;

struct ListSetting {
    const char* name;
    int32_t fallback;
    QComboBox* TForm1::*list;
};

struct BoxSetting {
    const char* name;
    QCheckBox* TForm1::*box;
};

struct TrimSetting {
    const char* name;
    QSlider* TForm1::*slider;
};

// In the order they are read.
const ListSetting kLists[] = {
    {"RCrate", 2, &TForm1::RCrate},         {"Servorate", 2, &TForm1::Servorate},
    {"IMUrate", 3, &TForm1::IMUrate},       {"NAVrate", 2, &TForm1::NAVrate},
    {"CRDrate", 2, &TForm1::CRDrate},       {"VOLTrate", 1, &TForm1::VOLTrate},
    {"Exponent", 2, &TForm1::ComboBox3},    {"Joystick number", 0, &TForm1::ComboBox4},
    {"Update rate", 2, &TForm1::ComboBox5},
};
const BoxSetting kReverses[] = {
    {"Roll reverse", &TForm1::jrollrev},
    {"Pitch reverse", &TForm1::jpitchrev},
    {"Yaw reverse", &TForm1::jyawrev},
    {"Throttle reverse", &TForm1::jthrrev},
};
const TrimSetting kTrims[] = {
    {"Roll trim", &TForm1::jrolltrim},
    {"Pitch trim", &TForm1::jpitchtrim},
    {"Yaw trim", &TForm1::jyawtrim},
};

} // namespace

void TForm1::RestoreSettings() {
    // An index outside a list selects nothing.
    for (const ListSetting& setting : kLists) {
        (this->*setting.list)
            ->setCurrentIndex(m_settings.GetIntParam(setting.name, setting.fallback));
    }
    ComboBox5Change();
    for (const BoxSetting& setting : kReverses) {
        (this->*setting.box)->setChecked(m_settings.GetIntParam(setting.name, 0) != 0);
    }
    for (const TrimSetting& setting : kTrims) {
        (this->*setting.slider)->setValue(m_settings.GetIntParam(setting.name, 0));
    }
    ReconnectBox->setChecked(m_settings.GetIntParam("Link_reconnect", 1) != 0);
    fg_path->setText(QString::fromStdString(m_settings.GetTextParam("FG_PATH", ".\\")));
    const bool simulatorFound = sim::isSimulatorFolder(fg_path->text().toStdString());
    Button12->setEnabled(simulatorFound);
    Button13->setEnabled(simulatorFound);
    m_nextLogFile = m_settings.GetIntParam("Logfile_num", 1);
    m_mapHomeLat = m_settings.GetFloatParam("Map_home_lat", kMapHomeLat);
    m_mapHomeLon = m_settings.GetFloatParam("Map_home_lon", kMapHomeLon);
    m_editorWidth = m_settings.GetIntParam("Editor width", kEditorDesignedWidth);
    m_editorHeight = m_settings.GetIntParam("Editor height", kEditorDesignedHeight);
    m_settingsRestored = true;
}

void TForm1::SaveSettings() {
    // Controls that never got the stored values would write their designed ones over them.
    if (!m_settingsRestored) {
        return;
    }
    const auto save = [this](const char* name, int32_t value) {
        // A value whose read failed is unknown, not absent: it stays as the file has it.
        if (!m_settings.readFailed(name)) {
            m_settings.SetIntParam(name, value);
        }
    };
    for (const ListSetting& setting : kLists) {
        save(setting.name, (this->*setting.list)->currentIndex());
    }
    for (const BoxSetting& setting : kReverses) {
        save(setting.name, (this->*setting.box)->isChecked() ? 1 : 0);
    }
    for (const TrimSetting& setting : kTrims) {
        save(setting.name, (this->*setting.slider)->value());
    }
    save("Link_reconnect", ReconnectBox->isChecked() ? 1 : 0);
    save("Logfile_num", m_nextLogFile);
    save("Editor width", m_editorWidth);
    save("Editor height", m_editorHeight);
}

} // namespace crv::ui
