#pragma once

// The hunt picture: one drawing routine for the Hunt Map window, its PNG export and printing, and
// vantrel-cli map. Layers from the bottom: the map, the UTM grid of the hunt's zone, the bearing rays, the
// individual receiver readings, the confidence ellipses, the fixes, the stations; then the scale bar, the
// north arrow and the map's attribution. No pixel of anything drawn after a fix's disc covers the 3 x 3
// pixels around its centre, so the centre pixel is exactly the fox colour.

#include <QImage>

#include <functional>
#include <optional>
#include <string>

#include "geodesy/utm_zone.hpp"
#include "hunt_picture/hunt_scene.hpp"
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

    friend bool operator==(const Layers&, const Layers&) = default;
};

// Draws the map for a view into the painter's whole target (view.width x view.height pixels).
using MapPainter = std::function<void(QPainter& painter, const maps::View& view)>;

struct PictureInput {
    const HuntScene* scene = nullptr;
    const ViewProjection* projection = nullptr;
    Layers layers;
    MapPainter map;           // empty: no map, a white background
    std::string attribution;  // the map's attribution, always shown when not empty
    geodesy::UtmZone zone;    // the hunt's zone: the north arrow points to true north through it
};

// The white background and the map (when there is one and its layer is on).
void DrawBackground(QPainter& painter, const maps::View& view, const PictureInput& input);
// Everything above the map.
void DrawOverlay(QPainter& painter, const maps::View& view, const PictureInput& input);
// The whole picture, `scale` times the view's size each way (2 for a sharper export): the map read at that
// resolution, lines and text scaled with it.
QImage RenderHuntPicture(const maps::View& view, const PictureInput& input, double scale = 1);

// Where a hunt position shows in the view, in pixels; nullopt when it cannot be transformed.
std::optional<maps::XY> PixelOf(const maps::View& view, const ViewProjection& projection, maps::XY hunt);
// The hunt position under a pixel.
std::optional<maps::XY> HuntPositionAt(const maps::View& view, const ViewProjection& projection,
                                       maps::XY pixel);
// The hunt-zone rectangle that holds everything the view shows.
std::optional<maps::Box> HuntBoxOfView(const maps::View& view, const ViewProjection& projection);
// Metres on the ground per pixel at the view's centre: the hunt zone's grid distance across 100 pixels there
// divided by the zone's exact point scale (geodesy::ZoneGridFactsAt). The view's units per pixel when the
// centre cannot be transformed.
double GroundMetresPerPixel(const maps::View& view, const ViewProjection& projection, geodesy::UtmZone zone);
// The index into scene.fixes of the fix drawn under `pixel` (within `radius` pixels), the nearest one.
std::optional<std::size_t> FixAt(const maps::View& view, const HuntScene& scene,
                                 const ViewProjection& projection, maps::XY pixel, double radius = 8);

// What the view is fitted to: every station, fix and (when shown) ellipse point, in the view's CRS.
std::vector<maps::XY> ViewPointsOf(const HuntScene& scene, const ViewProjection& projection,
                                   bool withEllipses);

}  // namespace vantrel::hunt_picture
