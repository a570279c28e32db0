// The main window's joystick: polled by Timer3, shown on the bars, sent as type 16 frames.

#include "joystick/joystick_shaping.h"
#include "ui/main/tform1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QSlider>

#include <algorithm>

namespace crv::ui {

void TForm1::Timer3Timer() {
    if (!m_joystickPresent) {
        if (m_joysticks.count() == 0) {
            jstatus->setText("No Joysticks");
            return;
        }
        m_joystickPresent = true; // the first reading comes with the next tick
        return;
    }
    const std::optional<joystick::JoystickAxes> axes =
        m_joysticks.read(std::max(0, ComboBox4->currentIndex()));
    if (!axes) {
        // Unplugged: old positions would fly on for it, so nothing is sent until it is back.
        jstatus->setText("Joystick lost");
        return;
    }
    const joystick::JoystickSettings settings{
        10 * std::max(0, ComboBox3->currentIndex()),
        {jrollrev->isChecked(), jpitchrev->isChecked(), jthrrev->isChecked(),
         jyawrev->isChecked()},
        {jrolltrim->value(), jpitchtrim->value(), 0, jyawtrim->value()}};
    const joystick::JoystickOutput out = joystick::shapeJoystick(*axes, settings);
    QProgressBar* bars[] = {jrollbar, jpitchbar, jthrbar, jyawbar};
    for (int channel = 0; channel < 4; ++channel) {
        bars[channel]->setValue(
            std::clamp(out.gauges[channel], bars[channel]->minimum(), bars[channel]->maximum()));
    }
    if (!CheckBox6->isChecked()) {
        jstatus->setText("Joystick detected");
        return;
    }
    jstatus->setText("Joystick ACTIVE");
    if (m_link.session().linkOpen()) {
        joystick::sendJoystickFrame(m_link.builder(), out.channels);
    }
}

// "Calibrate": the desktop's joystick settings program.
void TForm1::Button8Click() {
    if (!QProcess::startDetached("jstest-gtk", {})) {
        QMessageBox::information(this, windowTitle(),
                                 "No joystick settings program was found. Install one, for "
                                 "example: sudo apt-get install jstest-gtk");
    }
}

} // namespace crv::ui
