// The squawk service's HTTP/1.1 server: event-driven (Boost.Beast on Asio, one I/O thread), the
// answers worked out on a small pool of worker threads, so a waiting or slow connection costs no
// thread and a blocking database call never holds up the I/O.
//
// Every request is bounded before it is answered: its request line and headers together
// (max_header_bytes, else 431), the number of headers (else 431), the target (else 414), the time
// to arrive whole (else the connection is closed), GET only and without a body (else 405, and the
// connection is closed without reading the body), Host required on HTTP/1.1 (else 400), and
// malformed requests get 400. A client address holds at most max_connections_per_address
// connections; more are closed at once. Pipelined requests are answered one by one, in order; a
// client that closed its sending side still gets its answer.
//
// The port is bound without SO_REUSEPORT: a port that is taken is refused.
//
// Thread: Start and Stop on the owner's thread; the handler is called on the worker threads, any
// number of calls at once; on_watchers_changed on the I/O thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace squawk_service {

struct HttpRequest {
  std::string target;  // as sent: "/qex/sqk_assign.php?acftcs=..."
  std::string client;  // the client's address (from X-Forwarded-For behind a trusted proxy)
};

struct HttpReply {
  int status = 200;
  std::string content_type = "text/plain";
  std::string body;
  // Special answers for tests of clients: sent this much later (cut short by Stop); or the
  // header announcing a body, then the connection closed without it; or, for "watch", a line
  // every 250 ms for as long as the client keeps the connection.
  std::chrono::milliseconds delay{0};
  bool drop = false;
  bool watch = false;
};

struct HttpServerOptions {
  std::string address = "127.0.0.1";
  int port = 0;  // 0: any free port
  std::size_t max_header_bytes = 8 * 1024;
  std::size_t max_target_bytes = 2 * 1024;
  std::size_t max_headers = 64;
  std::chrono::milliseconds request_time_limit{10000};  // also the wait for the next request
  int max_connections_per_address = 256;
  int workers = 8;
  // Requests from these addresses are taken to come from the last address of X-Forwarded-For.
  std::vector<std::string> trusted_proxies;
};

class HttpServer {
 public:
  using Handler = std::function<HttpReply(const HttpRequest&)>;

  HttpServer(HttpServerOptions options, Handler handler,
             std::function<void(int watchers)> on_watchers_changed = nullptr);
  ~HttpServer();  // Stop
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Binds and listens; serves on threads of its own. False, with the reason, when it cannot.
  bool Start(std::string& error);
  // Stops accepting, lets the answers being worked out be sent (up to a few seconds), then
  // closes every connection and waits for the threads.
  void Stop();

  int port() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace squawk_service
