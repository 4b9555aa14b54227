#include "platform/raster_map.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "platform/raster_backend.hpp"

namespace vantrel::platform {
namespace {

struct LoadedModule {
    const detail::GdalModule* module = nullptr;
    std::string problem;
};

// Where the GDAL module may be: VANTREL_GDAL_MODULE when set; the build tree's; beside the program and in
// ../lib/vantrel of it (an installed program).
QStringList ModuleCandidates() {
    QStringList candidates;
    if (const char* chosen = std::getenv("VANTREL_GDAL_MODULE"); chosen != nullptr && *chosen != '\0') {
        return {QString::fromLocal8Bit(chosen)};
    }
#ifdef VANTREL_GDAL_MODULE_BUILT
    candidates << QStringLiteral(VANTREL_GDAL_MODULE_BUILT);
#endif
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    const QDir programDir = QCoreApplication::instance() != nullptr
                                ? QDir(QCoreApplication::applicationDirPath())
                                : QDir(QString::fromStdString(program.parent_path().string()));
    candidates << programDir.filePath(QStringLiteral("libvantrel_gdal.so"))
               << programDir.filePath(QStringLiteral("../lib/vantrel/libvantrel_gdal.so"));
    return candidates;
}

LoadedModule Load() {
    QString reasons;
    for (const QString& candidate : ModuleCandidates()) {
        // Never unloaded: maps and transformations may live until the program ends.
        auto* library = new QLibrary(candidate);  // NOLINT: deliberately kept for the process's lifetime
        using Entry = const detail::GdalModule* (*)();
        if (auto entry = reinterpret_cast<Entry>(library->resolve("VantrelGdalModule"))) {
            const detail::GdalModule* module = entry();
            if (module != nullptr && module->version == detail::GdalModule::kVersion) {
                return {module, {}};
            }
            reasons += QStringLiteral("; %1: from another build").arg(candidate);
        } else {
            reasons += QStringLiteral("; ") + library->errorString();
        }
        delete library;  // NOLINT: not loaded
    }
    return {nullptr, "Maps cannot be shown: the map module (GDAL) cannot be loaded" +
                         (reasons.isEmpty() ? std::string(" (not found)")
                                            : " (" + reasons.mid(2).toStdString() + ")") +
                         "."};
}

const LoadedModule& Module() {
    static std::once_flag once;
    static LoadedModule loaded;
    std::call_once(once, [] { loaded = Load(); });
    return loaded;
}

}  // namespace

RasterMap::RasterMap(std::unique_ptr<detail::RasterMapBackend> backend)
    : backend_(std::move(backend)), facts_(backend_->facts()) {}
RasterMap::~RasterMap() = default;

core::Result<std::unique_ptr<RasterMap>> RasterMap::Open(const std::string& path, geodesy::UtmZone huntZone) {
    using OpenResult = core::Result<std::unique_ptr<RasterMap>>;
    const LoadedModule& loaded = Module();
    if (loaded.module == nullptr) {
        return OpenResult::Fail(loaded.problem);
    }
    auto opened = loaded.module->openMap(path, huntZone);
    if (!opened) {
        return OpenResult::Fail(opened.message());
    }
    return std::make_unique<RasterMap>(std::move(*opened));
}

MapDrawResult RasterMap::Draw(QPainter& painter, const core::PlaneBox& view, int width, int height,
                              std::stop_token stop) {
    return backend_->Draw(painter, view, width, height, std::move(stop));
}
void RasterMap::setCacheLimit(std::size_t bytes) {
    backend_->setCacheLimit(bytes);
}
std::size_t RasterMap::cachedBytes() const {
    return backend_->cachedBytes();
}

CrsTransform::CrsTransform(std::unique_ptr<detail::CrsTransformBackend> backend)
    : backend_(std::move(backend)) {}
CrsTransform::~CrsTransform() = default;

core::Result<std::unique_ptr<CrsTransform>> CrsTransform::Create(geodesy::UtmZone huntZone,
                                                                 const std::string& mapWkt) {
    using CreateResult = core::Result<std::unique_ptr<CrsTransform>>;
    const LoadedModule& loaded = Module();
    if (loaded.module == nullptr) {
        return CreateResult::Fail(loaded.problem);
    }
    auto created = loaded.module->createTransform(huntZone, mapWkt);
    if (!created) {
        return CreateResult::Fail(created.message());
    }
    return std::make_unique<CrsTransform>(std::move(*created));
}

bool CrsTransform::ToMap(double& x, double& y) const {
    return backend_->ToMap(x, y);
}
bool CrsTransform::FromMap(double& x, double& y) const {
    return backend_->FromMap(x, y);
}
bool CrsTransform::MapToLatLon(double x, double y, double& lat, double& lon) const {
    return backend_->MapToLatLon(x, y, lat, lon);
}

core::Result<std::string> UtmZoneWkt(geodesy::UtmZone zone) {
    const LoadedModule& loaded = Module();
    if (loaded.module == nullptr) {
        return core::Result<std::string>::Fail(loaded.problem);
    }
    return loaded.module->utmZoneWkt(zone);
}

core::Result<std::string> UtmZonePrjText(geodesy::UtmZone zone) {
    const LoadedModule& loaded = Module();
    if (loaded.module == nullptr) {
        return core::Result<std::string>::Fail(loaded.problem);
    }
    return loaded.module->utmZonePrjText(zone);
}

}  // namespace vantrel::platform
