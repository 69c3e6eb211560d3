#include "platform/win32/list_view.h"

#include <algorithm>
#include <cstdint>

#include "platform/run_time_error.h"
#include "platform/system/path_text.h"
#include "platform/win32/twips.h"

namespace platform::win32 {
Win32ListView::Win32ListView(HWND list) : list_(list) {
  ListView_SetExtendedListViewStyleEx(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
                                      LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  SetWindowSubclass(list_, &Win32ListView::Procedure, reinterpret_cast<UINT_PTR>(this),
                    reinterpret_cast<DWORD_PTR>(this));
}

Win32ListView::~Win32ListView() {
  if (IsWindow(list_)) {
    RemoveWindowSubclass(list_, &Win32ListView::Procedure, reinterpret_cast<UINT_PTR>(this));
  }
}

LRESULT CALLBACK Win32ListView::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                          UINT_PTR, DWORD_PTR self) {
  // Nothing here throws: the count is a number handed on.
  reinterpret_cast<Win32ListView*>(self)->SyncCount();
  return DefSubclassProc(window, message, wparam, lparam);
}

void Win32ListView::ClearColumnHeaders() {
  rows_.ClearColumnHeaders();
  while (ListView_DeleteColumn(list_, 0)) {
  }
}

void Win32ListView::AddColumnHeader(const std::string& text, int width_twips, ColumnKind kind) {
  std::wstring wide = WideOfUtf8(text);
  LVCOLUMNW column{};
  // Every column keeps the list's default alignment, left; the kind only tells the export.
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  column.fmt = LVCFMT_LEFT;
  column.pszText = wide.data();
  column.cx = TwipsToPixels(width_twips, DpiOf(list_));
  const auto position = static_cast<int>(rows_.ColumnHeaderCount());
  rows_.AddColumnHeader(text, width_twips, kind);
  ListView_InsertColumn(list_, position, &column);
}

void Win32ListView::ClearItems() {
  rows_.ClearItems();
  SyncCount();
}

std::size_t Win32ListView::AddItem() { return rows_.AddItem(); }

bool Win32ListView::Notify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != list_) return false;
  if (header.code == LVN_ODFINDITEMW) {
    result = -1;  // typing in the list selects nothing
    return true;
  }
  if (header.code != LVN_GETDISPINFOW) return false;
  LVITEMW& cell = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header)).item;
  result = 0;
  if ((cell.mask & LVIF_TEXT) == 0 || cell.iItem < 0 || cell.iSubItem < 0) return true;
  const auto item = static_cast<std::size_t>(cell.iItem);
  const auto column = static_cast<std::size_t>(cell.iSubItem);
  // Windows may read a text handed out until two more have been asked for.
  next_shown_ = (next_shown_ + 1) % shown_.size();
  std::wstring& shown = shown_[next_shown_];
  shown.clear();
  if (item < rows_.ItemCount()) {
    if (column == 0) {
      shown = WideOfUtf8(rows_.ItemText(item));
    } else if (column - 1 < rows_.SubItemCount(item)) {
      shown = WideOfUtf8(rows_.SubItemText(item, column - 1));
    }
  }
  cell.pszText = shown.data();
  return true;
}

void Win32ListView::Rescale() {
  const unsigned dpi = DpiOf(list_);
  for (std::size_t column = 0; column < rows_.ColumnHeaderCount(); ++column) {
    ListView_SetColumnWidth(list_, static_cast<int>(column),
                            TwipsToPixels(rows_.ColumnHeaderWidth(column), dpi));
  }
}

void Win32ListView::ItemChanged(std::size_t item) {
  // An item the control does not have yet is painted when it gets it.
  if (item >= shown_count_) return;
  const auto row = static_cast<int>(item);
  const int top = ListView_GetTopIndex(list_);
  if (row >= top && row <= top + ListView_GetCountPerPage(list_)) {
    ListView_RedrawItems(list_, row, row);
  }
}

void Win32ListView::SyncCount() {
  if (shown_count_ == rows_.ItemCount()) return;
  const bool fewer = rows_.ItemCount() < shown_count_;
  shown_count_ = rows_.ItemCount();
  ListView_SetItemCountEx(list_, static_cast<int>(shown_count_),
                          fewer ? 0 : LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

}  // namespace platform::win32
