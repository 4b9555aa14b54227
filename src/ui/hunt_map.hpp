#pragma once

// The Hunt Map window: the stations, bearing rays, fixes and their ellipses at their true places, over a
// georeferenced map or on a white sheet with the UTM grid. It follows the measurement state live and
// remembers its map in Vantrel.ini, section [Map], and how it draws (symbol size, night palette, legend) in
// [HuntMap]. The hunt's zone is the main window's (MainFrm::HuntZone); the label beside the Zone field says
// where it comes from. A zone typed into the field, or accepted when a map in another UTM zone opens, is
// remembered for the measurement file. Stations and fixes that do not lie in the zone are not drawn: the
// notes say so and "Change Zone..." asks for another. A bearing log followed as it grows or replayed
// is shown at one moment through the time bar at the bottom (hunt_time_bar.hpp); the hunt's own log
// layer then gives way to it.

#include <QMainWindow>

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/outcome.hpp"
#include "geodesy/utm_zone.hpp"
#include "hunt_picture/hunt_scene.hpp"
#include "hunt_picture/map_source.hpp"
#include "persistence/hunt_map_display.hpp"
#include "persistence/map_settings.hpp"

class QAction;
class QComboBox;
class QToolBar;
class QToolButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPrinter;
class QPushButton;

namespace vantrel::ui {

class MainFrm;
class HuntMapCanvas;
class HuntMapHeat;
class HuntTimeBar;

class HuntMap : public QMainWindow {
    Q_OBJECT
  public:
    explicit HuntMap(MainFrm& main, QWidget* parent = nullptr);
    ~HuntMap() override;
    HuntMap(const HuntMap&) = delete;
    HuntMap& operator=(const HuntMap&) = delete;

    HuntMapCanvas* canvas = nullptr;
    QLineEdit* txtMapZone = nullptr;
    QLabel* lblZoneSource = nullptr;       // "from the zone boxes", "remembered", "default"
    QPushButton* cmdChangeZone = nullptr;  // shown while positions are left out for their zone
    QPushButton* cmdFitAll = nullptr;
    QCheckBox* chkMap = nullptr;
    QCheckBox* chkGrid = nullptr;
    QCheckBox* chkRays = nullptr;
    QCheckBox* chkReadings = nullptr;
    QCheckBox* chkEllipses = nullptr;
    QCheckBox* chkFixes = nullptr;
    QCheckBox* chkStations = nullptr;
    QCheckBox* chkLegend = nullptr;
    QCheckBox* chkNight = nullptr;
    QToolButton* cmdFoxes = nullptr;     // a menu of the five foxes, each shown or hidden
    std::array<QAction*, 5> mnuFox{};    // F1..F5 in that menu
    QComboBox* cboSymbolSize = nullptr;  // text, lines and symbols: 75 % to 200 %
    QAction* mnuFitAll = nullptr;        // Ctrl+0
    QAction* mnuOpenMap = nullptr;
    QAction* mnuCalibrate = nullptr;
    QAction* mnuSavePng = nullptr;
    QAction* mnuSavePng2x = nullptr;
    QAction* mnuPrint = nullptr;
    QAction* mnuClose = nullptr;
    QLabel* lblPosition = nullptr;  // the cursor position
    QLabel* lblNotes = nullptr;     // boxes left out, a map that does not cover the hunt
    // The bearing log's layer.
    QCheckBox* chkBearingLog = nullptr;
    // The likelihood map of one fox: its toggle, its fox, its computation in the background.
    HuntMapHeat* heat = nullptr;
    // A followed or replayed log at one moment (live map, replay, training view): hunt_time_bar.hpp.
    HuntTimeBar* timeBar = nullptr;

    // Opens a map; on failure the message names the file and the previous map stays.
    core::Outcome OpenMap(const std::filesystem::path& path);
    // Fits the view to the stations, fixes and shown ellipses (the map's footprint when there are none);
    // an ellipse too large to show whole is said in the status bar.
    void FitAll();
    // The whole picture of the current view, `scale` times its size (1 or 2), drawn on the GUI thread while
    // the canvas may be drawing the same map on its worker (the map is locked). A part of the map that
    // cannot be read is said in the status bar.
    [[nodiscard]] QImage RenderPicture(double scale) const;
    // Prints the view on one page (a printer set to PDF writes a PDF file).
    void PrintTo(QPrinter& printer) const;
    // Writes the picture as a PNG, atomically.
    core::Outcome SavePicture(const std::filesystem::path& path, double scale) const;

    [[nodiscard]] geodesy::UtmZone Zone() const { return zone_; }
    [[nodiscard]] const hunt_picture::HuntScene& Scene() const { return scene_; }
    [[nodiscard]] const std::optional<hunt_picture::MapSource>& Map() const { return map_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void BuildMenus();
    void BuildToolBar();
    void BuildFoxMenu(QToolBar* bar);
    // Reads the state again: the scene, the zone, the notes; redraws.
    void Rebuild();
    void ScheduleRebuild();
    void ZoneEdited();
    void ChangeZone(geodesy::UtmZone zone);
    // Asks once per map and measurement file whether to place the hunt in the map's UTM zone.
    void OfferMapZone();
    void AskAndChangeZone();
    void UpdateCanvas(bool mapChanged);
    // The likelihood map over the view as it is now (in the background).
    void RequestHeat();
    // The areas of the likelihood map's 50 % and 95 % regions, in the status bar.
    void ShowHeatAreas();
    // A new moment of the followed or replayed log: redraws; the first one fits the view to it.
    void TimeLayerChanged();
    // Follow: brings the car back into the middle when it nears the view's edge.
    void KeepInView(core::PlanePoint car);
    void ShowPosition(std::optional<QPointF> pixel);
    // Why a part of the map could not be read, in the status bar ("" leaves the bar as it is).
    void ShowMapProblem(const QString& problem) const;
    void SaveSettings();
    void AskAndOpenMap();
    // A picture without georeference: offers to calibrate it at once.
    void OfferCalibration(const std::filesystem::path& picture, const QString& message);
    void DisplayChanged();
    void CalibratePicture(const QString& picture = QString());
    void AskAndSavePng(double scale);
    void Print();
    [[nodiscard]] hunt_picture::Layers CheckedLayers() const;
    [[nodiscard]] const hunt_picture::ViewProjection& Projection() const;

    MainFrm& main_;
    QMenu* viewMenu_ = nullptr;
    QToolBar* layersBar_ = nullptr;
    persistence::MapSettings settings_;
    persistence::HuntMapDisplay display_;
    geodesy::UtmZone zone_;
    std::vector<std::string> outsideZone_;  // the stations and fixes left out for the zone
    std::set<std::string> zoneOffersMade_;  // "map path|measurement file" already asked about
    hunt_picture::HuntScene scene_;
    std::optional<hunt_picture::MapSource> map_;
    hunt_picture::IdentityProjection identity_;
    bool rebuildScheduled_ = false;
    bool fitted_ = false;
    bool shown_ = false;
};

}  // namespace vantrel::ui
