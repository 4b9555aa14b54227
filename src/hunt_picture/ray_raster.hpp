#pragma once

// Thin translucent lines of one colour, for the thousands of rays of the live map. The raster engine hands
// every few hundred pixels of a line to worker threads and waits for them, which makes a frame of 5,000
// long rays take a second on a busy machine. Here a layer holds the coverage of one colour's lines, one
// byte a pixel: drawing a line of opacity a over coverage c gives c + (255 - c) a / 255, which is exactly
// the colour drawn over itself; the layer is then laid over the picture in its colour in one call. Lines are
// one pixel wide and not smoothed.
//
// Plain data; one thread at a time.

#include <QImage>
#include <QPointF>
#include <QRgb>

#include <cstdint>
#include <vector>

namespace vantrel::hunt_picture {

// The on/off lengths in pixels of a dashed line; {0, 0} for a solid one.
struct DashPattern {
    int on = 0;
    int off = 0;
};

class CoverageLayer {
  public:
    CoverageLayer(int width, int height);

    // The line from `a` to `b` (pixels, clipped to the layer) at `opacity` (0..255).
    void AddLine(QPointF a, QPointF b, int opacity, DashPattern dash = {});
    // The layer in `colour` (its alpha ignored) with the coverage as alpha, premultiplied, for the painter
    // to lay over the picture in one call.
    [[nodiscard]] QImage Coloured(QRgb colour) const;
    [[nodiscard]] bool Empty() const { return firstRow_ > lastRow_; }

  private:
    int width_;
    int height_;
    std::vector<std::uint8_t> coverage_;
    int firstRow_;  // the rows any line touched
    int lastRow_ = -1;
};

}  // namespace vantrel::hunt_picture
