#include "persistence/path_text.hpp"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vantrel::persistence {

#ifdef _WIN32
std::filesystem::path PathFromUtf8(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int inputSize = static_cast<int>(text.size());
    const int wideSize = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), inputSize, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), inputSize, wide.data(), wideSize);
    return std::filesystem::path(std::move(wide));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    if (wide.empty()) {
        return {};
    }
    const int inputSize = static_cast<int>(wide.size());
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), inputSize, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), inputSize, text.data(), size, nullptr, nullptr);
    return text;
}
#else
std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::string(text));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    return path.native();
}
#endif

}  // namespace vantrel::persistence
