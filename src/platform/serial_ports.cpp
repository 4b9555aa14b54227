#include "platform/serial_ports.hpp"

#include "instruments/port_numbers.hpp"
#include "persistence/atomic_file.hpp"
#include "platform/locations.hpp"

namespace vantrel::platform {

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
    const auto text = persistence::ReadWholeFile(SettingsFilePath());
    return SerialDeviceName(portNumber, text ? persistence::IniFile::Parse(*text) : persistence::IniFile{});
}

}  // namespace vantrel::platform
