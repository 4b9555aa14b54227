#include "ui/hunt_map_canvas.hpp"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <QThreadPool>

#include <cmath>
#include <mutex>

#include "hunt_picture/picture_palette.hpp"

namespace vantrel::ui {
namespace {

constexpr double kKeyZoom = 1.5;
constexpr double kPanFraction = 0.125;  // of the canvas, per arrow key
constexpr int kDragThreshold = 3;       // pixels before a press becomes a drag
constexpr int kZoomSettledMs = 200;     // after the last zoom step, the rays are drawn anew at the scale

core::PlanePoint ToXY(QPointF p) {
    return {p.x(), p.y()};
}

}  // namespace

struct HuntMapCanvas::DrawLink {
    std::mutex mutex;
    HuntMapCanvas* canvas = nullptr;  // null once the canvas is gone
};

HuntMapCanvas::HuntMapCanvas(QWidget* parent) : QWidget(parent), link_(std::make_shared<DrawLink>()) {
    link_->canvas = this;
    setObjectName(QStringLiteral("HuntMapCanvas"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
    view_.width = std::max(width(), 1);
    view_.height = std::max(height(), 1);
    zoomSettled_.setSingleShot(true);
    zoomSettled_.setInterval(kZoomSettledMs);
    connect(&zoomSettled_, &QTimer::timeout, this, [this] { update(); });
}

HuntMapCanvas::~HuntMapCanvas() {
    // A drawing still running holds its own share of the map: stop it and let it end on its own. Once the
    // link is cut it posts nothing; what it posted before is dropped with this object.
    mapStop_.request_stop();
    const std::lock_guard lock(link_->mutex);
    link_->canvas = nullptr;
}

void HuntMapCanvas::SetPicture(const hunt_picture::PictureInput& input, bool mapChanged) {
    const bool mapLayerToggled = input.layers.map != input_.layers.map;
    input_ = input;
    huntAtTime_.Invalidate();
    if (mapChanged) {
        ++mapGeneration_;
        mapValid_ = false;
    }
    if (mapChanged || mapLayerToggled) {
        RequestMap();
    }
    update();
}

void HuntMapCanvas::SetView(const maps::View& view) {
    view_ = view;
    view_.width = std::max(width(), 1);
    view_.height = std::max(height(), 1);
    if (huntAtTime_.Scaled(view_)) {
        zoomSettled_.start();
    }
    RequestMap();
    update();
    Q_EMIT ViewChanged();
}

void HuntMapCanvas::ZoomAbout(QPointF pixel, double factor) {
    SetView(view_.ZoomedAbout(ToXY(pixel), factor));
}

void HuntMapCanvas::RequestMap() {
    const bool wanted = input_.map && input_.layers.map && !(mapValid_ && mapView_ == view_);
    if (mapRunning_) {
        if (!wanted || !(runningView_ == view_) || runningGeneration_ != mapGeneration_) {
            mapStop_.request_stop();  // stale: given up within its current tile
            mapWanted_ = wanted;
        }
        return;
    }
    if (wanted) {
        StartMap();
    }
}

void HuntMapCanvas::StartMap() {
    mapWanted_ = false;
    mapRunning_ = true;
    mapStop_ = std::stop_source();
    runningView_ = view_;
    runningGeneration_ = mapGeneration_;
    QThreadPool::globalInstance()->start([link = link_, stop = mapStop_.get_token(), view = view_,
                                          painter = input_.map, generation = mapGeneration_] {
        DrawnMap drawn;
        drawn.image = QImage(view.width, view.height, QImage::Format_ARGB32_Premultiplied);
        drawn.image.fill(Qt::transparent);
        drawn.view = view;
        drawn.generation = generation;
        {
            QPainter p(&drawn.image);
            drawn.readError = painter(p, view, stop);
        }
        drawn.cancelled = stop.stop_requested();
        const std::lock_guard lock(link->mutex);
        if (HuntMapCanvas* canvas = link->canvas) {
            QMetaObject::invokeMethod(
                canvas, [canvas, drawn] { canvas->MapReady(drawn); }, Qt::QueuedConnection);
        }
    });
}

void HuntMapCanvas::MapReady(const DrawnMap& drawn) {
    mapRunning_ = false;
    mapWanted_ = false;
    if (!drawn.cancelled && drawn.generation == mapGeneration_) {
        mapImage_ = drawn.image;
        mapView_ = drawn.view;
        mapValid_ = true;
        update();
        Q_EMIT MapDrawn(QString::fromStdString(drawn.readError));
    }
    RequestMap();
}

void HuntMapCanvas::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), hunt_picture::PaletteFor(input_.style.night).background);
    if (input_.layers.map && input_.map && mapValid_) {
        if (mapView_ == view_) {
            painter.drawImage(QPointF(0, 0), mapImage_);
        } else {
            // The last map image, moved and scaled to where its corners lie in the current view.
            const core::PlanePoint topLeft = view_.ToPixel(mapView_.FromPixel({0, 0}));
            const double k = mapView_.unitsPerPixel / view_.unitsPerPixel;
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRectF(topLeft.x, topLeft.y, mapView_.width * k, mapView_.height * k),
                              mapImage_);
        }
    }
    if (input_.scene != nullptr && input_.projection != nullptr) {
        hunt_picture::PictureInput input = input_;
        input.huntAtTimeImage = huntAtTime_.For(view_, input_, devicePixelRatioF(), zoomSettled_.isActive());
        hunt_picture::DrawOverlay(painter, view_, input);
    }
}

void HuntMapCanvas::resizeEvent(QResizeEvent* /*event*/) {
    SetView(view_);
}

void HuntMapCanvas::wheelEvent(QWheelEvent* event) {
    // One notch (120) zooms by the square root of 2; touchpads send smaller steps.
    const double notches = event->angleDelta().y() / 120.0;
    if (notches != 0) {
        ZoomAbout(event->position(), std::pow(2.0, notches / 2));
    }
    event->accept();
}

void HuntMapCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragFrom_ = event->position();
        dragged_ = false;
        setCursor(Qt::ClosedHandCursor);
    }
}

void HuntMapCanvas::mouseMoveEvent(QMouseEvent* event) {
    const QPointF position = event->position();
    if (dragFrom_) {
        const QPointF delta = position - *dragFrom_;
        if (dragged_ || std::abs(delta.x()) + std::abs(delta.y()) >= kDragThreshold) {
            dragged_ = true;
            dragFrom_ = position;
            SetView(view_.Panned(delta.x(), delta.y()));
        }
    } else {
        ShowToolTip(position, event->globalPosition().toPoint());
    }
    Q_EMIT CursorMoved(position);
}

void HuntMapCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragFrom_) {
        return;
    }
    dragFrom_.reset();
    unsetCursor();
    if (!dragged_) {
        ShowToolTip(event->position(), event->globalPosition().toPoint());  // a click on a fix
    }
}

void HuntMapCanvas::leaveEvent(QEvent* /*event*/) {
    Q_EMIT CursorMoved(std::nullopt);
}

void HuntMapCanvas::keyPressEvent(QKeyEvent* event) {
    const QPointF centre(width() / 2.0, height() / 2.0);
    const double stepX = width() * kPanFraction;
    const double stepY = height() * kPanFraction;
    switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            ZoomAbout(centre, kKeyZoom);
            break;
        case Qt::Key_Minus:
            ZoomAbout(centre, 1 / kKeyZoom);
            break;
        // An arrow shows more of the map on its side: the map moves the other way.
        case Qt::Key_Left:
            SetView(view_.Panned(stepX, 0));
            break;
        case Qt::Key_Right:
            SetView(view_.Panned(-stepX, 0));
            break;
        case Qt::Key_Up:
            SetView(view_.Panned(0, stepY));
            break;
        case Qt::Key_Down:
            SetView(view_.Panned(0, -stepY));
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

QString HuntMapCanvas::FixToolTipAt(QPointF pixel) const {
    if (input_.scene == nullptr || input_.projection == nullptr || !input_.layers.fixes) {
        return {};
    }
    const auto index = hunt_picture::FixAt(view_, *input_.scene, *input_.projection, ToXY(pixel));
    if (!index) {
        return {};
    }
    const hunt_picture::SceneFix& fix = input_.scene->fixes[*index];
    if (!input_.layers.FoxShown(fix.fox)) {
        return {};  // hidden: nothing drawn there
    }
    if (fix.quality.empty()) {
        return QStringLiteral("F%1: no quality (the boxes changed since Calculate)").arg(fix.fox + 1);
    }
    return QString::fromStdString(fix.quality);
}

void HuntMapCanvas::ShowToolTip(QPointF pixel, QPoint global) {
    const QString text = FixToolTipAt(pixel);
    if (text.isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(global, text, this);
    }
}

}  // namespace vantrel::ui
