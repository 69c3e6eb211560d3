// The one catalogue of error numbers, and the README's table of them that users and scripts read.
#include "platform/run_time_error.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "platform/current_error.h"

namespace {

namespace error = platform::error;

// The README's table of error numbers: number to description.
std::map<std::int32_t, std::string> ReadmeTable() {
  std::ifstream file(KOLVEX_SOURCE_DIR "/README.md");
  std::stringstream text;
  text << file.rdbuf();
  const std::string readme = text.str();
  const std::size_t start = readme.find("\n## Error numbers\n");
  const std::size_t end = readme.find("\n## ", start + 1);
  std::istringstream section(readme.substr(start, end - start));
  std::map<std::int32_t, std::string> table;
  const std::regex row(R"(\| *(-?[0-9]+) *\| *([^|]*[^| ]) *\|.*)");
  std::smatch match;
  for (std::string line; std::getline(section, line);) {
    if (!std::regex_match(line, match, row)) continue;
    const auto number = static_cast<std::int32_t>(std::stol(match[1]));
    EXPECT_TRUE(table.emplace(number, match[2]).second) << number << " is listed twice";
  }
  return table;
}

TEST(ErrorCatalogue, TheReadmeListsEveryNumberTheProgramCanRaiseWithItsWords) {
  std::map<std::int32_t, std::string> catalogue;
  for (const error::Entry& entry : error::kCatalogue) {
    EXPECT_TRUE(catalogue.emplace(entry.number, entry.title).second) << entry.number;
  }
  EXPECT_EQ(ReadmeTable(), catalogue);
}

TEST(ErrorCatalogue, DescriptionsStartWithTheirNumbersWords) {
  EXPECT_EQ(platform::RunTimeError(error::kOverflow).description(), "Overflow");
  const platform::RunTimeError detailed(error::kSubscriptOutOfRange, "the first date is not one.");
  EXPECT_EQ(detailed.Prompt(), "9: Subscript out of range: the first date is not one.");
  // A detail that only repeats the words is not written twice.
  EXPECT_EQ(platform::RunTimeError(error::kInvalidPropertyValue, "Invalid property value").Prompt(),
            "380: Invalid property value");
}

TEST(ErrorCatalogue, AdviceStaysOutOfThePromptAndTravelsWithTheError) {
  try {
    throw platform::RunTimeError::WithAdvice(error::kInvalidUseOfNull, "Mend the record.");
  } catch (...) {
    const platform::RunTimeError caught = platform::CurrentError();
    EXPECT_EQ(caught.Prompt(), "94: Invalid use of Null");
    EXPECT_EQ(caught.advice(), "Mend the record.");
  }
  EXPECT_EQ(platform::RunTimeError(error::kOverflow, "too big.").advice(), "");
}

}  // namespace
