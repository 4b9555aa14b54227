#include "hunt_log/log_file.hpp"

#include <cerrno>
#include <string>
#include <system_error>
#include <utility>

#include "persistence/file_access.hpp"

#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vantrel::hunt_log {
namespace {

core::Outcome AppendFailure(const std::filesystem::path& path, const std::string& reason) {
    return core::Outcome::Fail("Could not append to \"" + persistence::DisplayPath(path) + "\": " + reason);
}

#ifndef _WIN32
core::Outcome ErrnoFailure(const std::filesystem::path& path, int error) {
    return AppendFailure(path, std::generic_category().message(error));
}
#else
core::Outcome WindowsFailure(const std::filesystem::path& path, DWORD error) {
    return AppendFailure(path, std::system_category().message(static_cast<int>(error)));
}

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// The lock is one byte at 2^62: far beyond the end of any log, so a reader never meets it (Windows locks
// are mandatory for the bytes they cover).
OVERLAPPED LockPlace() {
    OVERLAPPED place{};
    place.OffsetHigh = 0x40000000;
    return place;
}
#endif

}  // namespace

AppendFile::AppendFile(AppendFile&& other) noexcept
    : path_(std::move(other.path_)),
      handle_(std::exchange(other.handle_, -1)),
      locked_(std::exchange(other.locked_, false)) {}

AppendFile& AppendFile::operator=(AppendFile&& other) noexcept {
    if (this != &other) {
        Close();
        path_ = std::move(other.path_);
        handle_ = std::exchange(other.handle_, -1);
        locked_ = std::exchange(other.locked_, false);
    }
    return *this;
}

AppendFile::~AppendFile() {
    Close();
}

#ifndef _WIN32

core::Result<AppendFile> AppendFile::Open(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return ErrnoFailure(path, errno);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return AppendFailure(path, "it is not a regular file");
    }
    return AppendFile(path, fd);
}

void AppendFile::Close() {
    if (handle_ >= 0) {
        Unlock();
        ::close(static_cast<int>(handle_));
        handle_ = -1;
    }
}

core::Outcome AppendFile::Lock() {
    while (::flock(static_cast<int>(handle_), LOCK_EX) != 0) {
        if (errno != EINTR) {
            return ErrnoFailure(path_, errno);
        }
    }
    locked_ = true;
    return core::Outcome::Ok();
}

void AppendFile::Unlock() {
    if (locked_) {
        ::flock(static_cast<int>(handle_), LOCK_UN);
        locked_ = false;
    }
}

core::Result<std::uintmax_t> AppendFile::Size() const {
    struct stat info {};
    if (::fstat(static_cast<int>(handle_), &info) != 0) {
        return ErrnoFailure(path_, errno);
    }
    return static_cast<std::uintmax_t>(info.st_size);
}

core::Outcome AppendFile::AppendAndSync(std::string_view bytes) {
    const int fd = static_cast<int>(handle_);
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return ErrnoFailure(path_, errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    while (::fdatasync(fd) != 0) {
        if (errno != EINTR) {
            return ErrnoFailure(path_, errno);
        }
    }
    return core::Outcome::Ok();
}

#else

core::Result<AppendFile> AppendFile::Open(const std::filesystem::path& path) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return WindowsFailure(path, ::GetLastError());
    }
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        ::CloseHandle(file);
        return AppendFailure(path, "it is not a regular file");
    }
    return AppendFile(path, reinterpret_cast<std::intptr_t>(file));
}

void AppendFile::Close() {
    if (handle_ != -1) {
        Unlock();
        ::CloseHandle(AsHandle(handle_));
        handle_ = -1;
    }
}

core::Outcome AppendFile::Lock() {
    OVERLAPPED place = LockPlace();
    if (!::LockFileEx(AsHandle(handle_), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &place)) {
        return WindowsFailure(path_, ::GetLastError());
    }
    locked_ = true;
    return core::Outcome::Ok();
}

void AppendFile::Unlock() {
    if (locked_) {
        OVERLAPPED place = LockPlace();
        ::UnlockFileEx(AsHandle(handle_), 0, 1, 0, &place);
        locked_ = false;
    }
}

core::Result<std::uintmax_t> AppendFile::Size() const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(AsHandle(handle_), &size)) {
        return WindowsFailure(path_, ::GetLastError());
    }
    return static_cast<std::uintmax_t>(size.QuadPart);
}

core::Outcome AppendFile::AppendAndSync(std::string_view bytes) {
    while (!bytes.empty()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), std::size_t{1} << 30));
        DWORD written = 0;
        if (!::WriteFile(AsHandle(handle_), bytes.data(), chunk, &written, nullptr)) {
            return WindowsFailure(path_, ::GetLastError());
        }
        bytes.remove_prefix(written);
    }
    if (!::FlushFileBuffers(AsHandle(handle_))) {
        return WindowsFailure(path_, ::GetLastError());
    }
    return core::Outcome::Ok();
}

#endif

}  // namespace vantrel::hunt_log
