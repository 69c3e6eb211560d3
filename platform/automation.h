// Objects of other programs driven by member names at run time, as the export drives the
// spreadsheet program: create from a program identifier, then read members and set properties.
#pragma once

#include <memory>
#include <string>

namespace platform {

class AutomationObject {
 public:
  virtual ~AutomationObject() = default;
  // Reads the property or calls the method `member` with no arguments and returns its object.
  virtual std::shared_ptr<AutomationObject> Call(const std::string& member) = 0;
  // Sets the Boolean property `member`.
  virtual void Set(const std::string& member, bool value) = 0;
};

class ObjectFactory {
 public:
  virtual ~ObjectFactory() = default;
  // The object registered under `prog_id` (any letter case). Throws RunTimeError 429 when it
  // cannot be created.
  virtual std::shared_ptr<AutomationObject> CreateObject(const std::string& prog_id) = 0;
  // Whether the program the next CreateObject starts is LibreOffice Calc reading the Windows
  // clipboard, which is offered its own forms. On X11 and Wayland each program picks its form.
  virtual bool StartsCalc() const { return false; }
};

}  // namespace platform
