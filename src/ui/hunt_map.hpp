#pragma once

// The Hunt Map window: the stations, bearing rays, fixes and their ellipses at their true places, over a
// georeferenced map or on a white sheet with the UTM grid. It follows the measurement state live and
// remembers its map and zone in Vantrel.ini, section [Map].

#include <QMainWindow>

#include <filesystem>
#include <memory>
#include <optional>

#include "core/outcome.hpp"
#include "geodesy/utm_zone.hpp"
#include "hunt_picture/hunt_scene.hpp"
#include "hunt_picture/map_source.hpp"
#include "persistence/map_settings.hpp"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;

namespace vantrel::ui {

class MainFrm;
class HuntMapCanvas;

class HuntMap : public QMainWindow {
    Q_OBJECT
  public:
    explicit HuntMap(MainFrm& main, QWidget* parent = nullptr);
    ~HuntMap() override;
    HuntMap(const HuntMap&) = delete;
    HuntMap& operator=(const HuntMap&) = delete;

    HuntMapCanvas* canvas = nullptr;
    QLineEdit* txtMapZone = nullptr;
    QPushButton* cmdFitAll = nullptr;
    QCheckBox* chkMap = nullptr;
    QCheckBox* chkGrid = nullptr;
    QCheckBox* chkRays = nullptr;
    QCheckBox* chkReadings = nullptr;
    QCheckBox* chkEllipses = nullptr;
    QCheckBox* chkFixes = nullptr;
    QCheckBox* chkStations = nullptr;
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

    // Opens a map; on failure the message names the file and the previous map stays.
    core::Outcome OpenMap(const std::filesystem::path& path);
    // Fits the view to the stations, fixes and shown ellipses (the map's footprint when there are none).
    void FitAll();
    // The whole picture of the current view, `scale` times its size (1 or 2).
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
    // Reads the state again: the scene, the zone, the notes; redraws.
    void Rebuild();
    void ScheduleRebuild();
    void ZoneEdited();
    void ChangeZone(geodesy::UtmZone zone);
    void UpdateCanvas(bool mapChanged);
    void ShowPosition(std::optional<QPointF> pixel);
    void SaveSettings();
    void AskAndOpenMap();
    void CalibratePicture();
    void AskAndSavePng(double scale);
    void Print();
    [[nodiscard]] hunt_picture::Layers CheckedLayers() const;
    [[nodiscard]] const hunt_picture::ViewProjection& Projection() const;

    MainFrm& main_;
    persistence::MapSettings settings_;
    geodesy::UtmZone zone_;
    hunt_picture::HuntScene scene_;
    std::optional<hunt_picture::MapSource> map_;
    hunt_picture::IdentityProjection identity_;
    bool rebuildScheduled_ = false;
    bool fitted_ = false;
    bool shown_ = false;
};

}  // namespace vantrel::ui
