// SPDX-License-Identifier: GPL-3.0-or-later
#include <filesystem>
#include <system_error>

#include "cli/cli.hpp"
#include "persistence/file_access.hpp"

namespace vantrel::cli {

core::Outcome CheckOutputIsNoInput(const std::string& output, const std::vector<std::string>& inputs) {
    const std::filesystem::path out(output);
    for (const std::string& input : inputs) {
        std::error_code error;
        // Fails (with an error, not an exception) when either does not exist: then nothing is overwritten.
        if (std::filesystem::equivalent(out, std::filesystem::path(input), error) && !error) {
            return core::Outcome::Fail("Could not write \"" + persistence::DisplayPath(out) +
                                       "\": it is the same file as the input \"" +
                                       persistence::DisplayPath(std::filesystem::path(input)) +
                                       "\"; choose another name for the output");
        }
    }
    return core::Outcome::Ok();
}

}  // namespace vantrel::cli
