#pragma once

// A picture box: shows a picture at its top-left corner on a canvas of the box's size, keeps what is drawn
// on it, and reports mouse presses and moves in its own pixel coordinates.

#include <QImage>
#include <QWidget>

namespace vantrel::ui {

class PictureBox : public QWidget {
    Q_OBJECT
  public:
    explicit PictureBox(QSize size, QWidget* parent = nullptr);

    // Replaces the canvas by `picture` drawn at the top-left on the box's background; anything drawn
    // before is gone. A picture larger than the box is cut off.
    void SetPicture(const QImage& picture);
    [[nodiscard]] const QImage& Canvas() const { return canvas_; }
    // Draws on the canvas and shows the result.
    QImage& BeginDrawing() {
        drawnOn_ = true;
        return canvas_;
    }
    void EndDrawing() { update(); }

    // What to do, shown over the empty box while it has neither a picture nor anything drawn on it. It is
    // not part of the canvas.
    void SetHint(const QString& hint);
    [[nodiscard]] bool HintShown() const { return !hint_.isEmpty() && !hasPicture_ && !drawnOn_; }

  Q_SIGNALS:
    void Pressed(QPointF position, Qt::MouseButton button);
    void Moved(QPointF position);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    QImage canvas_;
    QString hint_;
    bool hasPicture_ = false;
    bool drawnOn_ = false;
};

}  // namespace vantrel::ui
