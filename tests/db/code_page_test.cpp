// The double-byte code pages, which the system's own converters read: the same texts must come
// out on every system, bad bytes included.
#include "platform/db/code_page.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::db::CodePage;

std::string Decoded(int number, const std::string& bytes) {
  std::string out = "|";
  CodePage(number).Decode(bytes, out);
  return out;
}

// The stored bytes, or "<none>" when the page cannot store the text.
std::string Encoded(int number, const std::string& text) {
  std::string out;
  return CodePage(number).Encode(text, out) ? out : "<none>";
}

TEST(DoubleByteCodePage, ReadsAndStoresTextBothWays) {
  struct Case {
    int number;
    std::string stored;
    std::string text;
  };
  const Case cases[] = {
      {932,
       "A\x93\xfa\x96\x7b"
       "1",
       "A日本1"},
      {932, "\xc8\xca\xdf\xb0\xd9", "ﾈﾊﾟｰﾙ"},  // half-width katakana: one byte each
      {936, "\xc8\xd5\xb1\xbe", "日本"},
      {949, "\xec\xed\xdc\xe2", "日本"},
      {950, "\xa4\xe9\xa5\xbb", "日本"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    EXPECT_EQ(CodePage(c.number).number(), c.number);
    EXPECT_FALSE(CodePage(c.number).single_byte());
    EXPECT_EQ(Decoded(c.number, c.stored), "|" + c.text);
    EXPECT_EQ(Encoded(c.number, c.text), c.stored);
  }
}

TEST(DoubleByteCodePage, BadBytesReadAsReplacementCharacters) {
  // A lead byte before a byte that cannot follow it, and one cut off at the end of the field.
  EXPECT_EQ(Decoded(932, "\x81 A"), "|\xEF\xBF\xBD A");
  EXPECT_EQ(Decoded(932, "A\x93\xfa\x93"), "|A日\xEF\xBF\xBD");
  EXPECT_EQ(Decoded(950, "\xa4"), "|\xEF\xBF\xBD");
}

// Bytes that one system's table reads as a character of the private use area or a C1 control,
// and the other's refuses, start no character on either: every system reads the same text.
TEST(DoubleByteCodePage, BytesWithoutAnAgreedCharacterReadAlikeOnEverySystem) {
  struct Case {
    int number;
    std::string stored;
    std::string text;
  };
  const std::string bad = "\xEF\xBF\xBD";
  const Case cases[] = {
      {932,
       "\x80"
       "A",
       bad + "A"},
      {932,
       "\xf0\x40"
       "A",
       bad + "@A"},  // a user-defined character
      {936,
       "\xa1\x40"
       "A",
       bad + "@A"},
      {936, "\xa1", bad},
      {949,
       "\x80"
       "A",
       bad + "A"},
      {949,
       "\xc9\xa1"
       "A",
       bad + "좥"},  // the byte after the lead starts a character of its own
      {949,
       "\xa2\xe8"
       "A",
       bad + bad + "A"},
      {950,
       "\x81\x40"
       "A",
       bad + "@A"},
      {950, "\xa4\xe9\x81\x40\xa5\xbb", "日" + bad + "@本"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Decoded(c.number, c.stored), "|" + c.text);
  }
}

TEST(DoubleByteCodePage, TextThePageCannotHoldIsNotStored) {
  EXPECT_EQ(Encoded(932, "दूध"), "<none>");
  EXPECT_EQ(Encoded(936, "A\xff"), "<none>");  // not UTF-8
  EXPECT_EQ(Encoded(949, ""), "");
}

}  // namespace
