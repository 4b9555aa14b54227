#pragma once

// Drawing the heat layer of the hunt picture (HuntScene::heat, with the Heat layer on and its fox shown),
// above the map and under the grid and the rays: the 95 % region filled with a translucent ramp from its
// edge to the peak of the likelihood (day: pale yellow to deep red; night: dim to bright red), the 95 %
// outline dashed and the 50 % outline solid. The grid is bent as the view's CRS bends it.

#include "hunt_picture/hunt_picture.hpp"

#include <QColor>

class QPainter;

namespace vantrel::hunt_picture {

void DrawHeatLayer(QPainter& painter, const maps::View& view, const PictureInput& input);

// The ramp's colour at t in [0, 1] (0: the 95 % edge, 1: the peak), unpremultiplied; the outlines' colour.
QColor HeatRampColour(bool night, double t);
QColor HeatLineColour(bool night);

}  // namespace vantrel::hunt_picture
