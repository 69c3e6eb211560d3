#include "tests/db/db_test_support.h"

#include <fstream>
#include <sstream>

namespace db_test {

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::filesystem::path Fixture(const std::string& folder) {
  return std::filesystem::path(KOLVEX_SOURCE_DIR) / "tests" / "db" / "fixtures" / folder;
}

void PutLe16(std::string& bytes, std::size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<char>(value & 0xFF);
  bytes[offset + 1] = static_cast<char>(value >> 8);
}

void PutLe32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    bytes[offset + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
}

std::string BuildTable(std::uint8_t version, const std::vector<FieldSpec>& fields,
                       const std::vector<std::string>& records, std::uint8_t code_page_mark) {
  const bool vfp = version >= 0x30 && version <= 0x32;
  std::size_t record_length = 1;
  for (const FieldSpec& field : fields) record_length += field.length;
  const std::size_t header_length = 32 + 32 * fields.size() + 1 + (vfp ? 263 : 0);
  std::string bytes(header_length, '\0');
  bytes[0] = static_cast<char>(version);
  bytes[1] = 124;
  bytes[2] = 1;
  bytes[3] = 1;
  PutLe32(bytes, 4, static_cast<std::uint32_t>(records.size()));
  PutLe16(bytes, 8, static_cast<std::uint16_t>(header_length));
  PutLe16(bytes, 10, static_cast<std::uint16_t>(record_length));
  bytes[29] = static_cast<char>(code_page_mark);
  std::size_t offset = 1;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::size_t d = 32 + 32 * i;
    const FieldSpec& field = fields[i];
    bytes.replace(d, field.name.size(), field.name);
    bytes[d + 11] = field.type;
    PutLe32(bytes, d + 12, static_cast<std::uint32_t>(offset));
    bytes[d + 16] = static_cast<char>(field.length);
    bytes[d + 17] = static_cast<char>(field.decimals);
    bytes[d + 18] = static_cast<char>(field.flags);
    offset += field.length;
  }
  bytes[32 + 32 * fields.size()] = 0x0D;
  for (const std::string& record : records) {
    std::string padded = record;
    padded.resize(record_length, ' ');
    bytes += padded;
  }
  bytes += '\x1A';
  return bytes;
}

std::vector<FieldSpec> TranFields() {
  return {{"MEM_CODE", 'C', 6},     {"NE_DATE", 'C', 10},   {"COLL_TIME", 'C', 1},
          {"VOLUME_LT", 'N', 8, 2}, {"FAT_PER", 'N', 6, 2}, {"SNF", 'N', 6, 2},
          {"TS_COMM", 'N', 8, 2},   {"RATE", 'N', 8, 2},    {"AMOUNT", 'N', 10, 2}};
}

std::string TranRecord(const std::string& mem_code, const std::string& ne_date,
                       const std::string& volume, const std::string& rate, char flag) {
  auto left = [](std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
  };
  auto right = [](const std::string& text, std::size_t width) {
    return std::string(width - std::min(width, text.size()), ' ') + text.substr(0, width);
  };
  return std::string(1, flag) + left(mem_code, 6) + left(ne_date, 10) + "M" + right(volume, 8) +
         right("4.50", 6) + right("8.50", 6) + right("0.00", 8) + right(rate, 8) +
         right("0.00", 10);
}

}  // namespace db_test
