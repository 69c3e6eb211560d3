#include "platform/win32/clipboard.h"

#include <climits>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/current_error.h"
#include "platform/run_time_error.h"
#include "platform/system/path_text.h"

namespace platform::win32 {
namespace {

constexpr int kOpenAttempts = 20;
constexpr DWORD kOpenPause = 25;  // ms

// Opens the clipboard for the scope. Another program may hold it for a moment (clipboard
// viewers and managers read each change), so the opening is tried for up to half a second.
class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND owner) {
    for (int attempt = 0; attempt < kOpenAttempts && !open_; ++attempt) {
      if (attempt > 0) Sleep(kOpenPause);
      open_ = OpenClipboard(owner) != FALSE;
    }
  }
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;

  bool open() const { return open_; }
  // Throws 521 unless the clipboard is open.
  void Check() const {
    if (!open_) throw RunTimeError(error::kCannotOpenClipboard);
  }

 private:
  bool open_ = false;
};

// A moveable block of global memory, freed unless released to the clipboard.
class GlobalMemory {
 public:
  explicit GlobalMemory(std::size_t size) : memory_(GlobalAlloc(GMEM_MOVEABLE, size)) {
    if (memory_ == nullptr) throw RunTimeError(error::kOutOfMemory);
  }
  ~GlobalMemory() {
    if (memory_ != nullptr) GlobalFree(memory_);
  }
  GlobalMemory(GlobalMemory&& other) noexcept : memory_(std::exchange(other.memory_, nullptr)) {}
  GlobalMemory& operator=(GlobalMemory&&) = delete;
  GlobalMemory(const GlobalMemory&) = delete;
  GlobalMemory& operator=(const GlobalMemory&) = delete;

  HGLOBAL get() const { return memory_; }
  void release() { memory_ = nullptr; }

 private:
  HGLOBAL memory_;
};

// The memory's bytes, locked for the scope.
class LockedMemory {
 public:
  explicit LockedMemory(const GlobalMemory& memory)
      : memory_(memory.get()), bytes_(GlobalLock(memory_)) {
    if (bytes_ == nullptr) throw RunTimeError(error::kOutOfMemory);
  }
  ~LockedMemory() { GlobalUnlock(memory_); }
  LockedMemory(const LockedMemory&) = delete;
  LockedMemory& operator=(const LockedMemory&) = delete;

  void* get() const { return bytes_; }

 private:
  HGLOBAL memory_;
  void* bytes_;
};

std::string Make(const ClipboardRenderer& render) {
  std::string bytes;
  render(Gathering(bytes));
  return bytes;
}

// The text as Unicode text ending in a NUL: bytes that are not UTF-8 become U+FFFD, as does a
// NUL of the text, which would end it for every program that reads it.
GlobalMemory UnicodeText(std::string_view text) {
  const bool fits = text.size() <= static_cast<std::size_t>(INT_MAX);
  const int size = fits ? static_cast<int>(text.size()) : 0;
  const int wide_size =
      size == 0 ? 0 : MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  GlobalMemory memory((static_cast<std::size_t>(wide_size) + 1) * sizeof(wchar_t));
  const LockedMemory locked(memory);
  auto* wide = static_cast<wchar_t*>(locked.get());
  if (wide_size > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide, wide_size);
  for (int i = 0; i < wide_size; ++i) {
    if (wide[i] == L'\0') wide[i] = 0xFFFD;
  }
  wide[wide_size] = L'\0';
  return memory;
}

// The bytes with a NUL after them.
GlobalMemory Bytes(std::string_view bytes) {
  GlobalMemory memory(bytes.size() + 1);
  const LockedMemory locked(memory);
  std::memcpy(locked.get(), bytes.data(), bytes.size());
  static_cast<char*>(locked.get())[bytes.size()] = '\0';
  return memory;
}

}  // namespace

Win32Clipboard::Win32Clipboard()
    : owner_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), nullptr)) {
  if (owner_ != nullptr) {
    SetWindowSubclass(owner_, &Win32Clipboard::Procedure, reinterpret_cast<UINT_PTR>(this),
                      reinterpret_cast<DWORD_PTR>(this));
  }
}

Win32Clipboard::~Win32Clipboard() {
  if (owner_ == nullptr) return;
  // What is still to be made is made now, so the clipboard keeps it after the program ends.
  RenderAll();
  RemoveWindowSubclass(owner_, &Win32Clipboard::Procedure, reinterpret_cast<UINT_PTR>(this));
  DestroyWindow(owner_);
}

void Win32Clipboard::Clear() {
  const OpenClipboardScope clipboard(owner_);
  clipboard.Check();
  EmptyClipboard();
  offered_.clear();
}

void Win32Clipboard::SetText(std::string text, std::vector<ClipboardForm> forms) {
  std::vector<Offered> offered;
  for (ClipboardForm& form : forms) {
    if (form.windows_format.empty()) continue;
    UINT format = CF_SYLK;
    if (form.windows_format != kWindowsSylkFormat) {
      format = RegisterClipboardFormatW(WideOfUtf8(form.windows_format).c_str());
      if (format == 0) throw RunTimeError(error::kCannotOpenClipboard);
    }
    offered.push_back({format, std::move(form.render)});
  }
  GlobalMemory unicode = UnicodeText(text);
  text = std::string();

  const OpenClipboardScope clipboard(owner_);
  clipboard.Check();
  // Emptying tells the clipboard's owner, this one too, that its content is gone.
  if (!EmptyClipboard()) throw RunTimeError(error::kCannotOpenClipboard);
  if (SetClipboardData(CF_UNICODETEXT, unicode.get()) == nullptr) {
    throw RunTimeError(error::kCannotOpenClipboard);
  }
  unicode.release();  // the clipboard's from here
  // Each form is announced without its data, which is made when a program asks for it.
  for (const Offered& form : offered) SetClipboardData(form.format, nullptr);
  for (const Offered& form : offered) {
    if (!IsClipboardFormatAvailable(form.format)) {
      EmptyClipboard();  // all or nothing
      throw RunTimeError(error::kCannotOpenClipboard);
    }
  }
  offered_ = std::move(offered);
}

LRESULT CALLBACK Win32Clipboard::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                           UINT_PTR, DWORD_PTR self) {
  auto& clipboard = *reinterpret_cast<Win32Clipboard*>(self);
  switch (message) {
    case WM_RENDERFORMAT:
      // The program asking holds the clipboard open.
      clipboard.Render(static_cast<UINT>(wparam));
      return 0;
    case WM_RENDERALLFORMATS:
      clipboard.RenderAll();
      return 0;
    case WM_DESTROYCLIPBOARD:
      clipboard.offered_.clear();
      return 0;
    default:
      return DefSubclassProc(window, message, wparam, lparam);
  }
}

void Win32Clipboard::Render(UINT format) noexcept {
  for (Offered& form : offered_) {
    if (form.format != format) continue;
    try {
      GlobalMemory memory = Bytes(Make(form.render));
      if (SetClipboardData(format, memory.get()) != nullptr) {
        memory.release();
        form.made = true;
      }
    } catch (...) {
      // Nothing can be told to the program asking: it finds the format empty.
    }
    return;
  }
}

void Win32Clipboard::RenderAll() noexcept {
  if (offered_.empty()) return;
  const OpenClipboardScope clipboard(owner_);
  if (!clipboard.open() || GetClipboardOwner() != owner_) return;
  for (const Offered& form : offered_) {
    if (!form.made) Render(form.format);
  }
  offered_.clear();
}

std::optional<std::wstring> ReadClipboardText(HWND owner) {
  const OpenClipboardScope clipboard(owner);
  if (!clipboard.open()) return std::nullopt;
  HANDLE memory = GetClipboardData(CF_UNICODETEXT);
  if (memory == nullptr) return std::nullopt;
  const auto* locked = static_cast<const wchar_t*>(GlobalLock(memory));
  if (locked == nullptr) return std::nullopt;
  // The text ends at its first NUL, or with the memory block if a program left none.
  const std::size_t most = GlobalSize(memory) / sizeof(wchar_t);
  std::wstring text(locked, wcsnlen(locked, most));
  GlobalUnlock(memory);
  return text;
}

std::optional<std::string> ReadClipboardFormat(HWND owner, const std::string& name) {
  const UINT format = RegisterClipboardFormatW(WideOfUtf8(name).c_str());
  const OpenClipboardScope clipboard(owner);
  if (format == 0 || !clipboard.open()) return std::nullopt;
  HANDLE memory = GetClipboardData(format);
  const auto* locked = memory != nullptr ? static_cast<const char*>(GlobalLock(memory)) : nullptr;
  if (locked == nullptr) return std::nullopt;
  std::string bytes(locked, GlobalSize(memory));
  GlobalUnlock(memory);
  while (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
  return bytes;
}

}  // namespace platform::win32
