#pragma once

// The drawing area of the Hunt Map: the hunt picture of the current view, panned by dragging and the
// arrow keys, zoomed about the cursor by the wheel and with + and -. The map layer is drawn on a worker
// thread into an image that is kept while only the overlay changes; while a new one is being drawn, the
// last one is shown moved and scaled to the new view, so panning and zooming never wait for the map.

#include <QImage>
#include <QThreadPool>
#include <QWidget>

#include <optional>

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
    // The cursor moved to `pixel` of the canvas; nothing when it left the canvas.
    void CursorMoved(std::optional<QPointF> pixel);

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
    void RequestMap();
    void StartMap();
    void MapReady(const QImage& image, const maps::View& view, int generation);
    void ShowToolTip(QPointF pixel, QPoint global);

    hunt_picture::PictureInput input_;
    maps::View view_;
    QThreadPool mapThread_;  // one thread: the map is drawn by one drawing at a time
    QImage mapImage_;
    maps::View mapView_;
    bool mapValid_ = false;
    bool mapRunning_ = false;
    bool mapWanted_ = false;
    int mapGeneration_ = 0;  // counts map changes, so an image of a map no longer shown is dropped
    std::optional<QPointF> dragFrom_;
    bool dragged_ = false;
};

}  // namespace vantrel::ui
