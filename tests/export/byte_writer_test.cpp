// The byte writer copies short pieces by overlapping fixed-size copies: every length, in every
// range it treats apart, comes out whole and in place, with nothing written past it.
#include "export/byte_writer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ByteWriter, WritesPiecesOfEveryLengthWholeAndInPlace) {
  const std::string source = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJ";
  for (std::size_t length = 0; length <= 40; ++length) {
    std::string buffer(64, '.');
    exporter::ByteWriter out(buffer.data() + 1);
    out.Put(std::string_view(source).substr(3, length));
    out.Put('|');
    out.PutNumber(1048576);
    out.Put("<end>");
    EXPECT_EQ(out.at() - buffer.data(), static_cast<std::ptrdiff_t>(1 + length + 13));
    EXPECT_EQ(buffer.substr(0, 2 + length + 13), "." + source.substr(3, length) + "|1048576<end>.")
        << "length " << length;
  }
}

}  // namespace
