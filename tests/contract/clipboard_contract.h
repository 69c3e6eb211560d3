// What every window system's clipboard adapter does with the export text, read back from the
// system's own clipboard. The driver:
//
//   struct Driver {
//     platform::Clipboard& Clipboard();
//     std::string Text();            // the clipboard's plain text, as UTF-8; "" when it has none
//     // The bytes of the clipboard's format named `name` on this system, if it holds that format.
//     std::optional<std::string> Data(const std::string& name);
//     // A flavour's name on this system, and on the other.
//     static std::string Name(const platform::ClipboardFlavour& flavour);
//     static std::string OtherName(const platform::ClipboardFlavour& flavour);
//     // How a NUL byte of the export text reaches the clipboard's text.
//     static constexpr std::string_view kNul;
//   };
#pragma once

#include <gtest/gtest.h>

#include <new>
#include <optional>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "tests/fakes/fake_clipboard.h"

namespace contract {

template <typename Driver>
class ClipboardContract : public testing::Test {
 protected:
  Driver driver_;
};

TYPED_TEST_SUITE_P(ClipboardContract);

TYPED_TEST_P(ClipboardContract, TextGoesOnAsPlainTextDecodedFromUtf8) {
  const std::string text = "Mem_Code\tne_date\r\n00123\t2079/05/12\tनेपाल\t";
  this->driver_.Clipboard().SetText(text, {});
  EXPECT_EQ(this->driver_.Text(), text);
}

// The flavours the export offers beside its text: SYLK under its MIME type for Calc, which
// Windows has no name for, and Excel's "HTML Format", which X11 has none for.
inline std::vector<platform::ClipboardFlavour> TwoFlavours() {
  return {{"application/x-openoffice-sylk;windows_formatname=\"Sylk\"", "",
           "ID;PCALCOOO32\r\nC;X1;Y1;K\"\xe0\xa4\xa8\"\r\nE\r\n"},
          {"", "HTML Format", std::string("Version:0.9\r\n\0<b>", 17)}};
}

TYPED_TEST_P(ClipboardContract, FlavoursGoOnBesideTheTextUnderThisSystemsNamesOnly) {
  this->driver_.Clipboard().SetText("a\tb", fakes::FormsOf(TwoFlavours()));
  EXPECT_EQ(this->driver_.Text(), "a\tb");
  for (const platform::ClipboardFlavour& flavour : TwoFlavours()) {
    const std::string name = TypeParam::Name(flavour);
    if (name.empty()) {
      EXPECT_EQ(this->driver_.Data(TypeParam::OtherName(flavour)), std::nullopt)
          << TypeParam::OtherName(flavour) << " stays off";
    } else {
      EXPECT_EQ(this->driver_.Data(name), flavour.data) << name << ", byte for byte";
    }
  }
}

TYPED_TEST_P(ClipboardContract, ClearLeavesNoTextAndNoFlavour) {
  this->driver_.Clipboard().SetText("left over", fakes::FormsOf(TwoFlavours()));
  this->driver_.Clipboard().Clear();
  EXPECT_EQ(this->driver_.Text(), "");
  for (const platform::ClipboardFlavour& flavour : TwoFlavours()) {
    const std::string name = TypeParam::Name(flavour);
    if (!name.empty()) {
      EXPECT_EQ(this->driver_.Data(name), std::nullopt) << name;
    }
  }
}

TYPED_TEST_P(ClipboardContract, BytesThatAreNotUtf8DoNotStopTheText) {
  std::string bytes = "a?b?c";
  bytes[1] = '\xff';  // never valid in UTF-8
  bytes[3] = '\0';
  this->driver_.Clipboard().SetText(bytes, {});
  EXPECT_EQ(this->driver_.Text(), "a\uFFFDb" + std::string(TypeParam::kNul) + "c");
}

TYPED_TEST_P(ClipboardContract, LongTextArrivesWhole) {
  std::string text = "Mem_Code\tne_date\r\n";
  for (int row = 0; row < 50000; ++row) text += std::to_string(row) + "\t2081/01/01\r\n";
  this->driver_.Clipboard().SetText(text, {});
  EXPECT_EQ(this->driver_.Text(), text);
}

// A form is made when a program asks for it, not when it is offered; one that cannot be made is
// not there, and the text still is.
TYPED_TEST_P(ClipboardContract, OfferedFormsAreMadeOnlyWhenAskedForAndLeftOffWhenTheyFail) {
  for (const bool fails : {false, true}) {
    SCOPED_TRACE(fails ? "failing" : "made");
    int made = 0;
    std::vector<platform::ClipboardForm> forms;
    for (const platform::ClipboardFlavour& flavour : TwoFlavours()) {
      forms.push_back({flavour.mime_type, flavour.windows_format,
                       [&made, fails, data = flavour.data](const platform::ClipboardWriter& write) {
                         ++made;
                         write(data.substr(0, 2));
                         if (fails) throw std::bad_alloc();
                         write(data.substr(2));
                       }});
    }
    this->driver_.Clipboard().SetText("a\tb", forms);
    EXPECT_EQ(this->driver_.Text(), "a\tb");
    EXPECT_EQ(made, 0);
    for (const platform::ClipboardFlavour& flavour : TwoFlavours()) {
      const std::string name = TypeParam::Name(flavour);
      if (name.empty()) continue;
      EXPECT_EQ(this->driver_.Data(name),
                fails ? std::nullopt : std::optional<std::string>(flavour.data))
          << name;
    }
    EXPECT_GT(made, 0);
    EXPECT_EQ(this->driver_.Text(), "a\tb");
  }
}

REGISTER_TYPED_TEST_SUITE_P(ClipboardContract, TextGoesOnAsPlainTextDecodedFromUtf8,
                            FlavoursGoOnBesideTheTextUnderThisSystemsNamesOnly,
                            ClearLeavesNoTextAndNoFlavour, BytesThatAreNotUtf8DoNotStopTheText,
                            LongTextArrivesWhole,
                            OfferedFormsAreMadeOnlyWhenAskedForAndLeftOffWhenTheyFail);

}  // namespace contract
