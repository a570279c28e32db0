#pragma once

#include "config/board_config_record.h"
#include "joystick/sdl_joysticks.h"
#include "link/board_link.h"
#include "link/reconnect_watch.h"
#include "sim/sim_bridge.h"
#include "store/local_database.h"
#include "store/settings_store.h"
#include "telemetry/vehicle_state.h"
#include "ui/main/horizon.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QSlider;
class QFileDialog;
class QTimer;

namespace crv::io {
class QtDatagramPort;
}

namespace crv::ui {

class PieGauge;

/// The main window: the board link, the live telemetry, the artificial horizon, the board
/// commands and the buttons that open the other windows. Controls carry their names as object
/// names.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    TForm1(link::BoardLink& link, store::LocalDatabase& database, QWidget* parent = nullptr);
    ~TForm1() override;

    /// The settings file to open when the window is first shown; "crv_data" in the working
    /// folder unless a test gives another.
    void setDatabasePath(const std::string& path) { m_databasePath = path; }

    /// What "Autopilot Config" does: open the configuration window, which this window does not
    /// know itself.
    void setConfigurationOpener(std::function<void()> open) {
        m_openConfiguration = std::move(open);
    }

    /// What the window asks of the mission control window, which it does not know itself.
    struct MissionControlHooks {
        std::function<void()> show;                          ///< "Mission Control"
        std::function<void(float lat, float lon)> shown;     ///< the stored map home, at start
        std::function<void()> gpsReceived;                   ///< the vehicle moved
        std::function<void()> finish;                        ///< first step of closing
    };
    void setMissionControlHooks(MissionControlHooks hooks) { m_missionControl = std::move(hooks); }

    /// What the window asks of the flight data recorder window.
    struct RecorderHooks {
        std::function<void()> show; ///< "Recorder"
        std::function<void()> tick; ///< the recorder tick, last step of Timer2
    };
    void setRecorderHooks(RecorderHooks hooks) { m_recorder = std::move(hooks); }
    /// What "Terminal" and "OSD" open: the board console windows.
    struct ConsoleHooks {
        std::function<void()> showTerminal; ///< "Terminal": the codepad, then the terminal
        std::function<void()> showOsd;      ///< "OSD": asks for captures and shows them
    };
    void setConsoleHooks(ConsoleHooks hooks) { m_console = std::move(hooks); }
    /// The codepad's size, kept as the settings "Editor width" and "Editor height".
    int32_t& editorWidth() { return m_editorWidth; }
    int32_t& editorHeight() { return m_editorHeight; }
    /// The recorder's next log file number, kept as the setting "Logfile_num".
    int32_t& logFileNumber() { return m_nextLogFile; }
    /// Where the simulator bridge talks to the simulator and finds its plug-in files.
    struct SimulatorSetup {
        uint16_t receivePort = 5402; ///< 0: any free port, for tests
        uint16_t sendPort = 5403;
        std::string redistFolder; ///< empty: "redist" beside the program
    };
    /// Before the window is first shown, when the receiving port is bound.
    void setSimulatorSetup(SimulatorSetup setup) { m_simSetup = std::move(setup); }
    /// The port the simulator bridge receives on, 0 while it could not bind one.
    uint16_t simulatorReceivePort() const;

    /// A device to list, select and connect to once the window is first shown.
    void setStartupPort(const std::string& path) { m_startupPort = path; }
    const telemetry::VehicleState& vehicle() const { return m_vehicle; }
    const ArtificialHorizon& horizon() const { return m_horizon; }

    // Attitude area, heading pie and armed indicator.
    QLabel *Label1, *Label2, *Label3, *Label4;
    PieGauge* hdg_pie;
    QLabel *Label34, *Label35, *Label37;

    // Radio and servo bars; the gauges are named rci1 to rci8 and rco1 to rco8.
    QLabel *Label5, *Label6, *Label7;
    std::array<QProgressBar*, 8> rci;
    std::array<QProgressBar*, 8> rco;

    // Stream rate lists.
    QComboBox *RCrate, *Servorate, *IMUrate, *NAVrate, *CRDrate, *VOLTrate;

    // "Measurements && Modes".
    QGroupBox* GroupBox6;
    QLabel *Label42, *Label43, *Label48, *Label49, *Label50, *Label52;
    QPushButton *Button19, *Button5, *Button25, *Button26, *Button27, *Button23;

    // "Navigation".
    QGroupBox* GroupBox4;
    QLabel *alt_asl, *temp_c, *gps_spd, *air_spd, *gpsfix, *numsats, *hdop, *lat_l, *lon_l, *alt_g;
    QLabel *Label51, *flightmode_t;
    QPushButton *Button14, *Button21;
    QPushButton* CompassSetup; ///< opens the compass setup box

    // "Board Configuration".
    QGroupBox* GroupBox1;
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5;
    QCheckBox *CheckBox1, *CheckBox2, *CheckBox3;
    QPushButton *Button4, *Button3, *Button20, *Button2;
    QComboBox* ComboBox2;
    QLabel *Label17, *currentmdl;

    // "GCS Link".
    QGroupBox* GroupBox2;
    QComboBox* ComboBox1;
    QPushButton *Button1, *Button22, *Button7;
    QLabel *Label9, *Label10, *Label11;
    QLabel* Label18; ///< link status line
    QCheckBox* ReconnectBox; ///< reconnect by itself when a lost device comes back

    // "Joystick Control".
    QGroupBox* GroupBox3;
    QComboBox *ComboBox3, *ComboBox4, *ComboBox5;
    QCheckBox *jrollrev, *jpitchrev, *jthrrev, *jyawrev, *CheckBox6;
    QSlider *jrolltrim, *jpitchtrim, *jyawtrim;
    QProgressBar *jrollbar, *jpitchbar, *jthrbar, *jyawbar;
    QLabel* jstatus;
    QPushButton* Button8;

    // "FlightGear Simulator".
    QGroupBox* GroupBox5;
    QLabel* fg_status;
    QPushButton *Button11, *Button12, *Button13;
    QLineEdit* fg_path;
    QCheckBox* fg_enabled;
    QFileDialog* SaveDialog1; ///< picks the simulator folder

    // "Compass Setup".
    QGroupBox* MagBox;
    QLineEdit *magx, *magy, *magz, *magxc, *magyc, *magzc;
    QPushButton *Button9, *Button10;

    // Restore defaults and the window buttons.
    QCheckBox* CheckBox5;
    QPushButton *Button6, *Button15, *Button16, *Button18, *Button24, *BitBtn1, *BitBtn2, *BitBtn3;

    QMenu *PopupMenu1, *PopupMenu2;
    QAction *DISARM1, *ARM1;
    QAction *Manual1, *Acro1, *Stable1, *AltHold1, *PosHold1, *Return1, *Auto1;

    QTimer *Timer1, *Timer2, *Timer3;
    QTimer* ReconnectTimer; ///< looks for a lost device while the link is down

    void ListPorts();
    void Button1Click();
    void Button22Click();
    void Timer1Timer();
    void Timer2Timer();
    void ReconnectTimerTimer();
    void ShowArmedState();
    void Button3Click();
    void Button2Click();
    void Button10Click();
    void Button8Click();
    void Button11Click();
    void Button12Click();
    void Button13Click();
    void Timer3Timer();
    void SimDatagramReceived(const uint8_t* data, size_t size);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Layout, one function a group.
    void createAttitudeArea();
    void createBars();
    void createMeasurementsGroup();
    void createNavigationGroup();
    void createBoardConfigGroup();
    void createLinkGroup();
    void createJoystickGroup();
    void createSimulatorGroup();
    void nameJoystickControls();
    void createCompassBox();
    void createWindowButtons();
    void createMenus();
    void createTimers();

    void registerHandlers();
    void handle(uint8_t type, link::MessageDispatcher::Handler handler);
    void MainWindowShown();
    void MainWindowClosing();
    void RestoreSettings();
    void SaveSettings();
    void ComboBox5Change();
    void StartSimulatorBridge();
    void connectSimulatorAndJoystick();
    void ShowAttitude(const telemetry::AttitudeView& view);
    void Connect();
    Status OpenLink(const std::string& name);
    void Disconnect();
    void ShowLinkClosed();
    void LinkLost(const std::string& reason);
    void setBoardGroupsVisible(bool visible);
    void selectPort(const std::string& path);
    link::StreamRateCodes streamRateCodes() const;
    void connectCommands();

    // Message handlers.
    void VersionReceived(const link::LinkFrame& frame);
    void AttitudeReceived(const link::LinkFrame& frame);
    void NavigationReceived(const link::LinkFrame& frame);
    void GpsReceived(const link::LinkFrame& frame);
    void MagnetometerReceived(const link::LinkFrame& frame);
    void PowerReceived(const link::LinkFrame& frame);
    void BoardConfigReceived(const link::LinkFrame& frame);
    void CurrentModelReceived(const link::LinkFrame& frame);
    void ModelListReceived(const link::LinkFrame& frame);
    void ChannelsReceived(const std::array<QProgressBar*, 8>& gauges, const link::LinkFrame& frame);

    link::BoardLink& m_link;
    store::LocalDatabase& m_database;
    store::SettingsStore m_settings;
    std::string m_databasePath = store::LocalDatabase::kFileName;
    // Settings kept for the parts of the program that use them.
    int32_t m_nextLogFile = 1;
    static constexpr float kMapHomeLat = 55.022861f;
    static constexpr float kMapHomeLon = 73.427856f;
    float m_mapHomeLat = kMapHomeLat;
    float m_mapHomeLon = kMapHomeLon;
    int32_t m_editorWidth = 0;
    int32_t m_editorHeight = 0;
    bool m_settingsRestored = false;
    telemetry::VehicleState m_vehicle;
    config::BoardConfigRecord m_boardConfig;
    ArtificialHorizon m_horizon;
    QImage m_horizonFrame;
    std::string m_startupPort;
    /// Devices that opened, typed paths among them; listed with the system's from then on.
    std::vector<std::string> m_typedPorts;
    link::ReconnectWatch m_reconnect;
    bool m_shown = false;
    std::function<void()> m_openConfiguration;
    MissionControlHooks m_missionControl;
    RecorderHooks m_recorder;
    ConsoleHooks m_console;
    std::vector<uint8_t> m_handledTypes;
    SimulatorSetup m_simSetup;
    sim::SimBridge m_simBridge{m_link.builder()};
    io::QtDatagramPort* m_simPort;
    joystick::SdlJoysticks m_joysticks;
    bool m_joystickPresent = false;
};

} // namespace crv::ui
