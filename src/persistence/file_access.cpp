#include "persistence/file_access.hpp"

#include "persistence/path_text.hpp"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vantrel::persistence {
namespace {

FileKind KindOfType(std::filesystem::file_type type) {
    using std::filesystem::file_type;
    switch (type) {
        case file_type::not_found:
            return FileKind::Missing;
        case file_type::regular:
            return FileKind::Regular;
        case file_type::directory:
            return FileKind::Directory;
        case file_type::symlink:
            return FileKind::Symlink;
        case file_type::fifo:
            return FileKind::NamedPipe;
        case file_type::character:
            return FileKind::CharacterDevice;
        case file_type::block:
            return FileKind::BlockDevice;
        case file_type::socket:
            return FileKind::Socket;
        default:
            return FileKind::Unknown;
    }
}

std::string NotRegular(FileKind kind) {
    return "it is not a regular file (" + KindText(kind) + ")";
}

core::Outcome WriteRefused(const std::filesystem::path& target, const std::string& reason) {
    return core::Outcome::Fail("Could not write \"" + DisplayPath(target) + "\": " + reason +
                               "; nothing was written");
}

core::Result<std::filesystem::path> Refusal(const std::string& reason) {
    return core::Result<std::filesystem::path>::Fail(reason);
}

template <class T>
core::Result<T> ReadRefused(const std::filesystem::path& path, const std::string& reason) {
    return core::Result<T>::Fail("Could not read \"" + DisplayPath(path) + "\": " + reason);
}

std::string SystemReason(int error) {
    return std::generic_category().message(error);
}

// The file at `path` must be a regular file before anything opens it (symbolic links followed).
core::Outcome CheckRegularForReading(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec) {
        return ReadRefused<bool>(path, ec.message()).outcome();
    }
    if (const FileKind kind = KindOfType(status.type()); kind != FileKind::Regular) {
        return ReadRefused<bool>(path, NotRegular(kind)).outcome();
    }
    return core::Outcome::Ok();
}

#ifndef _WIN32
FileKind KindOfMode(mode_t mode) {
    if (S_ISREG(mode)) {
        return FileKind::Regular;
    }
    if (S_ISDIR(mode)) {
        return FileKind::Directory;
    }
    if (S_ISFIFO(mode)) {
        return FileKind::NamedPipe;
    }
    if (S_ISCHR(mode)) {
        return FileKind::CharacterDevice;
    }
    if (S_ISBLK(mode)) {
        return FileKind::BlockDevice;
    }
    if (S_ISSOCK(mode)) {
        return FileKind::Socket;
    }
    return FileKind::Unknown;
}

// Closes the descriptor when the read is over, however it ends.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    [[nodiscard]] int get() const { return fd_; }

  private:
    int fd_;
};

core::Result<FileHead> ReadOpenedHead(const std::filesystem::path& path, std::size_t limit) {
    // Non-blocking: a pipe swapped in after the check above opens at once instead of waiting for a writer,
    // and is refused below. A regular file reads the same either way.
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        return ReadRefused<FileHead>(path, SystemReason(errno));
    }
    struct stat opened {};
    if (::fstat(fd.get(), &opened) != 0) {
        return ReadRefused<FileHead>(path, SystemReason(errno));
    }
    if (const FileKind kind = KindOfMode(opened.st_mode); kind != FileKind::Regular) {
        return ReadRefused<FileHead>(path, NotRegular(kind));
    }
    FileHead head;
    head.size = static_cast<std::uintmax_t>(opened.st_size);
    head.bytes.resize(limit);
    std::size_t filled = 0;
    while (filled < limit) {
        const ssize_t got = ::read(fd.get(), head.bytes.data() + filled, limit - filled);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return ReadRefused<FileHead>(path, SystemReason(errno));
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    head.bytes.resize(filled);
    return head;
}
#else
core::Result<FileHead> ReadOpenedHead(const std::filesystem::path& path, std::size_t limit) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return ReadRefused<FileHead>(path, SystemReason(errno));
    }
    FileHead head;
    std::error_code ec;
    head.size = std::filesystem::file_size(path, ec);
    head.bytes.resize(limit);
    in.read(head.bytes.data(), static_cast<std::streamsize>(limit));
    if (in.bad()) {
        return ReadRefused<FileHead>(path, SystemReason(errno));
    }
    head.bytes.resize(static_cast<std::size_t>(in.gcount()));
    return head;
}
#endif

}  // namespace

FileKind KindAt(const std::filesystem::path& path) {
    std::error_code ec;
    return KindOfType(std::filesystem::symlink_status(path, ec).type());
}

std::string KindText(FileKind kind) {
    switch (kind) {
        case FileKind::Missing:
            return "nothing";
        case FileKind::Regular:
            return "a regular file";
        case FileKind::Directory:
            return "a folder";
        case FileKind::Symlink:
            return "a symbolic link";
        case FileKind::NamedPipe:
            return "a named pipe";
        case FileKind::CharacterDevice:
            return "a character device";
        case FileKind::BlockDevice:
            return "a block device";
        case FileKind::Socket:
            return "a socket";
        case FileKind::Unknown:
            break;
    }
    return "an unknown kind of file";
}

core::Result<std::filesystem::path> FollowToFileTarget(const std::filesystem::path& target) {
    std::filesystem::path current = target;
    for (int links = 0; links <= kMostSymlinks; ++links) {
        std::error_code ec;
        const auto status = std::filesystem::symlink_status(current, ec);
        const FileKind kind = KindOfType(status.type());
        if (kind == FileKind::Missing || kind == FileKind::Regular ||
            status.type() == std::filesystem::file_type::none) {
            // Missing or regular: the write goes here. A path the system could not look at (no permission
            // on a folder, say) is left to the write itself, which reports the system's reason.
            return current;
        }
        if (kind != FileKind::Symlink) {
            if (current == target) {
                return Refusal(NotRegular(kind));
            }
            return Refusal("it leads to \"" + DisplayPath(current) + "\", which is not a regular file (" +
                           KindText(kind) + ")");
        }
        const std::filesystem::path link = std::filesystem::read_symlink(current, ec);
        if (ec) {
            return Refusal(ec.message());
        }
        current = link.is_absolute() ? link : current.parent_path() / link;
    }
    // In the system's own words, as a reader of the same path says it.
    return Refusal(SystemReason(ELOOP));
}

core::Result<std::filesystem::path> ResolveWriteTarget(const std::filesystem::path& target) {
    auto resolved = FollowToFileTarget(target);
    if (!resolved) {
        return WriteRefused(target, resolved.message());
    }
    return resolved;
}

core::Result<FileHead> ReadFileHead(const std::filesystem::path& path, std::size_t limit) {
    if (auto regular = CheckRegularForReading(path); !regular) {
        return regular;
    }
    return ReadOpenedHead(path, limit);
}

core::Result<std::string> ReadWholeFile(const std::filesystem::path& path, std::size_t limit,
                                        std::string_view kind) {
    // One byte beyond the limit tells a file of exactly `limit` bytes from a longer one.
    auto head = ReadFileHead(path, limit + 1);
    if (!head) {
        return head.outcome();
    }
    if (head->bytes.size() > limit) {
        return ReadRefused<std::string>(
            path, "it is " + std::to_string(std::max<std::uintmax_t>(head->size, limit + 1)) +
                      " bytes long, more than the " + std::to_string(limit) + " bytes " + std::string(kind) +
                      " may have");
    }
    return std::move(head->bytes);
}

std::string WithoutNothingWritten(std::string message) {
    constexpr std::string_view kNothing = "; nothing was written";
    if (message.ends_with(kNothing)) {
        message.resize(message.size() - kNothing.size());
    }
    return message;
}

std::string DisplayPath(const std::filesystem::path& path) {
    std::filesystem::path shown = path;
    return Utf8FromPath(shown.make_preferred());
}

}  // namespace vantrel::persistence
