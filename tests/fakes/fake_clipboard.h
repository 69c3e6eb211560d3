// A clipboard that keeps what is offered and makes a form only when a test reads it, as a
// program's paste would.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/clipboard.h"
#include "tests/fakes/call_log.h"

namespace fakes {

// Records "Clear" and "SetText" (however the content is put on); FailAt("Clear") or
// FailAt("SetText") makes that call throw before it changes the content.
class FakeClipboard : public platform::Clipboard, public CallRecorder {
 public:
  // Starts with `text`, as if another program had put it there.
  explicit FakeClipboard(CallLog* log = nullptr, std::string text = "left by another program")
      : CallRecorder(log), text_(Constant(std::move(text))) {}

  void Clear() override {
    Enter("Clear");
    text_ = Constant("");
    forms_.clear();
  }
  void Offer(platform::ClipboardRenderer text,
             std::vector<platform::ClipboardForm> forms) override {
    Enter("SetText");
    text_ = std::move(text);
    forms_ = std::move(forms);
  }

  // The plain text, made now, as a paste of it would be.
  const std::string& text() const {
    made_text_ = Make(text_);
    return made_text_;
  }
  // Every form, each made now.
  std::vector<platform::ClipboardFlavour> flavours() const {
    std::vector<platform::ClipboardFlavour> made;
    for (const platform::ClipboardForm& form : forms_) {
      made.push_back({form.mime_type, form.windows_format, Make(form.render)});
    }
    return made;
  }
  // How many times a form, the text included, has been made since the fake was created.
  int made() const { return made_; }

 private:
  static platform::ClipboardRenderer Constant(std::string text) {
    return [text = std::move(text)](const platform::ClipboardWriter& write) { write(text); };
  }
  std::string Make(const platform::ClipboardRenderer& render) const {
    ++made_;
    std::string bytes;
    render(platform::Gathering(bytes));
    return bytes;
  }

  platform::ClipboardRenderer text_;
  std::vector<platform::ClipboardForm> forms_;
  mutable std::string made_text_;
  mutable int made_ = 0;
};

}  // namespace fakes
