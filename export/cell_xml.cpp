#include "export/cell_xml.h"

#include <cctype>

namespace exporter {

namespace {

// Whether `text` holds "_x", then four hexadecimal digits and "_", at `at`: the form in which a
// workbook escapes a character.
bool EscapeAt(std::string_view text, std::size_t at) {
  if (text.size() - at < 7 || text[at] != '_' || text[at + 1] != 'x' || text[at + 6] != '_') {
    return false;
  }
  for (std::size_t i = at + 2; i < at + 6; ++i) {
    if (std::isxdigit(static_cast<unsigned char>(text[i])) == 0) return false;
  }
  return true;
}

}  // namespace

std::string CellText(std::string_view text) {
  std::string cell;
  cell.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\0') {
      cell += "_x0000_";
    } else if (EscapeAt(text, i)) {
      cell += "_x005F_";
    } else {
      cell += text[i];
    }
  }
  return cell;
}

bool NeedsEscapes(std::string_view text) {
  return text.find('\0') != std::string_view::npos || text.find("_x") != std::string_view::npos;
}

std::size_t CharacterCount(std::string_view text) {
  std::size_t count = 0;
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

void PutCellXml(ByteWriter& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::size_t plain = 0;  // the start of the bytes not yet copied
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte != '&' && byte != '<' && byte != '>' &&
        !(byte < 0x20 && byte != '\t' && byte != '\n') && !(byte == '_' && EscapeAt(text, i))) {
      continue;
    }
    out.Put(text.substr(plain, i - plain));
    plain = i + 1;
    if (byte == '&') {
      out.Put("&amp;");
    } else if (byte == '<') {
      out.Put("&lt;");
    } else if (byte == '>') {
      out.Put("&gt;");
    } else if (byte == '_') {
      out.Put("_x005F_");
    } else {
      out.Put("_x00");
      out.Put(kHex[byte >> 4]);
      out.Put(kHex[byte & 0xF]);
      out.Put('_');
    }
  }
  out.Put(text.substr(plain));
}

std::string CellXml(std::string_view text) {
  std::string xml(XmlBound(text.size()), '\0');
  ByteWriter out(xml.data(), xml.data() + xml.size());
  PutCellXml(out, text);
  xml.resize(static_cast<std::size_t>(out.at() - xml.data()));
  return xml;
}

void PutTextElement(ByteWriter& out, std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
  if (!text.empty() && (blank(text.front()) || blank(text.back()))) {
    out.Put("<t xml:space=\"preserve\">");
  } else {
    out.Put("<t>");
  }
  PutCellXml(out, text);
  out.Put("</t>");
}

}  // namespace exporter
