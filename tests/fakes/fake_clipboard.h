// A clipboard that keeps its text and flavours in memory.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/clipboard.h"
#include "tests/fakes/call_log.h"

namespace fakes {

// Records "Clear" and "SetText"; FailAt("Clear") or FailAt("SetText") makes that call throw
// before it changes the text.
class FakeClipboard : public platform::Clipboard, public CallRecorder {
 public:
  // Starts with `text`, as if another program had put it there.
  explicit FakeClipboard(CallLog* log = nullptr, std::string text = "left by another program")
      : CallRecorder(log), text_(std::move(text)) {}

  void Clear() override {
    Enter("Clear");
    text_.clear();
    flavours_.clear();
  }
  void SetText(const std::string& text,
               const std::vector<platform::ClipboardFlavour>& flavours) override {
    Enter("SetText");
    text_ = text;
    flavours_ = flavours;
  }

  const std::string& text() const { return text_; }
  const std::vector<platform::ClipboardFlavour>& flavours() const { return flavours_; }

 private:
  std::string text_;
  std::vector<platform::ClipboardFlavour> flavours_;
};

}  // namespace fakes
