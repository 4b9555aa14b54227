#include "ui/twips.hpp"

#include <QWidget>

#include <cmath>

namespace vantrel::ui {

namespace {
constexpr double kTwipsPerInch = 1440;
}

int TwipsToPixels(const QWidget& reference, int twips) {
    return static_cast<int>(std::lround(twips * reference.logicalDpiX() / kTwipsPerInch));
}

double PixelsToTwips(const QWidget& reference, double pixels) {
    return pixels * kTwipsPerInch / reference.logicalDpiX();
}

void PlaceTwips(QWidget& widget, int left, int top, int width, int height) {
    const QSize hint = widget.sizeHint();
    const int w = width > 0 ? TwipsToPixels(widget, width) : hint.width();
    const int h = height > 0 ? TwipsToPixels(widget, height) : hint.height();
    widget.setGeometry(TwipsToPixels(widget, left), TwipsToPixels(widget, top), w, h);
}

}  // namespace vantrel::ui
