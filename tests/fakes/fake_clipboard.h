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

// The flavours as forms that hand on their bytes as they are.
inline std::vector<platform::ClipboardForm> FormsOf(
    const std::vector<platform::ClipboardFlavour>& flavours) {
  std::vector<platform::ClipboardForm> forms;
  for (const platform::ClipboardFlavour& flavour : flavours) {
    forms.push_back(
        {flavour.mime_type, flavour.windows_format,
         [data = flavour.data](const platform::ClipboardWriter& write) { write(data); }});
  }
  return forms;
}

// Records "Clear" and "SetText" (however the content is put on); FailAt("Clear") or
// FailAt("SetText") makes that call throw before it changes the content.
class FakeClipboard : public platform::Clipboard, public CallRecorder {
 public:
  // Starts with `text`, as if another program had put it there.
  explicit FakeClipboard(CallLog* log = nullptr, std::string text = "left by another program")
      : CallRecorder(log), text_(std::move(text)) {}

  void Clear() override {
    Enter("Clear");
    text_.clear();
    forms_.clear();
  }
  void SetText(std::string text, std::vector<platform::ClipboardForm> forms) override {
    Enter("SetText");
    text_ = std::move(text);
    forms_ = std::move(forms);
  }
  // The plain text.
  const std::string& text() const { return text_; }
  // Every form, each made now.
  std::vector<platform::ClipboardFlavour> flavours() const {
    std::vector<platform::ClipboardFlavour> made;
    for (const platform::ClipboardForm& form : forms_) {
      made.push_back({form.mime_type, form.windows_format, Make(form.render)});
    }
    return made;
  }
  // How many times a form has been made since the fake was created.
  int made() const { return made_; }

 private:
  std::string Make(const platform::ClipboardRenderer& render) const {
    ++made_;
    std::string bytes;
    render(platform::Gathering(bytes));
    return bytes;
  }

  std::string text_;
  std::vector<platform::ClipboardForm> forms_;
  mutable int made_ = 0;
};

}  // namespace fakes
