#include "platform/gdal_session.hpp"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>

#include <mutex>
#include <regex>

namespace vantrel::platform::gdal {
namespace {

constexpr GIntBig kGdalBlockCacheBytes = 32LL * 1024 * 1024;

}  // namespace

void EnsureSetUp() {
    static std::once_flag once;
    std::call_once(once, [] {
        CPLSetErrorHandler(CPLQuietErrorHandler);
        CPLSetConfigOption("CPL_DEBUG", "OFF");
        CPLSetConfigOption("GDAL_PAM_ENABLED", "NO");
        // Maps are local files: never reach out to the network for a CRS grid or a remote tile.
        CPLSetConfigOption("PROJ_NETWORK", "OFF");
        GDALSetCacheMax64(kGdalBlockCacheBytes);
        GDALAllRegister();
    });
}

std::string WithoutSourcePlace(const std::string& message) {
    // "mbtilesdataset.cpp, 1280: cannot allocate ...": GDAL names its source file and line in some
    // messages, which tells a user nothing.
    static const std::regex kSourcePlace(R"(^\s*[A-Za-z0-9_./\\-]+\.(c|cpp|cc|h|hpp)\s*[,:]\s*\d+\s*:\s*)");
    return std::regex_replace(message, kSourcePlace, "", std::regex_constants::format_first_only);
}

std::string LastError(const std::string& fallback) {
    const char* message = CPLGetLastErrorMsg();
    if (CPLGetLastErrorType() == CE_None || message == nullptr || *message == '\0') {
        return fallback;
    }
    const std::string text = WithoutSourcePlace(message);
    return text.empty() ? fallback : text;
}

void ClearError() {
    CPLErrorReset();
}

}  // namespace vantrel::platform::gdal
