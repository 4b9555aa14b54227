#include "platform/serial_ports.hpp"

#include <utility>

#include "instruments/port_numbers.hpp"
#include "persistence/settings.hpp"
#include "platform/locations.hpp"

namespace vantrel::platform {
namespace {

// A missing or unreadable settings file has no [Ports] section.
persistence::IniFile UserSettingsFile() {
    auto ini = persistence::ReadSettingsFile(SettingsFilePath());
    return ini ? std::move(*ini) : persistence::IniFile{};
}

}  // namespace

QString SerialDeviceName(int portNumber, const persistence::IniFile& settingsFile) {
    const std::string portName = instruments::PortName(portNumber);
    if (const auto device = settingsFile.Get("Ports", portName); device && !device->empty()) {
        return QString::fromStdString(*device);
    }
#ifdef _WIN32
    return QString::fromStdString(portName);
#else
    return QStringLiteral("/dev/ttyUSB") + QString::number(portNumber - 1);
#endif
}

QString SerialDeviceName(int portNumber) {
    return SerialDeviceName(portNumber, UserSettingsFile());
}

core::Result<QString> GpsDevice(const persistence::Settings& settings,
                                const persistence::IniFile& settingsFile) {
    const core::Result<int> port = instruments::GpsPortNumber(settings.GpsPort);
    if (!port) {
        return port.outcome();
    }
    return SerialDeviceName(*port, settingsFile);
}

core::Result<QString> GonDevice(const persistence::Settings& settings,
                                const persistence::IniFile& settingsFile, char decimalSeparator) {
    const core::Result<int> port = instruments::GonPortNumber(settings.GonPort, decimalSeparator);
    if (!port) {
        return port.outcome();
    }
    return SerialDeviceName(*port, settingsFile);
}

core::Result<QString> GpsDevice(const persistence::Settings& settings) {
    return GpsDevice(settings, UserSettingsFile());
}

core::Result<QString> GonDevice(const persistence::Settings& settings, char decimalSeparator) {
    return GonDevice(settings, UserSettingsFile(), decimalSeparator);
}

}  // namespace vantrel::platform
