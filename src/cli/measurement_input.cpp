#include "cli/measurement_input.hpp"

#include "core/cross_fix.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "persistence/data_file_commands.hpp"

namespace vantrel::cli {

bool IsImportFileName(const std::string& name) {
    constexpr std::string_view kSuffix = ".fhd";
    if (name.size() < kSuffix.size()) {
        return false;
    }
    return std::equal(kSuffix.begin(), kSuffix.end(),
                      name.end() - static_cast<std::ptrdiff_t>(kSuffix.size()),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

core::Result<persistence::ProgramState> LoadMeasurement(const std::string& name, char decimalSeparator) {
    persistence::ProgramState state;
    const std::filesystem::path path(name);
    const core::Outcome loaded = IsImportFileName(name)
                                     ? persistence::ReadImportFile(state, path, decimalSeparator)
                                     : persistence::ReadDataFile(state, path, decimalSeparator);
    if (!loaded) {
        return loaded;
    }
    return state;
}

core::Result<persistence::ProgramState> LoadAndCalculate(const std::string& name, char decimalSeparator) {
    auto state = LoadMeasurement(name, decimalSeparator);
    if (!state) {
        return state;
    }
    if (const core::Outcome calculated = core::Calculate(state->main, decimalSeparator); !calculated) {
        return calculated;
    }
    return state;
}

}  // namespace vantrel::cli
