#include "squawk-service/tests/postgres_cluster.h"

#include <libpq-fe.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "squawk-service/tests/run_program.h"

namespace squawk_service::test_support {
namespace {

constexpr char kServerUser[] = "postgres";

std::filesystem::path FindBinaries() {
  if (const char* configured = std::getenv("KESTRAVA_PG_BIN")) return configured;
  std::vector<std::filesystem::path> found;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", error)) {
    if (std::filesystem::exists(entry.path() / "bin" / "pg_ctl")) {
      found.push_back(entry.path() / "bin");
    }
  }
  if (found.empty()) {
    throw std::runtime_error(
        "PostgreSQL's server programs (initdb, pg_ctl) are not installed: the tests start a "
        "server of their own; install Debian's 'postgresql' package (scripts/setup does), or "
        "set KESTRAVA_PG_BIN to the folder that holds them");
  }
  // Folders are named by major version: the longest name, then the greatest, is the newest.
  return *std::max_element(found.begin(), found.end(), [](const auto& a, const auto& b) {
    const std::string x = a.string(), y = b.string();
    return x.size() != y.size() ? x.size() < y.size() : x < y;
  });
}

int FreeLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (fd >= 0) close(fd);
    throw std::runtime_error("no free loopback port for the test server");
  }
  close(fd);
  return ntohs(address.sin_port);
}

std::string TailOf(const std::filesystem::path& path) {
  const std::string text = RunProgram({"tail", "-n", "20", path.string()}).output;
  return text.empty() ? "(no log)" : text;
}

}  // namespace

PostgresCluster::PostgresCluster(Options options) : options_(options), bin_(FindBinaries()) {
  const char* root = std::getenv("KESTRAVA_PG_ROOT");
  std::string pattern = std::string(root != nullptr ? root : "/tmp") + "/cluster-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot make a folder for the test server in " + pattern);
  }
  folder_ = pattern;
  try {
    if (geteuid() == 0) {
      const passwd* user = getpwnam(kServerUser);
      if (user == nullptr) {
        throw std::runtime_error(
            "the tests run as root and there is no 'postgres' user to run the test server as "
            "(Debian's 'postgresql' package makes it)");
      }
      if (chown(folder_.c_str(), user->pw_uid, user->pw_gid) != 0) {
        throw std::runtime_error("cannot hand " + folder_.string() + " to the postgres user");
      }
    }
    RunAsServerUser({(bin_ / "initdb").string(), "-D", (folder_ / "data").string(), "-U",
                     "postgres", "-A", "trust", "-E", "UTF8", "--locale=C", "--no-sync"},
                    "initdb");
    // A port found free may be taken before the server binds it: try a few.
    for (int attempt = 0;; ++attempt) {
      port_ = FreeLoopbackPort();
      try {
        Start();
        break;
      } catch (const std::runtime_error&) {
        if (attempt == 4) throw;
      }
    }
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    throw;
  }
}

PostgresCluster::~PostgresCluster() {
  if (running_) {
    try {
      RunAsServerUser({(bin_ / "pg_ctl").string(), "-D", (folder_ / "data").string(), "-m",
                       "immediate", "-w", "stop"},
                      "pg_ctl stop");
    } catch (const std::runtime_error&) {
      // Removing the folder below is all that is left to do.
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void PostgresCluster::RunAsServerUser(const std::vector<std::string>& argv,
                                      const std::string& what) {
  std::vector<std::string> command;
  if (geteuid() == 0) command = {"runuser", "-u", kServerUser, "--"};
  command.insert(command.end(), argv.begin(), argv.end());
  const RunResult result = RunProgram(command, folder_);
  if (result.exit_code != 0) {
    throw std::runtime_error("test server: " + what + " failed:\n" + result.output +
                             "\nserver log:\n" + TailOf(folder_ / "log"));
  }
}

void PostgresCluster::Start() {
  std::string settings =
      "-c port=" + std::to_string(port_) +
      " -c listen_addresses=127.0.0.1 -c unix_socket_directories=" + folder_.string() +
      " -c max_connections=100";
  if (!options_.durable) settings += " -c fsync=off -c synchronous_commit=off";
  RunAsServerUser({(bin_ / "pg_ctl").string(), "-D", (folder_ / "data").string(), "-l",
                   (folder_ / "log").string(), "-o", settings, "-w", "-t", "60", "start"},
                  "pg_ctl start");
  running_ = true;
}

void PostgresCluster::Stop() {
  RunAsServerUser(
      {(bin_ / "pg_ctl").string(), "-D", (folder_ / "data").string(), "-m", "fast", "-w", "stop"},
      "pg_ctl stop");
  running_ = false;
}

std::string PostgresCluster::CreateDatabase() {
  const std::string server = "postgresql://postgres@127.0.0.1:" + std::to_string(port_) + "/";
  const std::string name = "squawk" + std::to_string(++databases_);
  Execute(server + "postgres", {"CREATE DATABASE " + name});
  return server + name;
}

void PostgresCluster::Execute(const std::string& conninfo,
                              const std::vector<std::string>& statements) {
  std::unique_ptr<PGconn, decltype(&PQfinish)> connection(PQconnectdb(conninfo.c_str()), &PQfinish);
  if (PQstatus(connection.get()) != CONNECTION_OK) {
    throw std::runtime_error("test server: cannot connect: " +
                             std::string(PQerrorMessage(connection.get())));
  }
  for (const std::string& statement : statements) {
    std::unique_ptr<PGresult, decltype(&PQclear)> result(
        PQexec(connection.get(), statement.c_str()), &PQclear);
    if (PQresultStatus(result.get()) != PGRES_COMMAND_OK) {
      throw std::runtime_error("test server: " + statement +
                               " failed: " + std::string(PQerrorMessage(connection.get())));
    }
  }
}

PostgresCluster& SharedPostgresCluster() {
  static PostgresCluster cluster;
  return cluster;
}

}  // namespace squawk_service::test_support
