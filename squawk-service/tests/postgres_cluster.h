// A PostgreSQL server of the tests' own: a cluster made with initdb in a temporary folder, run by
// pg_ctl on a free loopback port, and stopped and removed when the object is destroyed.
//
// The server runs as an unprivileged user: when the tests run as root, as the "postgres" system
// user (through runuser), which then owns the folder. The folder is made inside
// $KESTRAVA_PG_ROOT when set (the ctest guard, postgres-guard, sets it and removes whatever a
// crashed test left there), otherwise in /tmp. The server's binaries are looked for in
// $KESTRAVA_PG_BIN, then in the newest /usr/lib/postgresql/*/bin.
//
// Failure (binaries missing, initdb or the start failing) throws std::runtime_error with a
// message that says what to install or what the server's log said: a test that needs the
// server fails, it is never skipped. Thread: one thread at a time.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace squawk_service::test_support {

class PostgresCluster {
 public:
  struct Options {
    // Off: the server does not flush to disk (tests stop it, they never crash the machine).
    bool durable = false;
  };
  explicit PostgresCluster(Options options);
  PostgresCluster() : PostgresCluster(Options{}) {}
  ~PostgresCluster();  // stops the server at once and removes the folder
  PostgresCluster(const PostgresCluster&) = delete;
  PostgresCluster& operator=(const PostgresCluster&) = delete;

  // Makes an empty database and gives its connection string
  // ("postgresql://postgres@127.0.0.1:PORT/NAME").
  std::string CreateDatabase();
  // Runs `statements` (none returning rows), one at a time, on the database `conninfo` names;
  // each is a transaction of its own, so VACUUM and CHECKPOINT may be among them.
  void Execute(const std::string& conninfo, const std::vector<std::string>& statements);
  // Stops the server (fast shutdown: open connections are cut) and starts it again on the same
  // port with the same data.
  void Stop();
  void Start();

  int port() const { return port_; }

 private:
  void RunAsServerUser(const std::vector<std::string>& argv, const std::string& what);

  Options options_;
  std::filesystem::path bin_;
  std::filesystem::path folder_;
  int port_ = 0;
  int databases_ = 0;
  bool running_ = false;
};

// One cluster for the whole test program, started on first use (for suites that only need
// databases of their own).
PostgresCluster& SharedPostgresCluster();

}  // namespace squawk_service::test_support
