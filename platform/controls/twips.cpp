#include "platform/controls/twips.h"

#include <algorithm>
#include <cmath>

namespace platform {

double TwipsPerPixel(unsigned dpi) { return kTwipsPerInch / (dpi > 0 ? dpi : kDefaultDpi); }

int TwipsToPixels(double twips, unsigned dpi, double limit) {
  const double pixels = twips / TwipsPerPixel(dpi);
  if (std::isnan(pixels)) return 0;
  return static_cast<int>(std::lround(std::clamp(pixels, -limit, limit)));
}

float PixelsToTwips(int pixels, unsigned dpi) {
  return static_cast<float>(pixels * TwipsPerPixel(dpi));
}

}  // namespace platform
