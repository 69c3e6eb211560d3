#include "tests/support/whole_forms.h"

#include <cstddef>
#include <utility>

#include "export/clipboard_flavours.h"

namespace support {

namespace {

// The form of `list` at `index` among exporter::ClipboardForms, made whole.
std::string WholeForm(const platform::ListView& list, std::size_t index) {
  const std::vector<platform::ClipboardForm> forms = exporter::ClipboardForms(list.Snapshot());
  std::string bytes;
  forms.at(index).render(platform::Gathering(bytes));
  return bytes;
}

}  // namespace

std::vector<platform::ClipboardFlavour> BuildClipboardFlavours(const platform::ListView& list) {
  std::vector<platform::ClipboardFlavour> flavours;
  for (const platform::ClipboardForm& form : exporter::ClipboardForms(list.Snapshot())) {
    std::string bytes;
    form.render(platform::Gathering(bytes));
    flavours.push_back({form.mime_type, form.windows_format, std::move(bytes)});
  }
  return flavours;
}

std::string BuildSylk(const platform::ListView& list) { return WholeForm(list, 0); }
std::string BuildGnumericRange(const platform::ListView& list) { return WholeForm(list, 1); }
std::string BuildWindowsHtml(const platform::ListView& list) { return WholeForm(list, 2); }

}  // namespace support
