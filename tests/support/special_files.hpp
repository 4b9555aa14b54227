#pragma once

// Nodes that are not regular files, made in a test's folder: named pipes, character devices, sockets,
// symbolic links. Each maker says whether this system let it make the node, so a test can skip. Windows
// has no named pipes, devices or sockets in its file system: there only links and folders are made.

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <cstring>
#include <filesystem>
#include <string>

namespace vantrel::testing_support {

#ifdef _WIN32
inline bool MakeFifo(const std::filesystem::path&) {
    return false;
}
inline bool MakeCharacterDevice(const std::filesystem::path&) {
    return false;
}
inline bool MakeSocket(const std::filesystem::path&) {
    return false;
}
#else
inline bool MakeFifo(const std::filesystem::path& path) {
    return ::mkfifo(path.c_str(), 0644) == 0;
}

// A device like /dev/null (major 1, minor 3); needs root.
inline bool MakeCharacterDevice(const std::filesystem::path& path) {
    return ::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
}

// A socket file left behind by a listener that has gone.
inline bool MakeSocket(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string name = path.string();
    if (name.size() >= sizeof(address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, name.c_str(), name.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) {
        return false;
    }
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return bound;
}
#endif

inline bool MakeSymlink(const std::filesystem::path& to, const std::filesystem::path& link) {
    std::error_code ec;
    std::filesystem::create_symlink(to, link, ec);
    return !ec;
}

}  // namespace vantrel::testing_support
