#pragma once

// Which serial device a port number stands for on this system.

#include <QString>

#include "persistence/ini_file.hpp"

namespace vantrel::platform {

// Port number n: "COM<n>" on Windows; elsewhere "/dev/ttyUSB<n-1>", unless the optional [Ports] section of
// the settings file names another device for the key "COM<n>" (COM1=/dev/ttyACM0); an empty value keeps
// the default. This is the only thing read from that section.
QString SerialDeviceName(int portNumber, const persistence::IniFile& settingsFile);

// The same with the settings file of this user (a missing or unreadable file gives the defaults).
QString SerialDeviceName(int portNumber);

}  // namespace vantrel::platform
