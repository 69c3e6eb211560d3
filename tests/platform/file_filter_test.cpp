// The filter text of the Open-file dialog as file types.
#include "platform/controls/file_filter.h"

#include <gtest/gtest.h>

namespace {

using platform::FileType;

TEST(DialogFilter, PairsBecomeFileTypes) {
  EXPECT_EQ(platform::ParseFilter("DBF File|*.dbf"),
            (std::vector<FileType>{{"DBF File", {"*.dbf"}}}));
  EXPECT_EQ(platform::ParseFilter("Tables|*.dbf;*.DBF|All files|*.*|Lonely"),
            (std::vector<FileType>{
                {"Tables", {"*.dbf", "*.DBF"}}, {"All files", {"*.*"}}, {"Lonely", {"*"}}}));
  EXPECT_TRUE(platform::ParseFilter("").empty());
}

}  // namespace
