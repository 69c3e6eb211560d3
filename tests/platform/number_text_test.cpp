#include "calendar/number_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/run_time_error.h"

namespace {

// The value read, or the number of the error raised.
struct Read {
  std::string field;
  int value;
  std::int32_t error = 0;
};

template <typename Convert>
void ExpectReads(Convert convert, const std::vector<Read>& cases) {
  for (const Read& c : cases) {
    SCOPED_TRACE("\"" + c.field + "\"");
    try {
      const int value = convert(c.field);
      EXPECT_EQ(c.error, 0) << "read " << value;
      EXPECT_EQ(value, c.value);
    } catch (const platform::RunTimeError& error) {
      EXPECT_EQ(error.number(), c.error);
    }
  }
}

TEST(LenientInteger, ReadsTheLeadingNumber) {
  ExpectReads(platform::LenientInteger, {
                                            {"07", 7},
                                            {"2079", 2079},
                                            {"1_", 1},
                                            {"5_", 5},
                                            {"_1", 0},
                                            {"__", 0},
                                            {"", 0},
                                            {"/0", 0},
                                            {"20_9", 20},
                                            // Blanks are skipped wherever they stand.
                                            {" 7", 7},
                                            {"2 0 7 9", 2079},
                                            {"\t1\n2", 12},
                                            {"-5", -5},
                                            {"+5", 5},
                                            {"- 5", -5},
                                            {"-", 0},
                                            {"5-", 5},
                                            // Fractions round half to even.
                                            {"2.5", 2},
                                            {"3.5", 4},
                                            {"2.51", 3},
                                            {"-2.5", -2},
                                            {"-0.4", 0},
                                            {".5", 0},
                                            {"1.", 1},
                                            {"1.2.3", 1},
                                            {".", 0},
                                            // Exponents.
                                            {"1e3", 1000},
                                            {"1E+2", 100},
                                            {"25e-1", 2},
                                            {"1e", 1},
                                            {"1e_", 1},
                                            {"1e-999", 0},
                                            // 16-bit signed range.
                                            {"32767", 32767},
                                            {"-32768", -32768},
                                            {"32767.5", 0, 6},
                                            {"-32768.5", -32768},
                                            {"32768", 0, 6},
                                            {"-32769", 0, 6},
                                            {"9e99", 0, 6},
                                            {"1e999", 0, 6},
                                            {"99999999999999999999", 0, 6},
                                        });
}

TEST(StrictInteger, ReadsOnlyAWholeNumber) {
  ExpectReads(
      platform::StrictInteger,
      {
          {"07", 7},          {"2079", 2079},  {" 7 ", 7},       {"\t7", 7},     {"-5", -5},
          {"2.5", 2},         {"3.5", 4},      {"1e3", 1000},    {".5", 0},      {"32767", 32767},
          {"-32768", -32768}, {"32768", 0, 6}, {"9e99", 0, 6},   {"", 0, 13},    {"   ", 0, 13},
          {"1_", 0, 13},      {"_1", 0, 13},   {"__", 0, 13},    {"1 2", 0, 13}, {"-", 0, 13},
          {".", 0, 13},       {"1e", 0, 13},   {"1.2.3", 0, 13}, {"/05", 0, 13},
      });
}

}  // namespace
