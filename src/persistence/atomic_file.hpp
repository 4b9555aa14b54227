#pragma once

// Every file the program writes goes through here: the new content is written to a temporary file beside
// the target, flushed to the disk and renamed over the target, so the target is always either the complete
// old file or the complete new one. A failure is reported with the path and the system's reason, and the
// old file stays as it was. A symbolic link is followed to its final target, whose folder takes the
// temporary file and which is replaced while the link stays; a target that exists and is not a regular
// file (a pipe, a device, a socket, a folder) is refused before anything is written (ResolveWriteTarget).

#include <filesystem>
#include <string>
#include <string_view>

#include "core/outcome.hpp"
#include "persistence/file_access.hpp"

namespace vantrel::persistence {

core::Outcome WriteFileAtomically(const std::filesystem::path& target, std::string_view content);

// The steps of an atomic write, in order.
enum class AtomicWriteStep { Create, Write, Flush, Close, Rename };

// A failure made on purpose at one step, as a full disk, a failing device or a read-only folder would
// cause it: the step reports `error` (an errno value); at Write, after half the content went out.
struct InjectedWriteError {
    AtomicWriteStep step = AtomicWriteStep::Write;
    int error = 0;
};

// The same, with one step failing as given. For tests of what a failed write leaves behind.
core::Outcome WriteFileAtomically(const std::filesystem::path& target, std::string_view content,
                                  InjectedWriteError injected);

}  // namespace vantrel::persistence
