#pragma once

// Drawing the hunt at one moment (HuntScene::huntAtTime) above the bearing-log layer: the rays one pixel
// wide in their fox's colour at their opacity (rejected by the robust fix dashed, ignored dotted), the
// track as a smoothed grey line (both through ray_raster.hpp: thousands of lines a frame), the car as a disc
// with an arrow along its course, each fix as a diamond with its ellipse dashed (with the Ellipses layer),
// and the true foxes (training view) as crosses labelled with the distance of their fix. Lines are bent as
// the view's CRS bends them.

#include "hunt_picture/hunt_picture.hpp"

class QPainter;

namespace vantrel::hunt_picture {

void DrawHuntAtTime(QPainter& painter, const maps::View& view, const PictureInput& input);

}  // namespace vantrel::hunt_picture
