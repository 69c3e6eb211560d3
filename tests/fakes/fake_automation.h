// A spreadsheet application driven by member names, and the factory that creates it. Both record
// their calls and throw when told to.
#pragma once

#include <memory>
#include <string>

#include "platform/automation.h"
#include "tests/fakes/call_log.h"

namespace fakes {

// One object that stands for the application and everything reached through it: each member
// call records the member's name ("Workbooks", "Add", "Application") and returns the same object;
// Set records "<member> True" or "<member> False". FailAt(<member>) makes that member throw.
class FakeSpreadsheet : public platform::AutomationObject,
                        public CallRecorder,
                        public std::enable_shared_from_this<FakeSpreadsheet> {
 public:
  explicit FakeSpreadsheet(CallLog* log = nullptr) : CallRecorder(log) {}

  // From now on the member `member` returns no object at all.
  void ReturnNothingFrom(const std::string& member) { returns_nothing_ = member; }

  std::shared_ptr<platform::AutomationObject> Call(const std::string& member) override {
    Enter(member);
    if (member == returns_nothing_) return nullptr;
    return shared_from_this();
  }
  void Set(const std::string& member, bool value) override {
    Enter(member, value ? "True" : "False");
    if (member == "Visible") visible_ = value;
  }

  bool visible() const { return visible_; }

 private:
  std::string returns_nothing_;
  bool visible_ = false;
};

// Records "CreateObject <prog_id>" and returns its one FakeSpreadsheet, which shares the log.
// FailAt("CreateObject") makes creation throw.
class FakeObjectFactory : public platform::ObjectFactory, public CallRecorder {
 public:
  explicit FakeObjectFactory(CallLog* log = nullptr)
      : CallRecorder(log), spreadsheet_(std::make_shared<FakeSpreadsheet>(log)) {}

  std::shared_ptr<platform::AutomationObject> CreateObject(const std::string& prog_id) override {
    Enter("CreateObject", prog_id);
    return spreadsheet_;
  }

  bool StartsCalc() const override { return starts_calc_; }
  void set_starts_calc(bool starts_calc) { starts_calc_ = starts_calc; }

  FakeSpreadsheet& spreadsheet() { return *spreadsheet_; }
  // How many references to the spreadsheet exist beside the factory's own.
  long OutsideReferences() const { return spreadsheet_.use_count() - 1; }

 private:
  std::shared_ptr<FakeSpreadsheet> spreadsheet_;
  bool starts_calc_ = false;
};

}  // namespace fakes
