#include "platform/win32/dialogs.h"

#include <atomic>
#include <filesystem>
#include <optional>

#include "platform/current_error.h"
#include "platform/form.h"
#include "platform/run_time_error.h"
#include "platform/system/path_text.h"

namespace platform::win32 {
namespace {

// Longer than any path Windows takes, so no choice is ever cut short.
constexpr std::size_t kFileNameSize = 32768;

std::atomic<HCURSOR> pointer_override{nullptr};

std::optional<LPCWSTR> ShapeOf(int pointer) {
  switch (pointer) {
    case 1:
      return IDC_ARROW;
    case 2:
      return IDC_CROSS;
    case 3:
      return IDC_IBEAM;
    case kPointerHourglass:
      return IDC_WAIT;
    case 13:
      return IDC_APPSTARTING;
    default:
      return std::nullopt;
  }
}

// Brings back each window's own pointer at once, not with the next move of the mouse.
void ShowWindowsOwnPointer() {
  POINT at{};
  if (!GetCursorPos(&at)) return;
  HWND under = WindowFromPoint(at);
  if (under == nullptr || GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId()) {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    return;
  }
  const auto hit = static_cast<WORD>(
      SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(static_cast<SHORT>(at.x), at.y)));
  SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
}

}  // namespace

std::wstring Win32Filter(const std::vector<FileType>& types) {
  std::wstring filter;
  for (const FileType& type : types) {
    filter += WideOfUtf8(type.description);
    filter += L'\0';
    for (std::size_t i = 0; i < type.patterns.size(); ++i) {
      if (i > 0) filter += L';';
      filter += WideOfUtf8(type.patterns[i]);
    }
    filter += L'\0';
  }
  filter += L'\0';
  return filter;
}

namespace {

// Shows the Open or the Save dialog: true for a choice, false for a cancel.
bool ShowFileDialog(BOOL(WINAPI* show)(OPENFILENAMEW*), const char* title, OPENFILENAMEW& dialog) {
  if (show(&dialog)) return true;
  const DWORD failure = CommDlgExtendedError();
  if (failure != 0) {
    throw RunTimeError(error::kDialogFailure, std::string("the ") + title +
                                                  " dialog failed with common dialog error " +
                                                  std::to_string(failure) + ".");
  }
  return false;
}

OPENFILENAMEW FileDialogOf(HWND owner, const std::wstring& filter, std::wstring& chosen,
                           const std::wstring& folder) {
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.size() > 1 ? filter.c_str() : nullptr;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = chosen.data();
  dialog.nMaxFile = static_cast<DWORD>(chosen.size());
  dialog.lpstrInitialDir = folder.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                 OFN_ENABLESIZING | OFN_DONTADDTORECENT;
  return dialog;
}

}  // namespace

void Win32FileDialog::ShowOpen() {
  const std::wstring filter = Win32Filter(ParseFilter(filter_));
  const std::wstring folder = file_name_.empty() ? std::filesystem::current_path().native()
                                                 : PathFromUtf8(file_name_).parent_path().native();
  std::wstring chosen(kFileNameSize, L'\0');
  OPENFILENAMEW dialog = FileDialogOf(owner_, filter, chosen, folder);
  dialog.Flags |= OFN_FILEMUSTEXIST;
  // A cancel keeps the last choice.
  if (!ShowFileDialog(&GetOpenFileNameW, "Open", dialog)) return;
  chosen.resize(wcsnlen(chosen.c_str(), chosen.size()));
  file_name_ = Utf8OfWide(chosen);
}

std::optional<std::string> Win32SaveDialog::ShowSave(const std::string& filter,
                                                     const std::string& suggested) {
  const std::vector<FileType> types = ParseFilter(filter);
  const std::filesystem::path suggested_path = PathFromUtf8(suggested);
  std::error_code unknown;
  const std::wstring folder = suggested_path.has_parent_path()
                                  ? suggested_path.parent_path().native()
                                  : std::filesystem::current_path(unknown).native();
  std::wstring chosen = suggested_path.filename().native();
  chosen.resize(kFileNameSize, L'\0');
  // The extension Windows adds to a name typed without one: the first pattern's.
  std::wstring extension;
  if (!types.empty() && !types[0].patterns.empty() && types[0].patterns[0].rfind("*.", 0) == 0) {
    extension = WideOfUtf8(types[0].patterns[0].substr(2));
  }
  const std::wstring windows_filter = Win32Filter(types);
  OPENFILENAMEW dialog = FileDialogOf(owner_, windows_filter, chosen, folder);
  dialog.Flags |= OFN_OVERWRITEPROMPT;
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  if (!ShowFileDialog(&GetSaveFileNameW, "Save", dialog)) return std::nullopt;
  chosen.resize(wcsnlen(chosen.c_str(), chosen.size()));
  return Utf8OfWide(chosen);
}

void Win32MessageBox::Show(const std::string& prompt, MessageIcon icon) {
  const UINT style = MB_OK | (icon == MessageIcon::kCritical ? MB_ICONERROR : MB_ICONINFORMATION);
  if (::MessageBoxW(owner_, WideOfUtf8(prompt).c_str(), WideOfUtf8(title_).c_str(), style) == 0) {
    throw RunTimeError(error::kOutOfMemory);
  }
}

Win32MousePointer::~Win32MousePointer() {
  if (pointer_ != kPointerDefault) {
    pointer_override = nullptr;
    ShowWindowsOwnPointer();
  }
}

void Win32MousePointer::SetPointer(int pointer) {
  if (pointer == kPointerDefault) {
    pointer_override = nullptr;
    ShowWindowsOwnPointer();
  } else {
    const std::optional<LPCWSTR> shape = ShapeOf(pointer);
    if (!shape) throw RunTimeError(error::kInvalidPropertyValue);
    HCURSOR cursor = LoadCursorW(nullptr, *shape);
    pointer_override = cursor;
    SetCursor(cursor);
  }
  pointer_ = pointer;
}

HCURSOR PointerOverride() { return pointer_override; }

}  // namespace platform::win32
