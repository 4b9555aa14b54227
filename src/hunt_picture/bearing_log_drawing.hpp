#pragma once

// Drawing the bearing-log layer of the hunt picture (HuntScene::bearingLog), between the confidence
// ellipses and the fixes, so the two-station fixes' discs stay on top: every logged ray thin in its fox's
// colour (rejected by the robust fix: dashed; ignored: dotted and faint), the stations the bearings were
// taken from as small grey squares, each many-bearing fix as a diamond labelled "F1 log" (never taken for
// the disc of the two-station fix) and its ellipse as a dashed outline without fill (with the Ellipses
// layer). Lines are bent as the view's CRS bends them.

#include "hunt_picture/hunt_picture.hpp"

class QPainter;

namespace vantrel::hunt_picture {

void DrawBearingLogLayer(QPainter& painter, const maps::View& view, const PictureInput& input);

}  // namespace vantrel::hunt_picture
