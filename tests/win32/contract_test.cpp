// The adapters on the Windows API against the contracts every window system's adapters keep: the
// masked and plain boxes, the list, the clipboard, the dialogs and the pointer.
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "export/clipboard_flavours.h"
#include "platform/system/path_text.h"
#include "platform/system/windows_api.h"
#include "platform/win32/clipboard.h"
#include "platform/win32/dialogs.h"
#include "platform/win32/list_view.h"
#include "platform/win32/text_box.h"
#include "platform/win32/twips.h"
#include "tests/contract/clipboard_contract.h"
#include "tests/contract/dialogs_contract.h"
#include "tests/contract/list_view_contract.h"
#include "tests/contract/masked_box_contract.h"
#include "tests/contract/plain_box_contract.h"
#include "tests/win32/host_window.h"

namespace win32_test {
namespace {

using platform::Utf8OfWide;
using platform::WideOfUtf8;

struct Win32BoxDriver {
  platform::TextBox& Box() { return masked; }
  platform::TextBox& PlainBox() { return plain; }
  void Type(std::string_view keys) {
    for (const wchar_t key : WideOfUtf8(keys)) Send(WM_CHAR, key);
  }
  void Paste(const std::string& text) {
    platform::win32::Win32Clipboard().SetText(text, {});
    Send(WM_CHAR, 0x16);  // Ctrl+V
  }
  void Press(contract::Key key) {
    switch (key) {
      case contract::Key::kBackspace:
        return Send(WM_CHAR, VK_BACK);
      case contract::Key::kDelete:
        return Send(WM_KEYDOWN, VK_DELETE);
      case contract::Key::kLeft:
        return Send(WM_KEYDOWN, VK_LEFT);
      case contract::Key::kRight:
        return Send(WM_KEYDOWN, VK_RIGHT);
      case contract::Key::kHome:
        return Send(WM_KEYDOWN, VK_HOME);
      case contract::Key::kEnd:
        return Send(WM_KEYDOWN, VK_END);
      case contract::Key::kCut:
        return Send(WM_CHAR, 0x18);  // Ctrl+X
    }
  }
  std::string ClipboardText() {
    return Utf8OfWide(platform::win32::ReadClipboardText(nullptr).value_or(L""));
  }
  void Send(UINT message, WPARAM key) { SendMessageW(masked_edit.window(), message, key, 0); }

  HostWindow host;
  platform::win32::FocusEdit masked_edit{host.AddChild(WC_EDITW, ES_AUTOHSCROLL)};
  platform::win32::Win32MaskedBox masked{masked_edit, platform::InputMask("####/##/##", '_')};
  platform::win32::Win32TextBox plain{host.AddChild(WC_EDITW, ES_AUTOHSCROLL)};
};

struct Win32ListDriver {
  Win32ListDriver() {
    host.on_message = [this](UINT message, WPARAM, LPARAM lparam) -> std::optional<LRESULT> {
      LRESULT result = 0;
      if (message == WM_NOTIFY && list.Notify(*reinterpret_cast<NMHDR*>(lparam), result)) {
        return result;
      }
      return std::nullopt;
    };
  }
  platform::ListView& List() { return list; }
  int ShownRows() { return ListView_GetItemCount(view); }
  int ShownColumns() { return Header_GetItemCount(ListView_GetHeader(view)); }
  std::string ShownText(int row, int column) {
    wchar_t text[512] = {};
    ListView_GetItemText(view, row, column, text, 512);
    return Utf8OfWide(text);
  }
  std::string ShownHeader(int column) {
    wchar_t text[512] = {};
    LVCOLUMNW header{};
    header.mask = LVCF_TEXT;
    header.pszText = text;
    header.cchTextMax = 512;
    ListView_GetColumn(view, column, &header);
    return Utf8OfWide(text);
  }
  int ShownColumnWidth(int column) { return ListView_GetColumnWidth(view, column); }
  bool ShownRightAligned(int column) {
    LVCOLUMNW header{};
    header.mask = LVCF_FMT;
    ListView_GetColumn(view, column, &header);
    return (header.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT;
  }
  double TwipsPerPixel() { return platform::win32::TwipsPerPixel(platform::win32::DpiOf(view)); }

  HostWindow host;
  HWND view = host.AddChild(WC_LISTVIEWW, LVS_REPORT | LVS_OWNERDATA);
  platform::win32::Win32ListView list{view};
};

struct Win32ClipboardDriver {
  static constexpr std::string_view kNul = "\uFFFD";
  platform::Clipboard& Clipboard() { return clipboard; }
  std::string Text() {
    return Utf8OfWide(platform::win32::ReadClipboardText(nullptr).value_or(L""));
  }
  std::optional<std::string> Data(const std::string& name) {
    return platform::win32::ReadClipboardFormat(nullptr, name);
  }
  static std::string Name(const platform::ClipboardFlavour& flavour) {
    return flavour.windows_format;
  }
  static std::string OtherName(const platform::ClipboardFlavour& flavour) {
    return flavour.mime_type;
  }

  platform::win32::Win32Clipboard clipboard;
};

std::string DialogItemText(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }

void Press(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

class Win32OpenDialogView : public contract::OpenDialogView {
 public:
  explicit Win32OpenDialogView(HWND dialog) : dialog_(dialog) {}
  std::vector<std::string> Filters() override {
    std::vector<std::string> filters;
    HWND types = GetDlgItem(dialog_, cmb1);
    const auto count = static_cast<int>(SendMessageW(types, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      std::wstring text(static_cast<std::size_t>(SendMessageW(types, CB_GETLBTEXTLEN, i, 0)) + 1,
                        L'\0');
      SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
      text.resize(wcslen(text.c_str()));
      filters.push_back(Utf8OfWide(text));
    }
    return filters;
  }
  std::string Folder() override {
    wchar_t folder[MAX_PATH * 4] = {};
    SendMessageW(dialog_, CDM_GETFOLDERPATH, MAX_PATH * 4, reinterpret_cast<LPARAM>(folder));
    return Utf8OfWide(folder);
  }
  void Choose(const std::string& name) override { ChoosePath(name); }
  void ChoosePath(const std::string& path) override {
    // The file name box: a combo box on Windows, an edit box in Wine's dialog.
    for (const int id : {cmb13, edt1}) {
      if (GetDlgItem(dialog_, id) != nullptr)
        SetDlgItemTextW(dialog_, id, WideOfUtf8(path).c_str());
    }
    Press(dialog_, IDOK);
  }
  void Cancel() override { Press(dialog_, IDCANCEL); }

 private:
  HWND dialog_;
};

class Win32MessageBoxView : public contract::MessageBoxView {
 public:
  explicit Win32MessageBoxView(HWND box) : box_(box) {}
  std::string Title() override { return TextOf(box_); }
  std::string Text() override { return DialogItemText(box_, 0xFFFF); }
  platform::MessageIcon Icon() override {
    // The icon control is 20 on Windows and stc1 in Wine.
    for (const int id : {20, stc1}) {
      const auto icon = reinterpret_cast<HICON>(SendDlgItemMessageW(box_, id, STM_GETICON, 0, 0));
      if (icon == nullptr) continue;
      if (icon == LoadIconW(nullptr, IDI_HAND)) return platform::MessageIcon::kCritical;
      if (icon == LoadIconW(nullptr, IDI_ASTERISK)) return platform::MessageIcon::kInformation;
    }
    return platform::MessageIcon{};
  }
  int Buttons() override {
    int buttons = 0;
    for (HWND child = GetWindow(box_, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t name[16] = {};
      GetClassNameW(child, name, 16);
      if (std::wstring(name) == L"Button" && IsWindowVisible(child)) ++buttons;
    }
    return buttons;
  }
  void PressOk() override { Press(box_, IDOK); }

 private:
  HWND box_;
};

struct Win32DialogsDriver {
  std::unique_ptr<platform::FileDialog> MakeFileDialog() {
    return std::make_unique<platform::win32::Win32FileDialog>(host.window());
  }
  std::unique_ptr<platform::MessageBox> MakeMessageBox() {
    return std::make_unique<platform::win32::Win32MessageBox>(host.window(), "Kolvex");
  }
  std::unique_ptr<platform::MousePointer> MakePointer() {
    return std::make_unique<platform::win32::Win32MousePointer>();
  }
  void WhenOpenDialogShows(std::function<void(contract::OpenDialogView&)> answer) {
    WhenDialogShows([answer](HWND dialog) {
      Win32OpenDialogView view(dialog);
      answer(view);
    });
  }
  void WhenMessageBoxShows(std::function<void(contract::MessageBoxView&)> answer) {
    WhenDialogShows([answer](HWND box) {
      Win32MessageBoxView view(box);
      answer(view);
    });
  }
  static std::vector<std::string> Shown(const std::vector<platform::FileType>& types) {
    std::vector<std::string> descriptions;
    for (const platform::FileType& type : types) descriptions.push_back(type.description);
    return descriptions;
  }
  bool ShowsHourglass() {
    HCURSOR hourglass = LoadCursorW(nullptr, IDC_WAIT);
    return platform::win32::PointerOverride() == hourglass && GetCursor() == hourglass;
  }
  bool ShowsDefaultPointer() {
    return platform::win32::PointerOverride() == nullptr &&
           GetCursor() != LoadCursorW(nullptr, IDC_WAIT);
  }

  HostWindow host;
};

// The bytes of the clipboard's standard format `format` up to their first NUL, or nothing.
std::optional<std::string> StandardFormat(UINT format) {
  if (!OpenClipboard(nullptr)) return std::nullopt;
  std::optional<std::string> bytes;
  HANDLE memory = GetClipboardData(format);
  if (const auto* locked =
          memory != nullptr ? static_cast<const char*>(GlobalLock(memory)) : nullptr) {
    bytes = std::string(locked, strnlen(locked, GlobalSize(memory)));
    GlobalUnlock(memory);
  }
  CloseClipboard();
  return bytes;
}

TEST(Win32Clipboard, AFormNamedWindowsSylkGoesUnderWindowsOwnSylkFormat) {
  const std::vector<platform::ClipboardFlavour> flavours = {
      {exporter::kSylkMimeType, platform::kWindowsSylkFormat, "ID;PCALCOOO32\r\nE\r\n"},
      {exporter::kGnumericMimeType, "", "<gnm/>"},
      {"", exporter::kHtmlWindowsFormat, "Version:0.9\r\n"}};
  platform::win32::Win32Clipboard clipboard;
  clipboard.SetText("00123", fakes::FormsOf(flavours));
  EXPECT_EQ(platform::win32::ReadClipboardText(nullptr), L"00123");
  EXPECT_EQ(StandardFormat(CF_SYLK), flavours[0].data);
  EXPECT_EQ(platform::win32::ReadClipboardFormat(nullptr, platform::kWindowsSylkFormat),
            std::nullopt)
      << "not a registered format of that name";
  EXPECT_EQ(platform::win32::ReadClipboardFormat(nullptr, exporter::kHtmlWindowsFormat),
            flavours[2].data);
}

TEST(Win32MaskedBox, TakesNoInputMethod) {
  Win32BoxDriver driver;
  HIMC context = ImmGetContext(driver.masked_edit.window());
  EXPECT_EQ(context, nullptr) << "an input method's text would go past the mask";
  if (context != nullptr) ImmReleaseContext(driver.masked_edit.window(), context);
  HWND other = driver.host.AddChild(WC_EDITW, ES_AUTOHSCROLL);
  HIMC plain = ImmGetContext(other);
  EXPECT_NE(plain, nullptr) << "another box, a path's, takes one";
  if (plain != nullptr) ImmReleaseContext(other, plain);
}

TEST(Win32ListView, TextHandedOutStaysWhileTwoMoreAreAskedFor) {
  Win32ListDriver driver;
  driver.list.AddColumnHeader("code", 1000, platform::ColumnKind::kText);
  driver.list.AddColumnHeader("litres", 1000, platform::ColumnKind::kNumber);
  for (const char* code : {"00001", "00002"}) {
    driver.list.SetItemText(driver.list.AddItem(), code);
    driver.list.AddSubItem(driver.list.ItemCount() - 1, std::string(code) + ".5");
  }
  const std::pair<int, int> cells[] = {{0, 0}, {1, 1}, {0, 1}, {1, 0}};
  std::vector<const wchar_t*> handed;
  for (const auto& [row, column] : cells) {
    NMLVDISPINFOW asked{};
    asked.hdr.hwndFrom = driver.view;
    asked.hdr.code = LVN_GETDISPINFOW;
    asked.item.mask = LVIF_TEXT;
    asked.item.iItem = row;
    asked.item.iSubItem = column;
    LRESULT result = 0;
    ASSERT_TRUE(driver.list.Notify(asked.hdr, result));
    handed.push_back(asked.item.pszText);
    if (handed.size() < 3) continue;
    EXPECT_EQ(Utf8OfWide(handed[handed.size() - 3]), handed.size() == 3 ? "00001" : "00002.5")
        << "read after two more notifications";
  }
}

TEST(Win32DialogFilter, FileTypesInTheDialogsNotation) {
  using platform::ParseFilter;
  EXPECT_EQ(platform::win32::Win32Filter(ParseFilter("DBF File|*.dbf")),
            std::wstring(L"DBF File\0*.dbf\0\0", 16));
  EXPECT_EQ(platform::win32::Win32Filter(ParseFilter("Tables|*.dbf;*.DBF|Lonely")),
            std::wstring(L"Tables\0*.dbf;*.DBF\0Lonely\0*\0\0", 29));
}

}  // namespace
}  // namespace win32_test

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, MaskedBoxContract, win32_test::Win32BoxDriver);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, PlainBoxContract, win32_test::Win32BoxDriver);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ListViewContract, win32_test::Win32ListDriver);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ClipboardContract, win32_test::Win32ClipboardDriver);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, DialogsContract, win32_test::Win32DialogsDriver);
}  // namespace contract
