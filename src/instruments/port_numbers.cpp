#include "instruments/port_numbers.hpp"

#include <cmath>
#include <cstdint>
#include <limits>

#include "core/number_text.hpp"

namespace vantrel::instruments {
namespace {

core::Result<int> RoundedPortNumber(double value, std::string_view key, std::string_view setting) {
    const double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<std::int16_t>::min() &&
          rounded <= std::numeric_limits<std::int16_t>::max())) {
        return core::Result<int>::Fail("The setting " + std::string(key) +
                                       " does not hold a port number: \"" + std::string(setting) + "\"");
    }
    return static_cast<int>(rounded);
}

}  // namespace

core::Result<int> GpsPortNumber(std::string_view setting) {
    return RoundedPortNumber(core::ReadPlain(setting), "GPS-Port", setting);
}

core::Result<int> GonPortNumber(std::string_view setting, char decimalSeparator) {
    const auto value = core::ReadRegional(setting, decimalSeparator);
    if (!value) {
        return core::Result<int>::Fail("The setting GON-Port does not hold a port number: \"" +
                                       std::string(setting) + "\"");
    }
    return RoundedPortNumber(*value, "GON-Port", setting);
}

std::string PortName(int portNumber) {
    return "COM" + std::to_string(portNumber);
}

}  // namespace vantrel::instruments
