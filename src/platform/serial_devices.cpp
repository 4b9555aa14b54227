#include "platform/serial_devices.hpp"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

namespace vantrel::platform {
namespace {

// The /dev/serial/by-id links and the devices they point to (none where the folder does not exist).
std::vector<std::pair<QString, QString>> ByIdLinks() {
    std::vector<std::pair<QString, QString>> links;
    const QDir folder(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : folder.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        if (link.isSymLink()) {
            links.emplace_back(link.absoluteFilePath(), link.canonicalFilePath());
        }
    }
    return links;
}

}  // namespace

std::vector<SerialDevice> PresentSerialDevices() {
    std::vector<SerialDevice> devices;
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
        devices.push_back(
            {port.systemLocation(), port.systemLocation(), port.description(), port.manufacturer()});
    }
    devices = WithStableNames(std::move(devices), ByIdLinks());
    std::sort(devices.begin(), devices.end(),
              [](const SerialDevice& a, const SerialDevice& b) { return a.path < b.path; });
    return devices;
}

std::vector<SerialDevice> WithStableNames(std::vector<SerialDevice> devices,
                                          const std::vector<std::pair<QString, QString>>& stableNames) {
    for (SerialDevice& device : devices) {
        const auto link = std::find_if(stableNames.begin(), stableNames.end(), [&](const auto& entry) {
            return entry.second == device.systemLocation;
        });
        if (link != stableNames.end()) {
            device.path = link->first;
        }
    }
    return devices;
}

QString DeviceLabel(const SerialDevice& device) {
    QString label = device.path;
    if (device.path != device.systemLocation) {
        label += QStringLiteral(" (%1)").arg(device.systemLocation);
    }
    if (!device.description.isEmpty()) {
        label += QStringLiteral(" - ") + device.description;
    }
    if (!device.manufacturer.isEmpty()) {
        label += QStringLiteral(" (%1)").arg(device.manufacturer);
    }
    return label;
}

}  // namespace vantrel::platform
