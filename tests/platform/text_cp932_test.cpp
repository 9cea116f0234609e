#include "platform/text_cp932.h"

#include <gtest/gtest.h>

TEST(TextCp932, ConvertsBothWaysWithCodePage932Mappings) {
  struct Case {
    const char* utf8;
    const char* cp932;
  } cases[] = {
      {"abc", "abc"},
      {"表", "\x95\x5C"},            // trail byte is the backslash byte
      {"－", "\x81\x7C"},            // U+FF0D only under CP932, not plain Shift-JIS
      {"エラー", "\x83\x47\x83\x89\x81\x5B"},
      {"ＭＳ ゴシック", "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sjis(c.utf8), c.cp932) << c.utf8;
    EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8) << c.utf8;
  }
}

TEST(TextCp932, RefusesWhatCp932CannotHoldAndReplacesBrokenBytes) {
  bool ok = true;
  EXPECT_EQ(Utf8ToCp932("😀", &ok), "");
  EXPECT_FALSE(ok);
  // A lone lead byte at the end becomes one replacement character.
  EXPECT_EQ(Cp932ToUtf8("a\x95"), "a\xEF\xBF\xBD");
}

TEST(TextCp932, ByteClasses) {
  EXPECT_TRUE(IsSjisLeadByte(0x81));
  EXPECT_TRUE(IsSjisLeadByte(0x9F));
  EXPECT_TRUE(IsSjisLeadByte(0xE0));
  EXPECT_TRUE(IsSjisLeadByte(0xFC));
  EXPECT_FALSE(IsSjisLeadByte(0xA0));
  EXPECT_FALSE(IsSjisLeadByte(0x80));
  EXPECT_TRUE(IsSjisTrailByte(0x40));
  EXPECT_TRUE(IsSjisTrailByte(0x5C));
  EXPECT_FALSE(IsSjisTrailByte(0x7F));
  EXPECT_FALSE(IsSjisTrailByte(0xFD));
}
