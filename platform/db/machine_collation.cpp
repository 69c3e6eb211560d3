// Stored character values compare by their stored bytes, as FoxPro's machine collation does.
#include "platform/db/machine_collation.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/db/code_page.h"
#include "platform/db/sql_engine.h"

namespace platform::db {

namespace {

// Stored character values compare as FoxPro's machine collation does: byte by byte, the shorter
// value padded with blanks, so trailing blanks never matter to "=".
int ComparePadded(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  if (const int order = std::memcmp(a.data(), b.data(), common); order != 0) return order;
  const std::string_view tail = a.size() > common ? a.substr(common) : b.substr(common);
  const int sign = a.size() > common ? 1 : -1;
  for (const char c : tail) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte != ' ') return byte > ' ' ? sign : -sign;
  }
  return 0;
}

}  // namespace

int MachineCollation(void* engine, int size_a, const void* a, int size_b, const void* b) {
  const std::string_view text_a(static_cast<const char*>(a), static_cast<std::size_t>(size_a));
  const std::string_view text_b(static_cast<const char*>(b), static_cast<std::size_t>(size_b));
  if (IsAscii(text_a) && IsAscii(text_b)) return ComparePadded(text_a, text_b);
  const CodePage* page = &static_cast<const SqlEngine*>(engine)->collation_page();
  // A collation cannot fail: without memory for the stored bytes, the texts are compared.
  try {
    std::string stored_a;
    std::string stored_b;
    if (page->Encode(text_a, stored_a) && page->Encode(text_b, stored_b)) {
      return ComparePadded(stored_a, stored_b);
    }
  } catch (...) {
  }
  return ComparePadded(text_a, text_b);
}

}  // namespace platform::db
