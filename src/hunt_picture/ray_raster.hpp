#pragma once

// Thin translucent lines by the thousand and a wide smoothed line, for the rays and the track of the live
// map, drawn in plain C++: the raster engine hands every few hundred pixels of a line to worker threads and
// waits for them, which makes a frame of 5,000 long rays take a second on a busy machine, and its stroker
// takes milliseconds for a track of thousands of points.
//
// The lines are gathered in layers, one colour each, laid over the picture in the order they were begun.
// A thin line is one pixel wide, not smoothed, and laid over the picture pixel by pixel in its layer's
// colour at its opacity: drawn over itself, the colour adds up as coverage does. A wide line is smoothed,
// with round ends, and where wide lines overlap the coverage is the most of theirs, so a polyline is even
// along its joins as a stroked path is. The picture is made in bands of rows, so the part of the image being
// drawn stays in the cache while every layer's lines cross it.
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

class LinePicture {
  public:
    LinePicture(int width, int height);

    // Starts the next layer, in `colour` at `alpha` (0..255; the colour's own alpha is ignored).
    void BeginLayer(QRgb colour, int alpha = 255);
    // The line from `a` to `b` (pixels, clipped to the picture) at `opacity` (0..255).
    void AddLine(QPointF a, QPointF b, int opacity, DashPattern dash = {});
    // The line from `a` to `b`, `width` pixels wide, smoothed, with round ends.
    void AddWideLine(QPointF a, QPointF b, double width);
    // Lays the layers over `image` (ARGB32_Premultiplied or RGB32, the picture's size).
    void LayOver(QImage& image) const;

  private:
    // A clipped thin line as 16.16 fixed-point steps: pixel i is ((x + i sx) >> 16, (y + i sy) >> 16).
    struct ThinLine {
        std::int64_t x, y, sx, sy;
        int steps;
        int firstRow, lastRow;
        DashPattern dash;
        std::uint8_t opacity;
    };
    struct WideLine {
        QPointF a, b;
        double reach;  // half the width and half a pixel
        int firstRow, lastRow;
    };
    struct Layer {
        QRgb colour;
        int alpha;
        std::vector<ThinLine> thin;
        std::vector<WideLine> wide;
    };

    void DrawThin(const ThinLine& line, QRgb colour, int alpha, int top, int bottom, QImage& image) const;
    void CoverWide(const WideLine& line, int top, int bottom, std::uint8_t* band) const;

    int width_;
    int height_;
    std::vector<Layer> layers_;
};

}  // namespace vantrel::hunt_picture
