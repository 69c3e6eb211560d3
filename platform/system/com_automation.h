// Objects of other programs through COM automation, on Windows: the object is created from its
// program identifier and its members are called by name at run time through IDispatch. Excel is
// driven this way (platform/system/spreadsheet_application.h).
#pragma once

#include <memory>
#include <string>

#include "platform/automation.h"
#include "platform/system/windows_api.h"

namespace platform::win32 {

// How often a call the program rejects as busy is tried again, and for how long.
struct CallPatience {
  DWORD every_ms = 250;
  DWORD most_ms = 30000;
};

// Objects created from program identifiers through COM, on this thread's apartment.
class ComObjectFactory : public ObjectFactory {
 public:
  explicit ComObjectFactory(CallPatience patience = {});
  ~ComObjectFactory() override;
  ComObjectFactory(const ComObjectFactory&) = delete;
  ComObjectFactory& operator=(const ComObjectFactory&) = delete;

  // Whether a class is registered under `prog_id`.
  bool Registered(const std::string& prog_id) const;
  // The object's members are called through IDispatch by their English names (locale 1033): an
  // unknown member throws RunTimeError 438; a member that fails throws the number and
  // description the object reports, or the failure's own code and the system's text for it. A
  // call the program rejects as busy is tried again for the patience's time, then throws 440
  // saying so. While any of the object's objects lives, the thread's COM message filter is one
  // that does the same for calls to other processes; the one before is put back after. Setting
  // "Visible" to True lets the program come to the front. Throws RunTimeError 429 when no class
  // is registered under `prog_id` or its object cannot be created.
  std::shared_ptr<AutomationObject> CreateObject(const std::string& prog_id) override;

 private:
  bool initialised_;
  CallPatience patience_;
};

}  // namespace platform::win32
