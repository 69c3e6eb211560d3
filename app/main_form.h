// The handlers and methods of the window Kolvex, over the platform's interfaces only: the Qt
// window (main_window.h) builds the widgets, wraps them in platform adapters and forwards its
// events here; tests drive the same handlers with fakes. The work itself lives in the libraries:
// the calendar completes dates, data::LoadData fills the list, the exporter hands it on.
#pragma once

#include <string>

#include "platform/automation.h"
#include "platform/clipboard.h"
#include "platform/db/ado.h"
#include "platform/file_dialog.h"
#include "platform/form.h"
#include "platform/list_view.h"
#include "platform/message_box.h"
#include "platform/mouse_pointer.h"

namespace app {

// What the form reaches beside its own window. Everything is owned by the caller and outlives
// the form.
struct FormServices {
  platform::FileDialog& CD;
  platform::MessageBox& message_box;
  platform::MousePointer& screen;
  platform::Clipboard& clipboard;
  platform::ObjectFactory& objects;
  platform::db::Provider& provider;
};

class MainForm {
 public:
  // A width and a height in twips.
  struct Size {
    float width;
    float height;
  };

  // `window` holds the controls ListView1, TxtFile, Label1, CmdBrowse, TxtFrom and TxtTo;
  // `list` is ListView1's columns and items. Throws RunTimeError 730 when a control is missing.
  MainForm(platform::Form& window, platform::ListView& list, FormServices services);

  // Puts today's BS date into both date boxes. Catches nothing: the calendar's error 9 for a
  // day past its table ends the start.
  void Form_Load();
  // Keeps the button at the right edge and the list filling the window. Never throws.
  void Form_Resize();
  // Lets the user pick a table and loads the dates in the boxes from it. Never throws: a failure
  // is shown as "<number>: <description>" with the critical icon.
  void CmdBrowse_Click();
  void TxtFrom_GotFocus();
  void TxtTo_GotFocus();
  // Complete or correct the date in the box. Never throw.
  void TxtFrom_LostFocus();
  void TxtTo_LostFocus();
  // Hands the list to the spreadsheet program. Never throws.
  void MnuExcel_Click();
  // Hand the member summary, or the day sheet, of the listed records to the spreadsheet program
  // as MnuExcel_Click hands the list. Never throw.
  void MnuMemberSummary_Click();
  void MnuDaySummary_Click();

  // The smallest inner area, in twips, at which the layout still holds: the button stays clear
  // of the second date box by the gap between the two boxes, and the list keeps at least a date
  // box's height. The window keeps its inner area at least this large; Form_Resize itself sets
  // no limit.
  Size MinimumInnerSize() const;

  // Selects the whole text of the control of `Frm` named as `Ctl`, looked up for every access.
  // Catches nothing.
  void SelectAll(platform::Form& Frm, platform::Control& Ctl);
  // Fills the list from the table TRAN of `StrFile` for the days from `DFrom` to `dTo`. Catches
  // nothing; see data::LoadData.
  void LoadData(std::string StrFile, std::string DFrom, std::string dTo);
  // Opens the spreadsheet program for the paste. Catches nothing.
  void PasteData();

 private:
  platform::Form& window_;
  platform::ListView& list_;
  FormServices services_;

  platform::Control& ListView1;
  platform::Control& TxtFile;
  platform::Control& CmdBrowse;
  platform::Control& TxtFrom;
  platform::Control& TxtTo;
};

}  // namespace app
