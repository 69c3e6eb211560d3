#include "platform/system/launched_application.h"

#include <algorithm>
#include <utility>

#include "platform/run_time_error.h"

namespace platform {
namespace {

RunTimeError NotSupported() { return RunTimeError(error::kObjectDoesNotSupport); }

// What the application's objects share: the program found at creation and whether it runs.
struct Session {
  std::vector<std::string> new_workbook_command;
  ProgramStarter start;
  bool workbook_added = false;
  bool visible = false;

  void AddWorkbook() {
    // Once the program is up, each new workbook is a new window of it.
    if (visible) {
      start(new_workbook_command);
    } else {
      workbook_added = true;
    }
  }

  void SetVisible(bool value) {
    // A program once shown belongs to the user: it is not hidden again.
    if (!value || visible) return;
    if (workbook_added) {
      start(new_workbook_command);
    } else {
      start({new_workbook_command.front()});
    }
    visible = true;
    workbook_added = false;
  }
};

// An object of the application: shares its session and has no properties to set unless it says
// otherwise.
class SessionObject : public AutomationObject {
 public:
  explicit SessionObject(std::shared_ptr<Session> session) : session_(std::move(session)) {}
  void Set(const std::string&, bool) override { throw NotSupported(); }

 protected:
  Session& session() { return *session_; }
  // A new object of type `T` over the same session.
  template <typename T>
  std::shared_ptr<AutomationObject> Make() {
    return std::make_shared<T>(session_);
  }

 private:
  std::shared_ptr<Session> session_;
};

class Application : public SessionObject {
 public:
  using SessionObject::SessionObject;
  std::shared_ptr<AutomationObject> Call(const std::string& member) override;
  void Set(const std::string& member, bool value) override {
    if (!SameName(member, "Visible")) throw NotSupported();
    session().SetVisible(value);
  }
};

// A workbook answers only for its application; the export never reaches into it.
class Workbook : public SessionObject {
 public:
  using SessionObject::SessionObject;
  std::shared_ptr<AutomationObject> Call(const std::string& member) override {
    if (SameName(member, "Application")) return Make<Application>();
    throw NotSupported();
  }
};

class Workbooks : public SessionObject {
 public:
  using SessionObject::SessionObject;
  std::shared_ptr<AutomationObject> Call(const std::string& member) override {
    if (SameName(member, "Add")) {
      session().AddWorkbook();
      return Make<Workbook>();
    }
    if (SameName(member, "Application")) return Make<Application>();
    throw NotSupported();
  }
};

std::shared_ptr<AutomationObject> Application::Call(const std::string& member) {
  if (SameName(member, "Workbooks")) return Make<Workbooks>();
  if (SameName(member, "Application")) return Make<Application>();
  throw NotSupported();
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](char x, char y) { return lower(x) == lower(y); });
}

std::shared_ptr<AutomationObject> LaunchedApplication(std::vector<std::string> new_workbook_command,
                                                      ProgramStarter start) {
  auto session = std::make_shared<Session>();
  session->new_workbook_command = std::move(new_workbook_command);
  session->start = std::move(start);
  return std::make_shared<Application>(std::move(session));
}

}  // namespace platform
