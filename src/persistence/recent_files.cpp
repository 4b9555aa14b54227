#include "persistence/recent_files.hpp"

#include <algorithm>

#include "persistence/settings.hpp"

namespace vantrel::persistence {
namespace {

constexpr const char* kSection = "RecentFiles";

std::string Key(std::size_t index) {
    return "File" + std::to_string(index + 1);
}

}  // namespace

std::vector<std::string> WithRecentFile(std::vector<std::string> files, const std::string& path) {
    if (path.empty()) {
        return files;
    }
    files.erase(std::remove(files.begin(), files.end(), path), files.end());
    files.insert(files.begin(), path);
    if (files.size() > kRecentFilesKept) {
        files.resize(kRecentFilesKept);
    }
    return files;
}

std::vector<std::string> RecentFilesFromIni(const IniFile& ini) {
    std::vector<std::string> files;
    for (std::size_t i = 0; i < kRecentFilesKept; ++i) {
        const std::string file = ini.Get(kSection, Key(i)).value_or("");
        if (!file.empty() && std::find(files.begin(), files.end(), file) == files.end()) {
            files.push_back(file);
        }
    }
    return files;
}

std::vector<std::string> ReadRecentFiles(const std::filesystem::path& iniPath) {
    const auto ini = ReadSettingsFile(iniPath);
    return ini ? RecentFilesFromIni(*ini) : std::vector<std::string>{};
}

core::Outcome WriteRecentFiles(const std::vector<std::string>& files, const std::filesystem::path& iniPath) {
    std::vector<std::string> kept;
    for (const std::string& file : files) {
        if (file.find_first_of("\r\n") == std::string::npos && kept.size() < kRecentFilesKept) {
            kept.push_back(file);
        }
    }
    return UpdateIniFile(iniPath, [&kept](IniFile& ini) {
        for (std::size_t i = 0; i < kRecentFilesKept; ++i) {
            ini.Set(kSection, Key(i), i < kept.size() ? kept[i] : "");
        }
    });
}

}  // namespace vantrel::persistence
