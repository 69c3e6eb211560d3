// The spreadsheet program on Windows: Excel's automation through IDispatch, driven against an
// object of the test's own registered under a program identifier, LibreOffice found through App
// Paths in a registry key of the test's own, and the start of a program of its own.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/run_time_error.h"
#include "platform/system/path_text.h"
#include "platform/system/program_start.h"
#include "platform/system/spreadsheet_application.h"
#include "tests/support/temp_dir.h"
#include "tests/win32/host_window.h"

// COM objects are released through their interfaces, never deleted through them: the interfaces
// have no virtual destructor by design.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace win32_test {
namespace {

using platform::RunTimeError;
using platform::WideOfUtf8;

constexpr char kTestProgId[] = "Kolvex.TestSheet";
// Where a user registers a class; Wine reads the machine's classes only, so there too.
constexpr wchar_t kUserClassKey[] = L"Software\\Classes\\Kolvex.TestSheet\\CLSID";
constexpr wchar_t kClassesKey[] = L"Kolvex.TestSheet\\CLSID";
constexpr wchar_t kTestAppPaths[] = L"Software\\KolvexTest\\App Paths";
// {6B1C2E8A-4F0D-4C4B-9E55-2A7D4F3B9C01}
constexpr CLSID kTestClass = {
    0x6b1c2e8a, 0x4f0d, 0x4c4b, {0x9e, 0x55, 0x2a, 0x7d, 0x4f, 0x3b, 0x9c, 0x01}};
constexpr wchar_t kTestClassText[] = L"{6B1C2E8A-4F0D-4C4B-9E55-2A7D4F3B9C01}";

// Registered as a program identifier whose class nothing provides, as an uninstalled Office
// leaves Excel's: {6B1C2E8A-4F0D-4C4B-9E55-2A7D4F3B9C02}.
constexpr char kBrokenProgId[] = "Kolvex.BrokenSheet";
constexpr wchar_t kBrokenClassText[] = L"{6B1C2E8A-4F0D-4C4B-9E55-2A7D4F3B9C02}";

// The calls the spreadsheet object received, and how many of its objects are alive. While
// `busy` is above zero, each call is refused as a busy program refuses it and counts it down.
struct SheetLog {
  std::vector<std::string> calls;
  int alive = 0;
  int busy = 0;
  std::vector<LCID> locales;  // of every call
  IMessageFilter* outer_filter = nullptr;
  bool outer_filter_during_call = false;
};

// Whether the thread's COM message filter is `filter`; leaves it in place.
bool FilterIs(IMessageFilter* filter) {
  IMessageFilter* current = nullptr;
  CoRegisterMessageFilter(nullptr, &current);
  IMessageFilter* none = nullptr;
  CoRegisterMessageFilter(current, &none);
  if (current != nullptr) current->Release();
  return current == filter;
}

// A message filter that does nothing, standing for one the program had before the export.
class OuterFilter : public IMessageFilter {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    *object = id == IID_IUnknown || id == IID_IMessageFilter ? this : nullptr;
    return *object != nullptr ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
    return SERVERCALL_ISHANDLED;
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override { return MAXDWORD; }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
    return PENDINGMSG_WAITDEFPROCESS;
  }
};

// A spreadsheet application as Excel's automation shows it, for the members the export uses:
// "Workbooks", "Add" and "Application" give another such object, "Visible" takes a Boolean.
// "Refuse" fails as a program reports a failure; "Count" gives a number.
class FakeSheet : public IDispatch {
 public:
  explicit FakeSheet(SheetLog& log) : log_(log) { ++log_.alive; }
  virtual ~FakeSheet() { --log_.alive; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (id == IID_IUnknown || id == IID_IDispatch) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    log_.locales.push_back(locale);
    if (const HRESULT busy = Busy(); busy != S_OK) return busy;
    const wchar_t* known[] = {L"Workbooks", L"Add",    L"Application",
                              L"Visible",   L"Refuse", L"Count"};
    for (UINT n = 0; n < count; ++n) ids[n] = DISPID_UNKNOWN;
    for (DISPID id = 0; id < 6; ++id) {
      if (_wcsicmp(names[0], known[id]) == 0) {
        ids[0] = id + 1;
        return S_OK;
      }
    }
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID locale, WORD kind, DISPPARAMS* arguments,
                                   VARIANT* result, EXCEPINFO* exception, UINT*) override {
    log_.locales.push_back(locale);
    if (log_.outer_filter != nullptr && FilterIs(log_.outer_filter)) {
      log_.outer_filter_during_call = true;
    }
    if (const HRESULT busy = Busy(); busy != S_OK) return busy;
    if (id >= 1 && id <= 3) {
      log_.calls.push_back(id == 1 ? "Workbooks" : id == 2 ? "Add" : "Application");
      if (result == nullptr || arguments->cArgs != 0) return DISP_E_BADPARAMCOUNT;
      result->vt = VT_DISPATCH;
      result->pdispVal = new FakeSheet(log_);
      result->pdispVal->AddRef();
      return S_OK;
    }
    if (id == 4) {
      if ((kind & DISPATCH_PROPERTYPUT) == 0 || arguments->cArgs != 1 ||
          arguments->cNamedArgs != 1 || arguments->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT ||
          arguments->rgvarg[0].vt != VT_BOOL) {
        return DISP_E_TYPEMISMATCH;
      }
      log_.calls.push_back(arguments->rgvarg[0].boolVal == VARIANT_TRUE ? "Visible True"
                                                                        : "Visible False");
      return S_OK;
    }
    if (id == 5) {
      *exception = {};
      exception->scode = static_cast<SCODE>(0x800A03EC);
      exception->bstrDescription = SysAllocString(L"Workbook nicht erstellt");
      return DISP_E_EXCEPTION;
    }
    result->vt = VT_I4;
    result->lVal = 42;
    return S_OK;
  }

 private:
  HRESULT Busy() {
    if (log_.busy <= 0) return S_OK;
    --log_.busy;
    return log_.busy % 2 == 0 ? RPC_E_CALL_REJECTED : RPC_E_SERVERCALL_RETRYLATER;
  }

  SheetLog& log_;
  ULONG references_ = 0;
};

class SheetClass : public IClassFactory {
 public:
  explicit SheetClass(SheetLog& log) : log_(log) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (id == IID_IUnknown || id == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID id, void** object) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* sheet = new FakeSheet(log_);
    sheet->AddRef();
    const HRESULT result = sheet->QueryInterface(id, object);
    sheet->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  SheetLog& log_;
};

template <typename Statement>
RunTimeError ErrorOf(Statement statement) {
  try {
    statement();
  } catch (const RunTimeError& error) {
    return error;
  }
  return RunTimeError(platform::error::kInternalError, "no error was raised.");
}

// The test sheet registered under kTestProgId for the length of a test, on this thread.
class Automation : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kUserClassKey, nullptr, REG_SZ, kTestClassText,
                              sizeof kTestClassText),
              ERROR_SUCCESS);
    CLSID registered;
    if (FAILED(CLSIDFromProgID(WideOfUtf8(kTestProgId).c_str(), &registered))) {
      ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, kClassesKey, nullptr, REG_SZ, kTestClassText,
                                sizeof kTestClassText),
                ERROR_SUCCESS);
    }
    ASSERT_EQ(CoRegisterClassObject(kTestClass, &sheets_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                    &registration_),
              S_OK);
  }
  void TearDown() override {
    CoRevokeClassObject(registration_);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\Kolvex.BrokenSheet");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Kolvex.BrokenSheet");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\Kolvex.TestSheet");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Kolvex.TestSheet");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\KolvexTest");
    EXPECT_EQ(log_.alive, 0) << "every object is released";
  }

  // Records `path` under `program` in the test's App Paths.
  static void Install(const wchar_t* program, const std::wstring& path) {
    const std::wstring key = std::wstring(kTestAppPaths) + L"\\" + program;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, REG_SZ, path.c_str(),
                              static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }
  // Registers kBrokenProgId, whose class nothing provides.
  static void RegisterBroken() {
    for (const auto& [root, key] :
         {std::pair{HKEY_CURRENT_USER, L"Software\\Classes\\Kolvex.BrokenSheet\\CLSID"},
          std::pair{HKEY_CLASSES_ROOT, L"Kolvex.BrokenSheet\\CLSID"}}) {
      ASSERT_EQ(
          RegSetKeyValueW(root, key, nullptr, REG_SZ, kBrokenClassText, sizeof kBrokenClassText),
          ERROR_SUCCESS);
    }
  }
  static std::wstring ThisProgram() {
    wchar_t path[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    return path;
  }

  SheetLog log_;
  SheetClass sheets_{log_};
  DWORD registration_ = 0;
};

TEST_F(Automation, ExportStepsReachTheObjectThroughItsMemberNames) {
  platform::win32::ComObjectFactory com;
  ASSERT_TRUE(com.Registered(kTestProgId));
  {
    auto excel = com.CreateObject(kTestProgId);
    excel->Call("workbooks")->Call("ADD");
    excel->Call("Workbooks")->Call("Application")->Set("Visible", true);
  }
  EXPECT_EQ(log_.calls, (std::vector<std::string>{"Workbooks", "Add", "Workbooks", "Application",
                                                  "Visible True"}));
}

TEST_F(Automation, FailuresComeBackAsTheObjectReportsThem) {
  platform::win32::ComObjectFactory com;
  auto excel = com.CreateObject(kTestProgId);
  const RunTimeError unknown = ErrorOf([&] { excel->Call("Sheets"); });
  EXPECT_EQ(unknown.number(), 438);
  EXPECT_EQ(unknown.description(), "Object doesn't support this property or method");
  const RunTimeError refused = ErrorOf([&] { excel->Call("Refuse"); });
  EXPECT_EQ(refused.number(), 440);
  EXPECT_EQ(refused.description(), "Automation error: Workbook nicht erstellt (0x800A03EC).");
  const RunTimeError miscalled = ErrorOf([&] { excel->Set("Workbooks", true); });
  EXPECT_EQ(miscalled.number(), 440);
  EXPECT_NE(miscalled.description().find("(0x8002000E)."), std::string::npos)
      << miscalled.description();
  EXPECT_EQ(excel->Call("Count"), nullptr) << "a number is no object";
}

TEST_F(Automation, CallsAreInEnglishAndABusyProgramIsWaitedForWithinItsTime) {
  OuterFilter outer;
  IMessageFilter* before = nullptr;
  ASSERT_EQ(CoRegisterMessageFilter(&outer, &before), S_OK);
  log_.outer_filter = &outer;
  {
    platform::win32::ComObjectFactory com({5, 60000});
    auto excel = com.CreateObject(kTestProgId);
    log_.busy = 7;  // starting up: a few calls refused, then served
    excel->Call("Workbooks")->Call("Add");
    excel->Call("Workbooks")->Call("Application")->Set("Visible", true);
    EXPECT_EQ(log_.busy, 0);
    EXPECT_EQ(log_.calls, (std::vector<std::string>{"Workbooks", "Add", "Workbooks", "Application",
                                                    "Visible True"}));
    EXPECT_FALSE(FilterIs(&outer)) << "the export's own filter while it talks to the program";
  }
  EXPECT_FALSE(log_.outer_filter_during_call);
  EXPECT_TRUE(FilterIs(&outer)) << "the filter before is back";
  for (const LCID locale : log_.locales) EXPECT_EQ(locale, 1033u);

  platform::win32::ComObjectFactory impatient({5, 200});
  auto excel = impatient.CreateObject(kTestProgId);
  log_.busy = 1 << 30;  // a dialog that stays open
  const RunTimeError refused = ErrorOf([&] { excel->Call("Workbooks"); });
  EXPECT_EQ(refused.number(), 440);
  EXPECT_NE(refused.description().find("busy"), std::string::npos) << refused.description();
  log_.busy = 0;
  excel.reset();
  CoRegisterMessageFilter(before, nullptr);
}

TEST_F(Automation, UnregisteredIdentifierCannotBeCreated) {
  platform::win32::ComObjectFactory com;
  EXPECT_FALSE(com.Registered("Kolvex.NoSuchSheet"));
  const RunTimeError error = ErrorOf([&] { com.CreateObject("Kolvex.NoSuchSheet"); });
  EXPECT_EQ(error.number(), 429);
  EXPECT_EQ(error.description(),
            "The spreadsheet program cannot be started: no program is registered as "
            "\"Kolvex.NoSuchSheet\".");
}

using Started = std::vector<std::vector<std::string>>;

struct SpreadsheetCase {
  const char* excel;                      // the identifier looked for as Excel's
  std::vector<const wchar_t*> installed;  // App Paths entries of LibreOffice's programs
  std::vector<std::string> started;       // the arguments after the program's path
  bool by_automation;
};

TEST_F(Automation, ExcelFirstThenLibreOfficeFromAppPathsThenError429NamingBoth) {
  RegisterBroken();
  const std::string self = platform::Utf8OfWide(ThisProgram());
  const SpreadsheetCase cases[] = {
      {kTestProgId, {L"soffice.exe"}, {}, true},
      {"Kolvex.NoSuchSheet", {L"soffice.exe", L"scalc.exe"}, {"--calc"}, false},
      {"Kolvex.NoSuchSheet", {L"scalc.exe"}, {}, false},
      {kBrokenProgId, {L"soffice.exe"}, {"--calc"}, false},
  };
  for (const SpreadsheetCase& c : cases) {
    SCOPED_TRACE(c.excel);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\KolvexTest");
    for (const wchar_t* program : c.installed) Install(program, ThisProgram());
    Started started;
    platform::SpreadsheetApplicationFactory factory(
        {c.excel, kTestAppPaths,
         [&](const std::vector<std::string>& argv) { started.push_back(argv); }});
    EXPECT_EQ(factory.StartsCalc(), !c.by_automation && c.excel != std::string(kBrokenProgId))
        << "a broken Excel shows only when it is started";
    {
      auto excel = factory.CreateObject("Excel.Application");
      excel->Call("Workbooks")->Call("Add");
      excel->Call("Workbooks")->Call("Application")->Set("Visible", true);
    }
    if (c.by_automation) {
      EXPECT_TRUE(started.empty());
      EXPECT_EQ(log_.calls.back(), "Visible True");
    } else {
      std::vector<std::string> expected{self};
      expected.insert(expected.end(), c.started.begin(), c.started.end());
      EXPECT_EQ(started, Started{expected});
    }
    EXPECT_EQ(factory.StartsCalc(), !c.by_automation);
  }
}

TEST_F(Automation, BrokenExcelWithoutLibreOfficeGivesExcelsOwnFailure) {
  RegisterBroken();
  platform::SpreadsheetApplicationFactory factory({kBrokenProgId, kTestAppPaths, {}});
  const RunTimeError error = ErrorOf([&] { factory.CreateObject("excel.application"); });
  EXPECT_EQ(error.number(), 429);
  EXPECT_NE(error.description().find("\"Kolvex.BrokenSheet\" did not start"), std::string::npos)
      << error.description();
}

TEST_F(Automation, NeitherFoundIsError429NamingBothAndOtherIdentifiersAreUnknown) {
  // A path App Paths records for a program since removed does not count.
  Install(L"soffice.exe", L"C:\\nowhere\\soffice.exe");
  platform::SpreadsheetApplicationFactory factory({"Kolvex.NoSuchSheet", kTestAppPaths, {}});
  const RunTimeError none = ErrorOf([&] { factory.CreateObject("excel.application"); });
  EXPECT_EQ(none.number(), 429);
  EXPECT_EQ(none.description(),
            "The spreadsheet program cannot be started: neither Microsoft Excel "
            "(excel.application) nor LibreOffice Calc (soffice.exe or scalc.exe in the registry's "
            "App Paths) is installed. Install one of them; the list is on the clipboard to paste "
            "anywhere.");
  EXPECT_EQ(ErrorOf([&] { factory.CreateObject("word.application"); }).number(), 429);
}

TEST_F(Automation, QuotedAppPathIsTaken) {
  Install(L"scalc.exe", L"\"" + ThisProgram() + L"\"");
  EXPECT_EQ(platform::AppPath(kTestAppPaths, L"scalc.exe"), ThisProgram());
  EXPECT_EQ(platform::AppPath(kTestAppPaths, L"soffice.exe"), L"");
}

TEST(StartProgram, ArgumentsArriveAsGivenAndAMissingProgramIsReported) {
  test_support::TempDir folder;
  const std::filesystem::path record = folder.path() / "arguments.txt";
  const std::vector<std::string> arguments = {"two words", "quote\"inside", "back\\slash\\", "",
                                              "नेपाल"};
  wchar_t self[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
  std::vector<std::string> argv = {platform::Utf8OfWide(self), "--record-arguments",
                                   platform::Utf8Of(record)};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  platform::StartProgram(argv);
  // The program writes the file whole under another name and renames it when done.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!std::filesystem::exists(record) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(std::filesystem::exists(record)) << "the started program never ran";
  std::ifstream in(record, std::ios::binary);
  std::vector<std::string> received;
  for (std::string line; std::getline(in, line);) received.push_back(line);
  EXPECT_EQ(received, arguments);

  const RunTimeError missing = ErrorOf([] { platform::StartProgram({"C:\\nowhere.exe"}); });
  EXPECT_EQ(missing.number(), 429);
  EXPECT_EQ(missing.description().rfind(
                "The spreadsheet program cannot be started: 'C:\\nowhere.exe' did not start: ", 0),
            0u)
      << missing.description();
}

}  // namespace
}  // namespace win32_test
