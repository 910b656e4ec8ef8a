// A real HTTP server on 127.0.0.1 (a free port) for tests of the HTTP exchanges: it records the
// request line of every request and answers by path with a scripted reply, or hangs until
// released, drops the connection before the body, or sends a body without end.
// Linux only (cpp-httplib). Thread: the test's thread; handlers run on the server's threads.
#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kestrava::testing {

class ScriptedHttpServer {
 public:
  enum class Mode { kAnswer, kHang, kDrop, kEndless };
  struct Reply {
    Reply(int status_code = 200, std::string text = "", Mode how = Mode::kAnswer,
          std::string redirect_to = "")
        : status(status_code), body(std::move(text)), mode(how), location(std::move(redirect_to)) {}
    int status;
    std::string body;
    Mode mode;
    std::string location;  // a Location header, for redirects
  };

  ScriptedHttpServer() {
    server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
      Answer(request, response);
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    for (int i = 0; i < 5000 && !server_.is_running(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  ~ScriptedHttpServer() {
    Release();
    server_.stop();
    thread_.join();
  }

  // Replies to requests whose path contains `path_part` (the first matching part wins); other
  // requests get 404.
  void SetReply(const std::string& path_part, Reply reply) {
    std::lock_guard lock(mutex_);
    replies_[path_part] = std::move(reply);
  }

  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_) + "/qex/"; }
  int port() const { return port_; }

  // "GET /qex/sqk_assign.php?... HTTP/1.1" for every request so far, in order of arrival.
  std::vector<std::string> RequestLines() {
    std::lock_guard lock(mutex_);
    return lines_;
  }
  std::vector<std::string> CacheControlHeaders() {
    std::lock_guard lock(mutex_);
    return cache_control_;
  }
  int Answered() {
    std::lock_guard lock(mutex_);
    return answered_;
  }

  // Waits (bounded) until `count` requests have arrived.
  bool WaitForRequests(std::size_t count,
                       std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return lines_.size() >= count; });
  }

  // Lets every hanging request go on (with its scripted status and body); later ones hang no
  // more.
  void Release() {
    {
      std::lock_guard lock(mutex_);
      released_ = true;
    }
    changed_.notify_all();
  }

 private:
  void Answer(const httplib::Request& request, httplib::Response& response) {
    Reply reply{404, "not found"};
    {
      std::unique_lock lock(mutex_);
      lines_.push_back(request.method + " " + request.target + " " + request.version);
      cache_control_.push_back(request.get_header_value("Cache-Control"));
      for (const auto& [part, scripted] : replies_) {
        if (request.path.find(part) != std::string::npos) {
          reply = scripted;
          break;
        }
      }
      changed_.notify_all();
      if (reply.mode == Mode::kHang) changed_.wait(lock, [this] { return released_; });
      ++answered_;
    }
    response.status = reply.status;
    if (!reply.location.empty()) response.set_header("Location", reply.location);
    switch (reply.mode) {
      case Mode::kAnswer:
      case Mode::kHang: response.set_content(reply.body, "text/plain"); break;
      case Mode::kDrop:
        response.set_content_provider(
            64, "text/plain", [](std::size_t, std::size_t, httplib::DataSink&) { return false; });
        break;
      case Mode::kEndless:
        response.set_chunked_content_provider(
            "text/plain", [body = reply.body, sent = std::size_t{0}](
                              std::size_t, httplib::DataSink& sink) mutable {
              // Ends by itself after 64 MiB, should the client read on.
              sent += body.size();
              return sent < (64u << 20) && sink.write(body.data(), body.size());
            });
        break;
    }
  }

  httplib::Server server_;
  std::thread thread_;
  int port_ = -1;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::string, Reply> replies_;
  std::vector<std::string> lines_;
  std::vector<std::string> cache_control_;
  int answered_ = 0;
  bool released_ = false;
};

}  // namespace kestrava::testing
