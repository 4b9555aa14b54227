#pragma once

// How the file commands of vantrel-cli load a measurement: a name ending in ".fhd" (any letter case) is
// read as File > Import reads it, anything else as File > Open reads a ".fh2". The user's settings file is
// neither read nor written.

#include <string>

#include "core/outcome.hpp"
#include "persistence/program_state.hpp"

namespace vantrel::cli {

bool IsImportFileName(const std::string& name);

// Loads `name` into a fresh program state.
core::Result<persistence::ProgramState> LoadMeasurement(const std::string& name, char decimalSeparator);

// Loads `name` and runs Calculate on it, as solve, overlays, export and update-db begin.
core::Result<persistence::ProgramState> LoadAndCalculate(const std::string& name, char decimalSeparator);

}  // namespace vantrel::cli
