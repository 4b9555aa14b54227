#pragma once

// The settle plot of a hunt (vantrel-cli replay --plot): one panel per fox, stacked, with time on the
// horizontal axis (minutes after `start`) and metres on a logarithmic vertical axis: the distance of the
// fix from its reference as a solid line in the fox's colour, the major semi-axis of its ellipse dashed.
// A picture of how each fix settled and whether its ellipse told the truth about it (where the solid line
// runs above the dashed one, the ellipse missed the reference).
//
// Draws with QtGui only; call from the thread that owns the QGuiApplication (fonts).

#include <QImage>
#include <QSize>

#include <vector>

#include "fox_fix/settle.hpp"
#include "hunt_log/events.hpp"

namespace vantrel::hunt_picture {

struct SettlePlotLabels {
    hunt_log::TimeMs start = 0;  // time 0 of the horizontal axis
    double confidence = 0.95;    // of the ellipses
};

// The plot at `size` (each panel at least 120 pixels high; a size too small for the panels grows).
QImage DrawSettlePlot(const std::vector<fox_fix::SettleSeries>& series, QSize size,
                      const SettlePlotLabels& labels);

}  // namespace vantrel::hunt_picture
