#include "support/background_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <thread>

namespace vantrel::testing_support {
namespace {

using Clock = std::chrono::steady_clock;

std::chrono::milliseconds Left(Clock::time_point deadline) {
    return std::max(std::chrono::milliseconds(0),
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
}

double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

}  // namespace

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv,
                                     const std::map<std::string, std::string>& environment) {
    std::array<int, 2> out{-1, -1};
    std::array<int, 2> err{-1, -1};
    if (::pipe2(out.data(), O_CLOEXEC) != 0 || ::pipe2(err.data(), O_CLOEXEC) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::vector<std::string> args = argv;
    std::vector<std::string> env = MergedEnvironment(environment);
    std::vector<char*> argPointers = Pointers(args);
    std::vector<char*> envPointers = Pointers(env);
    // The program is looked up in PATH (socat) or given with its path (vantrel-cli).
    const int spawned =
        ::posix_spawnp(&pid_, argPointers[0], &actions, nullptr, argPointers.data(), envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    outFd_ = out[0];
    errFd_ = err[0];
    if (spawned != 0) {
        pid_ = -1;
        err_ = "could not start " + argv[0];
    }
    ::signal(SIGPIPE, SIG_IGN);
}

BackgroundProcess::~BackgroundProcess() {
    Reap(true);
    for (const int fd : {outFd_, errFd_}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

bool BackgroundProcess::Pump(std::chrono::milliseconds timeout) {
    if (outFd_ < 0 && errFd_ < 0) {
        return false;
    }
    std::array<pollfd, 2> fds{{{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}}};
    if (::poll(fds.data(), fds.size(), static_cast<int>(timeout.count())) <= 0) {
        return true;
    }
    std::array<char, 65536> buffer{};
    for (std::size_t i = 0; i < fds.size(); ++i) {
        if (fds[i].revents == 0) {
            continue;
        }
        int& fd = i == 0 ? outFd_ : errFd_;
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n <= 0) {
            ::close(fd);
            fd = -1;
        } else {
            (i == 0 ? out_ : err_).append(buffer.data(), static_cast<std::size_t>(n));
        }
    }
    return true;
}

bool BackgroundProcess::WaitFor(const std::string& stream, std::string_view text,
                                std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (stream.find(text) == std::string::npos) {
        if (Clock::now() >= deadline || !Pump(Left(deadline))) {
            return stream.find(text) != std::string::npos;
        }
    }
    return true;
}

bool BackgroundProcess::WaitForOutput(std::string_view text, std::chrono::milliseconds timeout) {
    return WaitFor(out_, text, timeout);
}

bool BackgroundProcess::WaitForError(std::string_view text, std::chrono::milliseconds timeout) {
    return WaitFor(err_, text, timeout);
}

bool BackgroundProcess::WaitUntilItHasOpen(const std::string& path, std::chrono::milliseconds timeout) const {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    if (error) {
        return false;
    }
    const std::filesystem::path fdFolder = "/proc/" + std::to_string(pid_) + "/fd";
    const auto deadline = Clock::now() + timeout;
    // Nothing announces the opening, so look at the process's open files until it shows up.
    while (Clock::now() < deadline) {
        for (const auto& entry : std::filesystem::directory_iterator(fdFolder, error)) {
            if (std::filesystem::read_symlink(entry.path(), error) == target) {
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void BackgroundProcess::Signal(int signalNumber) const {
    if (pid_ > 0 && !reaped_) {
        ::kill(pid_, signalNumber);
    }
}

ProcessResult BackgroundProcess::Wait(std::chrono::milliseconds timeout) {
    ProcessResult result;
    const auto deadline = Clock::now() + timeout;
    while (Pump(Left(deadline))) {
        if (Clock::now() >= deadline) {
            result.timedOut = true;
            break;
        }
    }
    Reap(result.timedOut);
    result.exitCode = result.timedOut ? -1 : exitCode_;
    result.out = out_;
    result.err = err_;
    return result;
}

void BackgroundProcess::Reap(bool killFirst) {
    if (pid_ <= 0 || reaped_) {
        return;
    }
    if (killFirst) {
        ::kill(pid_, SIGKILL);
    }
    int status = 0;
    rusage usage{};
    while (::wait4(pid_, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    reaped_ = true;
    cpuSeconds_ = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

SocatPair::SocatPair(const std::string& folder)
    : device_(folder + "/device"),
      instrument_(folder + "/instrument"),
      socat_({"socat", "-d", "-d", "pty,raw,echo=0,link=" + device_, "pty,raw,echo=0,link=" + instrument_}) {
    ready_ = socat_.started() &&
             socat_.WaitForError("starting data transfer loop", std::chrono::milliseconds(30000));
}

SocatPair::~SocatPair() {
    Disconnect();
}

bool SocatPair::Send(std::string_view bytes) {
    if (instrumentFd_ < 0) {
        instrumentFd_ = ::open(instrument_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (instrumentFd_ < 0) {
            return false;
        }
    }
    while (!bytes.empty()) {
        const ssize_t n = ::write(instrumentFd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool SocatPair::SendInChunks(std::string_view bytes, std::size_t chunkSize) {
    for (std::size_t at = 0; at < bytes.size(); at += chunkSize) {
        if (!Send(bytes.substr(at, chunkSize))) {
            return false;
        }
    }
    return true;
}

bool SocatPair::WatchDevice() {
    if (watchFd_ < 0) {
        watchFd_ = ::open(device_.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    }
    return watchFd_ >= 0;
}

bool SocatPair::WaitForDeviceSpeed(speed_t speed, std::chrono::milliseconds timeout) const {
    const auto deadline = Clock::now() + timeout;
    // Nothing announces the change, so look at the settings until it shows.
    while (Clock::now() < deadline) {
        termios settings{};
        if (watchFd_ >= 0 && ::tcgetattr(watchFd_, &settings) == 0 && ::cfgetispeed(&settings) == speed) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

bool SocatPair::WaitForQueuedOnDevice(std::size_t bytes, std::chrono::milliseconds timeout) const {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        int queued = 0;
        if (watchFd_ >= 0 && ::ioctl(watchFd_, FIONREAD, &queued) == 0 &&
            static_cast<std::size_t>(queued) >= bytes) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void SocatPair::Disconnect() {
    if (instrumentFd_ >= 0) {
        ::close(instrumentFd_);
        instrumentFd_ = -1;
    }
    if (watchFd_ >= 0) {
        ::close(watchFd_);
        watchFd_ = -1;
    }
    socat_.Signal(SIGTERM);
    socat_.Wait(std::chrono::milliseconds(30000));
}

}  // namespace vantrel::testing_support
