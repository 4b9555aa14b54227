#pragma once

// The hunt picture: one drawing routine for the Hunt Map window, its PNG export and printing, and
// vantrel-cli map. Layers from the bottom: the map, a fox's likelihood (the heat layer), the UTM grid of the
// hunt's zone, the bearing rays, the individual receiver readings, the confidence ellipses, the fixes, the
// stations; then the labels, placed so that none covers another; then the scale bar, the north arrow, the
// legend and the map's attribution in corners of their own, and the title in a band at the top. Sizes (text,
// lines, symbols) grow with the style's scale. No pixel of anything drawn after a fix's disc covers the 3 x 3
// pixels around its centre, so the centre pixel is exactly the fox colour.

#include <QImage>

#include <array>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>

#include "geodesy/utm_zone.hpp"
#include "hunt_picture/hunt_scene.hpp"
#include "hunt_picture/label_layout.hpp"
#include "hunt_picture/view_projection.hpp"
#include "maps/view_geometry.hpp"

class QPainter;

namespace vantrel::hunt_picture {

struct Layers {
    bool map = true;
    bool grid = true;
    bool rays = true;
    bool readings = false;
    bool ellipses = true;
    bool fixes = true;
    bool stations = true;
    bool bearingLog = true;  // the bearing log's rays, fixes and ellipses
    bool heat = true;        // the likelihood map of one fox, when the scene holds one
    bool legend = true;
    std::array<bool, core::kFoxCount> foxes{true, true, true, true, true};  // shown foxes, F1..F5

    [[nodiscard]] bool FoxShown(int fox) const { return foxes.at(static_cast<std::size_t>(fox)); }

    friend bool operator==(const Layers&, const Layers&) = default;
};

struct PictureStyle {
    double scale = 1;    // text, lines and symbols, times their size on screen (> 0)
    bool night = false;  // the night palette
    std::string title;   // drawn in a band across the top when not empty
    // Said in the middle of a picture with nothing to draw (how to fill it); nothing when empty.
    std::string emptyHint;
};

// Draws the map for a view into the painter's whole target (view.width x view.height pixels); gives up when
// `stop` is set. Returns why a part of the map could not be read ("" when all was read). May be called on
// any thread, on several at once (the map it holds is shared and locked: platform/raster_map.hpp).
using MapPainter =
    std::function<std::string(QPainter& painter, const maps::View& view, std::stop_token stop)>;

struct HuntAtTimeImage;

struct PictureInput {
    const HuntScene* scene = nullptr;
    const ViewProjection* projection = nullptr;
    Layers layers;
    MapPainter map;           // empty: no map, a white background
    std::string attribution;  // the map's attribution, always shown when not empty
    geodesy::UtmZone zone;    // the hunt's zone: the north arrow points to true north through it
    PictureStyle style;
    // The rays and track of the hunt at a moment drawn beforehand (HuntAtTimeCache); null: drawn now.
    const HuntAtTimeImage* huntAtTimeImage = nullptr;
};

// What the overlay drew where, in the view's pixels: every label drawn (no two overlap) and the areas the
// labels kept clear of (corners, title band, symbols).
struct OverlayLayout {
    std::vector<LabelRect> labels;
    std::vector<LabelRect> reserved;
};

// The sheet (white by day, dark by night) and the map (when there is one and its layer is on). Returns why a
// part of the map could not be read, "" when all was read.
std::string DrawBackground(QPainter& painter, const maps::View& view, const PictureInput& input);
// Everything above the map (at night first the map dimmed to red, or the dark sheet).
OverlayLayout DrawOverlay(QPainter& painter, const maps::View& view, const PictureInput& input);
// The whole picture, `scale` times the view's size each way (2 for a sharper export): the map read at that
// resolution, lines and text scaled with it. `readError` (when given) receives why a part of the map could
// not be read, "" when all was read.
QImage RenderHuntPicture(const maps::View& view, const PictureInput& input, double scale = 1,
                         std::string* readError = nullptr);

// Where a hunt position shows in the view, in pixels; nullopt when it cannot be transformed.
std::optional<core::PlanePoint> PixelOf(const maps::View& view, const ViewProjection& projection,
                                        core::PlanePoint hunt);
// The hunt position under a pixel.
std::optional<core::PlanePoint> HuntPositionAt(const maps::View& view, const ViewProjection& projection,
                                               core::PlanePoint pixel);
// The hunt-zone rectangle that holds everything the view shows.
std::optional<core::PlaneBox> HuntBoxOfView(const maps::View& view, const ViewProjection& projection);
// Metres on the ground per pixel at the view's centre: the hunt zone's grid distance across 100 pixels there
// divided by the zone's exact point scale (geodesy::ZoneGridFactsAt). The view's units per pixel when the
// centre cannot be transformed.
double GroundMetresPerPixel(const maps::View& view, const ViewProjection& projection, geodesy::UtmZone zone);
// The index into scene.fixes of the fix drawn under `pixel` (within `radius` pixels), the nearest one.
std::optional<std::size_t> FixAt(const maps::View& view, const HuntScene& scene,
                                 const ViewProjection& projection, core::PlanePoint pixel, double radius = 8);

// What the view is fitted to: every station, fix and (when shown) ellipse point, in the view's CRS.
std::vector<core::PlanePoint> ViewPointsOf(const HuntScene& scene, const ViewProjection& projection,
                                           bool withEllipses);

struct FittedView {
    maps::View view;
    // Set when an ellipse reaches further than the fit shows: "F2's ellipse (27 km) ..." for the status.
    std::string capped;
};

// Fits the view to the stations and fixes, and to the ellipses (when `withEllipses`) as far as they reach
// within the larger of `capMetres` and the stations' and fixes' own extent around them, so one huge
// ellipse does not shrink the rest to a dot. Ellipses within the usual margin leave the fit of the
// positions alone. Nothing when there is no position.
std::optional<FittedView> FitHuntView(const HuntScene& scene, const ViewProjection& projection, int width,
                                      int height, double unitsPerMetre, bool withEllipses,
                                      double capMetres = 2000);

}  // namespace vantrel::hunt_picture
