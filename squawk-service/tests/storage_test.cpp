// The same cases on every Storage: a SQLite file, SQLite in memory, and a fresh database on the
// tests' own PostgreSQL server.
#include "squawk-service/storage.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <limits>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "squawk-service/code_ranges.h"
#include "squawk-service/tests/postgres_cluster.h"

namespace squawk_service {
namespace {

using Kind = AssignResult::Kind;

int Code(const char* text) { return CodeNumber(text); }

class StorageTest : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    where_ = GetParam();
    if (where_ == "file") {
      dir_ = std::filesystem::temp_directory_path() /
             ("squawk-storage-" + std::to_string(::getpid()) + "-" +
              testing::UnitTest::GetInstance()->current_test_info()->name());
      std::filesystem::remove_all(dir_);
      std::filesystem::create_directories(dir_);
      where_ = (dir_ / "holds.db").string();
    } else if (where_ == "postgres") {
      where_ = test_support::SharedPostgresCluster().CreateDatabase();
    }
    storage_ = OpenStorage(where_);
  }
  void TearDown() override {
    storage_.reset();
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  AssignResult Ask(const std::string& callsign, std::vector<CodeSpan> spans,
                   bool override_code = false, std::int64_t now = 1000,
                   const std::string& macid = "M") {
    AssignRequest request;
    request.callsign = callsign;
    request.airport = "EGLL";
    request.macid = macid;
    request.override_code = override_code;
    request.now = now;
    request.candidates = std::move(spans);
    request.excluded = &excluded_;
    request.max_per_macid = max_per_macid_;
    return storage_->Assign(request);
  }

  std::string where_;
  std::filesystem::path dir_;
  std::unique_ptr<Storage> storage_;
  std::unordered_set<int> excluded_;
  int max_per_macid_ = 100;
};

TEST_P(StorageTest, CodesAreHeldPerCallsignInTheOrderOfTheCandidates) {
  const std::vector<CodeSpan> spans = {{Code("0176"), Code("0201"), "EGLL"},
                                       {Code("5001"), Code("5002"), "*"}};
  excluded_ = {Code("0200")};  // inside the range, never handed out
  EXPECT_EQ(Ask("BAW1", spans).code, Code("0176"));
  EXPECT_EQ(Ask("BAW2", spans).code, Code("0177"));
  const AssignResult again = Ask("BAW1", spans);
  EXPECT_EQ(again.kind, Kind::kHeld);
  EXPECT_EQ(again.code, Code("0176"));
  EXPECT_EQ(Ask("BAW3", spans).code, Code("0201"));
  const AssignResult overflow = Ask("BAW4", spans);  // the airport's range is full: the next span
  EXPECT_EQ(overflow.code, Code("5001"));
  EXPECT_EQ(overflow.pool, "*");
  EXPECT_EQ(Ask("BAW5", spans).code, Code("5002"));
  EXPECT_EQ(Ask("BAW6", spans).kind, Kind::kNoFreeCode);
  EXPECT_EQ(storage_->HeldInSpans(spans), (std::vector<int>{3, 2}));
  EXPECT_EQ(storage_->ReleaseCallsigns({"BAW2", "NOBODY"}), 1);
  EXPECT_EQ(Ask("BAW6", spans).code, Code("0177"));
}

TEST_P(StorageTest, OverrideReleasesTheOldCodeFirstAndNeverGivesItBack) {
  const std::vector<CodeSpan> two = {{Code("2301"), Code("2302"), "EGLL"}};
  EXPECT_EQ(Ask("BAW1", two).code, Code("2301"));
  for (int i = 0; i < 4; ++i) {
    const AssignResult fresh = Ask("BAW1", two, true);
    EXPECT_EQ(fresh.kind, Kind::kAssigned);
    EXPECT_EQ(fresh.code, i % 2 == 0 ? Code("2302") : Code("2301"));
  }
  // Repeated overrides hold one code, never drain the range.
  EXPECT_EQ(storage_->Holds().size(), 1u);
  // A one-code range: the code is released, and no other is left.
  const std::vector<CodeSpan> one = {{Code("2301"), Code("2301"), "EGLL"}};
  ASSERT_EQ(storage_->ReleaseCallsigns({"BAW1"}), 1);
  EXPECT_EQ(Ask("DLH1", one).code, Code("2301"));
  EXPECT_EQ(Ask("DLH1", one).code, Code("2301"));
  EXPECT_EQ(Ask("DLH1", one, true).kind, Kind::kNoFreeCode);
  EXPECT_EQ(Ask("AFR1", one).code, Code("2301"));  // released by the override
}

TEST_P(StorageTest, HoldsEndAfterTheHoldTimeSinceTheLastRequest) {
  const std::vector<CodeSpan> spans = {{Code("2301"), Code("2302"), "EGLL"}};
  EXPECT_EQ(Ask("BAW1", spans, false, 1000).code, Code("2301"));
  EXPECT_EQ(Ask("BAW2", spans, false, 1000).code, Code("2302"));
  // BAW1 asks again later: its hold is refreshed, BAW2's is not.
  EXPECT_EQ(Ask("BAW1", spans, false, 1500).kind, Kind::kHeld);
  EXPECT_EQ(storage_->ReleaseIdleSince(1200), 1);
  const std::vector<Hold> holds = storage_->Holds();
  ASSERT_EQ(holds.size(), 1u);
  EXPECT_EQ(holds[0].callsign, "BAW1");
  EXPECT_EQ(holds[0].since, 1000);
  EXPECT_EQ(holds[0].last_asked, 1500);
  EXPECT_EQ(holds[0].macid, "M");
  EXPECT_EQ(holds[0].pool, "EGLL");
  AssignRequest late;
  late.callsign = "DLH1";
  late.now = 9000;
  late.idle_before = 2000;  // BAW1's hold ends in the same transaction
  late.candidates = spans;
  EXPECT_EQ(storage_->Assign(late).code, Code("2301"));
}

TEST_P(StorageTest, AMacidHoldsAtMostItsCap) {
  max_per_macid_ = 2;
  const std::vector<CodeSpan> spans = {{Code("4001"), Code("4777"), "*"}};
  EXPECT_EQ(Ask("A1", spans, false, 1000, "greedy").kind, Kind::kAssigned);
  EXPECT_EQ(Ask("A2", spans, false, 1000, "greedy").kind, Kind::kAssigned);
  EXPECT_EQ(Ask("A3", spans, false, 1000, "greedy").kind, Kind::kMacidCap);
  EXPECT_EQ(Ask("A1", spans, false, 1000, "greedy").kind, Kind::kHeld);  // held codes still answer
  EXPECT_EQ(Ask("B1", spans, false, 1000, "other").kind, Kind::kAssigned);
}

TEST_P(StorageTest, StartIdsGoUpFromTheMinimumAndNeverWrap) {
  EXPECT_EQ(storage_->NextStartId(1), 1);
  EXPECT_EQ(storage_->NextStartId(1), 2);
  EXPECT_EQ(storage_->NextStartId(41), 41);
  EXPECT_EQ(storage_->NextStartId(1), 42);
  const std::int32_t max = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(storage_->NextStartId(max), max);
  EXPECT_THROW(storage_->NextStartId(1), StartIdsExhausted);
  EXPECT_THROW(storage_->NextStartId(max), StartIdsExhausted);
  EXPECT_TRUE(storage_->Healthy());
}

TEST_P(StorageTest, ConcurrentRequestsNeverShareACode) {
  const std::vector<CodeSpan> spans = {{Code("4001"), Code("4077"), "*"}};  // 63 codes
  std::vector<std::thread> threads;
  std::vector<std::vector<int>> codes(8);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 10; ++i) {
        std::string callsign = "T";  // appended: GCC 12 warns wrongly of overlap on "T" + ...
        callsign.append(std::to_string(t)).append("-").append(std::to_string(i));
        const AssignResult result = Ask(callsign, spans, i % 3 == 2);
        if (result.kind == Kind::kAssigned)
          codes[static_cast<std::size_t>(t)].push_back(result.code);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::set<int> seen;
  for (const Hold& hold : storage_->Holds()) EXPECT_TRUE(seen.insert(hold.code).second);
  EXPECT_EQ(seen.size(), 63u);  // 80 callsigns for 63 codes: the range is full, nothing twice
}

INSTANTIATE_TEST_SUITE_P(Engines, StorageTest, testing::Values(":memory:", "file", "postgres"),
                         [](const testing::TestParamInfo<std::string>& param) {
                           return param.param == ":memory:" ? std::string("memory") : param.param;
                         });

TEST(SqliteStorage, HoldsAndStartIdsSurviveReopening) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("squawk-reopen-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string file = (dir / "holds.db").string();
  const std::vector<CodeSpan> spans = {{Code("2301"), Code("2377"), "EGLL"}};
  {
    std::unique_ptr<Storage> storage = OpenStorage(file);
    AssignRequest request;
    request.callsign = "BAW1";
    request.candidates = spans;
    EXPECT_EQ(storage->Assign(request).code, Code("2301"));
    EXPECT_EQ(storage->NextStartId(1), 1);
  }
  std::unique_ptr<Storage> storage = OpenStorage(file);
  AssignRequest request;
  request.callsign = "DLH9";
  request.candidates = spans;
  EXPECT_EQ(storage->Assign(request).code, Code("2302"));
  request.callsign = "BAW1";
  EXPECT_EQ(storage->Assign(request).code, Code("2301"));
  EXPECT_EQ(storage->NextStartId(1), 2);
  storage.reset();
  EXPECT_THROW(OpenStorage((dir / "missing" / "x.db").string()), StorageUnavailable);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace squawk_service
