#pragma once

// Setup's "Track" group: the [Live] settings of the live hunt on the move (the GPS source, which bearings
// are relative to the car, the heading's minimum speed, the network direction finder and how often it is
// polled, the frequency tolerance). Shown from Vantrel.ini, checked and written back into [Live] only:
// every other section, [Foxes] included, stays as it is.
//
// GUI thread only (a widget).

#include <QGroupBox>

#include "core/outcome.hpp"
#include "persistence/ini_file.hpp"
#include "persistence/live_settings.hpp"

class QCheckBox;
class QLineEdit;

namespace vantrel::ui {

class SetupLiveGroup : public QGroupBox {
    Q_OBJECT
  public:
    SetupLiveGroup(const persistence::IniFile& ini, QWidget* parent);

    // What the boxes say, checked: a failure names the box and what is wrong with its text.
    [[nodiscard]] core::Result<persistence::LiveSettings> Settings() const;
    // Writes the settings' [Live] keys into `ini` (nothing else).
    static void WriteLive(const persistence::LiveSettings& settings, persistence::IniFile& ini);

    QLineEdit* txtLiveGps = nullptr;  // a serial device or gpsd://HOST:PORT; empty: the GPS port above
    QCheckBox* chkReceiverVehicle = nullptr;
    QCheckBox* chkNetworkVehicle = nullptr;
    QLineEdit* txtMinSpeed = nullptr;
    QLineEdit* txtNetworkUrl = nullptr;
    QLineEdit* txtPollMs = nullptr;
    QLineEdit* txtFrequencyTolerance = nullptr;

  private:
    persistence::LiveSettings shown_;  // as read, for what the group does not show ([Foxes])
};

}  // namespace vantrel::ui
