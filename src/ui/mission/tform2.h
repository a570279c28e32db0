#pragma once

#include "link/board_link.h"
#include "map/map_view.h"
#include "map/tile_grid.h"
#include "mission/mission.h"
#include "mission/mission_editor.h"
#include "store/settings_store.h"
#include "store/tile_fetcher.h"
#include "telemetry/vehicle_state.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <atomic>
#include <memory>
#include <string>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QSlider;
class QTimer;

namespace crv::ui {

class MapImage;

/// The mission control window: the tiled map with the vehicle, home, target and mission path,
/// the mission editor and listing, mission files and the transfers with the board.
class TForm2 : public QWidget {
    Q_OBJECT

public:
    /// vehicle is the main window's telemetry, read for the position, flight mode and line.
    TForm2(link::BoardLink& link, store::LocalDatabase& database, store::TileCache& cache,
           store::TileFetcher& fetcher, const telemetry::VehicleState& vehicle,
           QWidget* owner = nullptr);
    ~TForm2() override;

    // Map.
    MapImage* Image1;
    QSlider* TrackBar1;
    QLabel *Label9, *khmLabel;
    QPushButton *Button12, *Button13;
    QCheckBox *CheckBox1, *CheckBox3;
    QMenu* PopupMenu1;
    QAction *ReloadView1, *ClearZoom1, *ClearAll1, *CompressDB1, *UpdateVersion1, *TileServers1;

    // Editor and listing.
    QComboBox* ComboBox1;
    QLineEdit *p1t, *p2t, *p3t, *p4t;
    QLabel *Label4, *Label8, *Label1;
    QListWidget* ListBox1;
    QPushButton *Button2, *Button3, *Button4, *Button5, *Button6, *Button7, *Button8, *Button9,
        *Button14;
    QCheckBox *CheckBox4, *CheckBox2;
    QLineEdit* Edit1;
    QPushButton* Button1;
    QTimer* Timer1;

    /// The main window was shown: the stored map home becomes view centre and home, and the
    /// tile servers are read from the settings.
    void MainWindowShown(const map::GeoPoint& storedHome);
    /// A GPS message changed the vehicle position.
    void VehicleMoved();
    /// Shutdown: cancels a download, waits (handling events) until the fetcher is idle and the
    /// map is not busy, then stops the timer.
    void FinishForShutdown();

    void Timer1Timer();
    void RedrawMap();
    void RebuildMissionListing();
    void SaveMissionTo(const QString& path);
    void LoadMissionFrom(const QString& path);
    void StartUpload();
    void StartDownload();

    const mission::MissionList& missionList() const { return m_mission; }
    const mission::MissionItem& editItem() const { return m_edit; }
    const map::MapView& mapView() const { return m_view; }
    const map::TileGrid& tileGrid() const { return *m_tiles; }
    const QImage& mapFrame() const { return m_frame; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    friend class MapImage;

    void createMapControls();
    void createEditorControls();
    void createMenu();
    void connectControls();
    void registerHandlers();
    void loadMarkers();

    // Editor.
    void ComboBox1Change();
    void ListBox1Click();
    void ShowFields();
    void ShowItem();
    bool ReadFields();
    void Button2Click();
    void insertAt(size_t index);
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void CopyToActions();
    void Button1Click();
    void ShowFlightMode();
    void TrackMission();
    std::array<QLineEdit*, 4> fields() const { return {p1t, p2t, p3t, p4t}; }
    bool hasSelection() const;

    // Board messages.
    void OnMissionItem(const link::LinkFrame& frame);
    void TargetReceived(const link::LinkFrame& frame);
    void HomeReceived(const link::LinkFrame& frame);

    // Map.
    void SetZoom(int zoom);
    void Button12Click();
    void Button13Click();
    void CheckBox3Click();
    void TilesDecoded();
    void drawTiles(class QPainter& painter);
    void drawPathAndMarkers(class QPainter& painter);
    void drawMarker(class QPainter& painter, const QImage& marker, const map::ViewPoint& at);
    void maintain(const std::function<void()>& command);
    void CompactDatabase();
    void EditTileServers();
    store::TileServers storedTileServers();

    link::BoardLink& m_link;
    store::SettingsStore m_settings;
    store::TileCache& m_cache;
    store::TileFetcher& m_fetcher;
    const telemetry::VehicleState& m_vehicle;

    mission::MissionList m_mission;
    mission::MissionItem m_edit;
    mission::MissionPath m_path;
    uint8_t m_selectedLine = 0;
    mission::MissionUpload m_upload;
    mission::MissionDownload m_download;

    map::MapView m_view;
    std::unique_ptr<map::TileGrid> m_tiles;
    QImage m_frame;
    QImage m_homeMarker, m_pointMarker, m_targetMarker, m_vehicleMarker;
    std::atomic<bool> m_redrawPosted{false};
    bool m_versionWanted = false;
    bool m_positioned = false;
};

/// The map area: shows the window's map picture and passes on drags and the pop-up menu.
class MapImage : public QWidget {
    Q_OBJECT

public:
    explicit MapImage(TForm2& window);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    TForm2& m_window;
};

} // namespace crv::ui
