// Appending whole or not at all, on the real file system of each target, with the system's writes
// cut short or failing part-way as on a full disk.
#include "platform/file_append.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/env.h"

namespace kestrava {
namespace {

namespace fs = std::filesystem;

fs::path Folder() {
  const fs::path folder = fs::temp_directory_path() / "kestrava-file-append";
  fs::create_directories(folder);
  return folder;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(FileAppend, AFailedWriteLeavesTheFileAsItWas) {
  const std::string line = "BAW1,John Smith,B738,EGLL,27R,CPT3F,LFPG,26L,MOPAR1A,D,05/06/2024\n";
  const struct {
    const char* name;
    WriteLimit limit;
    bool appended;
  } cases[] = {
      {"no limit", {}, true},
      {"short writes", {WriteLimit{}.writable_bytes, 7}, true},
      {"disk full at once", {0}, false},
      {"disk full part-way", {10}, false},
      {"disk full part-way, short writes", {20, 3}, false},
      {"disk full one byte short", {line.size() - 1}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path path = Folder() / "log.csv";
    std::ofstream(path, std::ios::binary) << "first line\n";
    const AppendResult result = AppendToFile(path.string(), line, c.limit);
    EXPECT_EQ(result.appended, c.appended);
    EXPECT_EQ(result.reason, c.appended ? "" : kAppendReasonDiskFull);
    EXPECT_EQ(ReadAll(path), c.appended ? "first line\n" + line : "first line\n");
  }
}

TEST(FileAppend, AMissingFileIsCreatedAMissingFolderOrAFolderFailsWithItsReason) {
  const fs::path path = Folder() / "new.csv";
  fs::remove(path);
  EXPECT_TRUE(AppendToFile(path.string(), "a\n"));
  EXPECT_EQ(ReadAll(path), "a\n");
  EXPECT_EQ(AppendToFile((Folder() / "no-such-folder" / "x.csv").string(), "a\n").reason,
            kAppendReasonNoFolder);
  EXPECT_EQ(AppendToFile(Folder().string(), "a\n").reason, kAppendReasonFolder);
}

TEST(FileAppend, TheBackendsLinesEndAsThePlatformsDo) {
  const fs::path path = Folder() / "env.csv";
  fs::remove(path);
  EXPECT_TRUE(Env::Default().AppendLine(path.string(), "one"));
#ifdef _WIN32
  EXPECT_EQ(ReadAll(path), "one\r\n");
#else
  EXPECT_EQ(ReadAll(path), "one\n");
  // A device that is always full: the line is refused, not reported as written.
  EXPECT_EQ(Env::Default().AppendLine("/dev/full", "one").reason, kAppendReasonDiskFull);
#endif
}

}  // namespace
}  // namespace kestrava
