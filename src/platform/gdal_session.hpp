#pragma once

// GDAL's process-wide set-up, done once before the first use: every driver registered, no message ever
// printed to standard error (failures reach the caller through CPLGetLastErrorMsg), nothing written beside
// a map (no .aux.xml), and GDAL's own block cache kept small (the maps cache decoded tiles themselves).

#include <string>

namespace vantrel::platform::gdal {

void EnsureSetUp();

// GDAL's message for the last failure on this thread, or `fallback` when it left none; without the source
// file and line some of GDAL's messages begin with.
std::string LastError(const std::string& fallback);
// `message` without a leading "name.cpp, 123: " (or "name.c:123: ").
std::string WithoutSourcePlace(const std::string& message);
void ClearError();

}  // namespace vantrel::platform::gdal
