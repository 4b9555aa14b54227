#pragma once

// A simulated hunt as a bearing log: the header (the hunt's zone, created at its start), one truth line
// per fox, then in time order the GPS's positions (one a second with a fix: course and speed with them)
// and the bearings as true-referenced events with their sigma, at the position the GPS gave for them.
// A bearing taken while the GPS had no fix is left out, as a live logger would leave it out. Station
// names are the car's or the fixed stations'; sources the receiver format's name, "network", or "typed"
// for fixed stations.
//
// Plain functions of their arguments: any thread may call them.

#include <filesystem>
#include <string>

#include "core/outcome.hpp"
#include "hunt_log/events.hpp"
#include "simulate/simulate.hpp"

namespace vantrel::simulate {

hunt_log::Log MakeHuntLog(const SimulatedHunt& hunt, const Scenario& scenario);

// The log as its file holds it: one line per header, truth and event, each ended by "\n".
std::string HuntLogText(const hunt_log::Log& log);

// Writes the log of the hunt to `path` through the atomic file helper (all of it, or the old file stays).
core::Outcome WriteHuntLog(const std::filesystem::path& path, const SimulatedHunt& hunt,
                           const Scenario& scenario);

}  // namespace vantrel::simulate
