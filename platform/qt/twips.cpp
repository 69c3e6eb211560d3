#include "platform/qt/twips.h"

#include <QWidget>
#include <cmath>

namespace platform::qt {

double TwipsPerPixel(const QWidget& widget) {
  const int dpi = widget.logicalDpiX();
  return kTwipsPerInch / (dpi > 0 ? dpi : 96);
}

int TwipsToPixels(double twips, const QWidget& widget) {
  return static_cast<int>(std::lround(twips / TwipsPerPixel(widget)));
}

float PixelsToTwips(int pixels, const QWidget& widget) {
  return static_cast<float>(pixels * TwipsPerPixel(widget));
}

}  // namespace platform::qt
