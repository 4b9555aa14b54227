#pragma once

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/process.hpp"

namespace vantrel::testing_support {

// The words of VANTREL_CLI_WRAPPER, which every vantrel-cli run of these tests is started under
// (`./dev test --valgrind` sets it to a valgrind command line); empty when it is not set.
inline std::vector<std::string> CliWrapper() {
    std::vector<std::string> words;
    if (const char* wrapper = std::getenv("VANTREL_CLI_WRAPPER")) {
        std::istringstream stream(wrapper);
        for (std::string word; stream >> word;) {
            words.push_back(word);
        }
    }
    return words;
}

// A wrapper's own work (valgrind's, say) makes CPU times of the program meaningless.
inline bool CliIsWrapped() {
    return !CliWrapper().empty();
}

// The command line that runs vantrel-cli with the given arguments.
inline std::vector<std::string> CliCommand(const std::vector<std::string>& args) {
    std::vector<std::string> argv = CliWrapper();
    argv.emplace_back(VANTREL_CLI);
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

// Runs vantrel-cli with the given arguments.
inline ProcessResult RunCli(const std::vector<std::string>& args, const ProcessOptions& options = {}) {
    return RunProcess(CliCommand(args), options);
}

}  // namespace vantrel::testing_support
