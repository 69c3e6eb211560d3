// Twips and pixels at the logical resolution of the screen a widget is on
// (platform/controls/twips.h).
#pragma once

class QWidget;

namespace platform::qt {

double TwipsPerPixel(const QWidget& widget);
// Rounded to the nearest pixel, within the sizes a widget can take.
int TwipsToPixels(double twips, const QWidget& widget);
float PixelsToTwips(int pixels, const QWidget& widget);

}  // namespace platform::qt
