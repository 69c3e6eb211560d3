#include "export/slips_pdf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "platform/run_time_error.h"
#include "platform/system/path_text.h"
#include "tests/cli/read_back.h"
#include "tests/support/temp_dir.h"

namespace {

// The PDF's text as pdftotext lays it out: each page's lines, each line's words with one blank
// between them, blank lines left out.
std::vector<std::vector<std::string>> TextPages(const std::filesystem::path& pdf) {
  std::istringstream file(read_back::PdfText(platform::Utf8Of(pdf)));
  std::vector<std::vector<std::string>> pages;
  for (std::string page; std::getline(file, page, '\f');) {
    std::vector<std::string>& lines = pages.emplace_back();
    std::istringstream page_lines(page);
    for (std::string line; std::getline(page_lines, line);) {
      std::istringstream words(line);
      std::string joined;
      for (std::string word; words >> word;) joined += (joined.empty() ? "" : " ") + word;
      if (!joined.empty()) lines.push_back(joined);
    }
    if (lines.empty()) pages.pop_back();
  }
  return pages;
}

std::size_t Count(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

// A slip longer than a page goes on over the next pages under its heading, every collection
// once and in order; the slip after it follows on the same page, and a stored amount that
// differs is shown.
TEST(SlipsPdf, ALongSlipGoesOnOverPagesAndEveryLineIsThere) {
  std::vector<exporter::Slip> slips(2);
  slips[0].member = "00001";
  for (int day = 0; day < 150; ++day) {
    slips[0].collections.push_back({"2081/01/" + std::to_string(day), day % 2 ? "E" : "M", "1.50",
                                    "4.00", "8.00", "50.00", std::to_string(day) + ".00"});
  }
  slips[0].litres = "225.00";
  slips[0].amount = "11175.00";
  slips[0].commission = "0.00";
  slips[1] = {"00002", {{"2081/01/01", "M", "2.00", "4.00", "8.00", "50.00", "100.00"}},
              "2.00",  "4.00",
              "8.00",  "100.00",
              "1.00",  "99.99"};
  // In a folder that the local code page cannot spell, which Windows names only through its wide
  // functions.
  test_support::TempDir folder;
  const std::filesystem::path named = folder.path() / platform::PathFromUtf8("दूध ग्राहक");
  std::filesystem::create_directory(named);
  const std::filesystem::path pdf = named / "slips.pdf";
  exporter::WriteSlipsPdf(slips, "2081/01/01 to 2081/01/15", platform::Utf8Of(pdf));

  const std::vector<std::vector<std::string>> pages = TextPages(pdf);
  std::vector<std::string> lines;
  for (const auto& page : pages) lines.insert(lines.end(), page.begin(), page.end());
  const std::string title = std::string(exporter::kSlipTitle) + " 2081/01/01 to 2081/01/15";
  ASSERT_EQ(pages.size(), 3u);
  for (const auto& page : pages) EXPECT_EQ(page.front(), title);
  EXPECT_EQ(pages[1][1], "Member 00001 (continued)");
  EXPECT_EQ(pages[2][1], "Member 00001 (continued)");
  EXPECT_EQ(Count(lines, "Date Shift Litres Fat SNF Rate Amount"), 4u);
  std::size_t next = 0;
  for (const std::string& line : lines) {
    if (next < 150 && line.starts_with("2081/01/" + std::to_string(next) + " ")) ++next;
  }
  EXPECT_EQ(next, 150u) << "a collection is missing or out of order";
  EXPECT_EQ(Count(lines, "Total 225.00 11175.00"), 1u);
  // The second slip follows the first on its last page.
  const std::vector<std::string> second = {title,
                                           "Member 00002",
                                           "Date Shift Litres Fat SNF Rate Amount",
                                           "2081/01/01 M 2.00 4.00 8.00 50.00 100.00",
                                           "Total 2.00 4.00 8.00 100.00",
                                           "Commission 1.00 Stored amount 99.99"};
  EXPECT_EQ(std::vector<std::string>(pages[2].end() - 6, pages[2].end()), second);
}

TEST(SlipsPdf, AFileThatCannotBeWrittenIsErrorSeventyFiveNamingTheDestination) {
  test_support::TempDir folder;
  const std::string path = (folder.path() / "missing" / "slips.pdf").string();
  try {
    exporter::WriteSlipsPdf({}, "2081/01/01 to 2081/01/15", path, "bills/slips.pdf");
    FAIL() << "written";
  } catch (const platform::RunTimeError& error) {
    EXPECT_EQ(error.number(), platform::error::kPathFileAccess);
    EXPECT_NE(std::string(error.what()).find("'bills/slips.pdf'"), std::string::npos)
        << error.what();
  }
}

}  // namespace
