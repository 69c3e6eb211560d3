#include "platform/db/number_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using platform::db::ExactDecimalText;
using platform::db::ParseStoredNumber;
using platform::db::RealText;
using platform::db::RealTextCache;
using platform::db::StoredNumber;

TEST(StoredNumberText, ShowsTheExactDecimalInShortestForm) {
  const struct {
    const char* stored;
    const char* shown;
  } cases[] = {
      {"   12.50", "12.5"},
      {"    3.00", "3"},
      {"   -0.50", "-0.5"},
      {"     .50", "0.5"},
      {"  012.30", "12.3"},
      {"   -0.00", "0"},
      {"       7", "7"},
      {"+1.5", "1.5"},
      {"123456789012345.1234", "123456789012345.1234"},
      {"99999999999999999999", "99999999999999999999"},
      {"1.5E+3", "1500"},
      {"        ", ""},
      {"12a.50", ""},
      {"1.2.3", ""},
      {"1,234.50", ""},
      {"*****", ""},
      {"-", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(ExactDecimalText(c.stored), c.shown);
  }
}

TEST(StoredNumberText, BlankIsNotBadAndBadIsNotBlank) {
  EXPECT_EQ(ParseStoredNumber("      ").kind, StoredNumber::Kind::kBlank);
  EXPECT_EQ(ParseStoredNumber(std::string(4, '\0')).kind, StoredNumber::Kind::kBlank);
  EXPECT_EQ(ParseStoredNumber("  ****").kind, StoredNumber::Kind::kBad);
  EXPECT_EQ(ParseStoredNumber("1 2").kind, StoredNumber::Kind::kBad);
  const StoredNumber whole = ParseStoredNumber("  -42");
  EXPECT_EQ(whole.kind, StoredNumber::Kind::kInteger);
  EXPECT_EQ(whole.integer, -42);
  EXPECT_EQ(ParseStoredNumber(" 12.35").kind, StoredNumber::Kind::kReal);
  // A field of up to 255 digits, more than a double holds: kept as its exact decimal text.
  const StoredNumber huge = ParseStoredNumber(std::string(254, '9'));
  EXPECT_EQ(huge.kind, StoredNumber::Kind::kDecimal);
  EXPECT_EQ(ExactDecimalText(std::string(254, '9')), "9." + std::string(253, '9') + "E+253");
  EXPECT_EQ(ExactDecimalText(std::string(30, '0') + "12.50"), "12.5");
}

// A stored number a double cannot hold exactly is kept as its decimal text.
TEST(StoredNumberText, MoreDigitsThanADoubleHoldsAreKeptAsDecimalText) {
  using Kind = StoredNumber::Kind;
  const struct {
    const char* stored;
    Kind kind;
  } cases[] = {
      {"99999999999999999999", Kind::kDecimal},
      {"-1234567890123456789", Kind::kDecimal},
      {"123456789012345678", Kind::kInteger},  // 18 digits fit 64 bits
      {"0.123456789012345678", Kind::kDecimal},
      {"1234567890123456.5", Kind::kDecimal},
      {"123456789012345.5", Kind::kDecimal},  // 16 significant digits
      {"12345678901234.5", Kind::kReal},      // 15
      {"1.50000000000000000", Kind::kReal},   // trailing zeros are not significant
      {"0.00000000000000012345", Kind::kReal},
      {"1.5E+300", Kind::kReal},  // an exponent: the nearest double
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(ParseStoredNumber(c.stored).kind, c.kind);
  }
}

TEST(ComputedNumberText, ProductsOfStoredValuesShowTheirExactDecimal) {
  const struct {
    const char* a;
    const char* b;
    const char* product;
  } cases[] = {
      {"12.35", "38.25", "472.3875"}, {"7.25", "65.10", "471.975"},
      {"0.1", "0.2", "0.02"},         {"1.15", "100", "115"},
      {"-0.5", "3", "-1.5"},          {"999999.99", "999.99", "999989990.0001"},
      {"0.01", "0.01", "0.0001"},     {"33.33", "3", "99.99"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " * " + c.b);
    const double a = ParseStoredNumber(c.a).kind == StoredNumber::Kind::kReal
                         ? ParseStoredNumber(c.a).real
                         : static_cast<double>(ParseStoredNumber(c.a).integer);
    const double b = ParseStoredNumber(c.b).kind == StoredNumber::Kind::kReal
                         ? ParseStoredNumber(c.b).real
                         : static_cast<double>(ParseStoredNumber(c.b).integer);
    EXPECT_EQ(RealText(a * b), c.product);
  }
}

TEST(ComputedNumberText, NeverUsesAnExponentForValuesAFieldCanHold) {
  const struct {
    double value;
    const char* shown;
  } cases[] = {
      {1e20, "100000000000000000000"},
      {-12345678901234.5, "-12345678901234.5"},
      {0.0001, "0.0001"},
      {1e-10, "0.0000000001"},
      {-0.0, "0"},
      {1e300, "1E+300"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    EXPECT_EQ(RealText(c.value), c.shown);
  }
}

TEST(CurrencyText, DividesByTenThousandExactly) {
  EXPECT_EQ(platform::db::ScaledIntegerText(123456, 4), "12.3456");
  EXPECT_EQ(platform::db::ScaledIntegerText(-5000, 4), "-0.5");
  EXPECT_EQ(platform::db::ScaledIntegerText(INT64_MIN, 4), "-922337203685477.5808");
  EXPECT_EQ(platform::db::ScaledIntegerText(0, 4), "0");
  // Leading zeros fill the widest scale; a wider one is refused, never written past the text.
  EXPECT_EQ(platform::db::ScaledIntegerText(-1, 45), "-0." + std::string(44, '0') + "1");
  EXPECT_THROW(platform::db::ScaledIntegerText(1, 46), std::invalid_argument);
  EXPECT_THROW(platform::db::ScaledIntegerText(1, -1), std::invalid_argument);
}

}  // namespace

namespace {

// What RealText promises, the slow way: 15 significant digits, trailing zeros dropped.
std::string Reference(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14e", value);
  return platform::db::ExactDecimalText(buffer);
}

// A computed number is written as its 15-digit text, the slow way's, whether its value comes
// once or again among many others (written as the engine writes its results, through one
// RealTextCache), and so are the values without digits (NaN, infinities, -0).
TEST(ComputedNumberText, AgreesWithFifteenDigitRoundingOnManyValuesAndTheirRepeats) {
  std::vector<double> values = {0.0,
                                -0.0,
                                std::nan(""),
                                std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity(),
                                1.23456789012345e-10,
                                -9.87654321098765e-15,
                                1e300};
  std::mt19937_64 random(20240229);
  std::uniform_int_distribution<std::int64_t> cents(-9999999, 9999999);
  std::uniform_int_distribution<int> scale(0, 6);
  const double powers[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
  for (int i = 0; i < 50000; ++i) {
    const double a = static_cast<double>(cents(random)) / powers[scale(random)];
    const double b = static_cast<double>(cents(random)) / powers[scale(random)];
    values.insert(values.end(), {a, a * b, a + b, a / 7});
  }
  for (const double value : values) {
    if (RealText(value) != Reference(value) && !std::isnan(value) && !std::isinf(value)) {
      ADD_FAILURE() << "value " << Reference(value) << " shown as " << RealText(value);
      return;
    }
  }
  // The first 20,000 values three times over, shuffled, so that values meet in one place of the
  // cache and push each other out.
  std::vector<double> order;
  for (int round = 0; round < 3; ++round) {
    order.insert(order.end(), values.begin(), values.begin() + 20000);
  }
  std::shuffle(order.begin(), order.end(), random);
  RealTextCache cache;
  std::string out;
  for (const double value : order) {
    out.assign("|");
    cache.Append(value, out);
    if (out != "|" + RealText(value)) {
      ADD_FAILURE() << RealText(value) << " written as " << out;
      return;
    }
  }
}

TEST(StoredNumberText, QuickAndFullReadingsAgree) {
  const char* texts[] = {"  12.35",
                         "-0.5",
                         "12.",
                         "   .5",
                         "1234567890.12345",
                         "0000012.10",
                         " 123456789012.345",
                         "-999999999999999"};
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    const StoredNumber number = ParseStoredNumber(text);
    const double value = number.kind == StoredNumber::Kind::kReal
                             ? number.real
                             : static_cast<double>(number.integer);
    EXPECT_EQ(value, std::strtod(text, nullptr));
  }
}

}  // namespace
