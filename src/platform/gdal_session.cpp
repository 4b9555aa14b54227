#include "platform/gdal_session.hpp"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>

#include <mutex>

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

std::string LastError(const std::string& fallback) {
    const char* message = CPLGetLastErrorMsg();
    if (CPLGetLastErrorType() == CE_None || message == nullptr || *message == '\0') {
        return fallback;
    }
    return message;
}

void ClearError() {
    CPLErrorReset();
}

}  // namespace vantrel::platform::gdal
