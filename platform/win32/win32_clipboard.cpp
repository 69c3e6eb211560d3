#include "platform/win32/win32_clipboard.h"

#include <cstring>
#include <utility>

#include "platform/current_error.h"
#include "platform/path_text.h"
#include "platform/run_time_error.h"

namespace platform::win32 {
namespace {

// How Calc's SYLK flavour names its Windows format (CF_SYLK) in its MIME type.
constexpr char kCalcSylkFormatName[] = "windows_formatname=\"Sylk\"";

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

// A moveable block of global memory holding a copy of some bytes, freed unless released to the
// clipboard.
class GlobalMemory {
 public:
  GlobalMemory(const void* bytes, std::size_t size) : memory_(GlobalAlloc(GMEM_MOVEABLE, size)) {
    void* locked = memory_ != nullptr ? GlobalLock(memory_) : nullptr;
    if (locked == nullptr) {
      if (memory_ != nullptr) GlobalFree(memory_);
      throw RunTimeError(error::kOutOfMemory);
    }
    std::memcpy(locked, bytes, size);
    GlobalUnlock(memory_);
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

}  // namespace

Win32Clipboard::Win32Clipboard(std::function<bool()> for_calc)
    : owner_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), nullptr)),
      for_calc_(std::move(for_calc)) {}

Win32Clipboard::~Win32Clipboard() {
  if (owner_ != nullptr) DestroyWindow(owner_);
}

void Win32Clipboard::Clear() {
  const OpenClipboardScope clipboard(owner_);
  clipboard.Check();
  EmptyClipboard();
}

void Win32Clipboard::SetText(const std::string& text,
                             const std::vector<ClipboardFlavour>& flavours) {
  std::wstring wide = WideOfUtf8(text);
  for (wchar_t& c : wide) {
    if (c == L'\0') c = 0xFFFD;
  }
  // Everything is made ready before the clipboard is touched.
  std::vector<std::pair<UINT, GlobalMemory>> formats;
  formats.emplace_back(CF_UNICODETEXT,
                       GlobalMemory(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t)));
  const bool for_calc = for_calc_ && for_calc_();
  for (const ClipboardFlavour& flavour : flavours) {
    UINT format = CF_SYLK;
    if (for_calc) {
      if (flavour.mime_type.find(kCalcSylkFormatName) == std::string::npos) continue;
    } else {
      if (flavour.windows_format.empty()) continue;
      format = RegisterClipboardFormatW(WideOfUtf8(flavour.windows_format).c_str());
      if (format == 0) throw RunTimeError(error::kCannotOpenClipboard);
    }
    std::string bytes = flavour.data;
    bytes += '\0';
    formats.emplace_back(format, GlobalMemory(bytes.data(), bytes.size()));
  }

  const OpenClipboardScope clipboard(owner_);
  clipboard.Check();
  if (!EmptyClipboard()) throw RunTimeError(error::kCannotOpenClipboard);
  for (auto& [format, memory] : formats) {
    if (SetClipboardData(format, memory.get()) == nullptr) {
      EmptyClipboard();  // all or nothing
      throw RunTimeError(error::kCannotOpenClipboard);
    }
    memory.release();  // the clipboard's from here
  }
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
