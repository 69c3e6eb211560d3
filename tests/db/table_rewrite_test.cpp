// Loads of a table that another program rewrites at the same time, as a load from the window or
// the export command makes them: the structure query, then days, on one connection.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/db/provider.h"
#include "tests/db/db_test_support.h"

namespace {

using platform::db::DbfProvider;

const std::string kStructureQuery =
    "Select Mem_Code,ne_date,Coll_Time,Volume_lt,fat_Per as fat,snf as snf,ts_comm,rate,Amount "
    "from TRAN Where ne_date='";

std::shared_ptr<platform::db::Connection> Connect(const std::filesystem::path& table) {
  auto connection = DbfProvider().NewConnection();
  connection->Open(
      "Provider=vfpoledb;Data Source=" + table.string() + ";Collating Sequence=machine", "", "",
      platform::db::kOptionUnspecified);
  return connection;
}

// The rows `sql` gives, each as its values joined by "|".
std::vector<std::string> Rows(const std::shared_ptr<platform::db::Connection>& connection,
                              const std::string& sql) {
  auto records = DbfProvider().NewRecordset();
  records->SetCursorLocation(platform::db::kUseClient);
  records->Open(sql, connection, platform::db::kOpenForwardOnly, platform::db::kLockOptimistic,
                platform::db::kOptionUnspecified);
  std::vector<std::string> rows;
  for (; !records->AtEof(); records->MoveNext()) {
    std::string row;
    for (std::size_t i = 0; i < records->FieldCount(); ++i) {
      row += (i > 0 ? "|" : "") + records->FieldValue(i).text;
    }
    rows.push_back(row);
  }
  return rows;
}

std::string DayQuery(const std::string& day_key) {
  return "Select Mem_Code,ne_date,Coll_Time,Volume_lt,fat_Per as fat,snf,ts_comm,rate,"
         "Volume_lt*rate as Amount from TRAN Where ne_date='" +
         day_key + "' order by ne_date, Mem_Code";
}

class TableRewrittenWhileLoaded : public ::testing::Test {
 protected:
  db_test::TempDir dir_;
};

// Loads while another program rewrites the table in place, in each of the ways programs do: a
// load that succeeds gives the rows of one version of the table, whole; any other fails, saying
// to load again. Bounded in loads and in time.
TEST_F(TableRewrittenWhileLoaded,
       LoadsWhileAnotherProgramRewritesTheTableGiveOneVersionOrSayLoadAgain) {
  constexpr std::uint32_t kDays = 9;
  constexpr std::uint32_t kRecords = 1800;
  auto day_key = [](std::uint32_t n) { return "0" + std::to_string(n % kDays + 1) + "/01/2081"; };
  auto record = [&](std::uint32_t n) {
    return db_test::TranRecord(std::to_string(n), day_key(n), std::to_string(n % 97) + ".5",
                               "40.00");
  };
  // The first `count` records, every 7th left out when `packed`.
  auto table = [&](std::uint32_t count, bool packed) {
    std::vector<std::string> records;
    for (std::uint32_t n = 0; n < count; ++n) {
      if (!packed || n % 7 != 3) records.push_back(record(n));
    }
    return db_test::BuildTable(0x30, db_test::TranFields(), records);
  };
  const std::string whole = table(kRecords, false);
  const std::string without = table(kRecords, true);
  const std::uint64_t header_length =
      static_cast<unsigned char>(whole[8]) | static_cast<unsigned char>(whole[9]) << 8;
  const std::uint64_t record_length = record(0).size();

  // A load as the window makes one: the structure query, then days, on one connection.
  auto load = [&](const std::filesystem::path& path) {
    auto connection = Connect(path);
    std::string rows;
    for (const std::string& row : Rows(connection, kStructureQuery + "2081/01/01'")) {
      rows += row + "\n";
    }
    for (const std::uint32_t day : {0u, 4u, 8u}) {
      rows += "day\n";
      for (const std::string& row : Rows(connection, DayQuery(day_key(day)))) {
        rows += row + "\n";
      }
    }
    return rows;
  };
  // What a load of a version gives, read alone, by the version's name.
  std::map<std::string, std::string> versions;
  auto version = [&](const std::string& name, const std::string& bytes) -> const std::string& {
    auto found = versions.find(name);
    if (found == versions.end()) {
      std::filesystem::create_directory(dir_.path() / name);
      db_test::WriteFile(dir_.path() / name / "TRAN.DBF", bytes);
      found = versions.emplace(name, load(dir_.path() / name / "TRAN.DBF")).first;
    }
    return found->second;
  };

  // The steps of a writer, numbered from 0; `count` is the record count when it starts.
  struct WriterCase {
    const char* name;
    std::function<void(std::fstream& file, const std::filesystem::path& path, std::uint32_t step)>
        write;
  };
  auto put = [](std::fstream& file, std::uint64_t at, const std::string& bytes) {
    file.seekp(static_cast<std::streamoff>(at));
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush();
  };
  auto put_count = [&](std::fstream& file, std::uint32_t count) {
    std::string counted(4, '\0');
    db_test::PutLe32(counted, 0, count);
    put(file, 4, counted);
  };
  auto append = [&](std::fstream& file, std::uint32_t n) {
    put(file, header_length + n * record_length, record(n) + "\x1A");
  };
  const WriterCase writers[] = {
      {"pack in place, then the original written back",
       [&](std::fstream& file, const std::filesystem::path& path, std::uint32_t step) {
         const std::string& next = step % 2 == 0 ? without : whole;
         put(file, 0, next);
         std::filesystem::resize_file(path, next.size());
       }},
      {"cut to nothing and written again",
       [&](std::fstream& file, const std::filesystem::path& path, std::uint32_t step) {
         std::filesystem::resize_file(path, 0);
         put(file, 0, step % 2 == 0 ? without : whole);
       }},
      {"cut to nothing, held so a while, and written again",
       [&](std::fstream& file, const std::filesystem::path& path, std::uint32_t step) {
         std::filesystem::resize_file(path, 0);
         std::this_thread::sleep_for(std::chrono::milliseconds(step % 3 == 0 ? 150 : 20));
         put(file, 0, step % 2 == 0 ? without : whole);
         std::this_thread::sleep_for(std::chrono::milliseconds(30));
       }},
      {"count raised before the record is written",
       [&](std::fstream& file, const std::filesystem::path&, std::uint32_t step) {
         put_count(file, kRecords + step + 1);
         append(file, kRecords + step);
       }},
      {"record written before the count is raised",
       [&](std::fstream& file, const std::filesystem::path&, std::uint32_t step) {
         append(file, kRecords + step);
         put_count(file, kRecords + step + 1);
       }},
  };

  for (const WriterCase& writer : writers) {
    SCOPED_TRACE(writer.name);
    const auto path = dir_.path() / "TRAN.DBF";
    db_test::WriteFile(path, whole);
    std::atomic<bool> done{false};
    std::thread program([&] {
      std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
      for (std::uint32_t step = 0; file && !done && step < 20000; ++step) {
        writer.write(file, path, step);
        std::this_thread::yield();
      }
    });
    std::vector<std::string> loaded;  // the rows of each load that succeeded
    std::vector<std::string> failures;
    std::size_t load_again = 0;
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (int n = 0; n < 100 && std::chrono::steady_clock::now() < give_up; ++n) {
      try {
        loaded.push_back(load(path));
      } catch (const platform::RunTimeError& error) {
        const bool again = std::string(error.what()).find("Load it again.") != std::string::npos;
        if (!again) failures.push_back(error.what());
        load_again += again ? 1 : 0;
      }
    }
    done = true;
    program.join();

    std::size_t mixed = 0;
    std::string first_mixed;
    for (const std::string& rows : loaded) {
      // The versions the writer makes: the two of the rewritten table, or the first records of
      // the growing one, up to the last one the load shows and a few after it (of other days).
      std::uint32_t last = 0;
      for (std::size_t at = 0; at < rows.size(); at = rows.find('\n', at) + 1) {
        if (rows[at] >= '0' && rows[at] <= '9') {
          last = std::max(last, static_cast<std::uint32_t>(std::stoul(rows.substr(at, 6))));
        }
      }
      bool known = rows == version("whole", whole) || rows == version("packed", without);
      for (std::uint32_t count = std::max(last + 1, kRecords); !known && count <= last + kDays;
           ++count) {
        known = rows == version("grown" + std::to_string(count), table(count, false));
      }
      if (!known && mixed++ == 0) first_mixed = rows;
    }
    EXPECT_EQ(mixed, 0u) << "of " << loaded.size() << " loads that succeeded, the first:\n"
                         << first_mixed;
    EXPECT_TRUE(failures.empty()) << failures.size() << " failed otherwise, as " << failures[0];
    std::printf("%s: %zu loads gave one version, %zu said to load again\n", writer.name,
                loaded.size(), load_again);
  }
}

}  // namespace
