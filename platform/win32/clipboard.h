// The system clipboard through the Windows API.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/system/windows_api.h"

namespace platform::win32 {

class Win32Clipboard : public Clipboard {
 public:
  // Owns what it puts on the clipboard through a hidden window of its own.
  Win32Clipboard();
  ~Win32Clipboard() override;
  Win32Clipboard(const Win32Clipboard&) = delete;
  Win32Clipboard& operator=(const Win32Clipboard&) = delete;

  // Throws RunTimeError 521 when another program keeps the clipboard open.
  void Clear() override;
  // Puts the text on as Unicode text (CF_UNICODETEXT), from which Windows also gives the older
  // text formats, and announces each form with a Windows format name in that registered format;
  // all in one change, other programs see all of them or none. A form is made when a program
  // first asks for it (delayed rendering), and the forms not asked for are made when this
  // clipboard is destroyed, so the content outlives the program; a form that cannot be made is
  // left empty. The text's bytes that are not UTF-8 become U+FFFD, and so does a NUL, which
  // would end the text for every program that reads it; a form's bytes go on as they are with a
  // NUL after them. A form named kWindowsSylkFormat goes under Windows' own SYLK format
  // (CF_SYLK), and a form without a Windows format name is left off. Throws RunTimeError 7 when
  // memory runs short for the text, and 521 when the clipboard cannot be opened or filled.
  void SetText(std::string text, std::vector<ClipboardForm> forms) override;

 private:
  struct Offered {
    UINT format = 0;
    ClipboardRenderer render;
    bool made = false;
  };

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                    UINT_PTR id, DWORD_PTR self);
  // Makes the offered `format` and hands it to the clipboard, which must be open.
  void Render(UINT format) noexcept;
  // Makes every offered format still owned by this clipboard.
  void RenderAll() noexcept;

  HWND owner_;
  std::vector<Offered> offered_;  // while this clipboard owns what it offered
};

// The clipboard's Unicode text, up to its first NUL; nothing when it holds no text or cannot be
// opened. `owner` may be null.
std::optional<std::wstring> ReadClipboardText(HWND owner);
// The bytes of the clipboard's registered format `name`, without the NULs that end them; nothing
// when it holds no such format or cannot be opened.
std::optional<std::string> ReadClipboardFormat(HWND owner, const std::string& name);

}  // namespace platform::win32
