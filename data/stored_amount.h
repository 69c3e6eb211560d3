// The records of a range of BS days read for a payment period's bills: as LoadData lists them,
// with the table's own AMOUNT of each record beside them, which the list itself does not show
// (its Amount column is the litres times the rate, worked out at each load).
#pragma once

#include <string>

#include "platform/db/provider.h"
#include "platform/list_view.h"

namespace data {

// Loads the records as LoadData loads them into `list`, with one column more, last:
// exporter's "stored_amount", each record's AMOUNT as stored. Throws what LoadData throws, and
// the provider's kCommandError when the table has no AMOUNT field.
void LoadWithStoredAmount(platform::ListView& list, const std::string& database,
                          const std::string& from, const std::string& to,
                          platform::db::Provider& provider = platform::db::DbfProvider());

}  // namespace data
