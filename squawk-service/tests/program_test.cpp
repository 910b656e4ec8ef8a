// The squawk-service program: hostile HTTP, bad parameters, a taken port, a crash under load,
// and the rules read again on SIGHUP.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "squawk-service/tests/service_process.h"

namespace squawk_service::testing {
namespace {

std::string TestDir(const std::string& name) {
  const std::string dir = (std::filesystem::temp_directory_path() /
                           ("squawk-program-" + std::to_string(::getpid()) + "-" + name))
                              .string();
  std::filesystem::remove_all(dir);
  return dir;
}

// The peak resident memory of a process, in kB.
long PeakKb(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

TEST(SquawkServiceProgram, HostileRequestsGetTheirAnswerAndMemoryStaysBounded) {
  const std::string dir = TestDir("hostile");
  ServiceProcess service(dir, {"--port", "0", "--db", ":memory:", "--access-log", "none"});
  ASSERT_TRUE(service.running()) << service.Errors();
  const int port = service.port();
  const std::string host = "Host: t\r\n";
  std::string many_fields = "GET / HTTP/1.1\r\n" + host;
  for (int i = 0; i < 200; ++i) many_fields += "X-" + std::to_string(i) + ": y\r\n";
  struct Row {
    const char* what;
    std::string request;
    std::vector<int> statuses;
  };
  const std::vector<Row> rows = {
      {"20 kB of header lines",
       "GET / HTTP/1.1\r\n" + host + std::string(20000, 'a') + "\r\n\r\n",
       {431}},
      {"200 header fields", many_fields + "\r\n", {431}},
      {"a line without its end", "GET /" + std::string(100000, 'a'), {431}},
      {"a long target", "GET /" + std::string(4000, 'a') + " HTTP/1.1\r\n" + host + "\r\n", {414}},
      {"a huge body announced",
       "POST /qex/sqk_startup.php HTTP/1.1\r\n" + host + "Content-Length: 999999999999\r\n\r\nab",
       {405}},
      {"a chunked body",
       "GET /qex/sqk_startup.php HTTP/1.1\r\n" + host +
           "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n",
       {405}},
      {"HEAD", "HEAD /qex/sqk_startup.php HTTP/1.1\r\n" + host + "\r\n", {405}},
      {"no Host", "GET /qex/sqk_startup.php HTTP/1.1\r\n\r\n", {400}},
      {"not HTTP", "HELLO THERE\r\n\r\n", {400}},
      {"pipelined, then half-closed",
       "GET /qex/sqk_startup.php?version=1 HTTP/1.1\r\n" + host + "\r\n" +
           "GET /healthz HTTP/1.1\r\n" + host + "\r\n" +
           "GET /qex/sqk_startup.php?version=1 HTTP/1.1\r\n" + host + "\r\n",
       {200, 200, 200}},
  };
  for (const Row& row : rows) {
    const std::string reply = RawHttp(port, row.request);
    EXPECT_EQ(Statuses(reply), row.statuses) << row.what << ": " << reply.substr(0, 200);
  }
  // HEAD and the refused requests used no start id: the pipelined ones got 1 and 2.
  EXPECT_EQ(Get(port, "/qex/sqk_startup.php?version=1"), "3:1");

  // Floods: header lines without end, and a line without a newline, each 48 MB. They add
  // nothing to the memory the process has needed so far.
  const long peak_before_kb = PeakKb(service.pid());
  std::string lines;
  while (lines.size() < (48u << 20)) lines += "X-Flood: aaaaaaaa\r\n";
  RawHttp(port, "GET / HTTP/1.1\r\n" + host + lines, false, 4096);
  RawHttp(port, "GET /" + std::string(48u << 20, 'a'), false, 4096);
  EXPECT_EQ(Get(port, "/qex/sqk_startup.php?version=1"), "4:1");
  const long peak_kb = PeakKb(service.pid());
  EXPECT_GT(peak_before_kb, 0);
  EXPECT_LT(peak_kb - peak_before_kb, 8 * 1024);
  EXPECT_LT(peak_kb, 128 * 1024);  // also with the sanitizers' own memory
}

// Idle and slow connections cost no thread: with hundreds open, a request is answered at once;
// one address holds no more connections than its cap.
TEST(SquawkServiceProgram, IdleConnectionsNeitherBlockOthersNorPassTheirCap) {
  ServiceProcess service(
      TestDir("idle"), {"--port", "0", "--db", ":memory:", "--max-connections-per-address", "250"});
  ASSERT_TRUE(service.running()) << service.Errors();
  std::vector<int> idle;
  for (int i = 0; i < 250; ++i) idle.push_back(OpenConnection(service.port(), "127.0.0.2"));
  // Slow ones: a request started and never finished.
  for (int i = 0; i < 50; ++i) {
    const int fd = OpenConnection(service.port(), "127.0.0.3");
    ::send(fd, "GET / HTTP/1.1\r\nHost: t\r\n", 25, MSG_NOSIGNAL);
    idle.push_back(fd);
  }
  EXPECT_EQ(Get(service.port(), "/qex/sqk_startup.php"), "1:1");
  const int over = OpenConnection(service.port(), "127.0.0.2");
  EXPECT_TRUE(ClosedByServer(over));
  for (const int fd : idle) ::close(fd);
  ::close(over);
}

TEST(SquawkServiceProgram, BadParametersAre400) {
  ServiceProcess service(TestDir("params"), {"--port", "0", "--db", ":memory:"});
  ASSERT_TRUE(service.running()) << service.Errors();
  const std::string assign = "/qex/sqk_assign.php?depicao=EGLL&arricao=EGPH&macid=M&acftcs=";
  for (const std::string& bad : std::vector<std::string>{
           assign, assign + "+", assign + "%20", assign + "BA%00W1", assign + "ABCDEFGHIJKLMNOPQ",
           assign + "BAW%", "/qex/sqk_assign.php?depicao=E&acftcs=BAW1",
           "/qex/sqk_assign.php?depicao=EGLLX&acftcs=BAW1",
           "/qex/sqk_assign.php?depicao=E%40LL&acftcs=BAW1",
           "/qex/sqk_assign.php?depicao=EGLL&arricao=1234&acftcs=BAW1"}) {
    int status = 0;
    Get(service.port(), bad, &status);
    EXPECT_EQ(status, 400) << bad;
  }
  int status = 0;
  EXPECT_NE(Get(service.port(), assign + "ABCDEFGHIJKLMNOP", &status), "0");
  EXPECT_EQ(status, 200);
  // The access log: time, client, kind, callsign, airport, code, status, latency.
  service.Signal(SIGTERM);
  EXPECT_EQ(service.Wait(), 0);
  EXPECT_NE(service.Output().find(" 127.0.0.1 assign ABCDEFGHIJKLMNOP EGLL 4001 200 "),
            std::string::npos)
      << service.Output();
}

TEST(SquawkServiceProgram, StartIdsNeverWrap) {
  ServiceProcess service(TestDir("ids"),
                         {"--port", "0", "--db", ":memory:", "--first-start-id", "2147483647"});
  ASSERT_TRUE(service.running()) << service.Errors();
  EXPECT_EQ(Get(service.port(), "/qex/sqk_startup.php"), "2147483647:1");
  int status = 0;
  Get(service.port(), "/qex/sqk_startup.php", &status);
  EXPECT_EQ(status, 503);
}

TEST(SquawkServiceProgram, ASecondInstanceOnATakenPortRefusesToStart) {
  const std::string dir = TestDir("taken");
  ServiceProcess first(dir + "/1", {"--port", "0", "--db", ":memory:"});
  ASSERT_TRUE(first.running());
  ServiceProcess second(dir + "/2", {"--port", std::to_string(first.port()), "--db", ":memory:"});
  EXPECT_EQ(second.Wait(), 1);
  EXPECT_NE(second.Errors().find("cannot listen on 127.0.0.1:" + std::to_string(first.port())),
            std::string::npos)
      << second.Errors();
  EXPECT_EQ(Get(first.port(), "/qex/sqk_startup.php"), "1:1");
}

TEST(SquawkServiceProgram, BadNumbersAndRulesKeepItFromStarting) {
  const std::string dir = TestDir("flags");
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--hold", "9300000000"},
                                             {"--first-start-id", "2147483648"},
                                             {"--first-start-id", "0"},
                                             {"--listen", "127.0.0.1"}}) {
    ServiceProcess service(dir, args);
    EXPECT_EQ(service.Wait(), 2) << args[0];
  }
  std::ofstream(dir + "/bad.toml") << "hold_minutes = 5\n[airports]\nEGLL = [\"2301-2381\"]\n";
  ServiceProcess bad(dir, {"--port", "0", "--rules", dir + "/bad.toml"});
  EXPECT_EQ(bad.Wait(), 1);
  EXPECT_NE(bad.Errors().find("bad.toml: line 3: expected"), std::string::npos) << bad.Errors();
}

TEST(SquawkServiceProgram, SighupReadsTheRulesAgainKeepingHolds) {
  const std::string dir = TestDir("reload");
  std::filesystem::create_directories(dir);
  const std::string rules = dir + "/rules.toml";
  std::ofstream(rules) << "[airports]\nEGLL = [\"2301-2377\"]\n";
  ServiceProcess service(dir, {"--port", "0", "--db", "holds.db", "--rules", rules});
  ASSERT_TRUE(service.running()) << service.Errors();
  const std::string baw1 = Get(service.port(), "/qex/sqk_assign.php?depicao=EGLL&acftcs=BAW1");
  ASSERT_NE(baw1, "");
  std::ofstream(rules) << "[airports]\nEGLL = [\"4401-4477\"]\n";
  service.Signal(SIGHUP);
  // The log says when the new rules are in force.
  for (int i = 0; i < 2000 && service.Errors().find("rules read again") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(Get(service.port(), "/qex/sqk_assign.php?depicao=EGLL&acftcs=BAW1"), baw1);
  const std::string dlh1 = Get(service.port(), "/qex/sqk_assign.php?depicao=EGLL&acftcs=DLH1");
  std::ofstream(rules) << "[airports]\nEGLL = [\"4401-4477\"\n";
  service.Signal(SIGHUP);
  for (int i = 0; i < 2000 && service.Errors().find("rules not changed") == std::string::npos;
       ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_NE(service.Errors().find("rules.toml: line 2: "), std::string::npos) << service.Errors();
  EXPECT_EQ(Get(service.port(), "/qex/sqk_assign.php?depicao=EGLL&acftcs=DLH1"), dlh1);
  // The new range's first code, 4401, differs from the old range's first, 2301.
  EXPECT_NE(dlh1, baw1);
  EXPECT_NE(Get(service.port(), "/qex/sqk_assign.php?depicao=EGLL&acftcs=AFR1"), "0");
}

// Eight clients asking for new callsigns, with overrides; the service killed in the middle and
// started again on the same database: every code answered is still held by its callsign.
TEST(SquawkServiceProgram, EveryAnsweredCodeSurvivesAKillInTheMiddleOfALoad) {
  const std::string dir = TestDir("durable");
  const std::vector<std::string> args = {"--port",       "0",    "--db",   "holds.db",
                                         "--access-log", "none", "--rate", "0"};
  auto service = std::make_unique<ServiceProcess>(dir, args);
  ASSERT_TRUE(service->running()) << service->Errors();
  std::mutex mutex;
  std::map<std::string, std::string> answered;  // callsign -> its last code
  std::set<std::string> uncertain;              // asked, answer not seen
  int max_start_id = 0;
  std::atomic<int> answers{0};
  std::atomic<bool> stop{false};
  std::vector<std::thread> clients;
  const int port = service->port();
  for (int c = 0; c < 8; ++c) {
    clients.emplace_back([&, c] {
      for (int i = 0; !stop; ++i) {
        std::string callsign = "C";  // appended: GCC 12 warns wrongly of overlap on "C" + ...
        callsign.append(std::to_string(c)).append("N").append(std::to_string(i / 2));
        {
          std::lock_guard lock(mutex);
          uncertain.insert(callsign);
        }
        const std::string code =
            Get(port, "/qex/sqk_assign.php?depicao=EGLL&ovr=" + std::string(i % 2 ? "1" : "0") +
                          "&acftcs=" + callsign);
        const std::string start = Get(port, "/qex/sqk_startup.php");
        std::lock_guard lock(mutex);
        if (code.empty() || code == "0") continue;
        uncertain.erase(callsign);
        answered[callsign] = code;
        if (!start.empty()) max_start_id = std::max(max_start_id, std::stoi(start));
        ++answers;
      }
    });
  }
  while (answers < 150) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  service->Signal(SIGKILL);
  stop = true;
  for (std::thread& client : clients) client.join();
  service = std::make_unique<ServiceProcess>(dir, args);
  ASSERT_TRUE(service->running()) << service->Errors();
  std::set<std::string> codes;
  for (const auto& [callsign, code] : answered) {
    if (uncertain.count(callsign) != 0) continue;
    int status = 0;
    EXPECT_EQ(Get(service->port(), "/qex/sqk_assign.php?depicao=EGLL&acftcs=" + callsign, &status),
              code)
        << callsign << " " << status;
    EXPECT_TRUE(codes.insert(code).second) << code << " held twice";
  }
  EXPECT_GT(codes.size(), 50u);
  EXPECT_GT(std::stoi(Get(service->port(), "/qex/sqk_startup.php")), max_start_id);
}

}  // namespace
}  // namespace squawk_service::testing
