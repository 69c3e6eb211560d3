#include "app/window_frame.h"

#include <utility>

#include "platform/current_error.h"
#include "platform/run_time_error.h"

namespace app {

WindowFrame::~WindowFrame() = default;

void WindowFrame::AddControl(const std::string& name,
                             std::unique_ptr<platform::PlacedControl> control) {
  controls_.emplace(name, std::move(control));
}

platform::PlacedControl* WindowFrame::FindControl(const std::string& name) const {
  const auto found = controls_.find(name);
  return found == controls_.end() ? nullptr : found->second.get();
}

platform::Control& WindowFrame::Controls(const std::string& name) {
  platform::PlacedControl* control = FindControl(name);
  if (control == nullptr) throw platform::RunTimeError(platform::error::kControlNotFound);
  return *control;
}

void WindowFrame::PlaceControls() {
  for (auto& [name, control] : controls_) control->Place();
}

bool WindowFrame::Start(const std::function<void()>& start) {
  try {
    start();
    return true;
  } catch (...) {
    ReportBox().Show(platform::CurrentError().Prompt(), platform::MessageIcon::kCritical);
    return false;
  }
}

void WindowFrame::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    ReportAndExit();
  }
}

void WindowFrame::ReportAndExit() noexcept {
  try {
    ReportBox().Show(platform::CurrentError().Prompt(), platform::MessageIcon::kCritical);
  } catch (...) {
    // Nothing more can be shown; the program ends all the same.
  }
  try {
    EndProgram(1);
  } catch (...) {
    ExitAnyway(1);
  }
}

}  // namespace app
