#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "console.h"

namespace drevik {
namespace {

TEST(ConsoleCharset, ConvertsToShiftJisAndBack) {
  const std::string text = "    * 線源‐表面間距離  SSD = 70cm  一定";
  const std::string sjis = utf8_to_charset(text, Charset::ShiftJis);
  // 線 is 0x90FC and the hyphen U+2010 is 0x815D in code page 932.
  EXPECT_EQ(sjis.substr(0, 8), "    * \x90\xfc");
  EXPECT_NE(sjis.find("\x81\x5d"), std::string::npos);
  EXPECT_EQ(charset_to_utf8(sjis, Charset::ShiftJis), text);
  // Plain ASCII, backslash and tilde included, is unchanged.
  EXPECT_EQ(utf8_to_charset("C:\\run~1.csv", Charset::ShiftJis), "C:\\run~1.csv");
  // UTF-8 passes through untouched.
  EXPECT_EQ(utf8_to_charset(text, Charset::Utf8), text);
}

TEST(ConsoleCharset, UnconvertibleCharactersBecomeQuestionMarks) {
  EXPECT_EQ(utf8_to_charset("a\xf0\x9f\x98\x80z", Charset::ShiftJis).front(), 'a');
  EXPECT_EQ(utf8_to_charset("a\xf0\x9f\x98\x80z", Charset::ShiftJis).back(), 'z');
  EXPECT_NE(utf8_to_charset("a\xf0\x9f\x98\x80z", Charset::ShiftJis).find('?'), std::string::npos);
}

TEST(ConsoleCharset, WholeCharacterPrefix) {
  const std::string utf8 = "abあい";  // 2 + 3 + 3 bytes
  EXPECT_EQ(whole_character_prefix(utf8, 20, Charset::Utf8), 8U);
  EXPECT_EQ(whole_character_prefix(utf8, 5, Charset::Utf8), 5U);
  EXPECT_EQ(whole_character_prefix(utf8, 4, Charset::Utf8), 2U);
  EXPECT_EQ(whole_character_prefix(utf8, 7, Charset::Utf8), 5U);
  const std::string sjis = "a\x82\xa0\x82\xa2";  // a, then two double-byte characters
  EXPECT_EQ(whole_character_prefix(sjis, 4, Charset::ShiftJis), 3U);
  EXPECT_EQ(whole_character_prefix(sjis, 2, Charset::ShiftJis), 1U);
  // A second byte that looks like a lead byte (0x82 0x82) is still the second half.
  const std::string tricky = "\x82\x82\x82\xa0x";
  EXPECT_EQ(whole_character_prefix(tricky, 3, Charset::ShiftJis), 2U);
  EXPECT_EQ(whole_character_prefix(tricky, 4, Charset::ShiftJis), 4U);
}

TEST(ConsoleWaits, TypedTextIsIgnoredAndEndOfInputCountsAsEnter) {
  std::FILE* in = std::tmpfile();
  std::fputs("some text\n", in);
  std::rewind(in);
  std::FILE* out = std::tmpfile();
  Console console(out, in, Charset::Utf8);
  console.wait_for_enter();  // consumes "some text\n"
  EXPECT_EQ(std::fgetc(in), EOF);
  console.wait_for_enter();  // end of input: returns at once
  console.line(" x");
  std::rewind(out);
  char buffer[8] = {};
  ASSERT_NE(std::fgets(buffer, sizeof buffer, out), nullptr);
  EXPECT_STREQ(buffer, " x\n");
  std::fclose(in);
  std::fclose(out);
}

}  // namespace
}  // namespace drevik
