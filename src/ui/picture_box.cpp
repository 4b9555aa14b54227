#include "ui/picture_box.hpp"

#include <QMouseEvent>
#include <QPainter>

namespace vantrel::ui {

PictureBox::PictureBox(QSize size, QWidget* parent) : QWidget(parent), canvas_(size, QImage::Format_RGB32) {
    setFixedSize(size);
    setMouseTracking(true);  // moves without a button pressed are reported too
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetPicture(QImage());
}

void PictureBox::SetPicture(const QImage& picture) {
    hasPicture_ = !picture.isNull();
    drawnOn_ = false;
    canvas_.fill(palette().color(QPalette::Window));
    if (!picture.isNull()) {
        QPainter painter(&canvas_);
        painter.drawImage(QPoint(0, 0), picture);
    }
    update();
}

void PictureBox::SetHint(const QString& hint) {
    hint_ = hint;
    update();
}

void PictureBox::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), canvas_);
    if (HintShown()) {
        // In the part of the box the window shows: the box may be larger than its window.
        const QRect shown = visibleRegion().boundingRect().adjusted(24, 24, -24, -24);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(shown, Qt::AlignCenter | Qt::TextWordWrap, hint_);
    }
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    Q_EMIT Pressed(event->position(), event->button());
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    Q_EMIT Moved(event->position());
}

}  // namespace vantrel::ui
