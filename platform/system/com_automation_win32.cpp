#include "platform/system/com_automation.h"

#include <cstdio>
#include <string>
#include <utility>

#include "platform/run_time_error.h"
#include "platform/system/launched_application.h"
#include "platform/system/path_text.h"
#include "platform/system/system_message.h"

namespace platform::win32 {
namespace {

RunTimeError CannotCreate(const std::string& reason) {
  return RunTimeError(error::kCannotCreateObject, reason);
}

RunTimeError NotSupported() { return RunTimeError(error::kObjectDoesNotSupport); }

std::string HresultText(HRESULT result) {
  return SystemErrorText(static_cast<std::uint32_t>(result));
}

// "0x800A03EC", the form Microsoft's pages give a failure code in.
std::string HresultCode(HRESULT result) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  return code;
}

// Automation members are English whatever the user's language, as in VBA: an English Excel asked
// in the user's locale may not know them.
constexpr LCID kEnglish = 1033;

bool Busy(HRESULT result) {
  return result == RPC_E_CALL_REJECTED || result == RPC_E_SERVERCALL_RETRYLATER;
}

// The thread's message filter for as long as the export talks to the program: calls the program
// rejects because it is busy (starting up, showing a dialog, a cell being edited) are tried
// again every `every` until `most` has passed since the first. The filter the thread had before
// is put back when the last object goes.
// COM interfaces have no virtual destructor by design: the filter is never deleted through one.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class BusyFilter : public IMessageFilter {
 public:
  explicit BusyFilter(CallPatience patience) : patience_(patience) {
    registered_ = SUCCEEDED(CoRegisterMessageFilter(this, &previous_));
  }
  ~BusyFilter() {
    if (!registered_) return;
    IMessageFilter* ours = nullptr;
    CoRegisterMessageFilter(previous_, &ours);
    if (previous_ != nullptr) previous_->Release();
    if (ours != nullptr) ours->Release();
  }
  BusyFilter(const BusyFilter&) = delete;
  BusyFilter& operator=(const BusyFilter&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (id == IID_IUnknown || id == IID_IMessageFilter) {
      *object = static_cast<IMessageFilter*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // Owned by the objects that share it; COM's references do not keep it.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
    return SERVERCALL_ISHANDLED;
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsed, DWORD rejection) override {
    if (rejection != SERVERCALL_RETRYLATER && rejection != SERVERCALL_REJECTED) return MAXDWORD;
    return elapsed < patience_.most_ms ? patience_.every_ms : MAXDWORD;
  }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
    return PENDINGMSG_WAITDEFPROCESS;
  }

 private:
  CallPatience patience_;
  IMessageFilter* previous_ = nullptr;
  bool registered_ = false;
};
#pragma GCC diagnostic pop

// A reference to a COM object, released when it goes.
class Dispatch {
 public:
  explicit Dispatch(IDispatch* object) : object_(object) {}
  ~Dispatch() {
    if (object_ != nullptr) object_->Release();
  }
  Dispatch(const Dispatch&) = delete;
  Dispatch& operator=(const Dispatch&) = delete;
  IDispatch* operator->() const { return object_; }

 private:
  IDispatch* object_;
};

// What the object reports for a failed member: its own number and description when it gives
// them, else the failure's code and the system's text for it.
RunTimeError InvokeFailure(HRESULT result, EXCEPINFO& exception) {
  if (result == DISP_E_MEMBERNOTFOUND || result == DISP_E_UNKNOWNNAME) return NotSupported();
  if (result != DISP_E_EXCEPTION) {
    return RunTimeError(error::kAutomationError,
                        HresultText(result) + " (" + HresultCode(result) + ").");
  }
  if (exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
  const HRESULT code = exception.scode != 0 ? exception.scode : MAKE_HRESULT(1, 4, exception.wCode);
  std::string description = exception.bstrDescription != nullptr
                                ? Utf8OfWide(exception.bstrDescription)
                                : HresultText(code);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  return RunTimeError(error::kAutomationError, description + " (" + HresultCode(code) + ").");
}

class DispatchObject : public AutomationObject {
 public:
  DispatchObject(IDispatch* object, std::shared_ptr<BusyFilter> filter, CallPatience patience)
      : object_(object), filter_(std::move(filter)), patience_(patience) {}

  std::shared_ptr<AutomationObject> Call(const std::string& member) override {
    VARIANT result;
    VariantInit(&result);
    DISPPARAMS no_arguments{};
    Invoke(member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, no_arguments, &result);
    if (result.vt == VT_DISPATCH && result.pdispVal != nullptr) {
      // The reference the result holds becomes the new object's.
      return std::make_shared<DispatchObject>(result.pdispVal, filter_, patience_);
    }
    VariantClear(&result);
    return nullptr;
  }

  void Set(const std::string& member, bool value) override {
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_BOOL;
    argument.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS arguments{&argument, &named, 1, 1};
    // Windows lets a program come to the front only when the one in front allows it: Excel,
    // started by COM rather than by us, would open behind this window, and the user would
    // paste into ours.
    const bool shown = value && SameName(member, "Visible");
    if (shown) AllowSetForegroundWindow(ASFW_ANY);
    Invoke(member, DISPATCH_PROPERTYPUT, arguments, nullptr);
    if (shown) BringToFront();
  }

 private:
  // Puts the program's window in front of ours, when it names its window as Excel does.
  void BringToFront() {
    VARIANT handle;
    VariantInit(&handle);
    DISPPARAMS no_arguments{};
    try {
      Invoke("Hwnd", DISPATCH_PROPERTYGET, no_arguments, &handle);
    } catch (const RunTimeError&) {
      return;  // a program that does not say: it comes to the front itself, or stays
    }
    if (SUCCEEDED(VariantChangeType(&handle, &handle, 0, VT_I4))) {
      SetForegroundWindow(static_cast<HWND>(LongToHandle(handle.lVal)));
    }
    VariantClear(&handle);
  }

  void Invoke(const std::string& member, WORD kind, DISPPARAMS& arguments, VARIANT* result) {
    std::wstring name = WideOfUtf8(member);
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    const ULONGLONG start = GetTickCount64();
    HRESULT found = S_OK;
    while (Busy(found = object_->GetIDsOfNames(IID_NULL, names, 1, kEnglish, &id)) && Wait(start)) {
    }
    if (FAILED(found)) {
      EXCEPINFO none{};
      throw Failure(found, none);
    }
    for (;;) {
      EXCEPINFO exception{};
      UINT argument_error = 0;
      const HRESULT done = object_->Invoke(id, IID_NULL, kEnglish, kind, &arguments, result,
                                           &exception, &argument_error);
      if (Busy(done) && Wait(start)) continue;
      if (FAILED(done)) throw Failure(done, exception);
      return;
    }
  }

  // A busy program's rejection is answered by COM's filter on a call to another process; an
  // object that rejects a call itself is waited for here, within the same time from the first
  // attempt. False when that time is over.
  bool Wait(ULONGLONG start) const {
    if (GetTickCount64() - start >= patience_.most_ms) return false;
    Sleep(patience_.every_ms);
    return true;
  }

  RunTimeError Failure(HRESULT result, EXCEPINFO& exception) const {
    if (!Busy(result)) return InvokeFailure(result, exception);
    return RunTimeError(error::kAutomationError,
                        "the spreadsheet program stayed busy and refused the call for " +
                            std::to_string(patience_.most_ms / 1000) +
                            " seconds; close any dialog it shows, finish editing its cell and "
                            "export again (" +
                            HresultCode(result) + ").");
  }

  Dispatch object_;
  std::shared_ptr<BusyFilter> filter_;
  CallPatience patience_;
};

}  // namespace

ComObjectFactory::ComObjectFactory(CallPatience patience)
    : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))),
      patience_(patience) {}

ComObjectFactory::~ComObjectFactory() {
  if (initialised_) CoUninitialize();
}

bool ComObjectFactory::Registered(const std::string& prog_id) const {
  CLSID id;
  return SUCCEEDED(CLSIDFromProgID(WideOfUtf8(prog_id).c_str(), &id));
}

std::shared_ptr<AutomationObject> ComObjectFactory::CreateObject(const std::string& prog_id) {
  CLSID id;
  if (FAILED(CLSIDFromProgID(WideOfUtf8(prog_id).c_str(), &id))) {
    throw CannotCreate("no program is registered as \"" + prog_id + "\".");
  }
  auto filter = std::make_shared<BusyFilter>(patience_);
  IDispatch* object = nullptr;
  const HRESULT created = CoCreateInstance(id, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER,
                                           IID_IDispatch, reinterpret_cast<void**>(&object));
  if (FAILED(created) || object == nullptr) {
    throw CannotCreate("\"" + prog_id + "\" did not start: " + HresultText(created) + " (" +
                       HresultCode(created) + ").");
  }
  return std::make_shared<DispatchObject>(object, std::move(filter), patience_);
}

}  // namespace platform::win32
