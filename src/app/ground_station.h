#pragma once

#include "config/config_record_store.h"
#include "io/qt_serial_port.h"
#include "link/board_link.h"
#include "store/local_database.h"
#include "store/tile_cache.h"
#include "store/tile_fetcher.h"
#include "ui/config/tform3.h"
#include "ui/console/tform10.h"
#include "ui/console/tform11.h"
#include "ui/console/tform12.h"
#include "ui/main/tform1.h"
#include "ui/mission/tform2.h"
#include "ui/recorder/tform7.h"

namespace crv::app {

/// The whole program but its entry point: the board link, the settings file, the tile service
/// and the windows, made in their order and wired to each other. Needs a QApplication.
class GroundStation {
public:
    GroundStation();
    GroundStation(const GroundStation&) = delete;
    GroundStation& operator=(const GroundStation&) = delete;

    ui::TForm1& mainWindow() { return m_mainWindow; }
    ui::TForm2& missionControlWindow() { return m_missionControlWindow; }
    ui::TForm3& configurationWindow() { return m_configurationWindow; }
    ui::TForm7& recorderWindow() { return m_recorderWindow; }
    ui::TForm10& terminalWindow() { return m_terminalWindow; }
    ui::TForm11& osdCaptureWindow() { return m_osdCaptureWindow; }
    ui::TForm12& codepadWindow() { return m_codepadWindow; }
    link::BoardLink& link() { return m_link; }
    /// The configuration records kept for the whole run, for the pages that edit them.
    config::ConfigRecordStore& configRecords() { return m_configRecords; }

private:
    io::QtSerialPort m_serialPort;
    link::BoardLink m_link{m_serialPort};
    config::ConfigRecordStore m_configRecords{m_link.dispatcher()};
    store::LocalDatabase m_database;
    store::TileCache m_tileCache{m_database};
    store::TileFetcher m_tileFetcher{m_tileCache, store::TileServers{}};
    // The windows, in the order they are made; each lives for the whole run.
    ui::TForm1 m_mainWindow{m_link, m_database};
    ui::TForm2 m_missionControlWindow{
        m_link, m_database, m_tileCache, m_tileFetcher, m_mainWindow.vehicle(), &m_mainWindow};
    ui::TForm3 m_configurationWindow{m_link, &m_mainWindow};
    ui::TForm7 m_recorderWindow{m_link, m_mainWindow.logFileNumber(), &m_mainWindow};
    ui::TForm10 m_terminalWindow{m_link, &m_mainWindow};
    ui::TForm11 m_osdCaptureWindow{m_link, &m_mainWindow};
    ui::TForm12 m_codepadWindow{m_terminalWindow, m_configurationWindow,
                                m_mainWindow.editorWidth(), m_mainWindow.editorHeight(),
                                &m_mainWindow};
};

} // namespace crv::app
