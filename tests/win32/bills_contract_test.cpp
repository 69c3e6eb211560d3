// The Kolvex Bills contract over the Windows window, on the test's desktop, and a picture of it
// after the start's load as kolvex-bills-windows.bmp in the build folder.
#include "tests/contract/bills_contract.h"

#include <memory>
#include <utility>

#include "app/bills/win32/win32_bills_window.h"
#include "platform/system/path_text.h"
#include "tests/win32/window_picture.h"

namespace {

std::string TextOfWindow(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), text.size())));
  return platform::Utf8OfWide(text);
}

class Win32BillsDriver : public contract::BillsDriver {
 public:
  explicit Win32BillsDriver(bills::BillsWindowServices services)
      : window_(bills::Win32BillsWindow::Open(std::move(services), SW_SHOWNORMAL)) {
    if (!window_) return;
    SetForegroundWindow(window_->window());
    Pump();
  }

  bool Opened() const override { return window_ != nullptr; }
  platform::Form& Window() override { return *window_; }
  platform::ListView& Bills() override { return window_->list(); }
  std::string StatusLine() override { return TextOfWindow(window_->StatusWindow()); }
  std::vector<std::string> Items(const char* name) override {
    std::vector<std::string> items;
    HWND box = window_->ControlWindow(name);
    const auto count = static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) items.push_back(Item(box, i));
    return items;
  }
  std::string Chosen(const char* name) override {
    HWND box = window_->ControlWindow(name);
    const auto index = static_cast<int>(SendMessageW(box, CB_GETCURSEL, 0, 0));
    return index < 0 ? "" : Item(box, index);
  }
  // As the user chooses in the open list: the list drops down, the item is chosen, the list
  // closes on it.
  void Choose(const char* name, const std::string& item) override {
    HWND box = window_->ControlWindow(name);
    const LRESULT index =
        SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(platform::WideOfUtf8(item).c_str()));
    ASSERT_NE(index, CB_ERR) << item;
    SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);
    Pump();
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);
    Pump();
  }
  void Click(const char* name) override {
    SendMessageW(window_->ControlWindow(name), BM_CLICK, 0, 0);
    Pump();
  }
  void SetInner(int width, int height) override {
    RECT outer{};
    RECT inner{};
    GetWindowRect(window_->window(), &outer);
    GetClientRect(window_->window(), &inner);
    const int status = platform::win32::StatusHeight(window_->StatusWindow());
    SetWindowPos(window_->window(), nullptr, 0, 0, outer.right - outer.left + width - inner.right,
                 outer.bottom - outer.top + height - (inner.bottom - status),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
  }

  bills::Win32BillsWindow& Shown() { return *window_; }
  void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (window_ && window_->PreTranslate(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  // Runs the loop until `done` gives true; false after the deadline, which only ends a failing
  // test.
  template <typename Condition>
  bool PumpUntil(Condition done) {
    const ULONGLONG deadline = GetTickCount64() + 20000;
    Pump();
    while (!done()) {
      if (GetTickCount64() > deadline) return false;
      MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      Pump();
    }
    return true;
  }

 private:
  static std::string Item(HWND box, int index) {
    const auto length = static_cast<int>(SendMessageW(box, CB_GETLBTEXTLEN, index, 0));
    std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
    SendMessageW(box, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::max(length, 0)));
    return platform::Utf8OfWide(text);
  }

  std::unique_ptr<bills::Win32BillsWindow> window_;
};

}  // namespace

namespace contract {
namespace {

std::unique_ptr<BillsDriver> OpenWin32Bills(bills::BillsWindowServices services) {
  return std::make_unique<Win32BillsDriver>(std::move(services));
}

INSTANTIATE_TEST_SUITE_P(Win32, BillsContract, testing::Values(&OpenWin32Bills));

class Win32Bills : public BillsFixture {
 protected:
  std::unique_ptr<BillsDriver> OpenWindow(bills::BillsWindowServices services) override {
    return OpenWin32Bills(std::move(services));
  }
  Win32BillsDriver& Driver() { return static_cast<Win32BillsDriver&>(*window_); }
};

}  // namespace

TEST_F(Win32Bills, APictureOfTheWindow) {
  window_->SetInner(1100, 520);
  window_->Choose("CboCommission", "Commission taken");
  ASSERT_EQ(Messages(), "");
  ASSERT_TRUE(
      Driver().PumpUntil([&] { return GetForegroundWindow() == Driver().Shown().window(); }));
  RedrawWindow(Driver().Shown().window(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  EXPECT_TRUE(win32_test::SaveWindowPicture(Driver().Shown().window(),
                                            KOLVEX_BINARY_DIR "/kolvex-bills-windows.bmp"));
}

// Alt with a label's or a button's letter, as the keyboard sends it: the focus to the control
// after the label, or the button pressed.
TEST_F(Win32Bills, AltWithTheUnderlinedLetterReachesEveryControl) {
  Win32BillsDriver& driver = Driver();
  HWND shown = driver.Shown().window();
  ASSERT_TRUE(driver.PumpUntil([&] { return GetForegroundWindow() == shown; }));
  const auto press_alt = [](WORD letter) {
    INPUT keys[4] = {};
    for (INPUT& key : keys) key.type = INPUT_KEYBOARD;
    keys[0].ki.wVk = VK_MENU;
    keys[1].ki.wVk = letter;
    keys[2].ki.wVk = letter;
    keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
    keys[3].ki.wVk = VK_MENU;
    keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, keys, sizeof(INPUT));
  };
  const std::pair<WORD, const char*> focus_keys[] = {
      {'P', "CboYear"}, {'M', "CboCommission"}, {'T', "TxtTable"}};
  for (const auto& [letter, name] : focus_keys) {
    press_alt(letter);
    EXPECT_TRUE(driver.PumpUntil([&, name = name] {
      return GetFocus() == driver.Shown().ControlWindow(name);
    })) << name;
  }
  press_alt('W');
  EXPECT_TRUE(driver.PumpUntil([&] { return !save_dialog_.filter().empty(); }));
  EXPECT_EQ(save_dialog_.filter(), "Excel Workbook|*.xlsx");
  EXPECT_EQ(Messages(), "");
}

}  // namespace contract
