#include "persistence/atomic_file.hpp"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <process.h>
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
    return target.parent_path() / ("." + target.filename().string() + suffix);
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

}  // namespace

#ifndef _WIN32
namespace {

// The step's injected error, or 0.
int Injected(const InjectedWriteError* injected, AtomicWriteStep step) {
    return injected != nullptr && injected->step == step ? injected->error : 0;
}

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

core::Outcome WriteFileAtomically(const std::filesystem::path& target, std::string_view content) {
    return WriteAtomically(target, content, nullptr);
}

core::Outcome WriteFileAtomically(const std::filesystem::path& target, std::string_view content,
                                  InjectedWriteError injected) {
    return WriteAtomically(target, content, &injected);
}
#else
core::Outcome WriteFileAtomically(const std::filesystem::path& target, std::string_view content) {
    const auto resolved = ResolveWriteTarget(target);
    if (!resolved) {
        return resolved.outcome();
    }
    const std::filesystem::path& destination = *resolved;
    const std::filesystem::path temporary = TemporaryBeside(destination);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            return WriteFailure(target, errno);
        }
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.flush();
        if (!out) {
            const int error = errno;
            out.close();
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return WriteFailure(target, error);
        }
    }
    if (auto still = StillWritable(target, destination); !still) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return still;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, destination, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return core::Outcome::Fail("Could not write \"" + DisplayPath(target) + "\": " + ec.message());
    }
    return core::Outcome::Ok();
}

// The injected failures are tried out on POSIX systems only; here the write is refused at once.
core::Outcome WriteFileAtomically(const std::filesystem::path& target, std::string_view content,
                                  InjectedWriteError injected) {
    if (injected.error != 0) {
        return core::Outcome::Fail("Could not write \"" + DisplayPath(target) +
                                   "\": " + SystemReason(injected.error));
    }
    return WriteFileAtomically(target, content);
}
#endif

}  // namespace vantrel::persistence
