#pragma once

// GDAL's process-wide set-up, done once before the first use: every driver registered, no message ever
// printed to standard error (failures reach the caller through CPLGetLastErrorMsg), nothing written beside
// a map (no .aux.xml), and GDAL's own block cache kept small (the maps cache decoded tiles themselves).

#include <string>

namespace vantrel::platform::gdal {

void EnsureSetUp();

// GDAL's message for the last failure on this thread, or `fallback` when it left none.
std::string LastError(const std::string& fallback);
void ClearError();

}  // namespace vantrel::platform::gdal
