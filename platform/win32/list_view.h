// The report-style list on a Windows list view that holds no rows itself (a virtual list): the
// rows live in the shown list's MemoryListView and the control asks for the texts of the rows it
// shows, so a hundred thousand items go in without a control item each and show at once. Read back
// exactly as written, in order. Items added go to the control in one step, the next time anything
// (a paint, a question) reaches it, so a load sends it no message per row.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/controls/shown_list.h"
#include "platform/system/windows_api.h"

namespace platform::win32 {

class Win32ListView : public ShownList {
 public:
  // `list` must have been made with LVS_REPORT | LVS_OWNERDATA; whole rows are selected.
  explicit Win32ListView(HWND list);
  ~Win32ListView() override;
  Win32ListView(const Win32ListView&) = delete;
  Win32ListView& operator=(const Win32ListView&) = delete;

  void ClearColumnHeaders() override;
  // Every column is left-aligned, the list's default; the kind only tells the export.
  void AddColumnHeader(const std::string& text, int width_twips, ColumnKind kind) override;
  void ClearItems() override;
  std::size_t AddItem() override;

  // Answers the control's notification to its parent when it is one of the list's (the text of
  // a cell it shows); false for any other.
  bool Notify(const NMHDR& header, LRESULT& result);
  // Sets the column widths again at the window's resolution, after a move to another monitor.
  void Rescale();

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                    UINT_PTR id, DWORD_PTR self);
  // Repaints the item if the control has it and it is in view.
  void ItemChanged(std::size_t item) override;
  // Tells the control how many items there are, if that has changed.
  void SyncCount();

  HWND list_;
  std::size_t shown_count_ = 0;  // the item count the control has
  // The texts handed to the control last, each kept while it asks for two more.
  std::array<std::wstring, 3> shown_;
  std::size_t next_shown_ = 0;
};

}  // namespace platform::win32
