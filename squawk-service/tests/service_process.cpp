#include "squawk-service/tests/service_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace squawk_service::testing {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int Connect(int port, const char* from = nullptr) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (from != nullptr) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, from, &local.sin_addr);
    ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  timeval limit{20, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  return fd;
}

}  // namespace

ServiceProcess::ServiceProcess(const std::string& dir, const std::vector<std::string>& args)
    : dir_(dir) {
  std::filesystem::create_directories(dir);
  const std::string port_file = dir + "/port";
  std::filesystem::remove(port_file);
  std::vector<std::string> all = {SQUAWK_SERVICE_PROGRAM};
  all.insert(all.end(), args.begin(), args.end());
  all.insert(all.end(), {"--port-file", port_file});
  std::vector<char*> argv;
  for (std::string& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, (dir + "/stdout").c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, (dir + "/stderr").c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
    if (std::ifstream(port_file) >> port_) return;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

ServiceProcess::~ServiceProcess() {
  if (running()) {
    Signal(SIGKILL);
    Wait();
  }
}

void ServiceProcess::Signal(int number) const {
  if (running()) ::kill(pid_, number);
}

int ServiceProcess::Wait() {
  if (exit_code_ >= 0 || pid_ <= 0) return exit_code_;
  int status = 0;
  ::waitpid(pid_, &status, 0);
  exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return exit_code_;
}

std::string ServiceProcess::Errors() const { return ReadFile(dir_ + "/stderr"); }
std::string ServiceProcess::Output() const { return ReadFile(dir_ + "/stdout"); }

std::string RawHttp(int port, const std::string& bytes, bool half_close, std::size_t max_bytes) {
  const int fd = Connect(port);
  if (fd < 0) return "";
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;  // refused mid-way: read what the server said
    sent += static_cast<std::size_t>(n);
  }
  if (half_close) ::shutdown(fd, SHUT_WR);
  std::string reply;
  char buffer[4096];
  while (reply.size() < max_bytes) {
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    reply.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return reply;
}

int OpenConnection(int port, const char* from) { return Connect(port, from); }

bool ClosedByServer(int fd) {
  timeval limit{5, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  char byte = 0;
  return ::recv(fd, &byte, 1, 0) == 0;
}

std::vector<int> Statuses(const std::string& replies) {
  std::vector<int> statuses;
  for (std::size_t at = replies.find("HTTP/1."); at != std::string::npos;
       at = replies.find("HTTP/1.", at + 1)) {
    if (at + 12 <= replies.size()) statuses.push_back(std::stoi(replies.substr(at + 9, 3)));
  }
  return statuses;
}

std::string Get(int port, const std::string& target, int* status) {
  const std::string reply =
      RawHttp(port, "GET " + target + " HTTP/1.1\r\nHost: t\r\nConnection: close\r\n\r\n");
  const std::vector<int> statuses = Statuses(reply);
  const int code = statuses.empty() ? 0 : statuses.front();
  if (status != nullptr) *status = code;
  const std::size_t body = reply.find("\r\n\r\n");
  return code == 200 && body != std::string::npos ? reply.substr(body + 4) : "";
}

}  // namespace squawk_service::testing
