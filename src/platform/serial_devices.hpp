#pragma once

// The serial devices present on this system, for the user to choose from: USB serial adapters and GPS mice
// (/dev/ttyUSB*, /dev/ttyACM*), Bluetooth serial links (/dev/rfcomm*) and whatever else the system reports,
// each under its stable /dev/serial/by-id name where there is one (it stays the same whatever order the
// devices are plugged in), with the description and maker the device reports.

#include <QString>

#include <utility>
#include <vector>

namespace vantrel::platform {

struct SerialDevice {
    QString path;            // what to open: the by-id name where there is one, else the system's name
    QString systemLocation;  // "/dev/ttyACM0"
    QString description;     // "u-blox GNSS receiver", may be empty
    QString manufacturer;    // "u-blox AG", may be empty
};

// As the system reports them now, sorted by path.
std::vector<SerialDevice> PresentSerialDevices();

// The same list with each device's path replaced by the first of `stableNames` (link path, the device it
// points to) that points to its system location.
std::vector<SerialDevice> WithStableNames(std::vector<SerialDevice> devices,
                                          const std::vector<std::pair<QString, QString>>& stableNames);

// "path - description (maker)", leaving out what the device does not report; the system's name is added when
// the path is a by-id name.
QString DeviceLabel(const SerialDevice& device);

}  // namespace vantrel::platform
