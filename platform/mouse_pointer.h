// The application-wide mouse pointer, set by number: 0 the default, 11 the hourglass.
#pragma once

namespace platform {

inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;

class MousePointer {
 public:
  virtual ~MousePointer() = default;
  virtual int Pointer() const = 0;
  // Applies to every window of the program. Throws RunTimeError 380 for an unknown number.
  virtual void SetPointer(int pointer) = 0;
};

// Shows the hourglass while it lives and the default pointer again however the scope is left.
class BusyPointer {
 public:
  explicit BusyPointer(MousePointer& screen) : screen_(screen) {
    screen_.SetPointer(kPointerHourglass);
  }
  ~BusyPointer() {
    try {
      screen_.SetPointer(kPointerDefault);
    } catch (...) {
      // The default pointer is always accepted; nothing may leave a destructor.
    }
  }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  MousePointer& screen_;
};

}  // namespace platform
