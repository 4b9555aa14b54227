#pragma once

// Makes a file read-only for the rest of a test. Permission bits do not stop root, and the tests run as
// root in CI, so there the file is also made immutable (chattr +i), which stops every writer. Where neither
// works, Made() is false and the test should be skipped.

#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/process.hpp"

namespace vantrel::testing_support {

class ReadOnlyFile {
  public:
    explicit ReadOnlyFile(std::filesystem::path path) : path_(std::move(path)) {
        std::error_code error;
        std::filesystem::permissions(path_,
                                     std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                         std::filesystem::perms::others_read,
                                     error);
        if (error) {
            return;
        }
        if (::geteuid() != 0) {
            made_ = true;
            return;
        }
        immutable_ = RunProcess({"/usr/bin/chattr", "+i", path_.string()}).exitCode == 0;
        made_ = immutable_;
    }
    ~ReadOnlyFile() {
        if (immutable_) {
            RunProcess({"/usr/bin/chattr", "-i", path_.string()});
        }
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, ignored);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    [[nodiscard]] bool Made() const { return made_; }

  private:
    std::filesystem::path path_;
    bool immutable_ = false;
    bool made_ = false;
};

}  // namespace vantrel::testing_support
