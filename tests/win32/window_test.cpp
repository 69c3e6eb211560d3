// What only the Windows window shows: its controls as Windows' own, its icon and resources, the
// menu's keys. What every system's window does is in the window contract
// (window_contract_test.cpp), what the adapters do in theirs (contract_test.cpp).
#include <cmath>
#include <set>
#include <string>
#include <utility>

#include "app/window_design.h"
#include "kolvex_version.h"
#include "platform/system/path_text.h"
#include "platform/win32/twips.h"
#include "tests/contract/window_contract.h"
#include "tests/win32/window_driver.h"

namespace win32_test {
namespace {

std::string ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return platform::Utf8OfWide(name);
}

// The window contract's fixture, its fakes and today's date, over the Windows window.
class WindowTest : public contract::WindowFixture {
 protected:
  std::unique_ptr<contract::WindowDriver> OpenWindow(app::WindowServices services) override {
    return win32_test::OpenWindow(std::move(services));
  }
  WindowDriver& Driver() { return static_cast<WindowDriver&>(*window_); }
  HWND Window() { return Driver().Window().window(); }
  HWND Hwnd(const char* name) { return Driver().Hwnd(name); }
};

using StartUp = WindowTest;

TEST_F(StartUp, ControlsAreWindowsOwnAndTheWindowHasTheProgramsIcon) {
  const std::pair<const char*, const char*> kinds[] = {
      {"ListView1", "SysListView32"}, {"TxtFile", "Edit"}, {"Label1", "Static"},
      {"CmdBrowse", "Button"},        {"TxtFrom", "Edit"}, {"TxtTo", "Edit"}};
  for (const auto& [name, kind] : kinds) EXPECT_EQ(ClassOf(Hwnd(name)), kind) << name;
  EXPECT_NE(SendMessageW(Window(), WM_GETICON, ICON_BIG, 0), 0) << "the program's icon";
}

// The fonts the controls name are asked for by name, size and character set; Windows gives the
// nearest it has.
TEST_F(StartUp, NamedFontsAreAskedForByNameSizeAndCharacterSet) {
  const std::pair<const char*, std::wstring> named[] = {
      {"ListView1", L"Arial"}, {"TxtFile", L"MS Sans Serif"}, {"Label1", L"MS Sans Serif"}};
  for (const auto& [name, face] : named) {
    SCOPED_TRACE(name);
    auto* font = reinterpret_cast<HFONT>(SendMessageW(Hwnd(name), WM_GETFONT, 0, 0));
    LOGFONTW asked{};
    ASSERT_EQ(GetObjectW(font, sizeof asked, &asked), static_cast<int>(sizeof asked));
    EXPECT_EQ(std::wstring(asked.lfFaceName), face);
    EXPECT_EQ(asked.lfCharSet, ANSI_CHARSET);
    EXPECT_EQ(asked.lfWeight, FW_NORMAL);
    EXPECT_EQ(asked.lfHeight, platform::win32::FontHeight(app::design::kNamedFontPoints,
                                                          platform::win32::DpiOf(Window())));
  }
}

TEST_F(StartUp, AltDThenEnterExports) {
  clipboard_.SetText("not exported", {});
  Driver().Press({{'D', false, false, true}, {VK_RETURN}});
  EXPECT_EQ(clipboard_.text(), "\r\n");
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

}  // namespace
}  // namespace win32_test
