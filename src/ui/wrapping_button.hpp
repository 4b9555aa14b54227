#pragma once

#include <QPushButton>

namespace vantrel::ui {

// A push button whose caption wraps onto several lines when the button is narrower than the text, like the
// narrow "Get Pos" buttons of the main window. text() stays the caption as one line.
class WrappingButton : public QPushButton {
    Q_OBJECT
  public:
    explicit WrappingButton(const QString& text, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace vantrel::ui
