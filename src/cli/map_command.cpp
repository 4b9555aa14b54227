// map FILE -o OUT.png: the hunt picture of the Hunt Map window, fitted to the stations and fixes.

#include <QBuffer>
#include <QImage>

#include <filesystem>
#include <limits>
#include <memory>
#include <tuple>

#include "cli/cli.hpp"
#include "cli/measurement_input.hpp"
#include "core/number_text.hpp"
#include "geodesy/utm_zone.hpp"
#include "hunt_picture/hunt_picture.hpp"
#include "hunt_picture/hunt_scene.hpp"
#include "hunt_picture/map_source.hpp"
#include "maps/view_geometry.hpp"
#include "persistence/atomic_file.hpp"

namespace vantrel::cli {
namespace {

constexpr const char* kSynopsis =
    "map FILE -o OUT.png [--map PATH] [--zone ZONE] [--size WxH] [--sigma DEG] [--sigma-floor DEG] "
    "[--confidence P]";
constexpr int kMaxSide = 10000;

struct MapRequest {
    std::string file;
    std::string out;
    std::optional<std::string> mapPath;
    std::optional<geodesy::UtmZone> zone;
    int width = 1600;
    int height = 1200;
    quality::QualitySettings quality;
};

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
    request.mapPath = context.args.Option("map");
    if (const auto zone = context.args.Option("zone")) {
        request.zone = geodesy::ParseUtmZone(*zone);
        if (!request.zone) {
            UsageError("--zone must be a UTM zone, a number 1-60 and a band letter such as 32U or 25M: \"" +
                       *zone + "\"");
            return std::nullopt;
        }
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
    return request;
}

core::Outcome WritePng(const QImage& image, const std::string& out) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        return core::Outcome::Fail(persistence::DisplayPath(out) +
                                   ": the picture could not be encoded as PNG");
    }
    return persistence::WriteFileAtomically(
        std::filesystem::path(out),
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace

int RunMap(const Context& context) {
    const auto request = ReadRequest(context);
    if (!request) {
        return kExitUsage;
    }
    auto state = LoadAndCalculate(request->file, context.decimalSeparator);
    if (!state) {
        return Fail(state.message());
    }
    const core::MeasurementState& main = state->main;
    const geodesy::UtmZone zone =
        request->zone ? *request->zone : geodesy::HuntZone(main.txtZone[0], main.txtZone[1], "");
    const hunt_picture::HuntScene scene =
        hunt_picture::BuildScene(main, state->RxReadings, request->quality, context.decimalSeparator);
    for (const std::string& problem : scene.problems) {
        PrintWarning(request->file + ": " + problem + ", left out of the picture");
    }
    std::optional<hunt_picture::MapSource> map;
    if (request->mapPath) {
        auto opened = hunt_picture::OpenMapSource(*request->mapPath, zone);
        if (!opened) {
            return Fail(opened.message());
        }
        map = std::move(*opened);
    }
    const hunt_picture::IdentityProjection identity;
    const hunt_picture::ViewProjection& projection =
        map ? static_cast<const hunt_picture::ViewProjection&>(*map->projection) : identity;
    const auto box = maps::BoundingBox(hunt_picture::ViewPointsOf(scene, projection, false));
    if (!box) {
        return Fail(request->file + ": nothing to draw: no station or fix has a position" +
                    (map ? " that converts to the map's CRS" : ""));
    }
    const double unitsPerMetre = map ? map->UnitsPerMetre() : 1;
    const maps::View view = maps::FitView(*box, request->width, request->height, 100 * unitsPerMetre);
    hunt_picture::PictureInput input;
    input.scene = &scene;
    input.projection = &projection;
    input.zone = zone;
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
    return FailWith(WritePng(picture, request->out));
}

}  // namespace vantrel::cli
