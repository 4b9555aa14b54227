#pragma once

// The measurement files opened or saved last, newest first, for File > Open Recent; kept in a section of
// their own of Vantrel.ini:
//   [RecentFiles]
//   File1=/home/me/hunts/kassel.fh2
//   File2=...               up to File8
// The seven program settings (Last Used Filename among them) and everything else stay as they are.

#include <filesystem>
#include <string>
#include <vector>

#include "core/outcome.hpp"
#include "persistence/ini_file.hpp"

namespace vantrel::persistence {

inline constexpr std::size_t kRecentFilesKept = 8;

// `path` moved (or added) to the front; a path already listed is not listed twice; the oldest beyond
// kRecentFilesKept fall off. An empty path changes nothing.
std::vector<std::string> WithRecentFile(std::vector<std::string> files, const std::string& path);

// File1..File8 in order; empty or missing keys are skipped, duplicates kept once.
std::vector<std::string> RecentFilesFromIni(const IniFile& ini);
std::vector<std::string> ReadRecentFiles(const std::filesystem::path& iniPath);
// Writes File1..File8 (empty keys for the unused ones), atomically. A path holding a line break is left
// out.
core::Outcome WriteRecentFiles(const std::vector<std::string>& files, const std::filesystem::path& iniPath);

}  // namespace vantrel::persistence
