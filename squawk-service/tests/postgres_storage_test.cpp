// The PostgreSQL storage beyond what every storage does: several instances (each its own
// storage object and connections) on one database, its schema version, its bounded pool, and
// recovery after the server was stopped. The cases every storage shares are in storage_test.cpp.
#include "squawk-service/postgres_storage.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <algorithm>
#include <barrier>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "squawk-service/tests/postgres_cluster.h"

namespace squawk_service {
namespace {

using test_support::PostgresCluster;
using test_support::SharedPostgresCluster;

// Runs one statement outside the storage and gives the first column of the first row ("" when
// there is none).
std::string Query(const std::string& database, const std::string& sql) {
  std::unique_ptr<PGconn, decltype(&PQfinish)> connection(PQconnectdb(database.c_str()), &PQfinish);
  std::unique_ptr<PGresult, decltype(&PQclear)> result(PQexec(connection.get(), sql.c_str()),
                                                       &PQclear);
  const ExecStatusType status = PQresultStatus(result.get());
  EXPECT_TRUE(status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK)
      << sql << ": " << PQerrorMessage(connection.get());
  return PQntuples(result.get()) > 0 ? PQgetvalue(result.get(), 0, 0) : "";
}

AssignRequest Request(const std::string& callsign, bool override_code = false) {
  AssignRequest request;
  request.callsign = callsign;
  request.airport = "EGLL";
  request.macid = "macid-" + callsign;
  request.override_code = override_code;
  request.now = 1000;
  request.candidates = {{0100, 0177, "EGLL"}, {04000, 04777, "*"}};
  return request;
}

TEST(PostgresStorage, ConcurrentInstancesGiveACallsignOneCodeAndNoCodeTwice) {
  const std::string database = SharedPostgresCluster().CreateDatabase();
  constexpr int kInstances = 4, kCallsigns = 80;
  std::vector<std::unique_ptr<Storage>> instances;
  for (int i = 0; i < kInstances; ++i) instances.push_back(OpenPostgresStorage(database, 2));
  // Every instance asks for every callsign at the same moment; half of the rounds override.
  std::vector<std::vector<AssignResult>> answers(kInstances);
  std::barrier round(kInstances);
  std::vector<std::thread> threads;
  for (int i = 0; i < kInstances; ++i) {
    threads.emplace_back([&, i] {
      for (int n = 0; n < kCallsigns; ++n) {
        round.arrive_and_wait();
        answers[i].push_back(
            instances[i]->Assign(Request("CS" + std::to_string(n), n % 2 == 1 && i == 0)));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  const std::vector<Hold> holds = instances[1]->Holds();
  std::set<int> codes;
  for (const Hold& hold : holds) codes.insert(hold.code);
  EXPECT_EQ(codes.size(), static_cast<std::size_t>(kCallsigns));
  for (int n = 0; n < kCallsigns; ++n) {
    const std::string callsign = "CS" + std::to_string(n);
    const Hold* held = nullptr;
    for (const Hold& hold : holds) {
      if (hold.callsign == callsign) held = &hold;
    }
    ASSERT_NE(held, nullptr) << callsign;
    int assigned = 0;
    std::set<int> answered;
    for (int i = 0; i < kInstances; ++i) {
      const AssignResult& answer = answers[i][static_cast<std::size_t>(n)];
      ASSERT_TRUE(answer.kind == AssignResult::Kind::kAssigned ||
                  answer.kind == AssignResult::Kind::kHeld)
          << callsign;
      assigned += answer.kind == AssignResult::Kind::kAssigned;
      answered.insert(answer.code);
    }
    // Without an override all instances answer the one code; with one, the code held last is
    // among those answered.
    EXPECT_TRUE(answered.count(held->code)) << callsign;
    if (n % 2 == 0) {
      EXPECT_EQ(answered.size(), 1u) << callsign;
      EXPECT_EQ(assigned, 1) << callsign;
    }
  }
}

TEST(PostgresStorage, ConcurrentInstancesGiveUniqueIncreasingStartIds) {
  const std::string database = SharedPostgresCluster().CreateDatabase();
  constexpr int kInstances = 4, kIds = 300;
  std::vector<std::vector<std::int32_t>> ids(kInstances);
  std::vector<std::thread> threads;
  for (int i = 0; i < kInstances; ++i) {
    threads.emplace_back([&, i] {
      const std::unique_ptr<Storage> storage = OpenPostgresStorage(database, 1);
      for (int n = 0; n < kIds; ++n) ids[i].push_back(storage->NextStartId(500));
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::set<std::int32_t> all;
  for (const std::vector<std::int32_t>& mine : ids) {
    EXPECT_TRUE(std::is_sorted(mine.begin(), mine.end()));
    all.insert(mine.begin(), mine.end());
  }
  EXPECT_EQ(all.size(), static_cast<std::size_t>(kInstances * kIds));
  EXPECT_EQ(*all.begin(), 500);
  EXPECT_EQ(*all.rbegin(), 500 + kInstances * kIds - 1);

  // At the largest 32-bit id the counter stops: never a wrap to a negative or a repeated id.
  Query(database, "UPDATE start_ids SET last = 2147483646");
  const std::unique_ptr<Storage> storage = OpenPostgresStorage(database, 1);
  EXPECT_EQ(storage->NextStartId(1), 2147483647);
  EXPECT_THROW(storage->NextStartId(1), StartIdsExhausted);
}

TEST(PostgresStorage, ConcurrentRequestsUseAtMostTheConnectionsGiven) {
  const std::string database = SharedPostgresCluster().CreateDatabase();
  const std::unique_ptr<Storage> storage = OpenPostgresStorage(database, 2);
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&, i] {
      for (int n = 0; n < 40; ++n) storage->Assign(Request(std::to_string(i * 100 + n), true));
    });
  }
  for (std::thread& thread : threads) thread.join();
  const std::string name = database.substr(database.rfind('/') + 1);
  EXPECT_EQ(Query(database, "SELECT count(*) FROM pg_stat_activity WHERE datname = '" + name +
                                "' AND application_name = 'squawk-service'"),
            "2");
  EXPECT_EQ(storage->Holds().size(), 8u * 40u);
}

TEST(PostgresStorage, SchemaIsMadeOnceAndANewerOneIsRefused) {
  const std::string database = SharedPostgresCluster().CreateDatabase();
  OpenPostgresStorage(database, 1)->Assign(Request("KEEP1"));
  // A second instance finds the schema and the hold.
  EXPECT_EQ(OpenPostgresStorage(database, 1)->Holds().size(), 1u);
  EXPECT_EQ(Query(database, "SELECT count(*) FROM codes"), "4096");
  Query(database, "UPDATE schema_version SET version = version + 1");
  try {
    OpenPostgresStorage(database, 1);
    ADD_FAILURE() << "a newer schema was accepted";
  } catch (const StorageUnavailable& error) {
    EXPECT_NE(std::string(error.what()).find("newer than this program knows"), std::string::npos)
        << error.what();
  }
}

TEST(PostgresStorage, StoppedServerIsUnavailableAndTheSameStorageRecovers) {
  PostgresCluster cluster;
  const std::string database = cluster.CreateDatabase();
  const std::unique_ptr<Storage> storage = OpenPostgresStorage(database, 3);
  const AssignResult before = storage->Assign(Request("KEEP1"));
  ASSERT_EQ(before.kind, AssignResult::Kind::kAssigned);
  cluster.Stop();
  EXPECT_FALSE(storage->Healthy());
  EXPECT_THROW(storage->Assign(Request("LOST1")), StorageUnavailable);
  EXPECT_THROW(storage->NextStartId(1), StorageUnavailable);
  EXPECT_THROW(storage->Holds(), StorageUnavailable);
  cluster.Start();
  // Every pooled connection broke with the server; the next calls reconnect.
  EXPECT_TRUE(storage->Healthy());
  const AssignResult after = storage->Assign(Request("KEEP1"));
  EXPECT_EQ(after.kind, AssignResult::Kind::kHeld);
  EXPECT_EQ(after.code, before.code);
  EXPECT_EQ(storage->Assign(Request("NEW1")).kind, AssignResult::Kind::kAssigned);
  EXPECT_EQ(storage->Holds().size(), 2u);
}

}  // namespace
}  // namespace squawk_service
