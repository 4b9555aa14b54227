#pragma once

// Helpers for driving the real windows in Qt Test.

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <string>

#include "instruments/rx_readings.hpp"
#include "persistence/data_file.hpp"

namespace vantrel::testing_support {

// A measurement file: stations 1 km apart on northing 5700000, station 1 on zone 32's central meridian
// (9 E). F1 45 / 315 with three receiver readings 44, 45, 46 behind station 1's box; F2 225 / 135; F3
// 80 / 280; F4 and F5 untouched.
inline std::string ThreeFoxHuntFile() {
    persistence::ScedRecord s1;
    s1.North = 5700000;
    s1.East = 500000;
    s1.Ang = {45, 225, 80, 0, 0};
    persistence::ScedRecord s2 = s1;
    s2.East = 501000;
    s2.Ang = {315, 135, 280, 0, 0};
    instruments::RxReadings readings;
    readings(0, 0, 0) = {44, -20, 1};
    readings(0, 0, 1) = {45, -20, 1};
    readings(0, 0, 2) = {46, -20, 1};
    return persistence::EncodeDataFile(s1, s2, readings);
}

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
