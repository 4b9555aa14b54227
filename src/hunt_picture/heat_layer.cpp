#include "hunt_picture/heat_layer.hpp"

#include <algorithm>
#include <cmath>
#include <string>

namespace vantrel::hunt_picture {
namespace {

// Six standard errors each way hold all but a negligible part of a fix's likelihood near it.
constexpr double kRegionSigmas = 6;

core::PlaneBox RegionBox(const core::PlaneBox& viewBox, const locate::Fix& fix) {
    if (!fix.covariance) {
        return viewBox;
    }
    const double half = kRegionSigmas * std::max(fix.covariance->sx, fix.covariance->sy);
    return {std::min(viewBox.minX, fix.x - half), std::min(viewBox.minY, fix.y - half),
            std::max(viewBox.maxX, fix.x + half), std::max(viewBox.maxY, fix.y + half)};
}

bool SameBox(const core::PlaneBox& a, const core::PlaneBox& b) {
    return a.minX == b.minX && a.minY == b.minY && a.maxX == b.maxX && a.maxY == b.maxY;
}

locate::GridFrame FrameOf(const core::PlaneBox& box, HeatGridSize size) {
    return locate::FrameOver(box.minX, box.minY, box.maxX, box.maxY, size.columns, size.rows);
}

}  // namespace

HeatGridSize HeatGridSizeFor(int widthPixels, int heightPixels) {
    constexpr int kLongest = 512;
    const int longer = std::max({widthPixels, heightPixels, 1});
    const int cellsAlong = std::clamp(longer / 2, 2, kLongest);
    const auto scaled = [&](int pixels) {
        return std::max(2, static_cast<int>(std::lround(double(pixels) / longer * cellsAlong)));
    };
    return {scaled(widthPixels), scaled(heightPixels)};
}

core::Result<std::optional<HeatLayer>> BuildHeatLayer(const fox_fix::FoxFix& fix,
                                                      const locate::Options& options,
                                                      const core::PlaneBox& viewBox, HeatGridSize size,
                                                      std::stop_token stop) {
    using Built = core::Result<std::optional<HeatLayer>>;
    const std::string name = "F" + std::to_string(fix.fox);
    if (!fix.outcome) {
        return Built::Fail(name + " has fewer than two bearings: no likelihood map");
    }
    const auto terms = locate::TermsOfFix(fix.bearings, *fix.outcome, options);
    if (!terms) {
        return Built::Fail(name + ": " + terms.message() + ": no likelihood map");
    }
    const core::PlaneBox regionBox = RegionBox(viewBox, *fix.outcome->fix);
    locate::LikelihoodGrid region(FrameOf(regionBox, size));
    if (!region.Recompute(*terms, 0, stop)) {
        return std::optional<HeatLayer>();
    }
    const auto density = locate::DensityOf(region);
    if (!density) {
        return Built::Fail(name + ": the likelihood is not finite over the view: no likelihood map");
    }
    HeatLayer layer;
    layer.fox = fix.fox - 1;
    layer.peak = std::log(density->peak) + density->logNormaliser;
    layer.level50 = std::log(density->level50) + density->logNormaliser;
    layer.level95 = std::log(density->level95) + density->logNormaliser;
    layer.area50 = density->Area50();
    layer.area95 = density->Area95();
    if (SameBox(regionBox, viewBox)) {
        layer.frame = region.Frame();
        layer.values = region.Values();
    } else {
        locate::LikelihoodGrid view(FrameOf(viewBox, size));
        if (!view.Recompute(*terms, 0, stop)) {
            return std::optional<HeatLayer>();
        }
        layer.frame = view.Frame();
        layer.values = view.Values();
    }
    layer.contour50 = locate::Contours(layer.frame, layer.values, layer.level50);
    layer.contour95 = locate::Contours(layer.frame, layer.values, layer.level95);
    return std::optional<HeatLayer>(std::move(layer));
}

}  // namespace vantrel::hunt_picture
