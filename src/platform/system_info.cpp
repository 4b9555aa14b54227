#include "platform/system_info.hpp"

#include <QString>

#ifdef _WIN32
#include <windows.h>
#include <QFileInfo>
#include <QProcess>
#endif

namespace vantrel::platform {

std::optional<std::string> RegistryValueText(std::uint32_t type, std::string_view bytes) {
    if (!bytes.empty() && bytes.back() == '\0') {
        bytes.remove_suffix(1);
    }
    if (type == kRegistryString) {
        return std::string(bytes);
    }
    if (type == kRegistryDword) {
        std::string text = "&h";
        for (auto it = bytes.rbegin(); it != bytes.rend(); ++it) {
            text += QString::number(static_cast<unsigned char>(*it), 16).toUpper().toStdString();
        }
        return text;
    }
    return std::nullopt;
}

#ifdef _WIN32
namespace {

// Reads one value under HKEY_LOCAL_MACHINE with the access the About box always asked for.
std::optional<std::string> GetKeyValue(const char* keyName, const char* valueName) {
    HKEY key = nullptr;
    constexpr REGSAM kAccess = 0x2003F;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, kAccess, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    char buffer[1024];
    DWORD size = sizeof(buffer);
    DWORD type = 0;
    const LONG read =
        RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return RegistryValueText(type, std::string_view(buffer, size));
}

}  // namespace

bool StartSysInfo() {
    QString tool;
    if (const auto path = GetKeyValue("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH")) {
        tool = QString::fromLocal8Bit(path->c_str());
    } else if (const auto folder = GetKeyValue("SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO")) {
        const QString candidate = QString::fromLocal8Bit(folder->c_str()) + QStringLiteral("\\MSINFO32.EXE");
        if (QFileInfo::exists(candidate)) {
            tool = candidate;
        }
    }
    return !tool.isEmpty() && QProcess::startDetached(tool, {});
}
#else
bool StartSysInfo() {
    return false;
}  // there is no such tool here
#endif

}  // namespace vantrel::platform
