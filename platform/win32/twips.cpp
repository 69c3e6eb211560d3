#include "platform/win32/twips.h"

#include <cmath>

namespace platform::win32 {
namespace {

unsigned ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<unsigned>(dpi) : kDefaultDpi;
}

}  // namespace

void BecomeDpiAware() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  if (const auto set_context = LaterUser32Function<SetContext>("SetProcessDpiAwarenessContext")) {
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    if (set_context(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)))) return;
  }
  using SetAware = BOOL(WINAPI*)();
  if (const auto set_aware = LaterUser32Function<SetAware>("SetProcessDPIAware")) set_aware();
}

unsigned DpiOf(HWND window) {
  using GetDpi = UINT(WINAPI*)(HWND);
  static const auto get_dpi = LaterUser32Function<GetDpi>("GetDpiForWindow");
  if (window != nullptr && get_dpi != nullptr) {
    const UINT dpi = get_dpi(window);
    if (dpi > 0) return dpi;
  }
  return ScreenDpi();
}

int TwipsToPixels(double twips, unsigned dpi) {
  // Windows keeps coordinates in 16 bits on their way through some messages.
  return platform::TwipsToPixels(twips, dpi, 32767);
}

int FontHeight(double points, unsigned dpi) {
  return -static_cast<int>(std::lround(points * (dpi > 0 ? dpi : kDefaultDpi) / 72.0));
}

}  // namespace platform::win32
