// Test support: the squawk-service program run as a child process, and raw HTTP to it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace squawk_service::testing {

class ServiceProcess {
 public:
  // Starts the program with `args` plus "--port-file" in a folder of its own (`dir`, made if
  // needed; the working folder of the program) and waits for its port, or for it to end.
  ServiceProcess(const std::string& dir, const std::vector<std::string>& args);
  ~ServiceProcess();  // SIGKILL if still running

  bool running() const { return pid_ > 0 && exit_code_ < 0; }
  int port() const { return port_; }
  int pid() const { return static_cast<int>(pid_); }
  void Signal(int number) const;
  // Waits for the program to end; its exit code (128 + signal when killed).
  int Wait();
  // What it wrote to its standard error (and, with no --access-log, its access log), so far.
  std::string Errors() const;
  std::string Output() const;

 private:
  std::string dir_;
  pid_t pid_ = -1;
  int port_ = -1;
  int exit_code_ = -1;
};

// Sends `bytes` to 127.0.0.1:port (closing the sending side after them when `half_close`) and
// reads until the server closes or `max_bytes` have come; what was read.
std::string RawHttp(int port, const std::string& bytes, bool half_close = true,
                    std::size_t max_bytes = 1 << 20);

// A connection to 127.0.0.1:port made from the local address `from` (such as "127.0.0.2"),
// left open; its descriptor, or -1.
int OpenConnection(int port, const char* from);
// Whether the server has closed connection `fd` (waits up to 5 s for it to say so).
bool ClosedByServer(int fd);

// The status of each HTTP answer in `replies`, in order ("HTTP/1.1 431 ..." -> 431).
std::vector<int> Statuses(const std::string& replies);

// GET `target` over a new connection; the body, or "" when the status is not 200.
std::string Get(int port, const std::string& target, int* status = nullptr);

}  // namespace squawk_service::testing
