#pragma once

// Every file the program writes goes through here: the new content is written to a temporary file beside
// the target, flushed to the disk and renamed over the target, so the target is always either the complete
// old file or the complete new one. A failure is reported with the path and the system's reason, and the
// old file stays as it was.

#include <filesystem>
#include <string>
#include <string_view>

#include "core/outcome.hpp"

namespace vantrel::persistence {

core::Outcome WriteFileAtomically(const std::filesystem::path& target, std::string_view content);

// Reads a whole file; a missing or unreadable file gives a message naming it and the system's reason.
core::Result<std::string> ReadWholeFile(const std::filesystem::path& path);

// The path as the user should see it in a message (UTF-8, native separators).
std::string DisplayPath(const std::filesystem::path& path);

}  // namespace vantrel::persistence
