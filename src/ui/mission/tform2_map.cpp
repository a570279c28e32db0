// The map of the mission control window: tiles, path and markers, panning and zooming, and the
// pop-up menu that looks after the tile cache.

#include "ui/common/widget_factory.h"
#include "ui/mission/tform2.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QTimer>

namespace crv::ui {

namespace {

constexpr int kViewSize = map::MapView::kViewSize;
constexpr int kTile = map::kTileSize;

QString text(const std::string& value) { return QString::fromStdString(value); }

/// The picture of a satellite tile the cache does not have: blue, with "No data".
map::RgbaImage noDataPicture() {
    QImage picture(kTile, kTile, QImage::Format_ARGB32);
    picture.fill(QColor(0, 0, 255));
    {
        QPainter painter(&picture);
        painter.drawText(100, 128, "No data");
    }
    map::RgbaImage tile(kTile, kTile, 0);
    for (int y = 0; y < kTile; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(picture.constScanLine(y));
        std::copy(row, row + kTile, tile.pixels.begin() + ptrdiff_t(y) * kTile);
    }
    return tile;
}

/// A tile's composite picture as Qt sees it, without copying.
QImage viewOf(const map::RgbaImage& picture) {
    return QImage(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width,
                  picture.height, picture.width * 4, QImage::Format_RGB32);
}

} // namespace

void TForm2::createMapControls() {
    Image1 = new MapImage(*this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(8, 8, kViewSize, kViewSize);
    m_frame = QImage(kViewSize, kViewSize, QImage::Format_RGB32);
    m_frame.fill(Qt::black);
    // Pictures are decoded on the grid's workers; each finished one asks for a redraw here, at
    // most one waiting at a time.
    m_tiles = std::make_unique<map::TileGrid>(
        m_cache, noDataPicture(),
        [this](store::TileLayer layer, const store::TileKey& key) {
            m_fetcher.RequestTile(layer, key);
        },
        [this] {
            if (!m_redrawPosted.exchange(true)) {
                QMetaObject::invokeMethod(this, &TForm2::TilesDecoded, Qt::QueuedConnection);
            }
        });

    TrackBar1 = named<QSlider>(this, "TrackBar1", {524, 8, 26, 300});
    TrackBar1->setOrientation(Qt::Vertical);
    TrackBar1->setRange(3, 20);
    TrackBar1->setSingleStep(1);
    TrackBar1->setPageStep(1);
    TrackBar1->setInvertedAppearance(true); // zoom 3 at the top
    TrackBar1->setValue(map::MapView::kStartZoom);
    TrackBar1->setToolTip("Zoom");

    Label9 = label(this, "Label9", "", {8, 524, 300, 24});
    Button13 = button(this, "Button13", "Goto Home", {556, 58, 100, 26});
    Button12 = button(this, "Button12", "Set Map Home", {660, 58, 120, 26});
    CheckBox3 = checkBox(this, "CheckBox3", "Load map", {312, 524, 100, 24});
    khmLabel = label(this, "khmLabel", "", {420, 524, 100, 24});
}

void TForm2::createMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    auto add = [this](QMenu* menu, const char* name, const char* caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        return action;
    };
    ReloadView1 = add(PopupMenu1, "ReloadView1", "Reload view");
    ClearZoom1 = add(PopupMenu1, "ClearZoom1", "Clear zoom level");
    ClearAll1 = add(PopupMenu1, "ClearAll1", "Clear all map");
    CompressDB1 = add(PopupMenu1, "CompressDB1", "Compress DB");
    QMenu* service = PopupMenu1->addMenu("Service");
    UpdateVersion1 = add(service, "UpdateVersion1", "Update map version");
    UpdateVersion1->setEnabled(false);
    TileServers1 = add(service, "TileServers1", "Tile servers...");

    connect(ReloadView1, &QAction::triggered, this, [this] {
        maintain([this] {
            const map::WorldPixel centre = m_view.centrePixel();
            m_cache.DeleteViewTiles(centre.x, centre.y, m_view.zoom());
        });
    });
    connect(ClearZoom1, &QAction::triggered, this,
            [this] { maintain([this] { m_cache.DeleteZoomLevel(m_view.zoom()); }); });
    connect(ClearAll1, &QAction::triggered, this,
            [this] { maintain([this] { m_cache.DeleteAllTiles(); }); });
    connect(CompressDB1, &QAction::triggered, this, &TForm2::CompactDatabase);
    connect(TileServers1, &QAction::triggered, this, &TForm2::EditTileServers);
}

void TForm2::loadMarkers() {
    // A missing picture leaves its marker out.
    m_homeMarker.load("img/_home.png");
    m_pointMarker.load("img/_marker.png");
    m_targetMarker.load("img/_target.png");
    m_vehicleMarker.load("img/_vehicle.png");
}

void TForm2::RedrawMap() {
    m_cache.setMapBusy(true);
    m_view.settle();
    Label9->setText(text(m_view.centreText()));
    m_tiles->update(m_view.centrePixel(), m_view.zoom());
    QPainter painter(&m_frame);
    painter.fillRect(m_frame.rect(), Qt::black);
    drawTiles(painter);
    painter.setPen(palette().color(QPalette::Button));
    painter.drawLine(kViewSize / 2, 0, kViewSize / 2, kViewSize - 1);
    painter.drawLine(0, kViewSize / 2, kViewSize - 1, kViewSize / 2);
    drawPathAndMarkers(painter);
    painter.end();
    Image1->update();
    m_cache.setMapBusy(false);
}

void TForm2::TilesDecoded() {
    m_redrawPosted = false;
    if (!m_cache.MapBusy()) {
        RedrawMap();
    }
}

// World pixel (cx, cy) lands on view pixel (256, 256).
void TForm2::drawTiles(QPainter& painter) {
    const map::WorldPixel centre = m_view.centrePixel();
    for (int i = -1; i <= 1; ++i) {
        for (int j = -1; j <= 1; ++j) {
            const map::TileSlot& slot = m_tiles->slot(map::TileGrid::slotIndex(i, j));
            if (!slot.composite.empty()) {
                painter.drawImage(QPoint(kTile * (i + 1) - centre.x % kTile,
                                         kTile * (j + 1) - centre.y % kTile),
                                  viewOf(slot.composite));
            }
        }
    }
}

void TForm2::drawPathAndMarkers(QPainter& painter) {
    painter.setPen(QColor(0, 255, 0));
    const std::vector<map::DrawnPoint> drawn = m_view.pathInView(m_view.home, m_path.pathPoints);
    for (size_t k = 1; k < drawn.size(); ++k) {
        painter.drawLine(QPointF(drawn[k - 1].at.x, drawn[k - 1].at.y),
                         QPointF(drawn[k].at.x, drawn[k].at.y));
    }
    for (const map::DrawnPoint& point : drawn) {
        drawMarker(painter, point.home ? m_homeMarker : m_pointMarker, point.at);
    }
    if (m_view.target.latitude != 0) {
        drawMarker(painter, m_targetMarker, m_view.toView(m_view.target));
    }
    if (m_view.vehicle.latitude != 0) {
        drawMarker(painter, m_vehicleMarker, m_view.toView(m_view.vehicle));
    }
}

// A marker stands with its bottom centre on its point.
void TForm2::drawMarker(QPainter& painter, const QImage& marker, const map::ViewPoint& at) {
    if (marker.isNull()) {
        return;
    }
    painter.drawImage(QPointF(double(at.x) - marker.width() / 2, double(at.y) - marker.height()),
                      marker);
}

void TForm2::SetZoom(int zoom) { m_view.SetZoom(zoom); }

void TForm2::Button13Click() { m_view.jumpTo(m_view.home); }

void TForm2::Button12Click() {
    const map::GeoPoint centre = m_view.centre();
    m_settings.SetFloatParam("Map_home_lat", float(centre.latitude));
    m_settings.SetFloatParam("Map_home_lon", float(centre.longitude));
    m_view.home = centre;
    RebuildMissionListing();
}

void TForm2::CheckBox3Click() {
    m_fetcher.setLoadMap(CheckBox3->isChecked());
    m_versionWanted = CheckBox3->isChecked() && !m_fetcher.SatVersionKnown();
}

void TForm2::maintain(const std::function<void()>& command) {
    m_cache.setMapBusy(true);
    command();
    m_fetcher.forgetFailures(); // what was deleted is fetched again at once
    m_tiles->reloadAll();
    m_cache.setMapBusy(false);
}

void TForm2::CompactDatabase() {
    Timer1->stop();
    m_cache.CompactDatabase();
    Timer1->start();
}

void TForm2::EditTileServers() {
    QDialog dialog(this);
    dialog.setWindowTitle("Tile servers");
    auto* form = new QFormLayout(&dialog);
    const store::TileServers current = storedTileServers();
    auto field = [&](const char* caption, const std::string& value) {
        auto* edit = new QLineEdit(text(value), &dialog);
        edit->setMinimumWidth(320);
        form->addRow(caption, edit);
        return edit;
    };
    QLineEdit* satellite = field("Satellite tiles host ({n} = server 0 to 3):",
                                 current.satelliteHost);
    QLineEdit* overlay = field("Overlay tiles host ({n} = server 0 to 3):", current.overlayHost);
    QLineEdit* page = field("Main page (version and referer):", current.mainPage);
    QLineEdit* domain = field("Version marker domain:", current.versionDomain);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const store::TileServers chosen{
        satellite->text().trimmed().toStdString(), overlay->text().trimmed().toStdString(),
        page->text().trimmed().toStdString(), domain->text().trimmed().toStdString()};
    m_settings.SetTextParam("Map_sat_host", chosen.satelliteHost);
    m_settings.SetTextParam("Map_overlay_host", chosen.overlayHost);
    m_settings.SetTextParam("Map_main_page", chosen.mainPage);
    m_settings.SetTextParam("Map_version_domain", chosen.versionDomain);
    m_fetcher.setServers(chosen);
    // Other servers may have another satellite version: it is fetched again.
    if (!m_fetcher.SatVersionKnown()) {
        khmLabel->clear();
        CheckBox3Click();
    }
}

store::TileServers TForm2::storedTileServers() {
    const store::TileServers defaults;
    return {m_settings.GetTextParam("Map_sat_host", defaults.satelliteHost),
            m_settings.GetTextParam("Map_overlay_host", defaults.overlayHost),
            m_settings.GetTextParam("Map_main_page", defaults.mainPage),
            m_settings.GetTextParam("Map_version_domain", defaults.versionDomain)};
}

MapImage::MapImage(TForm2& window) : QWidget(&window), m_window(window) {}

void MapImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, m_window.m_frame);
}

void MapImage::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        m_window.m_view.pressAt(at.x(), at.y());
    } else if (event->button() == Qt::RightButton) {
        m_window.PopupMenu1->popup(event->globalPosition().toPoint());
    }
}

void MapImage::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        const QPoint at = event->position().toPoint();
        m_window.m_view.dragTo(at.x(), at.y());
    }
}

} // namespace crv::ui
