// The parts of a connection string this provider reads.
#pragma once

#include <string>
#include <vector>

namespace platform::db {

struct ConnectionSettings {
  std::string provider;     // as written
  std::string data_source;  // a .dbf file or a folder
  // An unquoted data source may itself hold ";" (a folder "Milk;2081"): its readings that run on
  // over the following parts, shortest first, for the caller to try when the plain one names
  // nothing.
  std::vector<std::string> longer_data_sources;
};

// Parses "key=value;key=value...": keys in any letter case, blanks around keys and values
// ignored, a value may be quoted with " or ' (a doubled quote inside stands for one) so that it
// can hold ";". Unknown keys are ignored.
ConnectionSettings ParseConnectionString(const std::string& text);

}  // namespace platform::db
