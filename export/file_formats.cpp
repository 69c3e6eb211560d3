#include "export/file_formats.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "platform/run_time_error.h"

namespace exporter {
namespace {

void AppendCsvField(std::string& line, const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) {
    line += field;
    return;
  }
  line += '"';
  for (const char c : field) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

// A plain decimal: optional "-", digits, optionally "." and digits.
bool IsPlainDecimal(std::string_view text) {
  std::size_t i = (!text.empty() && text[0] == '-') ? 1 : 0;
  const std::size_t integer_start = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  if (i == integer_start) return false;
  if (i == text.size()) return true;
  if (text[i] != '.') return false;
  const std::size_t fraction_start = ++i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  return i == text.size() && i > fraction_start;
}

}  // namespace

std::string BuildCsvText(const platform::ListView& list) {
  std::string text;
  for (std::size_t column = 0; column < list.ColumnHeaderCount(); ++column) {
    if (column > 0) text += ',';
    AppendCsvField(text, list.ColumnHeaderText(column));
  }
  text += "\r\n";
  for (std::size_t item = 0; item < list.ItemCount(); ++item) {
    AppendCsvField(text, list.ItemText(item));
    for (std::size_t sub = 0; sub < list.SubItemCount(item); ++sub) {
      text += ',';
      AppendCsvField(text, list.SubItemText(item, sub));
    }
    text += "\r\n";
  }
  return text;
}

namespace {

// A plain decimal that is its own shortest form with at most 15 digits, written without an
// exponent by the 15-digit general form: no leading zero but a lone "0" before the point, no
// trailing zero after it, and no more than three zeros after "0.". Every such text comes back
// from its nearest double unchanged, so it needs no check by writing the double again.
bool IsShortExactDecimal(std::string_view text) {
  std::size_t i = (!text.empty() && text[0] == '-') ? 1 : 0;
  const std::size_t integer_start = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  const std::size_t integer_digits = i - integer_start;
  if (integer_digits == 0 || (integer_digits > 1 && text[integer_start] == '0')) return false;
  if (i == text.size()) return integer_digits <= 15;
  if (text[i] != '.' || text.back() == '0') return false;
  const std::size_t fraction_start = ++i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  if (i != text.size() || i == fraction_start) return false;
  std::size_t digits = integer_digits + (i - fraction_start);
  if (text[integer_start] == '0') {
    std::size_t zeros = 0;
    while (text[fraction_start + zeros] == '0') ++zeros;
    if (zeros > 3) return false;
    digits -= 1 + zeros;  // leading zeros are not significant
  }
  return digits <= 15;
}

}  // namespace

std::optional<double> ExactNumber(std::string_view text) {
  if (!IsPlainDecimal(text)) return std::nullopt;
  double value = 0;
  const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
  if (parsed.ec != std::errc() || parsed.ptr != text.data() + text.size()) return std::nullopt;
  if (IsShortExactDecimal(text)) return value;
  // A spreadsheet keeps 15 significant digits, and every decimal of 15 digits or fewer comes back
  // from its nearest double unchanged. The text must also be the shortest form, so "12.50" and
  // "007" stay texts as they are.
  char shown[64];
  const auto written =
      std::to_chars(shown, shown + sizeof shown, value, std::chars_format::general, 15);
  if (written.ec != std::errc()) return std::nullopt;
  if (std::string_view(shown, static_cast<std::size_t>(written.ptr - shown)) != text) {
    return std::nullopt;
  }
  return value;
}

std::string_view CellNumberText(platform::ColumnKind kind, std::string_view text) {
  if (kind == platform::ColumnKind::kText) return {};
  if (kind == platform::ColumnKind::kTwoDecimals &&
      std::find(text.begin(), text.end(), '.') != text.end()) {
    while (text.back() == '0') text.remove_suffix(1);
    if (text.back() == '.') text.remove_suffix(1);
  }
  // A short exact decimal is a plain one, and ExactNumber checks that itself.
  if (IsShortExactDecimal(text) || ExactNumber(text)) return text;
  return {};
}

std::optional<double> CellNumber(platform::ColumnKind kind, std::string_view text) {
  const std::string_view number = CellNumberText(kind, text);
  if (number.empty()) return std::nullopt;
  return ExactNumber(number);
}

}  // namespace exporter
