#include "ui/frm_setup.hpp"

#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "instruments/port_numbers.hpp"
#include "platform/serial_ports.hpp"
#include "ui/main_frm.hpp"
#include "ui/twips.hpp"

namespace vantrel::ui {

int PortOptionIndex(const std::string& setting) {
    const auto port = instruments::GpsPortNumber(setting);
    if (!port || *port < 1 || *port > 8) {
        return 0;
    }
    return *port - 1;
}

namespace {

// One frame of eight options "COM1" .. "COM8", each telling the device it stands for on this system.
std::array<QRadioButton*, 8> PortOptions(QWidget* frame, const char* name, const persistence::IniFile& ini) {
    std::array<QRadioButton*, 8> options{};
    auto* group = new QButtonGroup(frame);
    for (int i = 0; i < 8; ++i) {
        auto* option = new QRadioButton(QStringLiteral("COM%1").arg(i + 1), frame);
        option->setObjectName(QStringLiteral("%1(%2)").arg(QString::fromLatin1(name)).arg(i));
        option->setToolTip(platform::SerialDeviceName(i + 1, ini));
        PlaceTwips(*option, 240, 300 + 270 * i, 1440, 255);
        group->addButton(option, i);
        options[static_cast<std::size_t>(i)] = option;
    }
    return options;
}

int SelectedIndex(const std::array<QRadioButton*, 8>& options) {
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (options[i]->isChecked()) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

}  // namespace

frmSetup::frmSetup(MainFrm& main, QWidget* parent) : QWidget(parent), main_(main) {
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("Setup Com-Ports"));
    setFixedSize(TwipsToPixels(*this, 3960), TwipsToPixels(*this, 3360));

    const persistence::IniFile ini = main_.SettingsFileContent();
    auto* gps = new QGroupBox(QStringLiteral("GPS"), this);
    PlaceTwips(*gps, 120, 120, 1800, 2580);
    optCOM_GPS = PortOptions(gps, "optCOM_GPS", ini);
    auto* gon = new QGroupBox(QStringLiteral("Goniometer"), this);
    PlaceTwips(*gon, 2040, 120, 1800, 2580);
    optGonPort = PortOptions(gon, "optGonPort", ini);

    // The settings are read afresh at every opening.
    const persistence::Settings& settings = main_.Program().settings;
    optCOM_GPS[static_cast<std::size_t>(PortOptionIndex(settings.GpsPort))]->setChecked(true);
    optGonPort[static_cast<std::size_t>(PortOptionIndex(settings.GonPort))]->setChecked(true);

    cmdRdy = new QPushButton(QStringLiteral("Ready"), this);
    cmdRdy->setObjectName(QStringLiteral("cmdRdy"));
    cmdRdy->setDefault(true);
    PlaceTwips(*cmdRdy, 1380, 2820, 1215, 375);
    connect(cmdRdy, &QPushButton::clicked, this, &frmSetup::Ready);
}

void frmSetup::Ready() {
    persistence::Settings& settings = main_.Program().settings;
    settings.GpsPort = std::to_string(SelectedIndex(optCOM_GPS) + 1);
    settings.GonPort = std::to_string(SelectedIndex(optGonPort) + 1);
    main_.PutIniData();
    close();
}

}  // namespace vantrel::ui
