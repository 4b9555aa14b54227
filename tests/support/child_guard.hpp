#pragma once

// Kills and reaps a forked child when a test ends early, so no writer outlives its test (POSIX).

#include <csignal>

#include <sys/types.h>
#include <sys/wait.h>

namespace vantrel::testing_support {

struct ChildGuard {
    pid_t pid = -1;
    ChildGuard() = default;
    ChildGuard(const ChildGuard&) = delete;
    ChildGuard& operator=(const ChildGuard&) = delete;
    ~ChildGuard() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
};

}  // namespace vantrel::testing_support
