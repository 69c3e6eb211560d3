// Conversion between UTF-8 and the double-byte code pages (932, 936, 949, 950), done by the
// system's own converters: iconv on POSIX systems, the code page functions on Windows. Both give
// the same texts: a byte that starts no character of the page reads as U+FFFD, and the bytes
// after it are read again from the next one. The systems' tables differ where a page has no
// agreed character: its user-defined areas, which one system reads into the private use area
// and the other refuses, and single bytes one reads as C1 controls. Those bytes start no
// character on either system.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/db/code_page.h"

namespace platform::db {

// Whether the UTF-8 `text` holds a character of the private use area (U+E000-U+F8FF) or a C1
// control (U+0080-U+009F): what only one system's table reads from a double-byte page.
bool HoldsUnsharedCharacter(std::string_view text);

class CodePage::Converter {
 public:
  explicit Converter(int number);
  ~Converter();
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // False when the system cannot convert the page.
  bool usable() const;

  // Appends the UTF-8 text of the stored `bytes` to `out`. Safe to call from several threads.
  void Decode(std::string_view bytes, std::string& out) const;
  // Appends the stored bytes of the UTF-8 `text` to `out`; false, leaving `out` unspecified,
  // when the text is not UTF-8 or holds a character the page cannot store.
  bool Encode(std::string_view text, std::string& out) const;

 private:
  // What the system's converter keeps: code_page_converter_posix.cpp and _win32.cpp each define
  // it, and the build takes the one of its system.
  struct System;
  std::unique_ptr<System> system_;
};

}  // namespace platform::db
