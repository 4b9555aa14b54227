#pragma once

// A small memory file system mounted on a folder for one test, to make real write failures that stop
// root too: a full disk (fill it up) and a read-only folder (remount it read-only). Mounting needs root
// (CAP_SYS_ADMIN); where it is refused, Mounted() is false and the test should be skipped.

#include <sys/mount.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

namespace vantrel::testing_support {

class TinyTmpfs {
  public:
    TinyTmpfs(std::filesystem::path folder, std::size_t kibibytes)
        : folder_(std::move(folder)), options_("size=" + std::to_string(kibibytes) + "k,mode=0777") {
        std::filesystem::create_directories(folder_);
        mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options_.c_str()) == 0;
    }
    ~TinyTmpfs() {
        if (mounted_) {
            ::umount2(folder_.c_str(), MNT_DETACH);
        }
    }
    TinyTmpfs(const TinyTmpfs&) = delete;
    TinyTmpfs& operator=(const TinyTmpfs&) = delete;

    [[nodiscard]] bool Mounted() const { return mounted_; }
    [[nodiscard]] std::filesystem::path operator/(std::string_view name) const { return folder_ / name; }

    // Fills the free space with a file of its own; true once a write was refused for want of space.
    bool Fill() const {
        std::ofstream filler(folder_ / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        for (int i = 0; i < 1 << 20 && filler; ++i) {
            filler.write(block.data(), static_cast<std::streamsize>(block.size()));
            filler.flush();
        }
        return !filler;
    }

    // Every write into the folder now fails with "Read-only file system", even for root.
    bool MakeReadOnly() const {
        return ::mount("tmpfs", folder_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV,
                       options_.c_str()) == 0;
    }

  private:
    std::filesystem::path folder_;
    std::string options_;
    bool mounted_ = false;
};

}  // namespace vantrel::testing_support
