#pragma once

#include <string>
#include <vector>

#include "support/process.hpp"

namespace vantrel::testing_support {

// Runs vantrel-cli with the given arguments.
inline ProcessResult RunCli(const std::vector<std::string>& args, const ProcessOptions& options = {}) {
    std::vector<std::string> argv{VANTREL_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv, options);
}

}  // namespace vantrel::testing_support
