// The byte writer copies short pieces by overlapping fixed-size copies: every length, in every
// range it treats apart, comes out whole and in place, with nothing written past it. The byte
// buffer it writes into hands on what is written when its room runs out.
#include "export/byte_writer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ByteWriter, WritesPiecesOfEveryLengthWholeAndInPlace) {
  const std::string source = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJ";
  for (std::size_t length = 0; length <= 40; ++length) {
    std::string buffer(64, '.');
    exporter::ByteWriter out(buffer.data() + 1, buffer.data() + 1 + length + 13);
    out.Put(std::string_view(source).substr(3, length));
    out.Put('|');
    out.Put(std::string_view("1048576"));
    out.Put("<end>");
    EXPECT_EQ(out.at() - buffer.data(), static_cast<std::ptrdiff_t>(1 + length + 13));
    EXPECT_EQ(buffer.substr(0, 2 + length + 13), "." + source.substr(3, length) + "|1048576<end>.")
        << "length " << length;
  }
}

// A buffer smaller than what is written through it hands on every byte once and in order, also a
// piece larger than the buffer itself, and when its bytes are taken from it.
TEST(ByteBuffer, HandsOnEveryByteInOrderWhetherItsBytesAreTakenOrLeft) {
  for (const bool take : {false, true}) {
    std::string handed_on;
    exporter::ByteBuffer buffer(16, [&](std::string& bytes, std::size_t used) {
      handed_on.append(bytes, 0, used);
      if (take) std::string().swap(bytes);
    });
    std::string written;
    for (std::size_t i = 0; i < 50; ++i) {
      const std::string piece(i % 7 == 6 ? 40 : i % 5 + 1, static_cast<char>('a' + i % 26));
      buffer.Put(piece);
      written += piece;
    }
    buffer.HandOn();
    EXPECT_EQ(handed_on, written) << (take ? "taken" : "left");
    EXPECT_EQ(buffer.used(), 0u);
  }
}

// A piece longer than the room asked for stops a Debug or sanitizer build, even where the buffer
// behind the room is long enough for it; a release build writes it.
TEST(ByteWriterDeathTest, APieceLongerThanItsRoomIsCaught) {
  exporter::ByteBuffer buffer(64, [](std::string&, std::size_t) {});
  exporter::ByteWriter out = buffer.Room(4);
  out.Put("abcd");
  EXPECT_DEBUG_DEATH(out.Put('e'), "written past the room made");
  exporter::ByteWriter longer = buffer.Room(4);
  EXPECT_DEBUG_DEATH(longer.Put(std::string_view("abcdefgh")), "written past the room made");
}

}  // namespace
