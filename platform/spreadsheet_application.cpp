#include "platform/spreadsheet_application.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/detached_process.h"
#include "platform/run_time_error.h"

namespace platform {
namespace {

constexpr char kProgId[] = "excel.application";

bool SameName(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](char x, char y) { return lower(x) == lower(y); });
}

RunTimeError NotSupported() { return RunTimeError(error::kObjectDoesNotSupport); }

// "localc, soffice, libreoffice and gnumeric"
std::string ProgramNames() {
  const std::vector<SpreadsheetProgram>& programs = SpreadsheetPrograms();
  std::string names;
  for (std::size_t i = 0; i < programs.size(); ++i) {
    if (i > 0) names += i + 1 == programs.size() ? " and " : ", ";
    names += programs[i].name;
  }
  return names;
}

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

const std::vector<SpreadsheetProgram>& SpreadsheetPrograms() {
  // localc is LibreOffice's own wrapper for "soffice --calc"; Gnumeric opens an empty workbook
  // when started without a file.
  static const std::vector<SpreadsheetProgram> programs = {
      {"localc", {}},
      {"soffice", {"--calc"}},
      {"libreoffice", {"--calc"}},
      {"gnumeric", {}},
  };
  return programs;
}

SpreadsheetApplicationFactory::SpreadsheetApplicationFactory() : start_(StartDetached) {}

SpreadsheetApplicationFactory::SpreadsheetApplicationFactory(std::string search_path,
                                                             ProgramStarter start)
    : search_path_(std::move(search_path)),
      start_(start ? std::move(start) : ProgramStarter(StartDetached)) {}

std::shared_ptr<AutomationObject> SpreadsheetApplicationFactory::CreateObject(
    const std::string& prog_id) {
  if (!SameName(prog_id, kProgId)) {
    throw RunTimeError(error::kCannotCreateObject,
                       "no program is known by the name \"" + prog_id + "\".");
  }
  std::string search_path = search_path_ ? *search_path_ : ProgramSearchPath();
  for (const SpreadsheetProgram& program : SpreadsheetPrograms()) {
    std::string path = FindProgram(program.name, search_path);
    if (path.empty()) continue;
    auto session = std::make_shared<Session>();
    session->new_workbook_command.push_back(std::move(path));
    session->new_workbook_command.insert(session->new_workbook_command.end(),
                                         program.new_workbook_args.begin(),
                                         program.new_workbook_args.end());
    session->start = start_;
    return std::make_shared<Application>(std::move(session));
  }
  throw RunTimeError(error::kCannotCreateObject,
                     "none was found on the PATH (looked for " + ProgramNames() +
                         "). Install LibreOffice Calc or Gnumeric; the list is on the clipboard "
                         "to paste anywhere.");
}

}  // namespace platform
