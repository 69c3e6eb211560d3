// Record sets on several threads at once, and loads while another program appends records.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/db/provider.h"
#include "tests/db/db_test_support.h"
#include "tests/db/provider_test_support.h"

namespace provider_test {
namespace {

// A loader opens the next days' record sets on other threads while it reads a day's rows; a
// server-side cursor keeps its engine busy meanwhile, so those opens need engines of their own.
// A table of a double-byte code page has its texts converted on every thread, and ordered by
// their stored bytes through the same converter.
TEST_F(TranFolder, RecordSetsOpenedOnSeveralThreadsAtOnceEachHoldTheirOwnDay) {
  constexpr int kDays = 8;
  const struct {
    std::uint8_t mark;
    std::string prefix;                          // of every member code
  } pages[] = {{0x03, ""}, {0x7A, "\xC4\xE3"}};  // 1252; 936, whose "\xC4\xE3" is one character
  for (const auto& page : pages) {
    SCOPED_TRACE(static_cast<int>(page.mark));
    std::vector<std::string> records;
    for (int member = 0; member < 400; ++member) {
      for (int day = 1; day <= kDays; ++day) {
        const std::string code = page.prefix + std::to_string(997 - member * 3 % 997);
        records.push_back(db_test::TranRecord(
            code, "0" + std::to_string(day) + "/01/2081", std::to_string(member % 7) + ".25",
            std::to_string(40 + day) + ".10", member % 11 == 0 ? '*' : ' '));
      }
    }
    const auto path = WriteTran(records, "TRAN.DBF", page.mark);
    auto DayKey = [](int day) { return "0" + std::to_string(day) + "/01/2081"; };
    std::map<int, std::vector<std::string>> expected;
    {
      auto alone = Connect(path);
      for (int day = 1; day <= kDays; ++day) {
        expected[day] = Rows(*Query(alone, DayQuery(DayKey(day))));
        ASSERT_EQ(expected[day].size(), 363u);
      }
    }
    if (!page.prefix.empty()) {
      ASSERT_TRUE(expected[1][0].starts_with("你")) << expected[1][0];
    }

    auto connection = Connect(path);
    auto held = DbfProvider().NewRecordset();
    held->Open(DayQuery(DayKey(1)), connection, 0, 3, -1);  // server-side: rows still to come
    std::map<int, std::vector<std::vector<std::string>>> seen;
    for (int day = 1; day <= kDays; ++day) seen[day].resize(5);
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 4; ++thread) {
      threads.emplace_back([&, thread] {
        for (int round = 0; round < 5; ++round) {
          for (int day = 1 + thread; day <= kDays; day += 4) {
            seen[day][static_cast<std::size_t>(round)] =
                Rows(*Query(connection, DayQuery(DayKey(day))));
          }
        }
      });
    }
    for (std::thread& thread : threads) thread.join();
    for (int day = 1; day <= kDays; ++day) {
      for (const auto& rows : seen[day]) EXPECT_EQ(rows, expected[day]) << "day " << day;
    }
    EXPECT_EQ(Rows(*held), expected[1]);
  }
}

// The collection software appends a record, with the end mark after it, and then raises the
// count in the header. Loads made meanwhile read the records counted when they opened the table,
// every one whole, and never find the table damaged.
TEST_F(TranFolder, LoadsWhileAnotherProgramAppendsReadWholeRecordsOnly) {
  constexpr std::uint32_t kDays = 9;
  auto day_key = [](std::uint32_t n) { return "0" + std::to_string(n % kDays + 1) + "/01/2081"; };
  auto record = [&](std::uint32_t n) {
    return db_test::TranRecord(std::to_string(n), day_key(n), std::to_string(n % 97) + ".5",
                               "40.00");
  };
  auto row = [&](std::uint32_t n) {
    return std::to_string(n) + std::string(6 - std::to_string(n).size(), ' ') + "|" + day_key(n) +
           "|M|" + std::to_string(n % 97) + ".5|4.5|8.5|0|40|" + std::to_string(n % 97 * 40 + 20);
  };
  std::vector<std::string> first;
  for (std::uint32_t n = 0; n < 90; ++n) first.push_back(record(n));
  const auto path = WriteTran(first);
  const std::string bytes = db_test::ReadFile(path);
  const auto header_length = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[8]) |
                                                        static_cast<unsigned char>(bytes[9]) << 8);
  const auto record_length = static_cast<std::uint32_t>(record(0).size());

  std::atomic<bool> done{false};
  std::thread appender([&] {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    for (std::uint32_t count = 90; file && !done && count < 30000; ++count) {
      const std::string appended = record(count) + "\x1A";
      std::string counted(4, '\0');
      db_test::PutLe32(counted, 0, count + 1);
      file.seekp(header_length + static_cast<std::streamoff>(count) * record_length);
      file.write(appended.data(), static_cast<std::streamsize>(appended.size())).flush();
      file.seekp(4);
      file.write(counted.data(), static_cast<std::streamsize>(counted.size())).flush();
      std::this_thread::yield();
    }
  });

  std::vector<std::string> failures;
  for (std::uint32_t load = 0; load < 200 && failures.empty(); ++load) {
    try {
      auto connection = Connect(path);
      Query(connection, kStructureQuery + "2081/01/01'");
      const std::uint32_t day = load % kDays;
      // Member codes are texts, so the rows come in text order: 1, 10, 100, ...
      std::set<std::uint32_t> members;
      for (const std::string& text : Rows(*Query(connection, DayQuery(day_key(day))))) {
        const std::uint32_t n = static_cast<std::uint32_t>(std::stoul(text));
        if (text != row(n)) failures.push_back("a record read half: " + text);
        members.insert(n);
      }
      // The day's records of one count: no record missing before the last one read.
      const std::size_t count = members.empty() ? 0 : (*members.rbegin() - day) / kDays + 1;
      if (members.size() != count || members.size() < 10) {
        failures.push_back("records missing on day " + day_key(day));
      }
    } catch (const platform::RunTimeError& error) {
      failures.push_back(error.what());
    }
  }
  done = true;
  appender.join();
  EXPECT_TRUE(failures.empty()) << failures.front();
}

}  // namespace
}  // namespace provider_test
