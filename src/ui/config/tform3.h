#pragma once

#include "link/board_link.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QTabWidget;

namespace crv::ui {

/// The autopilot configuration window: one page a group of the board's configuration blocks.
class TForm3 : public QWidget {
    Q_OBJECT

public:
    /// owner is the main window: this window stays above it and opens centred on it.
    TForm3(link::BoardLink& link, QWidget* owner);

    QTabWidget* PageControl1;
    QWidget *TabSheet1, *TabSheet2, *TabSheet5, *TabSheet6, *TabSheet4, *TabSheet3, *TabSheet7;

    /// Shows the window and asks the board for every block its pages show, letting received
    /// frames be handled between the requests.
    void OpenConfigurationWindow();

    // "General": block 27/2 and the commands around it.
    QGroupBox *GroupBox1, *GroupBox3, *GroupBox2, *GroupBox16, *GroupBox17, *GroupBox19,
        *GroupBox22, *GroupBox27, *GroupBox31;
    QLineEdit *spd_t, *circle_t, *safealt_t, *thrmax_t, *aspd_min, *aspd_max, *Edit5, *Edit16,
        *Edit17, *Edit18;
    QComboBox *ComboBox1, *ComboBox9, *ComboBox10, *ComboBox11, *ComboBox3, *ComboBox2;
    QCheckBox *rc_lost_t, *rc_jit_t, *bat_low_t, *bat_crit_t, *CheckBox1, *mis_int_t, *autoland_t,
        *CheckBox28;
    QSpinBox *UpDown1, *UpDown2, *UpDown3;
    QLabel *Label35, *Label38, *Label39, *fm_sel;
    QPushButton *Button1, *Button2, *Button3, *Button28, *Button29, *Button30, *Button33, *Button59,
        *Button60;

    /// "Write" of the general page: sends 27/2 unless a field is not a number.
    void Button2Click();

private:
    void createGeneralPage();
    void connectGeneralPage();
    void ConfigBlockReceived(const link::LinkFrame& frame);
    void GeneralReceived(const link::LinkFrame& frame);
    void showUpDownLabels();

    link::BoardLink& m_link;
    bool m_openedBefore = false;
};

} // namespace crv::ui
