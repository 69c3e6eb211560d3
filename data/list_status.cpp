#include "data/list_status.h"

#include <cctype>

namespace data {
namespace {

// 5840 -> "5,840".
std::string Grouped(std::size_t number) {
  std::string digits = std::to_string(number);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, ',');
  return digits;
}

std::string Records(std::size_t count) {
  return Grouped(count) + (count == 1 ? " record" : " records");
}

std::string Range(const ListContent& content) {
  if (content.first == content.last) return content.first;
  return content.first + " to " + content.last;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::string_view FileNameOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string StatusAfterLoad(const ListContent& content, std::string_view picked) {
  std::string status =
      content.table + " \u2014 " + Records(content.records) + ", " + Range(content);
  const std::string_view read = FileNameOf(content.table);
  const std::string_view chosen = FileNameOf(picked);
  // File systems that ignore letter case read TRAN.DBF for a picked tran.dbf: the same file.
  if (!chosen.empty() && !SameIgnoringCase(chosen, read)) {
    status.append(". ").append(chosen).append(" was picked; the folder's ").append(read);
    status.append(" was read.");
  }
  return status;
}

std::string StatusAfterFailure(std::string_view advice, const std::optional<ListContent>& content,
                               bool unchanged) {
  std::string status(advice);
  if (!status.empty()) status += ' ';
  if (!content) return status + "The list is empty: nothing has been loaded.";
  status += unchanged ? "The list still holds " : "The list holds ";
  if (content->complete) {
    return status + Records(content->records) + " of " + content->table + ", " + Range(*content) +
           ".";
  }
  return status + "the " + Records(content->records) + " of " + content->table +
         (unchanged ? " read before an earlier failure, " : " read before the failure, ") +
         Range(*content) + " asked.";
}

}  // namespace data
