// The window without a window system, driven as the window contract
// (tests/contract/window_contract.h) drives every system's window: the form and what both windows
// share (app::CommonWindow, the input mask, the focus-click rule, twips) over plain C++ controls.
// It does what both windows do with their events and no more: the focus moves between the
// controls by name, leaving a date box runs its lost-focus handler and entering one its
// got-focus handler, the keys and menu items reach the handlers the windows connect them to, and
// each handler runs in the last-chance guard.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/common_window.h"
#include "app/window_design.h"
#include "platform/controls/focus_click.h"
#include "platform/controls/input_mask.h"
#include "platform/controls/memory_list_view.h"
#include "platform/controls/selection_box.h"
#include "platform/controls/twips.h"
#include "platform/status_line.h"
#include "tests/contract/window_driver.h"
#include "tests/fakes/fake_system.h"
#include "tests/fakes/fake_text_box.h"

namespace fakes {

// A date box: the mask's editing over a selection kept as the windows' boxes keep it.
class FakeDateBox : public platform::SelectionBox {
 public:
  std::string Text() const override { return edit.text; }
  void SetText(const std::string& text) override { edit = {text, 0, 0}; }
  void SetSelText(const std::string& text) override {
    const int end = SelStart() + SelLength();
    edit.text = mask.Replace(edit.text, SelStart(), SelLength(), text);
    edit.anchor = edit.caret = end;
  }

  const platform::InputMask mask{app::design::kDateMask, app::design::kDatePrompt};
  platform::MaskedEdit edit{mask.Empty(), 0, 0};

 private:
  Range Selected() const override { return {edit.SelStart(), edit.SelEnd() - edit.SelStart()}; }
  void Select(int start, int length) override {
    edit.anchor = start;
    edit.caret = start + length;
  }
  int TextLength() const override { return static_cast<int>(edit.text.size()); }
};

class FakeWindowDriver : public contract::WindowDriver {
 public:
  static constexpr int kMostPixels = 1 << 24;

  explicit FakeWindowDriver(app::WindowServices services) : window_(std::move(services)) {
    opened_ = window_.Open();
  }

  bool Opened() const override { return opened_; }
  platform::Form& Window() override { return window_; }
  app::MainForm& Form() override { return window_.form(); }
  platform::ListView& List() override { return window_.list; }

  std::string Focused() override { return focused_; }
  void Enter(const char* name) override { MoveFocus(name); }
  void PressTab() override {
    const auto at = std::find(std::begin(kTabOrder), std::end(kTabOrder), focused_);
    MoveFocus(at == std::end(kTabOrder) || at + 1 == std::end(kTabOrder) ? kTabOrder[0] : at[1]);
  }
  void Type(std::string_view keys) override {
    if (FakeDateBox* box = Box(focused_)) {
      for (const char key : keys) box->edit = box->mask.Insert(box->edit, std::string(1, key));
    }
  }
  void PressDelete() override {
    if (FakeDateBox* box = Box(focused_)) box->edit = box->mask.Delete(box->edit);
  }
  // Characters kCharWidth pixels wide from the box's left edge.
  void Click(const char* name, int x, int to_x = -1) override {
    FakeDateBox* box = Box(name);
    if (box == nullptr) return MoveFocus(name);
    if (focused_ != name) {
      MoveFocus(name);
      click_.Gained(platform::FocusClick::Selection{box->SelStart(), box->SelLength()});
    } else {
      click_.Forget();
    }
    click_.Pressed(true);
    box->edit.anchor = box->edit.caret = CharAt(x);
    if (to_x >= 0) box->edit.caret = CharAt(to_x);
    if (auto back = click_.Released(box->SelLength() > 0)) Select(*box, *back);
  }
  int Before(const char*, int position) override { return position * kCharWidth; }
  void ClickBrowse() override {
    MoveFocus("CmdBrowse");
    window_.Run(app::design::ControlNamed("CmdBrowse").click);
  }
  void ChooseExport() override { ChooseDataItem("Export to Excel\tCtrl+E"); }
  std::vector<std::string> MenuBar() override { return {app::design::kMenuCaption}; }
  std::vector<std::string> DataMenu() override {
    std::vector<std::string> shown;
    for (const auto& item : app::design::kDataMenu) shown.push_back(Shown(item));
    return shown;
  }
  void ChooseDataItem(const std::string& shown) override {
    for (const auto& item : app::design::kDataMenu) {
      if (shown == Shown(item)) return window_.Run(item.click);
    }
    ADD_FAILURE() << shown;
  }
  void PressCtrl(char letter) override {
    for (const auto& item : app::design::kDataMenu) {
      if (item.ctrl_key == letter) window_.Run(item.click);
    }
  }
  // No other window can become the active one.
  void ActivateOtherWindow() override {}
  void ActivateWindow() override {}
  bool HasWindowSystem() const override { return false; }
  int MostPixels() const override { return kMostPixels; }
  // Keys no handler takes.
  void PressF5() override {}
  void PressEnter() override {}
  std::string StatusLine() override { return window_.status.text; }
  std::string Title() override { return app::design::kTitle; }
  std::string Caption(const char* name) override { return app::design::ControlNamed(name).caption; }
  std::string ToolTip(const char* name) override {
    const char* tip = app::design::ControlNamed(name).tip;
    return tip == nullptr ? "" : tip;
  }
  std::pair<int, int> Inner() override { return window_.inner; }
  void SetInner(int width, int height) override { window_.Resize({width, height}); }
  void Minimise() override {
    restored_ = window_.inner;
    window_.Resize({0, 0});
  }
  void Restore() override { window_.Resize(restored_); }
  double TwipsPerPixel() override { return platform::TwipsPerPixel(kDpi); }
  std::array<int, 4> Pixels(const char* name) override {
    const platform::Control& control = window_.Controls(name);
    std::array<int, 4> pixels{};
    const float twips[] = {control.Left(), control.Top(), control.Width(), control.Height()};
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      pixels[i] = platform::TwipsToPixels(twips[i], kDpi, kMostPixels);
    }
    return pixels;
  }

 private:
  static constexpr unsigned kDpi = 96;
  static constexpr int kCharWidth = 8;
  static constexpr const char* kTabOrder[] = {"ListView1", "TxtFile", "CmdBrowse", "TxtFrom",
                                              "TxtTo"};
  // A menu item as a menu shows it: its caption, a tab, its key.
  static std::string Shown(const app::design::MenuItemDesign& item) {
    return std::string(item.caption) + "\tCtrl+" + item.ctrl_key;
  }

  // A control that only keeps its twips; `text` is its text box, if any.
  struct FakeControl : platform::PlacedControl {
    FakeControl(std::string name, platform::TextBox* text)
        : PlacedControl(app::design::ControlNamed(name).twips, text), name_(std::move(name)) {}
    std::string Name() const override { return name_; }
    void Place() override {}
    std::string name_;
  };
  struct FakeStatusLine : platform::StatusLine {
    void SetText(const std::string& shown) override { text = shown; }
    std::string text;
  };
  struct FakeWindow : app::CommonWindow {
    explicit FakeWindow(app::WindowServices services) : CommonWindow(std::move(services)) {}
    bool Open() {
      FakeSystem system;
      MakeMissingServices(system);
      for (const app::design::ControlDesign& control : app::design::kControls) {
        const std::string name = control.name;
        platform::TextBox* text = name == "TxtFile" ? &file : nullptr;
        if (name == "TxtFrom" || name == "TxtTo") text = &dates[name == "TxtTo"];
        AddControl(name, std::make_unique<FakeControl>(name, text));
      }
      MakeForm(list, &status);
      if (!Load()) return false;
      Run(&app::MainForm::Form_Resize);
      return true;
    }
    // Runs `handler` of the form, if any, as a window system runs its events' handlers.
    void Run(void (app::MainForm::*handler)()) {
      if (handler != nullptr) Guarded([&] { (*form_.*handler)(); });
    }
    void Resize(std::pair<int, int> to) {
      inner = to;
      Run(&app::MainForm::Form_Resize);
    }
    float ScaleWidth() const override { return platform::PixelsToTwips(inner.first, kDpi); }
    float ScaleHeight() const override { return platform::PixelsToTwips(inner.second, kDpi); }

    platform::MemoryListView list;
    FakeStatusLine status;
    FakeTextBox file{""};
    FakeDateBox dates[2];
    std::pair<int, int> inner{app::design::kStartWidth / 15, app::design::kStartHeight / 15};
  };

  FakeDateBox* Box(const std::string& name) {
    if (name != "TxtFrom" && name != "TxtTo") return nullptr;
    return &window_.dates[name == "TxtTo"];
  }
  static void Select(FakeDateBox& box, platform::FocusClick::Selection selection) {
    box.SetSelStart(selection.start);
    box.SetSelLength(selection.length);
  }
  int CharAt(int x) const { return std::clamp((x + kCharWidth / 2) / kCharWidth, 0, 10); }
  // Leaving a date box checks it; entering one selects its text.
  void MoveFocus(const std::string& to) {
    if (to == focused_) return;
    if (!focused_.empty()) window_.Run(app::design::ControlNamed(focused_).lost_focus);
    focused_ = to;
    window_.Run(app::design::ControlNamed(to).got_focus);
  }

  FakeWindow window_;
  bool opened_ = false;
  std::string focused_ = "ListView1";
  platform::FocusClick click_;
  std::pair<int, int> restored_;
};

}  // namespace fakes
