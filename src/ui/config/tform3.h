#pragma once

#include "console/package_transfer.h"
#include "console/script_text.h"
#include "link/board_link.h"

#include <QWidget>

#include <functional>
#include <vector>

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
    ~TForm3() override;

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

    // "OSD&&Sound": the OSD (27/70), variometer (27/80) and sound mixer (27/90) blocks, the
    // camera, RSSI and power sensor commands.
    QGroupBox *GroupBox12, *GroupBox13, *GroupBox14, *GroupBox15, *GroupBox18, *GroupBox4;
    QCheckBox *CheckBox13, *CheckBox9, *CheckBox10, *CheckBox14, *CheckBox11, *CheckBox12,
        *CheckBox7, *CheckBox22, *CheckBox16, *CheckBox15, *CheckBox19, *CheckBox6, *CheckBox20,
        *CheckBox21, *CheckBox23, *CheckBox26, *CheckBox8, *CheckBox18, *CheckBox17;
    QComboBox *ComboBox6, *ComboBox7, *ComboBox8;
    QComboBox *cusbox11, *cusbox12, *cusbox21, *cusbox22, *cusbox31, *cusbox32;
    QSlider *TrackBar3, *TrackBar4, *TrackBar5, *TrackBar6;
    QLineEdit *Edit6, *Edit7, *Edit8;
    QPushButton *Button4, *Button5, *Button6, *Button7, *Button8, *Button18, *Button19, *Button20,
        *Button22, *Button23, *Button25, *Button26, *Button27, *Button31, *Button32, *Button34,
        *Button35;

    /// "Write" of the OSD group: sends 27/70 from the controls.
    void Button18Click();
    /// Replaces an item list by the list of its category box's category, keeping the item
    /// where the new list has it.
    void RebuildCustomItems(QComboBox* category, QComboBox* items);

    // "Packages": the voice pack (type 57) and the script pack (type 58) in the board's flash.
    QGroupBox *GroupBox20, *GroupBox21;
    QLabel *Label43, *Label44, *Label45, *Label46, *Label47, *Label48;
    QPushButton *Button38, *Button39, *BitBtn1, *Button40, *Button41;
    QPushButton *VoiceCancel, *ScriptCancel; ///< give up a transfer the board stopped carrying

    void StartVoiceDownload();
    void StartVoiceUpload();
    /// Upload's work after the dialog: refuses an unreadable, empty or oversized file.
    void UploadVoicePack(const QString& path);
    /// Download's work after the dialog: the pack is written as path once it is whole.
    void DownloadVoicePack(const QString& path);
    /// The codepad's "Upload to FLASH": shows this page and writes the script image.
    void StartScriptUpload(std::vector<uint8_t> image);
    /// "Edit..." and the codepad's "Read from FLASH": reads the stored script for the codepad.
    void StartScriptRead();
    /// Where a script read from the board goes: the codepad.
    void setScriptReadHandler(std::function<void(const console::StoredScript&)> handler) {
        m_scriptRead = std::move(handler);
    }
    /// The main window's 100 ms tick: tells when the board has stopped carrying a transfer.
    void PackagesTick();
    /// The clock of the stall check, in milliseconds; a steady clock unless a test sets one.
    void setClock(std::function<int64_t()> nowMs) { m_nowMs = std::move(nowMs); }
    /// The voice pack editor's command; "snd_pack" or $CRV_VOICE_PACK_EDITOR by default.
    void setVoicePackEditor(const QString& command) { m_voicePackEditor = command; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createGeneralPage();
    void connectGeneralPage();
    void ConfigBlockReceived(const link::LinkFrame& frame);
    void GeneralReceived(const link::LinkFrame& frame);
    void showUpDownLabels();
    void createOsdPage();
    void createOsdSoundGroups(QWidget* page);
    void createPowerGroup(QWidget* page);
    void connectOsdPage();
    void OsdReceived(const link::LinkFrame& frame);
    void VariometerReceived(const link::LinkFrame& frame);
    void SoundMixerReceived(const link::LinkFrame& frame);
    void sendPowerValue(QLineEdit* field, uint8_t command);

    void createPackagesPage();
    void connectPackagesPage();
    void PackageReceived(console::Package package, const link::LinkFrame& frame);
    void showTransferStep(console::Package package, const console::TransferStep& step);
    void finishVoiceDownload();
    void finishScriptRead();
    void cancelTransfer();
    void endOtherTransfer(console::Package starting);
    void startVoicePackEditor();
    QLabel* stateLabel(console::Package package) const;

    link::BoardLink& m_link;
    bool m_openedBefore = false;
    console::PackageTransfer m_packages;
    std::function<void(const console::StoredScript&)> m_scriptRead;
    std::function<int64_t()> m_nowMs;
    QString m_voiceDownloadPath;
    QString m_voicePackEditor;
    bool m_stallShown = false;
};

} // namespace crv::ui
