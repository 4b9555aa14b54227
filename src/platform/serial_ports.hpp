#pragma once

// Which serial device a port number stands for on this system.

#include <QString>

#include "core/outcome.hpp"
#include "persistence/ini_file.hpp"
#include "persistence/settings.hpp"

namespace vantrel::platform {

// Port number n: "COM<n>" on Windows; elsewhere "/dev/ttyUSB<n-1>", unless the optional [Ports] section of
// the settings file names another device for the key "COM<n>" (COM1=/dev/ttyACM0); an empty value keeps
// the default. This is the only thing read from that section.
QString SerialDeviceName(int portNumber, const persistence::IniFile& settingsFile);

// The same with the settings file of this user (a missing or unreadable file gives the defaults).
QString SerialDeviceName(int portNumber);

// The GPS receiver's device from the setting GPS-Port (plain reading) and the direction-finding receiver's
// from GON-Port (regional reading), mapped with `settingsFile`; a setting that holds no port number gives
// the message that says so.
core::Result<QString> GpsDevice(const persistence::Settings& settings,
                                const persistence::IniFile& settingsFile);
core::Result<QString> GonDevice(const persistence::Settings& settings,
                                const persistence::IniFile& settingsFile, char decimalSeparator);

// The same with the settings file of this user.
core::Result<QString> GpsDevice(const persistence::Settings& settings);
core::Result<QString> GonDevice(const persistence::Settings& settings, char decimalSeparator);

}  // namespace vantrel::platform
