#include "persistence/atomic_file.hpp"

#include "persistence/path_text.hpp"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#include <windows.h>

#include <algorithm>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vantrel::persistence {
namespace {

std::string SystemReason(int error) {
    return std::generic_category().message(error);
}

core::Outcome WriteFailure(const std::filesystem::path& target, int error) {
    return core::Outcome::Fail("Could not write \"" + DisplayPath(target) + "\": " + SystemReason(error));
}

// The temporary file's name carries the process id besides a random number: a process killed while
// writing leaves its temporary file behind, and a process forked from the same parent starts with the same
// random numbers, so the number alone could name a leftover, and the exclusive create would then fail.
std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
    static std::minstd_rand generator(std::random_device{}());
#ifdef _WIN32
    const long processId = ::_getpid();
#else
    const long processId = ::getpid();
#endif
    const std::string suffix = ".tmp-" + std::to_string(processId) + "-" + std::to_string(generator());
    // Joined as paths, not as std::string: on Windows string() would lose a name outside the code page.
    std::filesystem::path name(".");
    name += target.filename();
    name += suffix;
    return target.parent_path() / name;
}

#ifndef _WIN32
// Writes everything or reports errno.
int WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// Makes the rename itself durable; a failure here cannot undo the rename, so it is not reported.
void SyncDirectory(const std::filesystem::path& directory) {
    const std::string name = directory.empty() ? "." : directory.string();
    const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
#endif

// The write's destination is still missing or a regular file.
core::Outcome StillWritable(const std::filesystem::path& target, const std::filesystem::path& destination) {
    const FileKind kind = KindAt(destination);
    if (kind == FileKind::Missing || kind == FileKind::Regular) {
        return core::Outcome::Ok();
    }
    return ResolveWriteTarget(target).outcome();
}

// The step's injected error, or 0.
int Injected(const InjectedWriteError* injected, AtomicWriteStep step) {
    return injected != nullptr && injected->step == step ? injected->error : 0;
}

}  // namespace

#ifndef _WIN32
namespace {

core::Outcome WriteAtomically(const std::filesystem::path& target, std::string_view content,
                              const InjectedWriteError* injected) {
    const auto resolved = ResolveWriteTarget(target);
    if (!resolved) {
        return resolved.outcome();
    }
    const std::filesystem::path& destination = *resolved;
    const std::filesystem::path temporary = TemporaryBeside(destination);
    struct stat existing {};
    const bool hasExisting = ::stat(destination.c_str(), &existing) == 0;
    if (const int error = Injected(injected, AtomicWriteStep::Create)) {
        return WriteFailure(target, error);
    }
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return WriteFailure(target, errno);
    }
    int error = 0;
    if (const int writeError = Injected(injected, AtomicWriteStep::Write)) {
        WriteAll(fd, content.substr(0, content.size() / 2));
        error = writeError;
    } else {
        error = WriteAll(fd, content);
    }
    if (error == 0 && hasExisting) {
        ::fchmod(fd, existing.st_mode & 07777);
    }
    if (error == 0) {
        error = Injected(injected, AtomicWriteStep::Flush);
    }
    if (error == 0 && ::fsync(fd) != 0) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0) {
        error = Injected(injected, AtomicWriteStep::Close);
    }
    if (error == 0) {
        error = Injected(injected, AtomicWriteStep::Rename);
    }
    if (error == 0) {
        // Looked at again just before the rename: something other than a file put there meanwhile is kept.
        if (auto still = StillWritable(target, destination); !still) {
            ::unlink(temporary.c_str());
            return still;
        }
    }
    if (error == 0 && std::rename(temporary.c_str(), destination.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return WriteFailure(target, error);
    }
    SyncDirectory(destination.parent_path());
    return core::Outcome::Ok();
}

}  // namespace
#endif

#ifdef _WIN32
// The Windows writer: the same steps through the wide-character file API, so that any file name works,
// the bytes go out exactly as given (no text mode), and the rename replaces the old file.
namespace {

// The errno value of a Windows error where there is one, so the message reads as on every other system;
// 0 for the rest.
int ErrnoForWindowsError(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
            return EACCES;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_DIRECTORY:
            return ENOTDIR;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        default:
            return 0;
    }
}

// The system's own text for the errors without an errno value (a file in use by another program, ...).
std::string WindowsErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) {
        return "Windows error " + std::to_string(error);
    }
    std::wstring text(buffer, length);
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.')) {
        text.pop_back();
    }
    return Utf8FromPath(std::filesystem::path(text));
}

core::Outcome WindowsWriteFailure(const std::filesystem::path& target, DWORD error) {
    if (const int mapped = ErrnoForWindowsError(error)) {
        return WriteFailure(target, mapped);
    }
    return core::Outcome::Fail("Could not write \"" + DisplayPath(target) + "\": " + WindowsErrorText(error));
}

// Writes everything or returns the Windows error.
DWORD WriteAllToHandle(HANDLE file, std::string_view content) {
    constexpr std::size_t kChunk = std::size_t{1} << 30;
    while (!content.empty()) {
        const auto chunk = static_cast<DWORD>(std::min(content.size(), kChunk));
        DWORD written = 0;
        if (!::WriteFile(file, content.data(), chunk, &written, nullptr)) {
            return ::GetLastError();
        }
        content.remove_prefix(written);
    }
    return ERROR_SUCCESS;
}

// A failure of one step: an errno value (injected) or a Windows error.
struct StepFailure {
    int injected = 0;
    DWORD windows = ERROR_SUCCESS;
    [[nodiscard]] bool Failed() const { return injected != 0 || windows != ERROR_SUCCESS; }
};

// Write, flush and close the temporary file.
StepFailure FillTemporary(HANDLE file, std::string_view content, const InjectedWriteError* injected) {
    StepFailure failure;
    if (const int error = Injected(injected, AtomicWriteStep::Write)) {
        WriteAllToHandle(file, content.substr(0, content.size() / 2));
        failure.injected = error;
    } else {
        failure.windows = WriteAllToHandle(file, content);
    }
    if (!failure.Failed()) {
        failure.injected = Injected(injected, AtomicWriteStep::Flush);
    }
    if (!failure.Failed() && !::FlushFileBuffers(file)) {
        failure.windows = ::GetLastError();
    }
    if (!::CloseHandle(file) && !failure.Failed()) {
        failure.windows = ::GetLastError();
    }
    if (!failure.Failed()) {
        failure.injected = Injected(injected, AtomicWriteStep::Close);
    }
    return failure;
}

core::Outcome WriteAtomically(const std::filesystem::path& target, std::string_view content,
                              const InjectedWriteError* injected) {
    const auto resolved = ResolveWriteTarget(target);
    if (!resolved) {
        return resolved.outcome();
    }
    const std::filesystem::path& destination = *resolved;
    // Windows says "path not found" for a folder that is a file; tell it as it is.
    std::error_code ec;
    const std::filesystem::path folder = destination.parent_path();
    if (!folder.empty() && std::filesystem::exists(folder, ec) &&
        !std::filesystem::is_directory(folder, ec)) {
        return WriteFailure(target, ENOTDIR);
    }
    if (const int error = Injected(injected, AtomicWriteStep::Create)) {
        return WriteFailure(target, error);
    }
    const std::filesystem::path temporary = TemporaryBeside(destination);
    const HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return WindowsWriteFailure(target, ::GetLastError());
    }
    StepFailure failure = FillTemporary(file, content, injected);
    if (!failure.Failed()) {
        failure.injected = Injected(injected, AtomicWriteStep::Rename);
    }
    if (!failure.Failed()) {
        // Looked at again just before the rename: something other than a file put there meanwhile is kept.
        if (auto still = StillWritable(target, destination); !still) {
            ::DeleteFileW(temporary.c_str());
            return still;
        }
    }
    if (!failure.Failed() && !::MoveFileExW(temporary.c_str(), destination.c_str(),
                                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        failure.windows = ::GetLastError();
    }
    if (!failure.Failed()) {
        return core::Outcome::Ok();
    }
    ::DeleteFileW(temporary.c_str());
    return failure.injected != 0 ? WriteFailure(target, failure.injected)
                                 : WindowsWriteFailure(target, failure.windows);
}

}  // namespace
#endif

core::Outcome WriteFileAtomically(const std::filesystem::path& target, std::string_view content) {
    return WriteAtomically(target, content, nullptr);
}

core::Outcome WriteFileAtomically(const std::filesystem::path& target, std::string_view content,
                                  InjectedWriteError injected) {
    return WriteAtomically(target, content, &injected);
}

}  // namespace vantrel::persistence
