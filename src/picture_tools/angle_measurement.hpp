#pragma once

// Measuring a direction on a map picture: a press sets the reference point, moves show the angle from it to
// the pointer with a rubber-band line, the next press freezes the measurement. Coordinates are the
// picture's, x to the right and y downwards, in any one unit.

#include <optional>
#include <string>
#include <vector>

namespace vantrel::picture_tools {

// Degrees clockwise from the top of the picture, in [0, 360): up 0, right 90, down 180, left 270. With no
// vertical offset the angle is 90 to the right and 270 otherwise (the pointer on the point included).
double PointerAngle(double dx, double dy);

// The angle as the measurement box shows it: "##0.00" with the given separator (359.996 -> "360,00").
std::string AngleText(double angle, char decimalSeparator);

struct Segment {
    float x0 = 0;
    float y0 = 0;
    float x1 = 0;
    float y1 = 0;

    friend bool operator==(const Segment&, const Segment&) = default;
};

class AngleMeasurement {
  public:
    // What a mouse move asks of the picture: lines to draw with exclusive-or (the first one, when there
    // are two, erases the previous rubber band), and the new angle when one was measured.
    struct MoveResult {
        std::vector<Segment> xorLines;
        std::optional<double> angle;
    };

    // Any mouse button: starts a measurement when idle, stops it otherwise (the last line stays drawn).
    void Press(float x, float y);
    // Nothing while idle. The first move after a press only draws; later moves erase, draw and measure.
    MoveResult Move(float x, float y);

    [[nodiscard]] bool AngleIdle() const { return angleIdle_; }
    [[nodiscard]] bool FirstMove() const { return firstMove_; }
    [[nodiscard]] double MeasuredAngle() const { return measuredAngle_; }

  private:
    bool angleIdle_ = true;
    bool firstMove_ = false;
    float refX_ = 0;
    float refY_ = 0;
    float lastX_ = 0;
    float lastY_ = 0;
    double measuredAngle_ = 0;
};

}  // namespace vantrel::picture_tools
