// Settings values in the real client's form: every text the logic saves keeps the client's rules
// and reads back the same; texts already in a client's settings file read as they stand.
#include <gtest/gtest.h>

#include <string>

#include "client/settings_value_text.h"

namespace kestrava::client {
namespace {

// The client's documented rule on a saved value: printable, never ':', CR or LF.
bool KeepsClientRules(const char* stored) {
  if (stored == nullptr) return false;
  for (const char* p = stored; *p != '\0'; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (c == ':' || c < 0x20 || c > 0x7e) return false;
  }
  return true;
}

std::string Read(const char* stored) {
  std::string buffer;
  const char* value = ReadSettingText(stored, buffer);
  return value != nullptr ? value : "<absent>";
}

TEST(ClientSettingsText, EveryValueKeepsTheRulesAndReadsBackTheSame) {
  const std::string values[] = {
      "",
      "1",
      "16508866",
      "EGLL:1",
      "EGLL:BPK7F:6000:1",
      "C:\\Users\\Jo Bloggs\\stats.csv",
      "50%",
      "%",
      "%%",
      "%%EGLL%3A1",
      "%3A",
      "a\r\nb\tc",
      "\x01\x7f",
      "Z\xc3\xbcrich",
      ":",
  };
  for (const std::string& value : values) {
    std::string buffer;
    const char* stored = StoredSettingText(value.c_str(), buffer);
    EXPECT_TRUE(KeepsClientRules(stored)) << value << " stored as " << stored;
    EXPECT_EQ(Read(stored), value) << "stored as " << stored;
  }
  std::string buffer;
  EXPECT_STREQ(StoredSettingText("EGLL:1", buffer), "%%EGLL%3A1");
  EXPECT_STREQ(StoredSettingText("", buffer), "%%");
  const char* plain = "16508866";
  EXPECT_EQ(StoredSettingText(plain, buffer), plain);  // most values are stored as they are
}

TEST(ClientSettingsText, AClearedKeyReadsAsAbsent) {
  std::string buffer;
  EXPECT_STREQ(StoredSettingText(nullptr, buffer), "");
  EXPECT_EQ(Read(""), "<absent>");
  EXPECT_EQ(Read(nullptr), "<absent>");
}

TEST(ClientSettingsText, TextsInPlainFormReadAsTheyStand) {
  for (const char* text : {"EGLL:1", "EGLL:BPK7F:6000:1", "http://host/qex/", "50%", "100%25",
                           "C:\\logs\\stats.csv", "%%EGLL%3", "%%%", "%%%zz"}) {
    EXPECT_EQ(Read(text), text);
  }
}

}  // namespace
}  // namespace kestrava::client
