// The old text form of strings tables: what it reads, in every encoding a
// table is saved in, and the malformed tables it refuses with their line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "preferences/StringsText.h"

using preferences::parseStringsText;
using testing::HasSubstr;

namespace {

std::string valueOf(const Ref<NSDictionary>& d, const std::string& key) {
  auto* s = objc_cast<NSString>(d->find(key));
  return s ? s->utf8() : "<none>";
}

}  // namespace

TEST(StringsText, ReadsQuotedAndBareWordsCommentsEscapesAndRepeats) {
  auto t = parseStringsText(
      "/* A comment\n over lines */\n"
      "\"PLAIN\" = \"Plain\";  // to the end of the line\n"
      "BARE = word.with-chars;\n"
      "\"ESC\" = \"tab\\there\\nline \\\"q\\\" back\\\\slash\";\n"
      "\"UNI\" = \"\\U00e9t\\u00E9 \\UD83D\\UDE00\";\n"
      "\"ALONE\";\n"
      "\"PLAIN\" = \"Again\";\n");
  ASSERT_TRUE(t) << t.error();
  EXPECT_EQ(valueOf(t.value(), "PLAIN"), "Again");
  EXPECT_EQ(valueOf(t.value(), "BARE"), "word.with-chars");
  EXPECT_EQ(valueOf(t.value(), "ESC"), "tab\there\nline \"q\" back\\slash");
  EXPECT_EQ(valueOf(t.value(), "UNI"), "\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80");
  EXPECT_EQ(valueOf(t.value(), "ALONE"), "ALONE");
  EXPECT_EQ(t.value()->count(), 5u);
}

TEST(StringsText, ReadsUtf16EitherWayAndUtf8WithItsMark) {
  auto utf16 = [](const std::u16string& text, bool big) {
    std::string out = big ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : text) {
      char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
      out += big ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
  };
  for (bool big : {false, true}) {
    auto t = parseStringsText(utf16(u"\"K\" = \"\u00e9\U0001F600\";", big));
    ASSERT_TRUE(t) << t.error();
    EXPECT_EQ(valueOf(t.value(), "K"), "\xC3\xA9\xF0\x9F\x98\x80");
  }
  auto bom = parseStringsText("\xEF\xBB\xBF\"K\" = \"v\";");
  ASSERT_TRUE(bom);
  EXPECT_EQ(valueOf(bom.value(), "K"), "v");
  auto braced = parseStringsText("{ \"K\" = \"v\"; }");
  ASSERT_TRUE(braced);
  EXPECT_EQ(valueOf(braced.value(), "K"), "v");
  auto empty = parseStringsText("  /* nothing */ ");
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty.value()->count(), 0u);
}

TEST(StringsText, MalformedTablesAreRefusedNamingTheLine) {
  struct Case {
    std::string text, says;
  };
  const Case cases[] = {
      {"\"A\" = \"a\";\n\"B\" = \"b\"\n", "line 3: a ';' is missing"},
      {"\"A\" = \"open;\n", "not closed"},
      {"/* open comment", "comment is not closed"},
      {"\"A\" = ;", "unexpected ';'"},
      {"\"A\" =", "missing"},
      {"\"A\" = \"\\U\";", "hexadecimal"},
      {"\"A\" = \"\\UDC00\";", "no character"},
      {"\"A\" = \"\\000\";", "octal"},
      {std::string("\"A\" = \"a\0b\";", 12), "NUL"},
      {"\"A\" = \"\xC3\";", "not UTF-8"},
      {"\"A\" = \"\xC0\xAF\";", "not UTF-8"},
      {std::string("\xFF\xFE\x00\xD8", 4), "not UTF-16"},
      {"\xFF\xFE\x41", "not UTF-16"},
      {"{ \"A\" = \"a\";", "closing brace is missing"},
      {"{ } x", "after the table"},
  };
  for (const auto& c : cases) {
    auto t = parseStringsText(c.text);
    ASSERT_FALSE(t) << c.text;
    EXPECT_THAT(t.error(), HasSubstr(c.says)) << c.text;
  }
}
