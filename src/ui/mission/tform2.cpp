#include "ui/mission/tform2.h"

#include "link/message_types.h"
#include "ui/common/widget_factory.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QSlider>
#include <QTimer>

#include <chrono>
#include <thread>

namespace crv::ui {

namespace {

constexpr int kTickMs = 300;
constexpr uint8_t kTargetPosition = 50;
constexpr uint8_t kHomePosition = 51;

QString text(const std::string& value) { return QString::fromStdString(value); }

QLineEdit* parameterField(QWidget* parent, const char* name, const char* hint, const QRect& at) {
    auto* field = named<QLineEdit>(parent, name, at);
    field->setToolTip(hint);
    field->setPlaceholderText(hint);
    field->setText("0");
    return field;
}

QPushButton* hinted(QPushButton* button, const char* hint) {
    button->setToolTip(hint);
    return button;
}

} // namespace

TForm2::TForm2(link::BoardLink& link, store::LocalDatabase& database, store::TileCache& cache,
               store::TileFetcher& fetcher, const telemetry::VehicleState& vehicle,
               QWidget* owner)
    : QWidget(owner, Qt::Window), m_link(link), m_settings(database), m_cache(cache),
      m_fetcher(fetcher), m_vehicle(vehicle) {
    setObjectName("TForm2");
    setWindowTitle("Corvane X Mission Control");
    setFixedSize(940, 556);
    createMapControls();
    createEditorControls();
    createMenu();
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(kTickMs);
    connectControls();
    registerHandlers();

    m_edit.action = mission::action::kEndReturnHome;
    m_mission.items[0] = m_edit;
    RebuildMissionListing();
    ComboBox1Change();
    Timer1->start();
}

// The link and the fetcher outlive the window; neither may call into it once it is gone. The
// tile decoders stop first, waiting pictures dropped, while the window can still take posts.
TForm2::~TForm2() {
    m_tiles.reset();
    auto& dispatcher = m_link.dispatcher();
    dispatcher.setHandler(link::msg::kMissionItem, nullptr);
    dispatcher.setSubtypeHandler(link::msg::kConfigBlock, kTargetPosition, nullptr);
    dispatcher.setSubtypeHandler(link::msg::kConfigBlock, kHomePosition, nullptr);
    m_fetcher.setTileStoredHandler(nullptr);
}

void TForm2::createEditorControls() {
    const int x = 556;
    Label1 = label(this, "Label1", "Autopilot mode: -", {x, 8, 260, 20});
    CheckBox1 = checkBox(this, "CheckBox1", "Follow the plane", {x, 32, 130, 22});
    CheckBox1->setToolTip("Centered Vehicle");
    CheckBox2 = checkBox(this, "CheckBox2", "Track the mission", {x + 134, 32, 140, 22});
    CheckBox2->setToolTip("Highlight the current mission line");
    CheckBox4 = checkBox(this, "CheckBox4", "Copy to actions", {x + 236, 60, 140, 22});

    caption(this, "Action:", {x, 94, 50, 22});
    ComboBox1 = dropDown(this, "ComboBox1", toQStringList(mission::actionChoices()),
                         {x + 50, 92, 326, 26});
    ComboBox1->setEditable(true);
    p1t = parameterField(this, "p1t", "P1", {x, 124, 90, 24});
    p2t = parameterField(this, "p2t", "P2", {x + 95, 124, 90, 24});
    p3t = parameterField(this, "p3t", "P3", {x + 190, 124, 90, 24});
    p4t = parameterField(this, "p4t", "P4", {x + 285, 124, 91, 24});

    Label4 = label(this, "Label4", "0", {x, 156, 40, 22});
    Button2 = hinted(button(this, "Button2", "MOD", {x + 44, 154, 72, 26}), "Modify selected line");
    Button3 = hinted(button(this, "Button3", "Above", {x + 120, 154, 72, 26}),
                     "Add this line above selected");
    Button4 = hinted(button(this, "Button4", "Below", {x + 196, 154, 72, 26}),
                     "Add this line below selected");
    Button5 = hinted(button(this, "Button5", "Del", {x + 272, 154, 72, 26}), "Delete selected line");

    caption(this, "Mission Listing (click to modify):", {x, 186, 300, 20});
    ListBox1 = named<QListWidget>(this, "ListBox1", {x, 208, 376, 230});
    Label8 = label(this, "Label8", "Total points:", {x, 442, 376, 20});

    Button6 = hinted(button(this, "Button6", "Load...", {x, 466, 80, 26}), "Load from file");
    Button7 = hinted(button(this, "Button7", "Save...", {x + 84, 466, 80, 26}), "Save to file");
    Button8 = hinted(button(this, "Button8", "Write", {x + 168, 466, 80, 26}),
                     "Upload the mission to the board");
    Button9 = hinted(button(this, "Button9", "Read", {x + 252, 466, 70, 26}),
                     "Read the mission data from the board");
    Button14 = button(this, "Button14", ">>CLI", {x + 326, 466, 50, 26});

    caption(this, "Search on Map:", {x, 504, 100, 22});
    Edit1 = named<QLineEdit>(this, "Edit1", {x + 100, 502, 200, 26});
    Button1 = hinted(button(this, "Button1", "Locate", {x + 304, 502, 72, 26}),
                     "Type any location or coordinates and search with Google");
}

void TForm2::connectControls() {
    connect(Timer1, &QTimer::timeout, this, &TForm2::Timer1Timer);
    connect(ComboBox1, &QComboBox::currentTextChanged, this, &TForm2::ComboBox1Change);
    connect(ListBox1, &QListWidget::itemClicked, this, &TForm2::ListBox1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm2::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm2::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TForm2::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TForm2::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TForm2::Button7Click);
    connect(Button8, &QPushButton::clicked, this, &TForm2::StartUpload);
    connect(Button9, &QPushButton::clicked, this, &TForm2::StartDownload);
    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(CheckBox1, &QCheckBox::toggled, this, [this](bool on) {
        if (on) {
            CheckBox2->setChecked(false);
        }
    });
    connect(CheckBox2, &QCheckBox::toggled, this, [this](bool on) {
        if (on) {
            CheckBox1->setChecked(false);
        }
    });
    connect(TrackBar1, &QSlider::valueChanged, this, &TForm2::SetZoom);
    connect(Button12, &QPushButton::clicked, this, &TForm2::Button12Click);
    connect(Button13, &QPushButton::clicked, this, &TForm2::Button13Click);
    connect(CheckBox3, &QCheckBox::toggled, this, &TForm2::CheckBox3Click);
}

void TForm2::registerHandlers() {
    auto& dispatcher = m_link.dispatcher();
    dispatcher.setHandler(link::msg::kMissionItem,
                          [this](const link::LinkFrame& frame) { OnMissionItem(frame); });
    dispatcher.setSubtypeHandler(link::msg::kConfigBlock, kTargetPosition,
                                 [this](const link::LinkFrame& frame) { TargetReceived(frame); });
    dispatcher.setSubtypeHandler(link::msg::kConfigBlock, kHomePosition,
                                 [this](const link::LinkFrame& frame) { HomeReceived(frame); });
    // Stores happen on the fetcher's worker; the slots are marked on this window's thread.
    m_fetcher.setTileStoredHandler([this](store::TileLayer layer, const store::TileKey& key) {
        QMetaObject::invokeMethod(this, [this, layer, key] { m_tiles->markForReload(layer, key); },
                                  Qt::QueuedConnection);
    });
}

void TForm2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_positioned && parentWidget() != nullptr) {
        m_positioned = true;
        move(parentWidget()->geometry().topLeft() + QPoint(40, 40));
    }
}

void TForm2::MainWindowShown(const map::GeoPoint& storedHome) {
    loadMarkers();
    m_view.jumpTo(storedHome);
    m_view.home = storedHome;
    m_fetcher.setServers(storedTileServers());
    RebuildMissionListing();
}

void TForm2::VehicleMoved() {
    m_view.vehicle = {m_vehicle.latitudeD, m_vehicle.longitudeD};
    if (CheckBox1->isChecked()) {
        m_view.CentreOn(m_view.vehicle);
    }
}

void TForm2::FinishForShutdown() {
    m_fetcher.cancel();
    while (m_fetcher.FetchJob() != store::TileFetcher::Idle || m_cache.MapBusy()) {
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5)); // the link goes on meanwhile
    }
    Timer1->stop();
}

// The window's clock: everything periodic, in this order.
void TForm2::Timer1Timer() {
    Label4->setText(QString::number(m_selectedLine));
    if (CheckBox4->isChecked()) {
        CopyToActions();
    }
    const bool idle = !m_upload.active() && !m_download.active() && m_link.session().linkOpen();
    Button8->setEnabled(idle);
    Button9->setEnabled(idle);
    if (m_upload.active()) {
        Button8->setText(text(m_upload.tick(m_link.builder(), m_mission)));
    }
    ShowFlightMode();
    TrackMission();
    if (m_versionWanted && m_fetcher.FetchMapVersion()) {
        m_versionWanted = false;
    }
    if (m_fetcher.SatVersionKnown() && khmLabel->text().isEmpty()) {
        khmLabel->setText(text("v" + m_fetcher.SatVersion()));
    }
    if (!m_cache.MapBusy()) {
        RedrawMap();
    }
    m_fetcher.paceTick();
}

void TForm2::CopyToActions() {
    const auto values = mission::centreAsFields(m_edit.action, m_view.centre(), m_view.home);
    if (values) {
        p1t->setText(text((*values)[0]));
        p2t->setText(text((*values)[1]));
    }
}

void TForm2::ShowFlightMode() {
    if (const auto mode = mission::autopilotModeName(m_vehicle.flightMode)) {
        Label1->setText(text(*mode));
    }
}

void TForm2::TrackMission() {
    const bool tracking = CheckBox2->isChecked() &&
                          m_vehicle.flightMode == static_cast<uint8_t>(telemetry::FlightMode::Auto);
    for (QWidget* control : std::initializer_list<QWidget*>{ListBox1, Button2, Button3, Button4,
                                                            Button5, Button6, Button7}) {
        control->setEnabled(!tracking);
    }
    const int current = m_vehicle.waypointIndex;
    if (!tracking || current < 0 || current >= m_mission.count) {
        return;
    }
    m_selectedLine = static_cast<uint8_t>(current);
    ListBox1->setCurrentRow(current);
    if (!mission::isEndLine(m_mission.items[current].action)) {
        m_edit = m_mission.items[current];
    }
    ShowItem();
}

// Listing and editor.

void TForm2::RebuildMissionListing() {
    ListBox1->clear();
    for (size_t index = 0; index < m_mission.count; ++index) {
        ListBox1->addItem(text(mission::listingText(index, m_mission.items[index])));
    }
    ListBox1->setCurrentRow(m_selectedLine);
    m_path = mission::walkMission(m_mission, m_view.home);
    Label8->setText(text(mission::totalsText(m_path)));
    if (m_path.points > int(mission::MissionList::kMaxLines) || m_path.cutShort) {
        QMessageBox::information(
            this, windowTitle(),
            QString("There are over %1 points to go.\n Maybe you have an infinite loop in the "
                    "mission.\n Only first 200 points will appear on the map.")
                .arg(m_path.points));
    }
}

void TForm2::ComboBox1Change() {
    m_edit.action = mission::actionOfChoice(ComboBox1->currentText().toStdString());
    for (QLineEdit* field : fields()) {
        field->setText("0");
    }
    ShowFields();
}

void TForm2::ShowFields() {
    const std::array<bool, 4> shown = mission::shownFields(m_edit.action);
    for (size_t k = 0; k < shown.size(); ++k) {
        fields()[k]->setVisible(shown[k]);
    }
}

// Showing a line does not count as choosing an action, which would clear the fields.
void TForm2::ShowItem() {
    const mission::ItemView view = mission::showItem(m_edit, m_view.home);
    {
        const QSignalBlocker quiet(ComboBox1);
        ComboBox1->setCurrentIndex(view.choice);
    }
    for (size_t k = 0; k < view.fields.size(); ++k) {
        if (view.fields[k]) {
            fields()[k]->setText(text(*view.fields[k]));
        }
    }
    ShowFields();
    if (view.centre) {
        m_view.CentreOn(*view.centre);
    }
}

bool TForm2::ReadFields() {
    mission::FieldTexts typed;
    for (size_t k = 0; k < typed.size(); ++k) {
        typed[k] = fields()[k]->text().toStdString();
    }
    const mission::FieldRead read = mission::readFields(m_edit, typed);
    if (!read.item) {
        QMessageBox::warning(this, windowTitle(), text(read.error));
        return false;
    }
    m_edit = *read.item;
    return true;
}

bool TForm2::hasSelection() const { return ListBox1->currentRow() >= 0; }

void TForm2::ListBox1Click() {
    if (!hasSelection()) {
        return;
    }
    m_selectedLine = static_cast<uint8_t>(ListBox1->currentRow());
    if (!mission::isEndLine(m_mission.items[m_selectedLine].action)) {
        m_edit = m_mission.items[m_selectedLine];
    }
    ShowItem();
}

void TForm2::Button2Click() {
    if (!hasSelection() || !ReadFields()) {
        return;
    }
    if (!mission::isEndLine(m_mission.items[m_selectedLine].action)) {
        m_mission.items[m_selectedLine] = m_edit;
    }
    RebuildMissionListing();
}

void TForm2::insertAt(size_t index) {
    if (!mission::insertLine(m_mission, index, m_edit)) {
        QMessageBox::information(this, windowTitle(), "The mission is full: it holds 201 lines.");
        return;
    }
    m_selectedLine = static_cast<uint8_t>(index);
    RebuildMissionListing();
}

void TForm2::Button3Click() {
    if (hasSelection() && ReadFields()) {
        insertAt(m_selectedLine);
    }
}

void TForm2::Button4Click() {
    if (!hasSelection() || !ReadFields() ||
        mission::isEndLine(m_mission.items[m_selectedLine].action)) {
        return;
    }
    insertAt(m_selectedLine + 1u);
}

void TForm2::Button5Click() {
    if (hasSelection() && mission::deleteLine(m_mission, m_selectedLine)) {
        RebuildMissionListing();
    }
}

// Mission files.

void TForm2::Button6Click() {
    const QString path = QFileDialog::getOpenFileName(
        this, "Load Mission File...", QDir::currentPath(), "Mission files (*.mission)");
    if (!path.isEmpty()) {
        LoadMissionFrom(path);
    }
}

void TForm2::Button7Click() {
    QFileDialog dialog(this, "Save Mission File...", QDir::currentPath(),
                       "Mission files (*.mission)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("mission");
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        SaveMissionTo(dialog.selectedFiles().first());
    }
}

void TForm2::SaveMissionTo(const QString& path) {
    const std::vector<uint8_t> bytes = mission::saveMissionFile(m_mission);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) !=
            qint64(bytes.size())) {
        QMessageBox::warning(this, windowTitle(),
                             "The mission could not be saved to " + path + ": " +
                                 file.errorString());
    }
}

void TForm2::LoadMissionFrom(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        QMessageBox::warning(this, windowTitle(),
                             "The mission file " + path + " cannot be read: " + file.errorString());
        return;
    }
    // One byte more than a mission can use, so a longer file is still told apart.
    const QByteArray bytes = file.read(qint64(mission::kLargestMissionFile) + 1);
    const std::string problem =
        mission::loadMissionFile(m_mission, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    if (!problem.empty()) {
        QMessageBox::warning(this, windowTitle(), text(problem));
    }
    if (size_t(bytes.size()) < mission::kFileRecordSize) {
        return; // the mission is as it was
    }
    m_selectedLine = 0;
    RebuildMissionListing();
    m_edit = m_mission.items[0];
    ShowItem();
}

// Transfers.

void TForm2::StartUpload() {
    if (m_mission.count != 0 && mission::lowAltitudeWarning(m_mission)) {
        const auto answer = QMessageBox::warning(
            nullptr, "Low Altitude Warning",
            "ATTENTION!\nDuring the mission your aircraft might hit the ground!\nAn altitude may "
            "drop below 20m at certain stage.\nReview your mission heights by pressing CANCEL\n"
            "Or press OK if you sure.",
            QMessageBox::Ok | QMessageBox::Cancel);
        if (answer != QMessageBox::Ok) {
            return;
        }
    }
    m_upload.start();
}

void TForm2::StartDownload() {
    m_selectedLine = 0;
    m_download.start(m_link.builder());
}

void TForm2::OnMissionItem(const link::LinkFrame& frame) {
    if (m_download.onLine(m_link.builder(), m_mission, frame)) {
        RebuildMissionListing();
        ListBox1Click();
    }
}

// Place names need a search service the program does not use; typed coordinates are found.
void TForm2::Button1Click() {
    if (const auto position = map::parsePosition(Edit1->text().toStdString())) {
        m_view.CentreOn(*position);
        return;
    }
    QMessageBox::information(this, windowTitle(),
                             "Type a position as latitude, longitude in degrees, for example "
                             "55.0228, 73.4278.\nPlaces cannot be searched for by name.");
}

void TForm2::TargetReceived(const link::LinkFrame& frame) {
    m_view.target = mission::boardPosition(frame);
}

void TForm2::HomeReceived(const link::LinkFrame& frame) {
    m_view.home = mission::boardPosition(frame);
}

} // namespace crv::ui
