#pragma once

// The Hunt Map's likelihood map: the toggle (View > Likelihood Map, Ctrl+H), the fox it is drawn for, and
// the heat layer worked out in the background whenever the view or the bearings change.
//
// Threads: the object lives on the GUI thread and every member is called there. A computation runs on a
// thread of Qt's global pool with copies of what it needs (the fox's fix, the options, the box); it posts
// its result back through a link that the destructor cuts. A new request stops the running computation
// (its stop token is checked after every row of the grid) and a result older than the latest request is
// dropped, never drawn. Requests are gathered for a moment, so dragging the map starts one computation,
// not one per mouse move. The layer handed out is immutable and shared with the drawing.

#include <QObject>

#include <array>
#include <memory>
#include <optional>
#include <stop_token>

#include "core/plane.hpp"
#include "fox_fix/fox_fix.hpp"
#include "hunt_log/events.hpp"
#include "hunt_picture/heat_layer.hpp"

class QAction;
class QComboBox;
class QMenu;
class QTimer;
class QToolBar;

namespace vantrel::ui {

class HuntMapHeat : public QObject {
    Q_OBJECT
  public:
    // Adds the toggle to `viewMenu` and `bar`, the fox choice to `bar`.
    HuntMapHeat(QObject* parent, QMenu* viewMenu, QToolBar* bar);
    ~HuntMapHeat() override;
    HuntMapHeat(const HuntMapHeat&) = delete;
    HuntMapHeat& operator=(const HuntMapHeat&) = delete;

    QAction* mnuHeat = nullptr;       // checkable
    QComboBox* cboHeatFox = nullptr;  // F1..F5

    // The fixes of the log (after every change of the log or the settings), and the view (the box of the
    // hunt's zone it shows, its size in pixels) after every pan, zoom or resize; a computation follows
    // shortly when the map is on.
    void SetFixes(const std::array<fox_fix::FoxFix, hunt_log::kFoxCount>& fixes,
                  const locate::Options& options);
    void SetView(std::optional<core::PlaneBox> viewBox, int widthPixels, int heightPixels);

    // The layer to draw; nullptr while off or before the first result.
    [[nodiscard]] std::shared_ptr<const hunt_picture::HeatLayer> Layer() const { return layer_; }
    // True while a computation for the latest request is pending or running.
    [[nodiscard]] bool Pending() const;

  Q_SIGNALS:
    // The layer changed (a result arrived, or the map was switched off): redraw.
    void LayerChanged();
    // Why no map can be drawn ("F3 has fewer than two bearings: no likelihood map"), for the status bar.
    void Problem(const QString& message);

  private:
    struct Link;  // shared with the computations; see the thread rules above
    struct Result;

    void Toggled(bool on);
    // What the layer is made of changed: the running computation is stale, a new one follows shortly.
    void Changed();
    void Start();
    void Finished(const Result& result);
    // The fox of the combo box; when that one has no fix, the first fox that has one.
    [[nodiscard]] int ChosenFox() const;

    std::shared_ptr<Link> link_;
    QTimer* gather_ = nullptr;
    std::stop_source running_;
    int generation_ = 0;  // counts requests; only the latest one's result is taken
    bool busy_ = false;
    std::array<fox_fix::FoxFix, hunt_log::kFoxCount> fixes_;
    locate::Options options_;
    std::optional<core::PlaneBox> viewBox_;
    hunt_picture::HeatGridSize size_;
    std::shared_ptr<const hunt_picture::HeatLayer> layer_;
};

}  // namespace vantrel::ui
