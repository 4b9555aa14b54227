#pragma once

#include <QPointer>
#include <QWidget>

#include <utility>

namespace vantrel::ui {

// A secondary window that exists at most once: created on first use, shown without blocking, destroyed
// when the user closes it. It is a window of its own (no Qt parent), so closing the main window leaves it
// open and the program ends with the last window; whatever is still open when the owner goes away (Quit)
// is destroyed with it, without its close handler.
template <class Window>
class SingleWindow {
  public:
    SingleWindow() = default;
    SingleWindow(const SingleWindow&) = delete;
    SingleWindow& operator=(const SingleWindow&) = delete;
    ~SingleWindow() { delete window_.data(); }

    // Shows the one instance, creating it with `args` when there is none.
    template <class... Args>
    Window& Show(Args&&... args) {
        if (window_.isNull()) {
            window_ = new Window(std::forward<Args>(args)...);  // owned here until the user closes it
            window_->setAttribute(Qt::WA_DeleteOnClose);
        }
        window_->show();
        window_->raise();
        window_->activateWindow();
        return *window_;
    }

    [[nodiscard]] Window* Get() const { return window_.data(); }

  private:
    QPointer<Window> window_;
};

}  // namespace vantrel::ui
