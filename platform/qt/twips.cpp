#include "platform/qt/twips.h"

#include <QWidget>
#include <algorithm>
#include <cmath>

namespace platform::qt {
namespace {

int WidgetPixels(double pixels) {
  // Beyond what a widget can take (QWIDGETSIZE_MAX) is no place to be; a NaN stays at 0.
  constexpr double kLimit = QWIDGETSIZE_MAX;
  if (std::isnan(pixels)) return 0;
  return static_cast<int>(std::lround(std::clamp(pixels, -kLimit, kLimit)));
}

}  // namespace

double TwipsPerPixel(const QWidget& widget) {
  const int dpi = widget.logicalDpiX();
  return kTwipsPerInch / (dpi > 0 ? dpi : 96);
}

int TwipsToPixels(double twips, const QWidget& widget) {
  return WidgetPixels(twips / TwipsPerPixel(widget));
}

int TwipsToWholePixels(double twips, const QWidget& widget) {
  return WidgetPixels(std::ceil(twips / TwipsPerPixel(widget)));
}

float PixelsToTwips(int pixels, const QWidget& widget) {
  return static_cast<float>(pixels * TwipsPerPixel(widget));
}

}  // namespace platform::qt
