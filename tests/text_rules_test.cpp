#include "plugin/text_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrava {
namespace {

TEST(LeadingInteger, ReadsTheLeadingDecimalNumberOfOddTexts) {
  struct Case {
    const char* text;
    std::int32_t expected;               // LeadingInteger: sign and digits only
    std::int32_t expected_after_blanks;  // LeadingIntegerAfterBlanks
  };
  const Case cases[] = {
      {"", 0, 0},
      {"abc", 0, 0},
      {"42", 42, 42},
      {"  42", 0, 42},
      {"\t7x", 0, 7},
      {" \r\n\v\f-3", 0, -3},
      {" 930", 0, 930},
      {"+15", 15, 15},
      {"-15", -15, -15},
      {"- 15", 0, 0},
      {"12ab34", 12, 12},
      {"12 34", 12, 12},
      {"46080", 46080, 46080},
      {"4294967295", -1, -1},
      {"4294967291", -5, -5},
      {"2147483648", INT32_MIN, INT32_MIN},
      {"-2147483648", INT32_MIN, INT32_MIN},
      {"4294967296", 0, 0},  // 2^32 keeps its low 32 bits
      // Forty digits: read modulo 2^32, without undefined behaviour.
      {"1234567890123456789012345678901234567890",
       static_cast<std::int32_t>(static_cast<std::uint32_t>(0xCE3F0AD2u)),
       static_cast<std::int32_t>(static_cast<std::uint32_t>(0xCE3F0AD2u))},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LeadingInteger(std::string_view(c.text)), c.expected) << '"' << c.text << '"';
    EXPECT_EQ(LeadingIntegerAfterBlanks(c.text), c.expected_after_blanks) << '"' << c.text << '"';
  }
  EXPECT_EQ(LeadingInteger(static_cast<const char*>(nullptr)), 0);
  EXPECT_EQ(LeadingIntegerAfterBlanks(static_cast<const char*>(nullptr)), 0);
}

TEST(LeadingInteger, EveryUnsignedTextReadsBackToTheSameBits) {
  for (std::int32_t value : {0, 1, -1, -5, 100, INT32_MAX, INT32_MIN, 16508866}) {
    const std::string text = UnsignedText(static_cast<std::uint32_t>(value));
    EXPECT_EQ(LeadingInteger(text), value) << text;
  }
}

TEST(IsFlagOn, OnlyTheExactTextOneIsOn) {
  EXPECT_TRUE(IsFlagOn("1"));
  for (const char* off : {"", "0", " 1", "1 ", "11", "true", "yes", "01"}) {
    EXPECT_FALSE(IsFlagOn(off)) << '"' << off << '"';
  }
}

TEST(SplitFields, SkipsLeadingAndRepeatedSeparators) {
  using Fields = std::vector<std::string_view>;
  EXPECT_EQ(SplitFields(""), Fields{});
  EXPECT_EQ(SplitFields(":::"), Fields{});
  EXPECT_EQ(SplitFields("EGLL:1"), (Fields{"EGLL", "1"}));
  EXPECT_EQ(SplitFields(":5:2"), (Fields{"5", "2"}));
  EXPECT_EQ(SplitFields("EGLL::6000:1"), (Fields{"EGLL", "6000", "1"}));
  EXPECT_EQ(SplitFields("a:b:c:"), (Fields{"a", "b", "c"}));
}

TEST(AsciiUpper, ChangesOnlyAsciiLetters) {
  EXPECT_EQ(AsciiUpper("egll"), "EGLL");
  EXPECT_EQ(AsciiUpper("bpk7f-x"), "BPK7F-X");
  EXPECT_EQ(AsciiUpper("\xe9t\xe9"), "\xe9T\xe9");  // bytes above 127 stay as they are
}

}  // namespace
}  // namespace kestrava
