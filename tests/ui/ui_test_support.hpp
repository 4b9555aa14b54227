#pragma once

// Helpers for driving the real windows in Qt Test.

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <memory>

namespace vantrel::testing_support {

// Answers the next modal message box that appears (within `timeoutMs`) with `button`, and keeps its text
// and title. Create it before the action that shows the box.
class MessageBoxAnswer : public QObject {
  public:
    explicit MessageBoxAnswer(QMessageBox::StandardButton button, int timeoutMs = 10000) : button_(button) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, this, [this, timeoutMs] {
            elapsed_ += 10;
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text_ = box->text();
                title_ = box->windowTitle();
                icon_ = box->icon();
                answered_ = true;
                timer_.stop();
                box->button(button_)->click();
            } else if (elapsed_ > timeoutMs) {
                timer_.stop();
            }
        });
        timer_.start();
    }

    [[nodiscard]] bool answered() const { return answered_; }
    [[nodiscard]] const QString& text() const { return text_; }
    [[nodiscard]] const QString& title() const { return title_; }
    [[nodiscard]] QMessageBox::Icon icon() const { return icon_; }

  private:
    QMessageBox::StandardButton button_;
    QTimer timer_;
    int elapsed_ = 0;
    bool answered_ = false;
    QString text_;
    QString title_;
    QMessageBox::Icon icon_ = QMessageBox::NoIcon;
};

}  // namespace vantrel::testing_support
