// A field value as a record set hands it out, already in the text form the list shows.
#pragma once

#include <string>
#include <utility>

namespace platform::db {

struct Value {
  enum class Kind { kNull, kText, kNumber, kDate, kDateTime, kLogical, kBinary };

  Kind kind = Kind::kNull;
  // kText: the characters as stored, decoded to UTF-8, trailing blanks kept.
  // kNumber: the exact decimal in its shortest form with "." ("12.5", "3", "-0.5", "472.3875");
  // a blank numeric field counts as 0 and shows "0", as FoxPro shows it; see number_format.h.
  // kDate: "yyyy/mm/dd", empty for a blank date. kDateTime: "yyyy/mm/dd hh:mm:ss".
  // kLogical: "True" or "False". kBinary: the raw bytes.
  std::string text;

  bool IsNull() const { return kind == Kind::kNull; }

  static Value Null() { return {}; }
  static Value Of(Kind kind, std::string text) { return {kind, std::move(text)}; }
};

}  // namespace platform::db
