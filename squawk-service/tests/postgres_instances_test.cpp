// Several squawk-service programs on one PostgreSQL database, loaded by eight clients through a
// proxy that spreads their requests (see service_instances.h for what every run checks): as they
// are, with one instance killed, and with the database stopped and started again.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <set>
#include <string>
#include <thread>

#include "squawk-service/postgres_storage.h"
#include "squawk-service/tests/load_check.h"
#include "squawk-service/tests/postgres_cluster.h"

namespace squawk_service::test_support {
namespace {

int HealthStatus(int port) {
  int status = 0;
  testing::Get(port, "/healthz", &status);
  return status;
}

TEST(PostgresInstances, ThreeInstancesNeverHoldACodeTwice) {
  const std::string database = SharedPostgresCluster().CreateDatabase();
  ServiceInstances instances(database, 3, 4);
  // Start ids from every instance are distinct.
  std::set<std::string> start_ids;
  for (int round = 0; round < 5; ++round) {
    for (int i = 0; i < instances.count(); ++i) {
      int status = 0;
      const std::string answer =
          testing::Get(instances.port(i), "/qex/sqk_startup.php?macid=m&version=1", &status);
      ASSERT_EQ(status, 200);
      EXPECT_TRUE(start_ids.insert(answer.substr(0, answer.find(':'))).second) << answer;
    }
  }
  LoadProgress progress;
  RunLoad(instances, database, {}, progress);
  EXPECT_EQ(progress.answered, 20000);
  EXPECT_EQ(progress.unavailable + progress.no_answer, 0);

  // The status page and the metrics of one instance show what the others hold too.
  int status = 0;
  const std::string code = testing::Get(
      instances.port(2), "/qex/sqk_assign.php?depicao=EGLL&ctrlcs=X&macid=m&acftcs=ONLY2", &status);
  ASSERT_EQ(status, 200) << code;
  const std::size_t holds = OpenPostgresStorage(database, 1)->Holds().size();
  const std::string metrics = testing::Get(instances.port(0), "/metrics", &status);
  ASSERT_EQ(status, 200);
  const std::string gauge = "squawk_holds{pool=\"*\"} ";
  const std::size_t at = metrics.find(gauge);
  ASSERT_NE(at, std::string::npos) << metrics;
  EXPECT_EQ(std::stod(metrics.substr(at + gauge.size())), static_cast<double>(holds));
  const std::string page = testing::Get(instances.port(0), "/status?callsign=ONLY2", &status);
  ASSERT_EQ(status, 200);
  EXPECT_NE(page.find("ONLY2"), std::string::npos);
  EXPECT_NE(page.find(std::to_string(holds)), std::string::npos) << "the pool's holds";
}

TEST(PostgresInstances, KilledInstanceLosesNothingAnswered) {
  const std::string database = SharedPostgresCluster().CreateDatabase();
  ServiceInstances instances(database, 3, 4);
  LoadOptions options;
  options.requests = 6000;
  options.callsigns = 1500;
  options.midway = [&](const LoadProgress&) { instances.Kill(1, SIGKILL); };
  LoadProgress progress;
  RunLoad(instances, database, options, progress);
  EXPECT_GT(progress.no_answer, 0) << "no request went to the killed instance";
  EXPECT_EQ(HealthStatus(instances.port(0)), 200);
  EXPECT_EQ(HealthStatus(instances.port(2)), 200);
}

TEST(PostgresInstances, StoppedDatabaseGives503AndEveryInstanceRecovers) {
  PostgresCluster cluster;
  const std::string database = cluster.CreateDatabase();
  ServiceInstances instances(database, 3, 4);
  LoadOptions options;
  options.requests = 6000;
  options.callsigns = 1500;
  options.midway = [&](const LoadProgress& progress) {
    cluster.Stop();
    // Every instance says so, and the clients are being answered 503.
    for (int i = 0; i < instances.count(); ++i) {
      while (HealthStatus(instances.port(i)) != 503) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    while (progress.unavailable < 20) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    cluster.Start();
  };
  LoadProgress progress;
  RunLoad(instances, database, options, progress);
  EXPECT_GE(progress.unavailable, 20);
  // Every instance serves again by itself.
  for (int i = 0; i < instances.count(); ++i) {
    EXPECT_EQ(HealthStatus(instances.port(i)), 200) << "instance " << i;
    int status = 0;
    const std::string answer = testing::Get(
        instances.port(i),
        "/qex/sqk_assign.php?depicao=EGLL&ctrlcs=X&macid=m&ovr=0&acftcs=AFTER" + std::to_string(i),
        &status);
    EXPECT_EQ(status, 200) << "instance " << i << ": " << answer;
  }
}

}  // namespace
}  // namespace squawk_service::test_support
