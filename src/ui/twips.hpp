#pragma once

// Window layouts are given in twips (1/1440 inch) and converted with the screen's logical DPI, so a window
// looks as designed at 100 % and at 200 % scaling.

#include <QRect>

class QWidget;

namespace vantrel::ui {

// Twips to device-independent pixels at the widget's logical DPI.
int TwipsToPixels(const QWidget& reference, int twips);
double PixelsToTwips(const QWidget& reference, double pixels);

// Places `widget` at left, top, width, height given in twips (width and height 0: keep its size hint).
void PlaceTwips(QWidget& widget, int left, int top, int width = 0, int height = 0);

}  // namespace vantrel::ui
