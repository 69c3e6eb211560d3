// The parts of a connection string this provider reads.
#pragma once

#include <string>

namespace platform::db {

struct ConnectionSettings {
  std::string provider;     // as written
  std::string data_source;  // a .dbf file or a folder
};

// Parses "key=value;key=value...": keys in any letter case, blanks around keys and values
// ignored, a value may be quoted with " or ' (a doubled quote inside stands for one) so that it
// can hold ";". Unknown keys are ignored.
ConnectionSettings ParseConnectionString(const std::string& text);

}  // namespace platform::db
