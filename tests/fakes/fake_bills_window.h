// The window Kolvex Bills without a window system, driven as the bills contract
// (tests/contract/bills_contract.h) drives every system's window: the form and what both windows
// share (bills::BillsWindow) over plain C++ controls. A choice the user makes runs the box's
// handler, a click the button's, each inside the last-chance guard.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "app/bills/bills_window.h"
#include "platform/controls/memory_list_view.h"
#include "platform/controls/twips.h"
#include "platform/status_line.h"
#include "tests/contract/bills_driver.h"
#include "tests/fakes/fake_choice_box.h"
#include "tests/fakes/fake_system.h"
#include "tests/fakes/fake_text_box.h"

namespace fakes {

class FakeBillsDriver : public contract::BillsDriver {
 public:
  explicit FakeBillsDriver(bills::BillsWindowServices services) : window_(std::move(services)) {
    opened_ = window_.Open();
  }

  bool Opened() const override { return opened_; }
  platform::Form& Window() override { return window_; }
  platform::ListView& Bills() override { return window_.list; }
  std::string StatusLine() override { return window_.status.text; }
  std::string Title() { return bills::design::kTitle; }
  std::string Caption(const char* name) { return bills::design::ControlNamed(name).caption; }
  // The items of the choice box `name`, and the one chosen.
  std::vector<std::string> Items(const char* name) override { return window_.boxes[name].Items(); }
  std::string Chosen(const char* name) override {
    FakeChoiceBox& box = window_.boxes[name];
    return box.ListIndex() < 0 ? "" : box.Items()[box.ListIndex()];
  }
  // The user chooses the item shown as `item`.
  void Choose(const char* name, const std::string& item) override {
    FakeChoiceBox& box = window_.boxes[name];
    const std::vector<std::string> items = box.Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (items[i] == item) box.SetListIndex(static_cast<int>(i));
    }
    window_.Run(bills::design::ControlNamed(name).click);
  }
  void Click(const char* name) override { window_.Run(bills::design::ControlNamed(name).click); }
  void SetInner(int width, int height) override { window_.Resize({width, height}); }

 private:
  static constexpr unsigned kDpi = 96;

  struct FakeControl : platform::PlacedControl {
    FakeControl(std::string name, platform::TextBox* text)
        : PlacedControl(bills::design::ControlNamed(name).twips, text), name_(std::move(name)) {}
    std::string Name() const override { return name_; }
    void Place() override {}
    std::string name_;
  };
  struct FakeStatusLine : platform::StatusLine {
    void SetText(const std::string& shown) override { text = shown; }
    std::string text;
  };
  struct FakeWindow : bills::BillsWindow {
    explicit FakeWindow(bills::BillsWindowServices services) : BillsWindow(std::move(services)) {}
    bool Open() {
      FakeSystem system;
      MakeMissingServices(system);
      for (const bills::design::ControlDesign& control : bills::design::kControls) {
        const std::string name = control.name;
        platform::TextBox* text = nullptr;
        if (control.kind == bills::design::ControlKind::kTextBox) {
          text = &texts.try_emplace(name, "").first->second;
        }
        if (control.kind == bills::design::ControlKind::kChoiceBox) AddChoiceBox(name, boxes[name]);
        AddControl(name, std::make_unique<FakeControl>(name, text));
      }
      MakeForm(list, status);
      return Load();
    }
    void Run(bills::design::Handler handler) { BillsWindow::Run(handler); }
    void Resize(std::pair<int, int> to) {
      inner = to;
      Run(&bills::BillsForm::Form_Resize);
    }
    float ScaleWidth() const override { return platform::PixelsToTwips(inner.first, kDpi); }
    float ScaleHeight() const override { return platform::PixelsToTwips(inner.second, kDpi); }

    platform::MemoryListView list;
    FakeStatusLine status;
    std::map<std::string, FakeTextBox> texts;
    std::map<std::string, FakeChoiceBox> boxes;
    std::pair<int, int> inner{bills::design::kStartWidth / 15, bills::design::kStartHeight / 15};
  };

  FakeWindow window_;
  bool opened_ = false;
};

}  // namespace fakes
