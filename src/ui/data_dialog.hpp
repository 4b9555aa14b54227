#pragma once

// The database view "Dataview": the records of OBJECT_LIST of the database the main window works on, one at
// a time, with record navigation; what the user types is stored when the view moves to another record or
// closes.

#include <QWidget>

#include <array>
#include <memory>
#include <optional>

#include "map_outputs/object_browser.hpp"

class QLabel;
class QLineEdit;
class QPushButton;

namespace vantrel::platform {
class NavData;
}

namespace vantrel::ui {

class DataDialog : public QWidget {
    Q_OBJECT
  public:
    explicit DataDialog(platform::NavData& navData, QWidget* parent = nullptr);
    ~DataDialog() override;

    // Before the main window switches its database: stores pending edits and lets go of the table.
    void Detach();
    // After the switch: shows the database now in use from its first record.
    void Reload();

    QLineEdit* Text1 = nullptr;  // objname
    QLineEdit* Text2 = nullptr;  // grad_lat
    QLineEdit* Text3 = nullptr;  // grad_long
    QLineEdit* Text4 = nullptr;  // graphic_id
    QPushButton* cmdFirst = nullptr;
    QPushButton* cmdPrevious = nullptr;
    QPushButton* cmdNext = nullptr;
    QPushButton* cmdLast = nullptr;
    QLabel* lblRecord = nullptr;  // "Record 3 of 12", or what went wrong
    QPushButton* OKButton = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Navigate(core::Outcome (map_outputs::ObjectBrowser::*step)());
    void ShowRecord();
    void ShowProblem(const std::string& message);

    platform::NavData& navData_;
    std::optional<map_outputs::ObjectBrowser> browser_;
    std::array<QLineEdit*, 4> boxes_{};
};

}  // namespace vantrel::ui
