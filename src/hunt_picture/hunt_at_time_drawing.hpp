#pragma once

// Drawing the hunt at one moment (HuntScene::huntAtTime) above the bearing-log layer: the rays one pixel
// wide in their fox's colour at their opacity (rejected by the robust fix dashed, ignored dotted), the
// track as a smoothed grey line (both through ray_raster.hpp: thousands of lines a frame), the car as a disc
// with an arrow along its course, each fix as a diamond with its ellipse dashed (with the Ellipses layer),
// and the true foxes (training view) as crosses labelled with the distance of their fix. Lines are bent as
// the view's CRS bends them.

#include <QImage>

#include <optional>

#include "hunt_picture/hunt_picture.hpp"

class QPainter;

namespace vantrel::hunt_picture {

struct HuntAtTimeImage {
    QImage image;     // premultiplied, in device pixels
    maps::View view;  // what it shows, its margin included
    double ratio = 1;
};

// With `input.huntAtTimeImage`, the rays and the track are that image, moved and scaled to the view.
void DrawHuntAtTime(QPainter& painter, const maps::View& view, const PictureInput& input);

// The rays and the track of the hunt at a moment drawn for a view with a margin round it, kept by a window
// while only its view moves: a pan moves the image by whole pixels, unchanged; a zoom shows it scaled
// until the view settles. Drawing them anew takes most of a frame; moving them very little.
//
// Plain data; the window's thread only.
class HuntAtTimeCache {
  public:
    // The rays, their opacity, the layers or the style changed: the next frame draws them anew.
    void Invalidate();
    // The image to draw `view` with (device pixel ratio `ratio`): the kept one when it covers the view at
    // its scale, or at another scale while the view is `moving`; else one drawn now. Null without a hunt
    // at a moment. Valid until the next call.
    const HuntAtTimeImage* For(const maps::View& view, const PictureInput& input, double ratio, bool moving);
    // True when the kept image is of another scale than `view`: it is drawn anew once the view settles.
    [[nodiscard]] bool Scaled(const maps::View& view) const;

  private:
    std::optional<HuntAtTimeImage> image_;
};

}  // namespace vantrel::hunt_picture
