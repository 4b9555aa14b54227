#pragma once

// The one way bytes get into a bearing log: an existing file opened for appending only (O_APPEND on POSIX
// systems, FILE_APPEND_DATA on Windows), each append one write of whole lines followed by fdatasync
// (FlushFileBuffers on Windows) before it counts as done. An exclusive lock (flock; LockFileEx on a byte
// far beyond any log's end, so readers are never blocked) keeps two programs appending to the same log
// at once from mixing their lines. The file is never truncated, rewritten or moved.
//
// One AppendFile belongs to one thread at a time.

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "core/outcome.hpp"

namespace vantrel::hunt_log {

class AppendFile {
  public:
    // Opens an existing regular file (symbolic links followed).
    static core::Result<AppendFile> Open(const std::filesystem::path& path);

    AppendFile(AppendFile&& other) noexcept;
    AppendFile& operator=(AppendFile&& other) noexcept;
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;
    ~AppendFile();

    // Waits for the exclusive lock; Unlock gives it back (the destructor too).
    core::Outcome Lock();
    void Unlock();

    [[nodiscard]] core::Result<std::uintmax_t> Size() const;

    // Appends all of `bytes` and flushes them to the disk. A failure may leave part of the bytes written.
    core::Outcome AppendAndSync(std::string_view bytes);

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }

  private:
    AppendFile(std::filesystem::path path, std::intptr_t handle) : path_(std::move(path)), handle_(handle) {}
    void Close();

    std::filesystem::path path_;
    std::intptr_t handle_ = -1;  // a file descriptor, or a Windows HANDLE
    bool locked_ = false;
};

}  // namespace vantrel::hunt_log
