// make-tran-table: writes a Visual FoxPro table TRAN of made-up milk collections, for the sample
// data and the benchmarks. Every member delivers on every day of the range in every shift,
// unless --attendance leaves some deliveries out. The output is the same for the same options.
//
//   make-tran-table OUTPUT [--from yyyy/mm/dd] [--days N | --months N] [--members N]
//                   [--shifts 1|2] [--attendance PERCENT] [--deleted PERMILLE] [--seed N]
//
// samples/TRAN.dbf (36,622 records, 106 of them deleted, BS 2081/01/01 to 2081/03/31):
//   make-tran-table samples/TRAN.dbf --months 3 --members 300 --attendance 65 --deleted 3
// The benchmark table (1,000,000 records, BS 2081/01/01 on):
//   make-tran-table TRAN.dbf --days 1000 --members 500
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/cdn_date.h"
#include "platform/run_time_error.h"

namespace {

struct Options {
  std::string output;
  std::string from = "2081/01/01";
  std::int32_t days = 1000;
  int months = 0;
  int members = 500;
  int shifts = 2;
  int attendance = 100;
  int deleted = 0;
  std::uint64_t seed = 2081;
};

struct Field {
  const char* name;
  char type;
  std::uint8_t length;
  std::uint8_t decimals;
};

// The columns the loader reads, with the widths a collection centre's table uses.
constexpr Field kFields[] = {
    {"MEM_CODE", 'C', 5, 0},  {"NE_DATE", 'C', 10, 0}, {"COLL_TIME", 'C', 1, 0},
    {"VOLUME_LT", 'N', 8, 2}, {"FAT_PER", 'N', 5, 2},  {"SNF", 'N', 5, 2},
    {"TS_COMM", 'N', 7, 2},   {"RATE", 'N', 8, 2},     {"AMOUNT", 'N', 10, 2},
};
constexpr std::size_t kFieldCount = sizeof kFields / sizeof kFields[0];
constexpr std::size_t kBacklinkSize = 263;
constexpr std::size_t kHeaderSize = 32 + 32 * kFieldCount + 1 + kBacklinkSize;

constexpr std::size_t RecordSize() {
  std::size_t size = 1;
  for (const Field& field : kFields) size += field.length;
  return size;
}

// splitmix64: small, fast and the same everywhere.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // A whole number from `low` to `high`, both included.
  std::int64_t Between(std::int64_t low, std::int64_t high) {
    return low + static_cast<std::int64_t>(Next() % static_cast<std::uint64_t>(high - low + 1));
  }

 private:
  std::uint64_t state_;
};

// What stays the same for a member from day to day.
struct Member {
  std::int64_t litres_centi;  // usual morning delivery, hundredths of a litre
  std::int64_t fat_tenths;
  std::int64_t snf_tenths;
  std::int64_t commission_centi;
};

void PutLittleEndian(std::vector<unsigned char>& bytes, std::size_t at, std::uint64_t value,
                     int size) {
  for (int i = 0; i < size; ++i) {
    bytes[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
  }
}

std::vector<unsigned char> Header(std::uint32_t record_count) {
  std::vector<unsigned char> header(kHeaderSize, 0);
  header[0] = 0x30;  // Visual FoxPro
  // A fixed last-update date keeps the output the same from run to run.
  header[1] = 124;
  header[2] = 7;
  header[3] = 15;
  PutLittleEndian(header, 4, record_count, 4);
  PutLittleEndian(header, 8, kHeaderSize, 2);
  PutLittleEndian(header, 10, RecordSize(), 2);
  header[29] = 0x03;  // code page 1252
  std::size_t offset = 1;
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    const std::size_t at = 32 + 32 * i;
    std::memcpy(&header[at], kFields[i].name, std::strlen(kFields[i].name));
    header[at + 11] = static_cast<unsigned char>(kFields[i].type);
    PutLittleEndian(header, at + 12, offset, 4);
    header[at + 16] = kFields[i].length;
    header[at + 17] = kFields[i].decimals;
    offset += kFields[i].length;
  }
  header[32 + 32 * kFieldCount] = 0x0D;
  return header;
}

// A value in hundredths, right-aligned in `width` characters with two decimals.
void PutHundredths(char* at, int width, std::int64_t hundredths) {
  char text[32];
  const std::int64_t whole = hundredths / 100;
  const std::int64_t fraction = hundredths % 100;
  std::snprintf(text, sizeof text, "%*lld.%02lld", width - 3, static_cast<long long>(whole),
                static_cast<long long>(fraction));
  std::memcpy(at, text, static_cast<std::size_t>(width));
}

bool ParseNumber(const char* text, long long low, long long high, long long& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtoll(text, &end, 10);
  return errno == 0 && end != text && *end == '\0' && value >= low && value <= high;
}

[[noreturn]] void Usage(const std::string& message) {
  std::fprintf(stderr,
               "make-tran-table: %s\n"
               "usage: make-tran-table OUTPUT [--from yyyy/mm/dd] [--days N | --months N]\n"
               "       [--members N] [--shifts 1|2] [--attendance PERCENT] [--deleted PERMILLE]\n"
               "       [--seed N]\n",
               message.c_str());
  std::exit(2);
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.substr(0, 2) != "--") {
      if (!options.output.empty()) Usage("more than one output file");
      options.output = arg;
      continue;
    }
    if (i + 1 >= argc) Usage(std::string(arg) + " needs a value");
    const char* value = argv[++i];
    long long number = 0;
    auto number_in = [&](long long low, long long high) {
      if (!ParseNumber(value, low, high, number)) Usage("bad value for " + std::string(arg));
      return number;
    };
    if (arg == "--from") {
      options.from = value;
    } else if (arg == "--days") {
      options.days = static_cast<std::int32_t>(number_in(1, 1000000));
    } else if (arg == "--months") {
      options.months = static_cast<int>(number_in(1, 1200));
    } else if (arg == "--members") {
      options.members = static_cast<int>(number_in(1, 99999));
    } else if (arg == "--shifts") {
      options.shifts = static_cast<int>(number_in(1, 2));
    } else if (arg == "--attendance") {
      options.attendance = static_cast<int>(number_in(0, 100));
    } else if (arg == "--deleted") {
      options.deleted = static_cast<int>(number_in(0, 1000));
    } else if (arg == "--seed") {
      options.seed = static_cast<std::uint64_t>(number_in(0, 1LL << 62));
    } else {
      Usage("unknown option " + std::string(arg));
    }
  }
  if (options.output.empty()) Usage("no output file");
  return options;
}

// The days of `months` whole months from `from`, which must be the first of a month.
std::int32_t DaysOfMonths(const std::string& from, int months) {
  if (from.size() != 10 || from.substr(8) != "01") Usage("--months needs a --from on day 01");
  int year = std::atoi(from.substr(0, 4).c_str());
  int month = std::atoi(from.substr(5, 2).c_str());
  std::int32_t days = 0;
  cdnDate::EnsureMonthTable();
  for (int i = 0; i < months; ++i) {
    days += cdnDate::MonthLength(year, month);
    if (++month > 12) {
      month = 1;
      ++year;
    }
  }
  return days;
}

int Run(const Options& options) {
  const std::int32_t days =
      options.months > 0 ? DaysOfMonths(options.from, options.months) : options.days;

  Random random(options.seed);
  std::vector<Member> members;
  for (int i = 0; i < options.members; ++i) {
    members.push_back({random.Between(150, 2500), random.Between(35, 65), random.Between(78, 92),
                       random.Between(0, 2) * 50});
  }

  std::FILE* file = std::fopen(options.output.c_str(), "wb");
  if (file == nullptr) {
    std::perror(options.output.c_str());
    return 1;
  }
  std::vector<unsigned char> header = Header(0);
  std::fwrite(header.data(), 1, header.size(), file);

  constexpr const char* kShifts[] = {"M", "E"};
  std::uint32_t count = 0;
  std::string date = options.from;
  std::vector<char> record(RecordSize());
  for (std::int32_t day = 0; day < days; ++day) {
    date = cdnDate::AddBsDays(options.from, day);
    const std::string key = date.substr(8, 2) + "/" + date.substr(5, 2) + "/" + date.substr(0, 4);
    for (int shift = 0; shift < options.shifts; ++shift) {
      for (int m = 0; m < options.members; ++m) {
        if (random.Between(1, 100) > options.attendance) continue;
        const Member& member = members[static_cast<std::size_t>(m)];
        // Evenings bring about three quarters of the morning's milk.
        const std::int64_t usual = shift == 0 ? member.litres_centi : member.litres_centi * 3 / 4;
        const std::int64_t litres = usual + random.Between(-usual / 8, usual / 8);
        const std::int64_t fat = (member.fat_tenths + random.Between(-3, 3)) * 10;
        const std::int64_t snf = (member.snf_tenths + random.Between(-2, 2)) * 10;
        // A rate per litre from the fat and SNF, as the centres' price charts do.
        const std::int64_t rate = (fat * 650 + snf * 320) / 100;
        const std::int64_t amount = (litres * rate + 50) / 100;

        record[0] = random.Between(1, 1000) <= options.deleted ? '*' : ' ';
        char* at = &record[1];
        char code[16];
        std::snprintf(code, sizeof code, "%05d", m + 1);
        std::memcpy(at, code, 5);
        at += 5;
        std::memcpy(at, key.data(), 10);
        at += 10;
        *at++ = kShifts[shift][0];
        PutHundredths(at, 8, litres);
        PutHundredths(at + 8, 5, fat);
        PutHundredths(at + 13, 5, snf);
        PutHundredths(at + 18, 7, member.commission_centi);
        PutHundredths(at + 25, 8, rate);
        PutHundredths(at + 33, 10, amount);
        std::fwrite(record.data(), 1, record.size(), file);
        ++count;
      }
    }
  }
  std::fputc(0x1A, file);

  // The count goes in last, as a table that is being appended to gets it.
  header = Header(count);
  const bool written = std::fseek(file, 0, SEEK_SET) == 0 &&
                       std::fwrite(header.data(), 1, header.size(), file) == header.size();
  if (!written || std::fclose(file) != 0) {
    std::perror(options.output.c_str());
    return 1;
  }
  std::printf("%s: %u records, %d members, BS %s to %s\n", options.output.c_str(), count,
              options.members, options.from.c_str(), date.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(ParseOptions(argc, argv));
  } catch (const platform::RunTimeError& error) {
    std::fprintf(stderr, "make-tran-table: %s\n", error.Prompt().c_str());
    return 1;
  }
}
