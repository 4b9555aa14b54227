// map FILE -o OUT.png|.jpg|.pdf: the hunt picture of the Hunt Map window, fitted to the stations and fixes,
// in the format the output's extension names. The zone: --zone, else a map's own UTM CRS, else the order
// the window follows (said on stderr); positions that do not belong to it are refused (exit 1). --log and
// --heat add a bearing log's layer and one fox's likelihood map (map_heat.hpp).

#include <QBuffer>
#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <memory>
#include <tuple>

#include "cli/cli.hpp"
#include "cli/map_heat.hpp"
#include "cli/measurement_input.hpp"
#include "cli/zone_choice.hpp"
#include "core/number_text.hpp"
#include "geodesy/utm_zone.hpp"
#include "hunt_picture/hunt_picture.hpp"
#include "hunt_picture/hunt_scene.hpp"
#include "hunt_picture/map_source.hpp"
#include "hunt_picture/scene_zone.hpp"
#include "maps/view_geometry.hpp"
#include "persistence/atomic_file.hpp"

namespace vantrel::cli {
namespace {

constexpr const char* kSynopsis =
    "map FILE -o OUT.png|.jpg|.pdf [--map PATH] [--zone ZONE] [--size WxH] [--sigma DEG] [--sigma-floor DEG] "
    "[--confidence P] [--legend on|off] [--title TEXT] [--palette day|night] [--log FILE.fhl] [--heat FOX]";
constexpr int kMaxSide = 10000;

enum class PictureFormat { Png, Jpeg, Pdf };

struct MapRequest {
    std::string file;
    std::string out;
    PictureFormat format = PictureFormat::Png;
    std::optional<std::string> mapPath;
    std::optional<geodesy::UtmZone> zone;
    int width = 1600;
    int height = 1200;
    quality::QualitySettings quality;
    bool legend = true;
    std::optional<std::string> title;  // nothing: file name, zone and the file's time; empty: no title
    bool night = false;
    MapLogRequest log;
};

// Text, lines and symbols grow with the picture, so a large picture reads as the window does: the size
// factor is the shorter side over 750 pixels, from 0.6 to 6.
double SizeFactor(int width, int height) {
    return std::clamp(std::min(width, height) / 750.0, 0.6, 6.0);
}

// "hunt.fh2  |  zone 32U  |  saved 2026-12-08 14:05 UTC": the file's name, the zone drawn in and when the
// file was last written (the time of the measurement as far as the file tells it).
std::string DefaultTitle(const std::string& file, geodesy::UtmZone zone) {
    std::string title =
        std::filesystem::path(file).filename().string() + "  |  zone " + geodesy::ZoneText(zone);
    const QFileInfo info(QString::fromStdString(file));
    if (const QDateTime time = info.lastModified().toUTC(); time.isValid()) {
        title += "  |  saved " + time.toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'")).toStdString();
    }
    return title;
}

// "--legend on|off" and "--palette day|night": one of two words; nullopt after a usage error.
std::optional<bool> Choice(const Context& context, const char* name, const char* yes, const char* no,
                           bool fallback) {
    const auto value = context.args.Option(name);
    if (!value) {
        return fallback;
    }
    if (*value == yes || *value == no) {
        return *value == yes;
    }
    UsageError(std::string("--") + name + " must be " + yes + " or " + no + ": \"" + *value + "\"");
    return std::nullopt;
}

// "1600x1200": two whole numbers of pixels, each 1..10000.
std::optional<std::pair<int, int>> ParseSize(const std::string& text) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos || x == 0 || x + 1 >= text.size()) {
        return std::nullopt;
    }
    const auto side = [](std::string_view digits) -> std::optional<int> {
        if (digits.empty() || digits.size() > 5 ||
            digits.find_first_not_of("0123456789") != std::string_view::npos) {
            return std::nullopt;
        }
        const int value = std::stoi(std::string(digits));
        return value >= 1 && value <= kMaxSide ? std::optional<int>(value) : std::nullopt;
    };
    const auto w = side(std::string_view(text).substr(0, x));
    const auto h = side(std::string_view(text).substr(x + 1));
    if (!w || !h) {
        return std::nullopt;
    }
    return std::pair{*w, *h};
}

// The format by the output name's extension, any letter case.
std::optional<PictureFormat> PictureFormatOf(const std::string& out) {
    std::string extension = std::filesystem::path(out).extension().string();
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (extension == ".png") {
        return PictureFormat::Png;
    }
    if (extension == ".jpg" || extension == ".jpeg") {
        return PictureFormat::Jpeg;
    }
    if (extension == ".pdf") {
        return PictureFormat::Pdf;
    }
    return std::nullopt;
}

std::optional<MapRequest> ReadRequest(const Context& context) {
    std::vector<std::string> positional = context.args.positional;
    std::optional<std::string> out = TakeShortOutputOption(positional);
    if (!out) {
        out = context.args.Option("output");
    }
    if (positional.size() != 1 || !out) {
        UsageError(std::string("usage: vantrel-cli ") + kSynopsis);
        return std::nullopt;
    }
    MapRequest request;
    request.file = positional[0];
    request.out = *out;
    const auto format = PictureFormatOf(*out);
    if (!format) {
        UsageError("-o must name a .png, .jpg, .jpeg or .pdf file (the format follows the extension): \"" +
                   *out + "\"");
        return std::nullopt;
    }
    request.format = *format;
    request.mapPath = context.args.Option("map");
    if (!ReadZoneOption(context, request.zone)) {
        return std::nullopt;
    }
    if (const auto size = context.args.Option("size")) {
        const auto parsed = ParseSize(*size);
        if (!parsed) {
            UsageError("--size must be WIDTHxHEIGHT, each 1 to 10000 pixels: \"" + *size + "\"");
            return std::nullopt;
        }
        std::tie(request.width, request.height) = *parsed;
    }
    const auto quality = QualityOptions(context);
    if (!quality) {
        return std::nullopt;
    }
    request.quality = *quality;
    const auto legend = Choice(context, "legend", "on", "off", true);
    const auto night = Choice(context, "palette", "night", "day", false);
    if (!legend || !night) {
        return std::nullopt;
    }
    request.legend = *legend;
    request.night = *night;
    request.title = context.args.Option("title");
    const auto log = ReadMapLogOptions(context, request.file);
    if (!log) {
        return std::nullopt;
    }
    request.log = *log;
    return request;
}

// One page the picture's size (at 96 pixels to the inch), the picture filling it.
bool EncodePdf(const QImage& image, QBuffer& buffer) {
    constexpr int kDpi = 96;
    QPdfWriter pdf(&buffer);
    pdf.setResolution(kDpi);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setPageSize(QPageSize(QSizeF(image.width() * 72.0 / kDpi, image.height() * 72.0 / kDpi),
                              QPageSize::Point, QString(), QPageSize::ExactMatch));
    QPainter painter;
    if (!painter.begin(&pdf)) {
        return false;
    }
    painter.drawImage(QRect(0, 0, image.width(), image.height()), image);
    return painter.end();
}

core::Outcome WritePicture(const QImage& image, const std::string& out, PictureFormat format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const char* name = format == PictureFormat::Png ? "PNG" : format == PictureFormat::Jpeg ? "JPEG" : "PDF";
    const bool encoded = format == PictureFormat::Pdf
                             ? EncodePdf(image, buffer)
                             : image.save(&buffer, name, format == PictureFormat::Jpeg ? 90 : -1);
    if (!encoded) {
        return core::Outcome::Fail(persistence::DisplayPath(out) + ": the picture could not be encoded as " +
                                   name);
    }
    return persistence::WriteFileAtomically(
        std::filesystem::path(out),
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

struct ZoneAndMap {
    geodesy::UtmZone zone;
    std::optional<hunt_picture::MapSource> map;
    std::string how;  // where the zone comes from; empty when --zone named it
};

bool SameGrid(geodesy::UtmZone a, geodesy::UtmZone b) {
    return a.number == b.number && a.North() == b.North();
}

// --zone when given; else a map whose own CRS is a UTM zone names it; else the order the window follows.
core::Result<ZoneAndMap> ZoneAndMapOf(const MapRequest& request, const core::MeasurementState& state) {
    const geodesy::ZoneChoice choice =
        request.zone ? geodesy::ZoneChoice{*request.zone} : HuntZoneByOrder(state, request.file);
    ZoneAndMap result{choice.zone, std::nullopt, request.zone ? "" : geodesy::ZoneSourceText(choice.source)};
    if (request.mapPath) {
        auto opened = hunt_picture::OpenMapSource(*request.mapPath, choice.zone);
        if (!opened) {
            return opened.outcome();
        }
        const auto mapZone = opened->UtmZoneOfMap();
        if (!request.zone && mapZone && !SameGrid(*mapZone, choice.zone)) {
            result.zone = *mapZone;
            result.how = "from the map's CRS";
            opened = hunt_picture::OpenMapSource(*request.mapPath, result.zone);
            if (!opened) {
                return opened.outcome();
            }
        }
        result.map = std::move(*opened);
    }
    return result;
}

}  // namespace

int RunMap(const Context& context) {
    const auto request = ReadRequest(context);
    if (!request) {
        return kExitUsage;
    }
    std::vector<std::string> inputs{request->file};
    if (request->mapPath) {
        inputs.push_back(*request->mapPath);
    }
    if (request->log.log) {
        inputs.push_back(*request->log.log);
    }
    if (const core::Outcome distinct = CheckOutputIsNoInput(request->out, inputs); !distinct) {
        return FailWith(distinct);
    }
    auto state = LoadAndCalculate(request->file, context.decimalSeparator);
    if (!state) {
        return Fail(state.message());
    }
    auto zoneAndMap = ZoneAndMapOf(*request, state->main);
    if (!zoneAndMap) {
        return Fail(zoneAndMap.message());
    }
    const geodesy::UtmZone zone = zoneAndMap->zone;
    const std::optional<hunt_picture::MapSource>& map = zoneAndMap->map;
    hunt_picture::HuntScene scene =
        hunt_picture::BuildScene(state->main, state->RxReadings, request->quality, context.decimalSeparator);
    if (const auto outside = hunt_picture::LeaveOutOutsideZone(scene, zone); !outside.empty()) {
        return RefuseOutsideZone(zone, outside);
    }
    for (const std::string& problem : scene.problems) {
        PrintWarning(request->file + ": " + problem + ", left out of the picture");
    }
    std::optional<MapLog> log;
    if (request->log.log) {
        auto added = AddLogLayer(request->log, zone, scene);
        if (!added) {
            return Fail(added.message());
        }
        log = std::move(*added);
    }
    const hunt_picture::IdentityProjection identity;
    const hunt_picture::ViewProjection& projection =
        map ? static_cast<const hunt_picture::ViewProjection&>(*map->projection) : identity;
    const auto box = maps::BoundingBox(hunt_picture::ViewPointsOf(scene, projection, false));
    const double unitsPerMetre = map ? map->UnitsPerMetre() : 1;
    const auto fitted =
        hunt_picture::FitHuntView(scene, projection, request->width, request->height, unitsPerMetre, true);
    if (!box || !fitted) {
        return Fail(request->file + ": nothing to draw: no station or fix has a position" +
                    (map ? " that converts to the map's CRS" : ""));
    }
    if (!fitted->capped.empty()) {
        PrintWarning(fitted->capped);
    }
    const maps::View& view = fitted->view;
    if (request->log.heatFox) {
        if (const core::Outcome heat = AddHeatLayer(*log, *request->log.heatFox, view, projection, scene);
            !heat) {
            return Fail(heat.message());
        }
    }
    hunt_picture::PictureInput input;
    input.scene = &scene;
    input.projection = &projection;
    input.zone = zone;
    input.layers.legend = request->legend;
    input.style.scale = SizeFactor(request->width, request->height);
    input.style.night = request->night;
    input.style.title = request->title ? *request->title : DefaultTitle(request->file, zone);
    if (map) {
        input.map = map->Painter();
        input.attribution = map->map->attribution();
        if (const std::string where = maps::RelativePlace(*box, map->Extent(), unitsPerMetre);
            !where.empty()) {
            PrintWarning(*request->mapPath + ": the map does not cover the hunt: " + where);
        }
    }
    std::string readError;
    const QImage picture = hunt_picture::RenderHuntPicture(view, input, 1, &readError);
    if (!readError.empty()) {
        PrintWarning(readError);
    }
    const core::Outcome written = WritePicture(picture, request->out, request->format);
    if (written && !zoneAndMap->how.empty()) {
        SayZone(zone, zoneAndMap->how);  // a zone taken without --zone never passes silently
    }
    return FailWith(written);
}

}  // namespace vantrel::cli
