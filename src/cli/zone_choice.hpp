#pragma once

// The hunt's zone for vantrel-cli export and map: --zone ZONE when given; else the order the windows
// follow (geodesy/hunt_zone.hpp): the zone boxes, the bearing log, the zone remembered for FILE in the
// user's Vantrel.ini (section [Zones]), [Map] Zone, 32U. The settings file is read, never written. The
// zone taken without --zone is said on stderr once the output is written (a refusal names it anyway), so a
// wrong guess never passes silently.

#include <optional>
#include <string>
#include <vector>

#include "cli/cli.hpp"
#include "core/measurement_state.hpp"
#include "geodesy/hunt_zone.hpp"

namespace vantrel::cli {

// --zone's value: nullopt when absent; a usage error (returns false) when it is no zone.
bool ReadZoneOption(const Context& context, std::optional<geodesy::UtmZone>& zone);

// The zone by the windows' order for the measurement `file` as loaded into `state`.
geodesy::ZoneChoice HuntZoneByOrder(const core::MeasurementState& state, const std::string& file);

// "vantrel-cli: zone 25M (remembered for this file); --zone names another" on stderr.
void SayZone(geodesy::UtmZone zone, const std::string& how);

// Exit 1 with the positions that do not belong to the zone, naming --zone.
int RefuseOutsideZone(geodesy::UtmZone zone, const std::vector<std::string>& problems);

}  // namespace vantrel::cli
