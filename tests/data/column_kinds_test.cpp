#include "data/column_kinds.h"

#include <gtest/gtest.h>

#include <vector>

#include "data/load_data.h"
#include "platform/list_view.h"
#include "tests/fakes/fake_provider.h"

namespace {

using platform::db::Value;
using Kind = platform::db::Value::Kind;

TEST(ColumnKinds, OnlyFieldsThatHandedOutNumbersAloneAreNumberColumns) {
  fakes::FakeProvider provider;
  provider.default_field_names = {"mem_code", "ne_date", "volume_lt", "fat", "rate", "note"};
  const std::string day =
      "Select Mem_Code,ne_date,Coll_Time,Volume_lt,fat_Per as fat,snf,ts_comm,rate,"
      "Volume_lt*rate as Amount from TRAN Where ne_date='01/01/2081' order by ne_date, Mem_Code";
  provider.SetRows(day, {
                            {Value::Of(Kind::kText, "00123"), Value::Of(Kind::kText, "01/01/2081"),
                             Value::Of(Kind::kNumber, "12.35"), Value::Null(),
                             Value::Of(Kind::kNumber, "38.25"), Value::Of(Kind::kNumber, "1")},
                            {Value::Of(Kind::kText, "00124"), Value::Of(Kind::kText, "01/01/2081"),
                             Value::Of(Kind::kNumber, "7.25"), Value::Null(),
                             Value::Of(Kind::kNumber, "65.1"), Value::Of(Kind::kText, "late")},
                        });
  data::ColumnKindRecorder recorder(provider);
  platform::MemoryListView list;
  data::LoadData(list, "t.dbf", "2081/01/01", "2081/01/01", recorder);

  EXPECT_EQ(list.items().size(), 2u);
  EXPECT_EQ(recorder.NumberColumns(), (std::vector<bool>{false, false, true, false, true, false}));
  EXPECT_EQ(provider.live_recordsets(), 0);
}

}  // namespace
