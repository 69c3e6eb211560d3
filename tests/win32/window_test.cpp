// What only the Windows window shows: its controls as Windows' own, the menu and its keys,
// clicks into the date boxes, activating another window, and the real provider's message for a
// folder named in Devanagari. What every system's window does is in the window contract
// (window_contract_test.cpp), what the adapters do in theirs (contract_test.cpp).
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>

#include "kolvex_version.h"
#include "platform/system/path_text.h"
#include "platform/win32/twips.h"
#include "tests/contract/window_contract.h"
#include "tests/support/temp_dir.h"
#include "tests/win32/host_window.h"
#include "tests/win32/window_driver.h"

namespace win32_test {
namespace {

std::string ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return platform::Utf8OfWide(name);
}

std::string MenuText(HMENU menu, UINT position) {
  wchar_t text[128] = {};
  GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
  return platform::Utf8OfWide(text);
}

std::string ToolTipOf(HWND window, HWND control) {
  HWND tips = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND candidate, LPARAM found) -> BOOL {
        if (ClassOf(candidate) != "tooltips_class32") return TRUE;
        *reinterpret_cast<HWND*>(found) = candidate;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&tips));
  if (tips == nullptr) return "";
  wchar_t text[256] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = window;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text;
  SendMessageW(tips, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
  return platform::Utf8OfWide(text);
}

// The window contract's fixture, its fakes and today's date, over the Windows window.
class WindowTest : public contract::WindowContract<WindowDriver> {
 protected:
  HWND Window() { return window_->Window().window(); }
  HWND Hwnd(const char* name) { return window_->Hwnd(name); }
  std::string Focused() { return window_->Focused(); }
  void Enter(const char* name) { window_->Enter(name); }
  void Leave() { window_->Enter("CmdBrowse"); }
};

using StartUp = WindowTest;

TEST_F(StartUp, ControlsAreWindowsOwnWithTheirCaptionsTipsAndMenu) {
  EXPECT_EQ(win32_test::TextOf(Window()), "Kolvex");
  const std::pair<const char*, const char*> kinds[] = {
      {"ListView1", "SysListView32"}, {"TxtFile", "Edit"}, {"Label1", "Static"},
      {"CmdBrowse", "Button"},        {"TxtFrom", "Edit"}, {"TxtTo", "Edit"}};
  for (const auto& [name, kind] : kinds) EXPECT_EQ(ClassOf(Hwnd(name)), kind) << name;
  EXPECT_EQ(win32_test::TextOf(Hwnd("Label1")), "File Name");
  EXPECT_EQ(win32_test::TextOf(Hwnd("CmdBrowse")), "Browse Database");
  EXPECT_EQ(ToolTipOf(Window(), Hwnd("TxtFrom")), "First BS date of the range, yyyy/mm/dd");
  EXPECT_EQ(ToolTipOf(Window(), Hwnd("TxtTo")), "Last BS date of the range, yyyy/mm/dd");
  EXPECT_FALSE(ToolTipOf(Window(), Hwnd("TxtFile")).empty());

  HMENU bar = GetMenu(Window());
  ASSERT_EQ(GetMenuItemCount(bar), 1);
  EXPECT_EQ(MenuText(bar, 0), "&Data") << "shown as Data, Alt+D opens it";
  HMENU data = GetSubMenu(bar, 0);
  ASSERT_EQ(GetMenuItemCount(data), 4);
  EXPECT_EQ(MenuText(data, 0), "Export to Excel\tCtrl+E");
  EXPECT_EQ(MenuText(data, 3), "Reload\tF5") << "below the summaries";
  EXPECT_NE(SendMessageW(Window(), WM_GETICON, ICON_BIG, 0), 0) << "the program's icon";
}

TEST_F(StartUp, AltDThenEnterAndCtrlEExportFromAnyControl) {
  clipboard_.SetText("not exported", {});
  window_->Press({{'D', false, false, true}, {VK_RETURN}});
  EXPECT_EQ(clipboard_.text(), "\r\n");
  for (const char* name : {"ListView1", "TxtFile", "CmdBrowse", "TxtFrom", "TxtTo"}) {
    SCOPED_TRACE(name);
    Enter(name);
    clipboard_.SetText("not exported", {});
    window_->Press({{'E', true}});
    EXPECT_EQ(clipboard_.text(), "\r\n");
  }
}

TEST(Resources, ManifestCarriesTheProjectsVersionAndTheUsersRights) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(found, nullptr) << "no manifest";
  const auto* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
  const std::string manifest(bytes, SizeofResource(nullptr, found));
  EXPECT_NE(manifest.find("name=\"Kolvex\" version=\"" KOLVEX_VERSION ".0\""), std::string::npos)
      << manifest;
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
}

TEST(Resources, IconHoldsAnImageForEachSizeWindowsAsksFor) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));
  ASSERT_NE(found, nullptr) << "no icon";
  const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)));
  // The group's header (three 16-bit numbers, the last the count), then 14 bytes an image.
  const int count = bytes[4] | bytes[5] << 8;
  ASSERT_EQ(SizeofResource(nullptr, found), 6u + 14u * static_cast<unsigned>(count));
  std::set<int> sizes;
  for (int i = 0; i < count; ++i) sizes.insert(bytes[6 + 14 * i] == 0 ? 256 : bytes[6 + 14 * i]);
  EXPECT_EQ(sizes, (std::set<int>{16, 20, 24, 32, 48, 256}));
  for (const int size : {16, 32, 48, 256}) {
    EXPECT_NE(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0),
              nullptr)
        << size;
  }
}

TEST(Twips, PixelsAtEachResolution) {
  struct Case {
    double twips;
    unsigned dpi;
    int pixels;
  };
  const Case cases[] = {{1935, 96, 129},   {1935, 144, 194},  {1935, 192, 258},
                        {-1825, 96, -122}, {1e30, 96, 32767}, {NAN, 96, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(platform::win32::TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " " << c.dpi;
  }
  EXPECT_FLOAT_EQ(platform::win32::PixelsToTwips(935, 96), 14025);
  EXPECT_FLOAT_EQ(platform::win32::PixelsToTwips(935, 144), 9350);
  EXPECT_EQ(platform::win32::FontHeight(9.75, 96), -13);
  EXPECT_EQ(platform::win32::FontHeight(9.75, 144), -20);
}

using DateEntry = WindowTest;

TEST_F(DateEntry, ClickOrTabIntoABoxChecksTheBoxLeftThenTypedKeysGiveTheTypedDate) {
  struct Case {
    double where;    // of the box's width; 0 for the Tab key
    bool trembling;  // the pointer moves on the spot while the button is down
  };
  const Case cases[] = {{0.0, false}, {0.02, false}, {0.2, false}, {0.45, false}, {0.6, false},
                        {0.8, false}, {0.98, false}, {0.02, true}, {0.45, true},  {0.98, true}};
  for (const auto& [where, trembling] : cases) {
    SCOPED_TRACE(where == 0 ? std::string("tab")
                            : "click " + std::to_string(where) + (trembling ? " trembling" : ""));
    Control("TxtTo").Text().SetText("2079/05/12");
    Enter("TxtFrom");
    window_->Type("20795/3");
    HWND box = Hwnd("TxtTo");
    if (where == 0) {
      window_->Press({{VK_TAB}});
    } else {
      RECT area{};
      GetClientRect(box, &area);
      const int x = static_cast<int>(area.right * where);
      window_->Click(box, x, trembling ? x : -1);
    }
    ASSERT_EQ(Focused(), "TxtTo");
    EXPECT_EQ(TextOf("TxtFrom"), "2079/05/03") << "the box left is checked first";
    EXPECT_EQ(Control("TxtTo").Text().SelStart(), 0);
    EXPECT_EQ(Control("TxtTo").Text().SelLength(), 10);
    window_->Type("20810101");
    EXPECT_EQ(TextOf("TxtTo"), "2081/01/01");
    Leave();
    EXPECT_EQ(TextOf("TxtTo"), "2081/01/01");
  }
  EXPECT_TRUE(message_box_.shown().empty());
}

TEST_F(DateEntry, SecondClickPlacesTheCaretAndADragSelectsWhatItCovers) {
  HWND box = Hwnd("TxtFrom");
  platform::TextBox& text = Control("TxtFrom").Text();
  // Far from where the second click comes, which Windows would otherwise take for a double click.
  RECT area{};
  GetClientRect(box, &area);
  window_->Click(box, area.right * 9 / 10);
  ASSERT_EQ(text.SelLength(), 10);
  window_->Click(box, WindowDriver::Before(box, 9));
  EXPECT_EQ(text.SelLength(), 0);
  EXPECT_EQ(text.SelStart(), 9);
  window_->Type("5");
  EXPECT_EQ(TextOf("TxtFrom"), "2079/05/15");

  Leave();
  window_->Click(box, WindowDriver::Before(box, 0), WindowDriver::Before(box, 3));
  ASSERT_EQ(Focused(), "TxtFrom");
  EXPECT_EQ(text.SelStart(), 0);
  EXPECT_EQ(text.SelLength(), 3);
  window_->Type("208");
  EXPECT_EQ(TextOf("TxtFrom"), "2089/05/15");
}

TEST_F(DateEntry, SwitchingWindowsRunsNoHandler) {
  Control("TxtFrom").Text().SetText("2079/05/32");
  Enter("TxtFrom");
  Control("TxtFrom").Text().SetSelStart(3);
  HostWindow other;
  ShowWindow(other.window(), SW_SHOW);
  SetForegroundWindow(other.window());
  window_->Pump();
  ASSERT_NE(Focused(), "TxtFrom");
  EXPECT_EQ(TextOf("TxtFrom"), "2079/05/32") << "leaving for another window checks nothing";
  SetForegroundWindow(Window());
  window_->Pump();
  EXPECT_EQ(Focused(), "TxtFrom") << "the focus comes back where it was";
  EXPECT_EQ(Control("TxtFrom").Text().SelLength(), 0) << "coming back selects nothing";
  EXPECT_EQ(TextOf("TxtFrom"), "2079/05/32");
}

using Browse = WindowTest;

TEST_F(Browse, FileThatIsNotATableGivesOneMessageFromTheRealProvider) {
  test_support::TempDir temp;
  const std::filesystem::path folder = temp.path() / platform::PathFromUtf8("नेपाल");
  std::filesystem::create_directory(folder);
  std::ofstream(folder / "TRAN.dbf") << "This is a letter, not a table.\n";
  const std::string path = platform::Utf8Of(folder / "TRAN.dbf");
  app::WindowServices services = Services();
  services.provider = nullptr;
  window_.emplace(services);
  ASSERT_TRUE(window_->Opened());
  List().AddColumnHeader("kept", 1400, platform::ColumnKind::kText);
  dialog_.Answer(path);
  window_->Form().CmdBrowse_Click();
  ASSERT_EQ(message_box_.shown().size(), 1u);
  EXPECT_EQ(message_box_.shown()[0].rfind("16 ", 0), 0u);
  EXPECT_NE(message_box_.shown()[0].find("नेपाल"), std::string::npos) << message_box_.shown()[0];
  EXPECT_EQ(TextOf("TxtFile"), path);
  EXPECT_EQ(List().ColumnHeaderText(0), "kept");
}

}  // namespace
}  // namespace win32_test
