#include "host/settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace standin {
namespace {

std::string TempPath(const std::string& name) {
  const auto dir = std::filesystem::temp_directory_path() / "kestrava-tests";
  std::filesystem::create_directories(dir);
  const auto path = dir / name;
  std::filesystem::remove(path);
  return path.string();
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(SettingsStore, UnusualKeysAndValuesSurviveARoundTrip) {
  const std::string path = TempPath("roundtrip.txt");
  const std::pair<std::string, std::string> entries[] = {
      {"SQK1", "EGLL:1"},
      {"key with\ttab", "value\twith\ttabs"},
      {"colon:key", "a:b::c"},
      {"back\\slash", "C:\\ZYT_STATS.csv"},
      {"lines", "one\r\ntwo\nthree"},
      {"empty", ""},
      {"high bytes \xe9", "\xff\x80 caf\xe9"},
  };
  {
    SettingsStore store(path);
    for (const auto& [key, value] : entries) store.Set(key, "desc " + key, value.c_str());
  }
  SettingsStore reread(path);
  EXPECT_EQ(reread.entries().size(), std::size(entries));
  for (const auto& [key, value] : entries) {
    ASSERT_NE(reread.Get(key), nullptr) << key;
    EXPECT_EQ(std::string(reread.Get(key)), value) << key;
    EXPECT_EQ(reread.entries().at(key).description, "desc " + key);
  }
}

TEST(SettingsStore, NullValueRemovesTheKey) {
  const std::string path = TempPath("remove.txt");
  SettingsStore store(path);
  store.Set("SQK1", "SQK1", "EGLL:1");
  store.Set("SQK1", "SQK1", nullptr);
  EXPECT_EQ(store.Get("SQK1"), nullptr);
  EXPECT_EQ(SettingsStore(path).Get("SQK1"), nullptr);
}

// A store whose save "crashes" after writing the temporary file and before the rename.
class CrashingStore : public SettingsStore {
 public:
  using SettingsStore::SettingsStore;

 protected:
  bool Commit(const std::string&, const std::string&) override { return false; }
};

TEST(SettingsStore, SaveInterruptedBeforeTheRenameLeavesTheOldFile) {
  const std::string path = TempPath("crash.txt");
  {
    SettingsStore store(path);
    store.Set("ADTTYPE", "Actual TOT Format", "3");
  }
  const std::string before = ReadAll(path);
  CrashingStore crashing(path);
  EXPECT_FALSE(crashing.Set("ADTTYPE", "Actual TOT Format", "5"));
  EXPECT_EQ(ReadAll(path), before);
  EXPECT_EQ(std::string(SettingsStore(path).Get("ADTTYPE")), "3");
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

TEST(SettingsStore, AFailedSaveLeavesNoTemporaryFile) {
  // The store's path names a folder: the temporary file is written, the rename is refused.
  const std::string path = TempPath("folder-store");
  std::filesystem::create_directories(std::filesystem::path(path) / "inside");
  SettingsStore store(path);
  EXPECT_FALSE(store.Set("SQK", "SQK", "1"));
  EXPECT_EQ(std::string(store.Get("SQK")), "1");  // kept in memory
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
  std::filesystem::remove_all(path);
}

TEST(SettingsStore, ReadsLinesEndingWithCrLfOrLf) {
  const std::string path = TempPath("crlf.txt");
  std::ofstream(path, std::ios::binary) << "SQK\tSQK\t1\r\n"
                                           "ADTTYPE\tActual TOT Format\t5\n"
                                           "EMPTY\tEMPTY\t\r\n"
                                           "CR\tCR\tends with CR\\r\r\n"
                                           "LAST\tLAST\tno line end\r";
  const SettingsStore store(path);
  const std::pair<const char*, const char*> expected[] = {{"SQK", "1"},
                                                          {"ADTTYPE", "5"},
                                                          {"EMPTY", ""},
                                                          {"CR", "ends with CR\r"},
                                                          {"LAST", "no line end"}};
  EXPECT_EQ(store.entries().size(), std::size(expected));
  for (const auto& [key, value] : expected) {
    ASSERT_NE(store.Get(key), nullptr) << key;
    EXPECT_EQ(std::string(store.Get(key)), value) << key;
  }
  EXPECT_EQ(store.entries().at("ADTTYPE").description, "Actual TOT Format");
}

TEST(SettingsStore, MissingFileIsAnEmptyStore) {
  SettingsStore store(TempPath("missing.txt"));
  EXPECT_TRUE(store.entries().empty());
  EXPECT_EQ(store.Get("SQK"), nullptr);
}

}  // namespace
}  // namespace standin
