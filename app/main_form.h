// The handlers and methods of the window Kolvex, over the platform's interfaces only: each
// window system's window (app/qt, app/win32) builds the controls, wraps them in platform adapters
// and forwards its events here; tests drive the same handlers with fakes. The work itself lives in
// the libraries: the calendar completes dates, data::LoadData fills the list, the exporter hands it
// on.
#pragma once

#include <optional>
#include <string>

#include "data/list_status.h"
#include "data/load_data.h"
#include "platform/automation.h"
#include "platform/clipboard.h"
#include "platform/db/provider.h"
#include "platform/file_dialog.h"
#include "platform/form.h"
#include "platform/list_view.h"
#include "platform/message_box.h"
#include "platform/mouse_pointer.h"
#include "platform/status_line.h"

namespace app {

// What the form reaches beside its own window. Everything is owned by the caller and outlives
// the form.
struct FormServices {
  platform::FileDialog& CD;
  platform::MessageBox& message_box;
  // The application-wide mouse pointer.
  platform::MousePointer& pointer;
  platform::Clipboard& clipboard;
  // Makes the spreadsheet program the export opens.
  platform::ObjectFactory& spreadsheet;
  platform::db::Provider& provider;
  // The window's status line, which says what the list holds; none: said nowhere.
  platform::StatusLine* status_line = nullptr;
};

class MainForm {
 public:
  // `window` holds the controls ListView1, TxtFile, Label1, CmdBrowse, TxtFrom and TxtTo;
  // `list` is ListView1's columns and items. Throws RunTimeError 730 when a control is missing.
  MainForm(platform::Form& window, platform::ListView& list, FormServices services);

  // Puts today's BS date into both date boxes. Catches nothing: the calendar's error 9 for a
  // day past its table ends the start.
  void Form_Load();
  // Keeps the button at the right edge and the list filling the window. Never throws.
  void Form_Resize();
  // Lets the user pick a table and loads the dates in the boxes from it; a cancelled dialog keeps
  // its last file, which is loaded again. The only way to start a load. Never throws: a failure
  // is shown as "<number>: <description>" with the critical icon, and the status line says what
  // the list holds then (after the error's advice, when it has some).
  void CmdBrowse_Click();
  void TxtFrom_GotFocus();
  void TxtTo_GotFocus();
  // Complete or correct the date in the box. Never throw.
  void TxtFrom_LostFocus();
  void TxtTo_LostFocus();
  // Puts the list on the clipboard as text, made whole first, then calls PasteData. Never throws:
  // a failure is shown as "<number>: <description>" with the critical icon.
  void MnuExcel_Click();

  // Selects the whole text of the control of `Frm` named as `Ctl`, looked up for every access.
  // Catches nothing.
  void SelectAll(platform::Form& Frm, platform::Control& Ctl);
  // Fills the list from the table TRAN of `StrFile` for the days from `DFrom` to `dTo`. Catches
  // nothing; see data::LoadData.
  void LoadData(std::string StrFile, std::string DFrom, std::string dTo);
  // Opens the spreadsheet program for the paste. Catches nothing.
  void PasteData();

 private:
  // The Open dialog's file into the path box and, when there is one, a load from it under the
  // busy pointer. Catches nothing.
  void LoadChosenTable();
  // The failure path of a load: the status line, then the message. Call inside a catch block;
  // throws only what the message box throws.
  void ReportLoadFailure();
  void ShowStatus(const std::string& text);

  platform::Form& window_;
  platform::ListView& list_;
  FormServices services_;

  platform::Control& ListView1;
  platform::Control& TxtFile;
  platform::Control& CmdBrowse;
  platform::Control& TxtFrom;
  platform::Control& TxtTo;

  // What the list holds, from the last load that replaced it; none before the first.
  std::optional<data::ListContent> content_;
  // The load under way: its table and range, and how far it got.
  data::ListContent loading_;
  data::LoadProgress progress_;
};

}  // namespace app
