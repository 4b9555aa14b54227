#pragma once

// What stands at a path, and the two ways the program touches a user's file: reading the start of a
// regular file in bounded memory, and finding where a write should land. A path names a regular file, or
// nothing yet, before anything is opened: a named pipe, a device, a socket or a folder given where a file
// belongs is refused with a message, so that reading never blocks on a pipe nor runs through an endless
// device, and writing never replaces a node that is not a file.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/outcome.hpp"

namespace vantrel::persistence {

// The kind of the node at a path, as the file system reports it without following a last symbolic link.
enum class FileKind {
    Missing,
    Regular,
    Directory,
    Symlink,
    NamedPipe,
    CharacterDevice,
    BlockDevice,
    Socket,
    Unknown
};

FileKind KindAt(const std::filesystem::path& path);

// "a folder", "a named pipe", "a character device", ... for messages.
std::string KindText(FileKind kind);

// The links a path may run through before it counts as a loop (as the system's own limit).
inline constexpr int kMostSymlinks = 40;

// Where a write to `target` lands: a symbolic link is followed (through a chain of links, each relative
// one read against its own folder) to its final target, which may not exist yet. Refused, with a message
// naming `target` that ends in "nothing was written": a final target that exists and is not a regular file,
// and links that lead round in a loop.
core::Result<std::filesystem::path> ResolveWriteTarget(const std::filesystem::path& target);

// A refusal's message without its closing "; nothing was written", for a caller that has written other
// files before and goes on to say which; any other message unchanged.
std::string WithoutNothingWritten(std::string message);

// The same, for a file that is appended to instead: the message is the reason alone ("it is not a regular
// file (a named pipe)"), for the caller to put into its own words.
core::Result<std::filesystem::path> FollowToFileTarget(const std::filesystem::path& target);

// The start of a regular file: at most `limit` bytes from its beginning, and its size when it was opened.
struct FileHead {
    std::string bytes;
    std::uintmax_t size = 0;
};

// Reads at most `limit` bytes of the regular file at `path` (symbolic links followed). A path that is not
// a regular file is refused before it is opened; on POSIX systems the file is opened without blocking and
// looked at again once open, so a pipe put there meanwhile is refused too instead of waiting for a writer.
// Messages: "Could not read \"<path>\": <reason>".
core::Result<FileHead> ReadFileHead(const std::filesystem::path& path, std::size_t limit);

// A whole file of at most `limit` bytes; a longer one is refused with a message naming its size, the limit
// and `kind` ("a settings file").
core::Result<std::string> ReadWholeFile(const std::filesystem::path& path, std::size_t limit,
                                        std::string_view kind);

// The path as the user should see it in a message (UTF-8, native separators).
std::string DisplayPath(const std::filesystem::path& path);

}  // namespace vantrel::persistence
