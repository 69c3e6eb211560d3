#include "export/paste_data.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
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
                    platform::MessageBox& message_box, const std::function<void()>& paste_data,
                    bool for_calc) {
  try {
    std::string text = BuildExportText(list);
    std::vector<platform::ClipboardForm> forms;
    try {
      forms = ClipboardForms(list.Snapshot(), for_calc);
    } catch (...) {
      // The typed forms are a convenience beside the text: without them a paste takes the text.
      forms.clear();
    }
    clipboard.Clear();
    clipboard.SetText(std::move(text), std::move(forms));
    paste_data();
  } catch (...) {
    ReportCurrentError(message_box);
  }
}

void MnuExcel_Click(const platform::ListView& list, platform::Clipboard& clipboard,
                    platform::ObjectFactory& objects, platform::MessageBox& message_box) {
  MnuExcel_Click(
      list, clipboard, message_box, [&] { PasteData(objects, message_box); }, objects.StartsCalc());
}

void TableToExcel(const std::function<platform::MemoryListView()>& make,
                  platform::Clipboard& clipboard, platform::ObjectFactory& objects,
                  platform::MessageBox& message_box) {
  std::optional<platform::MemoryListView> table;
  try {
    table = make();
  } catch (...) {
    ReportCurrentError(message_box);
    return;
  }
  MnuExcel_Click(*table, clipboard, objects, message_box);
}

void PasteData(platform::ObjectFactory& objects, platform::MessageBox& message_box) {
  std::shared_ptr<platform::AutomationObject> excel = Checked(objects.CreateObject(kProgId));
  Member(*Member(*excel, "Workbooks"), "Add");
  message_box.Show(kPasteInstruction, platform::MessageIcon::kInformation);
  Member(*Member(*excel, "Workbooks"), "Application")->Set("Visible", true);
}

}  // namespace exporter
