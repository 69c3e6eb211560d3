#include "export/paste_data.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "export/clipboard_flavours.h"
#include "export/export_text.h"
#include "platform/current_error.h"
#include "platform/run_time_error.h"

namespace exporter {
namespace {

constexpr char kProgId[] = "excel.application";
constexpr char kPasteInstruction[] = "Press [CTRL+V] key to paste the data.";

// An application that hands back no object fails the step instead of crashing the program.
std::shared_ptr<platform::AutomationObject> Checked(
    std::shared_ptr<platform::AutomationObject> object) {
  if (!object) {
    throw platform::RunTimeError::WithAdvice(platform::error::kObjectNotSet,
                                             "The spreadsheet program handed back nothing.");
  }
  return object;
}

std::shared_ptr<platform::AutomationObject> Member(platform::AutomationObject& object,
                                                   const std::string& member) {
  return Checked(object.Call(member));
}

// The failure path of the command: one message box with the number and the description of the
// error being handled. Builds the prompt inside its guard, since it also runs when memory has run
// out.
void ReportCurrentError(platform::MessageBox& message_box) noexcept {
  try {
    message_box.Show(platform::CurrentError().Prompt(), platform::MessageIcon::kCritical);
  } catch (...) {
    // The message box itself failed: nothing is left to tell the user with.
  }
}

}  // namespace

void MnuExcel_Click(const platform::ListView& list, platform::Clipboard& clipboard,
                    platform::ObjectFactory& objects, platform::MessageBox& message_box) {
  try {
    // Built whole before the clipboard is touched, so a failure while reading the list leaves
    // the clipboard as it was.
    std::string text = BuildExportText(list);
    std::vector<platform::ClipboardFlavour> flavours = BuildClipboardFlavours(list);
    clipboard.Clear();
    clipboard.SetText(text, flavours);
    std::string().swap(text);
    std::vector<platform::ClipboardFlavour>().swap(flavours);
    PasteData(objects, message_box);
  } catch (...) {
    ReportCurrentError(message_box);
  }
}

void PasteData(platform::ObjectFactory& objects, platform::MessageBox& message_box) {
  std::shared_ptr<platform::AutomationObject> excel = Checked(objects.CreateObject(kProgId));
  Member(*Member(*excel, "Workbooks"), "Add");
  message_box.Show(kPasteInstruction, platform::MessageIcon::kInformation);
  Member(*Member(*excel, "Workbooks"), "Application")->Set("Visible", true);
}

}  // namespace exporter
