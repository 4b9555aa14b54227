#include "support/process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

extern char** environ;

namespace vantrel::testing_support {
namespace {

struct Pipe {
    int read = -1;
    int write = -1;
    Pipe() {
        std::array<int, 2> fds{};
        if (::pipe2(fds.data(), O_CLOEXEC) == 0) {
            read = fds[0];
            write = fds[1];
        }
    }
};

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

}  // namespace

std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& extra) {
    std::map<std::string, std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::size_t eq = text.find('=');
        merged[text.substr(0, eq)] = eq == std::string::npos ? "" : text.substr(eq + 1);
    }
    for (const auto& [name, value] : extra) {
        merged[name] = value;
    }
    std::vector<std::string> out;
    for (const auto& [name, value] : merged) {
        out.push_back(name + "=" + value);
    }
    return out;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) {
        pointers.push_back(s.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
    ProcessResult result;
    Pipe in;
    Pipe out;
    Pipe err;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.read, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out.write, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.write, STDERR_FILENO);

    std::vector<std::string> args = argv;
    std::vector<std::string> env = MergedEnvironment(options.environment);
    std::vector<char*> argPointers = Pointers(args);
    std::vector<char*> envPointers = Pointers(env);
    pid_t pid = -1;
    const int spawned =
        ::posix_spawn(&pid, argPointers[0], &actions, nullptr, argPointers.data(), envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    CloseFd(in.read);
    CloseFd(out.write);
    CloseFd(err.write);
    if (spawned != 0) {
        result.err = std::string("could not start ") + argv[0] + ": " + std::strerror(spawned);
        CloseFd(in.write);
        CloseFd(out.read);
        CloseFd(err.read);
        return result;
    }
    ::signal(SIGPIPE, SIG_IGN);

    std::size_t written = 0;
    bool inputDone = options.input.empty();
    if (inputDone && !options.keepInputOpen) {
        CloseFd(in.write);
    } else {
        ::fcntl(in.write, F_SETFL, O_NONBLOCK);
    }
    const auto deadline = std::chrono::steady_clock::now() + options.timeout;
    std::array<char, 65536> buffer{};
    while (out.read >= 0 || err.read >= 0) {
        std::array<pollfd, 3> fds{
            {{out.read, POLLIN, 0}, {err.read, POLLIN, 0}, {inputDone ? -1 : in.write, POLLOUT, 0}}};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            ::kill(pid, SIGKILL);
            break;
        }
        if (::poll(fds.data(), fds.size(), static_cast<int>(left.count())) < 0 && errno != EINTR) {
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[static_cast<std::size_t>(i)].revents == 0) {
                continue;
            }
            int& fd = i == 0 ? out.read : err.read;
            const ssize_t n = ::read(fd, buffer.data(), buffer.size());
            if (n <= 0) {
                CloseFd(fd);
            } else {
                (i == 0 ? result.out : result.err).append(buffer.data(), static_cast<std::size_t>(n));
            }
        }
        if (!inputDone && fds[2].revents != 0) {
            const ssize_t n =
                ::write(in.write, options.input.data() + written, options.input.size() - written);
            if (n > 0) {
                written += static_cast<std::size_t>(n);
            }
            inputDone = n < 0 || written == options.input.size();
            if (inputDone && (n < 0 || !options.keepInputOpen)) {
                CloseFd(in.write);
            }
        }
    }
    CloseFd(in.write);
    CloseFd(out.read);
    CloseFd(err.read);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status) && !result.timedOut) {
        result.exitCode = WEXITSTATUS(status);
    }
    return result;
}

}  // namespace vantrel::testing_support
