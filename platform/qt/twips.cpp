#include "platform/qt/twips.h"

#include <QWidget>

#include "platform/controls/twips.h"

namespace platform::qt {
namespace {

unsigned DpiOf(const QWidget& widget) {
  const int dpi = widget.logicalDpiX();
  return dpi > 0 ? static_cast<unsigned>(dpi) : kDefaultDpi;
}

}  // namespace

double TwipsPerPixel(const QWidget& widget) { return platform::TwipsPerPixel(DpiOf(widget)); }

int TwipsToPixels(double twips, const QWidget& widget) {
  // Beyond what a widget can take (QWIDGETSIZE_MAX) is no place to be.
  return platform::TwipsToPixels(twips, DpiOf(widget), QWIDGETSIZE_MAX);
}

float PixelsToTwips(int pixels, const QWidget& widget) {
  return platform::PixelsToTwips(pixels, DpiOf(widget));
}

}  // namespace platform::qt
