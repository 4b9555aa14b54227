#pragma once

// A program running beside the test: its output can be waited for while it runs, it can be signalled, and
// at its end the CPU time it used is known. Used for instruments that talk while the program listens.

#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "support/process.hpp"

namespace vantrel::testing_support {

class BackgroundProcess {
  public:
    explicit BackgroundProcess(const std::vector<std::string>& argv,
                               const std::map<std::string, std::string>& environment = {});
    // Kills the process if it still runs.
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    [[nodiscard]] bool started() const { return pid_ > 0; }
    [[nodiscard]] pid_t pid() const { return pid_; }

    // Waits until standard output (or error) holds the text; false when the time runs out or the process
    // closes its output first.
    bool WaitForOutput(std::string_view text, std::chrono::milliseconds timeout);
    bool WaitForError(std::string_view text, std::chrono::milliseconds timeout);

    // Waits until the process has the file (a device, say) open; false when the time runs out first.
    bool WaitUntilItHasOpen(const std::string& path, std::chrono::milliseconds timeout) const;

    void Signal(int signalNumber) const;

    // Waits for the end (killing the process after the timeout) and returns its output and exit code.
    ProcessResult Wait(std::chrono::milliseconds timeout);
    // User plus system CPU time of the process, known after Wait.
    [[nodiscard]] double cpuSeconds() const { return cpuSeconds_; }

    [[nodiscard]] const std::string& out() const { return out_; }
    [[nodiscard]] const std::string& err() const { return err_; }

  private:
    // Reads what is there, waiting at most `timeout`; false once both outputs are closed.
    bool Pump(std::chrono::milliseconds timeout);
    bool WaitFor(const std::string& stream, std::string_view text, std::chrono::milliseconds timeout);
    void Reap(bool killFirst);

    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    std::string out_;
    std::string err_;
    int exitCode_ = -1;
    bool reaped_ = false;
    double cpuSeconds_ = 0;
};

// A pair of connected pseudo-terminals made by socat, in `folder`: the program under test opens `device`,
// the test plays the instrument on `instrument`. Disconnect() ends socat, and both ends disappear.
class SocatPair {
  public:
    explicit SocatPair(const std::string& folder);
    ~SocatPair();
    SocatPair(const SocatPair&) = delete;
    SocatPair& operator=(const SocatPair&) = delete;

    [[nodiscard]] bool ready() const { return ready_; }
    [[nodiscard]] const std::string& device() const { return device_; }

    // Sends bytes from the instrument's side (opened on first use).
    bool Send(std::string_view bytes);
    // Sends in chunks of the given size.
    bool SendInChunks(std::string_view bytes, std::size_t chunkSize);
    void Disconnect();

    // Keeps a descriptor on the device from now on, to look at its line settings. Call it before the
    // program opens the port: a port the program holds exclusively cannot be opened again (but by root).
    bool WatchDevice();
    // Waits until the program has set the device to `speed`, the last step of its opening the port, so
    // that a Disconnect after it comes after the opening (a slow program, under valgrind say, may still be
    // opening when it merely has the device open).
    bool WaitForDeviceSpeed(speed_t speed, std::chrono::milliseconds timeout) const;
    // Waits until the device's input queue holds at least `bytes` received and unread (WatchDevice first).
    bool WaitForQueuedOnDevice(std::size_t bytes, std::chrono::milliseconds timeout) const;

  private:
    std::string device_;
    std::string instrument_;
    BackgroundProcess socat_;
    int instrumentFd_ = -1;
    int watchFd_ = -1;
    bool ready_ = false;
};

}  // namespace vantrel::testing_support
