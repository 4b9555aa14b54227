#pragma once

// The receiver log "test.Log": one record per filed reading, appended while the "Data Processing" window is
// open. Records are only ever appended and flushed one by one, so what the file held before is never
// touched and a reading that was filed is on the disk.

#include <QFile>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/outcome.hpp"

namespace vantrel::platform {

inline constexpr const char* kReceiverLogName = "test.Log";

// Where the log may go, best first: the program's folder, then the user's data folder.
std::vector<std::filesystem::path> ReceiverLogCandidates();

// Today's date in the system's short date format and the time in its long time format (without a time
// zone), both in the log's 8-bit character set.
std::string LogDateText();
std::string LogTimeText();

class ReceiverLog {
  public:
    // Opens the first candidate that can be opened for appending (creating it and its folder when
    // missing). Failing all, the message names the first one and the system's reason.
    core::Outcome Open(const std::vector<std::filesystem::path>& candidates);
    // Appends and flushes one record.
    core::Outcome Append(std::string_view record);
    void Close() { file_.close(); }
    [[nodiscard]] bool IsOpen() const { return file_.isOpen(); }
    [[nodiscard]] std::filesystem::path path() const;

  private:
    QFile file_;
};

}  // namespace vantrel::platform
