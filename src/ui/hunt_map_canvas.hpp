#pragma once

// The drawing area of the Hunt Map: the hunt picture of the current view, panned by dragging and the
// arrow keys, zoomed about the cursor by the wheel and with + and -. The map layer is drawn on a worker
// thread into an image that is kept while only the overlay changes; while a new one is being drawn, the
// last one is shown moved and scaled to the new view, so panning and zooming never wait for the map.
//
// Threads: the canvas lives on the GUI thread and every member is called there. One drawing of the map
// runs at a time for a canvas, on a thread of Qt's global pool; it reads only what it was given (a copy
// of the view and of the map painter, which shares the map) and posts its image back through a link that
// the destructor cuts. A drawing made stale by a new view or map is stopped within a tile; the destructor
// stops the running one and returns at once, never waiting for it. The rays and track of the hunt at a
// moment are kept as an image in the same way: moved while panning, scaled while zooming and drawn anew
// (on the GUI thread) once the zoom has settled or the picture changed.

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>
#include <stop_token>

#include "hunt_picture/hunt_at_time_drawing.hpp"
#include "hunt_picture/hunt_picture.hpp"
#include "maps/view_geometry.hpp"

namespace vantrel::ui {

class HuntMapCanvas : public QWidget {
    Q_OBJECT
  public:
    explicit HuntMapCanvas(QWidget* parent = nullptr);
    ~HuntMapCanvas() override;
    HuntMapCanvas(const HuntMapCanvas&) = delete;
    HuntMapCanvas& operator=(const HuntMapCanvas&) = delete;

    // What to draw. The scene and projection must outlive the next call; `mapChanged` drops the map image.
    void SetPicture(const hunt_picture::PictureInput& input, bool mapChanged);
    [[nodiscard]] const hunt_picture::PictureInput& Picture() const { return input_; }

    [[nodiscard]] const maps::View& View() const { return view_; }
    void SetView(const maps::View& view);
    // Zooms by `factor` (2 = twice as large) keeping the map point under `pixel` in place.
    void ZoomAbout(QPointF pixel, double factor);

    // True while a map image for the current view is still being drawn.
    [[nodiscard]] bool MapPending() const { return mapRunning_ || mapWanted_; }
    // The quality text of the fix under `pixel`, empty when there is none.
    [[nodiscard]] QString FixToolTipAt(QPointF pixel) const;

  Q_SIGNALS:
    // The view changed (panned, zoomed, resized or set).
    void ViewChanged();
    // The cursor moved to `pixel` of the canvas; nothing when it left the canvas.
    void CursorMoved(std::optional<QPointF> pixel);
    // A drawing of the map ended; `problem` says why a part of it could not be read ("" when all was).
    void MapDrawn(const QString& problem);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    struct DrawLink;  // shared with the drawings; see the thread rules above
    struct DrawnMap {
        QImage image;
        maps::View view;
        int generation = 0;
        bool cancelled = false;
        std::string readError;
    };

    void RequestMap();
    void StartMap();
    void MapReady(const DrawnMap& drawn);
    void ShowToolTip(QPointF pixel, QPoint global);

    std::shared_ptr<DrawLink> link_;
    std::stop_source mapStop_;  // of the drawing running now
    maps::View runningView_;    // what it draws
    int runningGeneration_ = 0;
    hunt_picture::PictureInput input_;
    maps::View view_;
    QImage mapImage_;
    maps::View mapView_;
    bool mapValid_ = false;
    bool mapRunning_ = false;
    bool mapWanted_ = false;
    int mapGeneration_ = 0;  // counts map changes, so an image of a map no longer shown is dropped
    std::optional<QPointF> dragFrom_;
    bool dragged_ = false;
    // The rays and track of the hunt at a moment, kept while only the view moves; drawn anew when the
    // picture changes, and once a zoom has settled.
    hunt_picture::HuntAtTimeCache huntAtTime_;
    QTimer zoomSettled_;
};

}  // namespace vantrel::ui
