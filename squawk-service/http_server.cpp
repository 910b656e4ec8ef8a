#include "squawk-service/http_server.h"

#include <algorithm>
#include <array>
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <condition_variable>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace squawk_service {
namespace {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;

constexpr auto kWatchInterval = std::chrono::milliseconds(250);
constexpr auto kStopGrace = std::chrono::seconds(5);
constexpr auto kDrainLimit = std::chrono::seconds(1);
constexpr std::size_t kDrainBytes = 1024 * 1024;

std::string_view Trim(std::string_view text) {
  text.remove_prefix(std::min(text.size(), text.find_first_not_of(" \t")));
  return text.substr(0, text.find_last_not_of(" \t") + 1);
}

}  // namespace

struct HttpServer::Impl {
  Impl(HttpServerOptions o, Handler h, std::function<void(int)> w)
      : options(std::move(o)), handler(std::move(h)), on_watchers_changed(std::move(w)) {}

  class Session;

  void Accept();
  // Counts a connection of `address`; false when it has as many as it may.
  bool Connected(const std::string& address) {
    std::lock_guard lock(mutex);
    int& count = connections[address];
    if (count >= options.max_connections_per_address) {
      if (count == 0) connections.erase(address);
      return false;
    }
    ++count;
    return true;
  }
  void Disconnected(const std::string& address) {
    std::lock_guard lock(mutex);
    if (--connections[address] <= 0) connections.erase(address);
  }
  // An answer is being worked out or sent (Stop waits for these).
  void BeginAnswer() {
    std::lock_guard lock(mutex);
    ++busy;
  }
  void EndAnswer() {
    std::lock_guard lock(mutex);
    if (--busy == 0) idle.notify_all();
  }
  void ChangeWatchers(int change) {
    watchers += change;
    if (on_watchers_changed) on_watchers_changed(watchers);
  }

  const HttpServerOptions options;
  const Handler handler;
  const std::function<void(int)> on_watchers_changed;
  std::mutex mutex;
  std::condition_variable idle;
  std::map<std::string, int> connections;  // guarded by mutex
  int busy = 0;                            // guarded by mutex
  int watchers = 0;                        // I/O thread only
  int port = -1;
  std::optional<net::thread_pool> workers;
  // Made and ended by Start and Stop; ending the context closes every connection left.
  std::unique_ptr<net::io_context> io = std::make_unique<net::io_context>(1);
  std::optional<tcp::acceptor> acceptor{std::in_place, *io};
  std::optional<net::steady_timer> accept_retry{std::in_place, *io};
  std::thread io_thread;
};

// One client connection: reads a request, has it answered, writes the answer, reads the next.
class HttpServer::Impl::Session : public std::enable_shared_from_this<Session> {
 public:
  Session(Impl& server, tcp::socket socket, std::string address)
      : server_(server),
        stream_(std::move(socket)),
        address_(std::move(address)),
        buffer_(server.options.max_header_bytes + 1024),
        timer_(stream_.get_executor()) {}
  ~Session() { server_.Disconnected(address_); }

  void Begin() {
    net::dispatch(stream_.get_executor(), [self = shared_from_this()] { self->Read(); });
  }

 private:
  void Read() {
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(server_.options.max_header_bytes));
    parser_->body_limit(0);
    stream_.expires_after(server_.options.request_time_limit);
    http::async_read_header(
        stream_, buffer_, *parser_,
        [self = shared_from_this()](beast::error_code ec, std::size_t) { self->OnHeader(ec); });
  }

  void OnHeader(beast::error_code ec) {
    if (ec == http::error::header_limit || ec == http::error::buffer_overflow) {
      return Refuse(http::status::request_header_fields_too_large, "request header too large");
    }
    if (ec == http::error::body_limit) return Refuse(http::status::method_not_allowed, "no body");
    if (ec == http::error::end_of_stream || ec == http::error::partial_message ||
        (ec && ec.category() != http::make_error_code(http::error::bad_target).category())) {
      return Close();  // gone, timed out, or cut off mid-request
    }
    if (ec) return Refuse(http::status::bad_request, "bad request");
    const http::request<http::empty_body>& request = parser_->get();
    if (static_cast<std::size_t>(std::distance(request.begin(), request.end())) >
        server_.options.max_headers) {
      return Refuse(http::status::request_header_fields_too_large, "too many header fields");
    }
    if (request.target().size() > server_.options.max_target_bytes) {
      return Refuse(http::status::uri_too_long, "request target too long");
    }
    if (request.method() != http::verb::get || parser_->chunked() ||
        parser_->content_length().value_or(0) > 0) {
      return Refuse(http::status::method_not_allowed, "only GET without a body");
    }
    if (request.version() >= 11 && request.find(http::field::host) == request.end()) {
      return Refuse(http::status::bad_request, "Host missing");
    }
    keep_alive_ = request.keep_alive();
    version_ = request.version();
    HttpRequest asked{std::string(request.target()), ClientAddress(request)};
    server_.BeginAnswer();
    net::post(*server_.workers, [self = shared_from_this(), asked = std::move(asked)] {
      HttpReply reply;
      try {
        reply = self->server_.handler(asked);
      } catch (const std::exception&) {
        reply = HttpReply{500, "text/plain", "internal error"};
      }
      net::post(self->stream_.get_executor(),
                [self, reply = std::move(reply)]() mutable { self->Answer(std::move(reply)); });
    });
  }

  std::string ClientAddress(const http::request<http::empty_body>& request) const {
    const std::vector<std::string>& proxies = server_.options.trusted_proxies;
    if (std::find(proxies.begin(), proxies.end(), address_) == proxies.end()) return address_;
    const auto forwarded = request.find("X-Forwarded-For");
    if (forwarded == request.end()) return address_;
    const std::string_view list = forwarded->value();
    const std::size_t comma = list.rfind(',');
    const std::string_view last =
        Trim(comma == std::string_view::npos ? list : list.substr(comma + 1));
    return last.empty() ? address_ : std::string(last);
  }

  // Called with an answer counted by BeginAnswer.
  void Answer(HttpReply reply) {
    if (reply.delay.count() > 0) {
      server_.EndAnswer();
      timer_.expires_after(reply.delay);
      reply.delay = {};
      timer_.async_wait([self = shared_from_this(), reply](beast::error_code ec) mutable {
        if (ec) return self->Close();
        self->server_.BeginAnswer();
        self->Answer(std::move(reply));
      });
      return;
    }
    if (reply.drop) {
      raw_ = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 64\r\n\r\n";
      net::async_write(stream_, net::buffer(raw_),
                       [self = shared_from_this()](beast::error_code, std::size_t) {
                         self->server_.EndAnswer();
                         self->Close();
                       });
      return;
    }
    if (reply.watch) {
      server_.EndAnswer();
      return Watch();
    }
    response_.emplace(static_cast<http::status>(reply.status), version_, std::move(reply.body));
    response_->set(http::field::content_type, reply.content_type);
    response_->keep_alive(keep_alive_);
    response_->prepare_payload();
    http::async_write(stream_, *response_,
                      [self = shared_from_this()](beast::error_code ec, std::size_t) {
                        self->server_.EndAnswer();
                        if (ec || !self->keep_alive_) return self->Close();
                        self->Read();
                      });
  }

  // Answers a request that is not served and closes the connection (its body, if any, unread).
  void Refuse(http::status status, const std::string& reason) {
    response_.emplace(status, 11, reason + "\n");
    response_->set(http::field::content_type, "text/plain");
    if (status == http::status::method_not_allowed) response_->set(http::field::allow, "GET");
    response_->keep_alive(false);
    response_->prepare_payload();
    http::async_write(
        stream_, *response_,
        [self = shared_from_this()](beast::error_code, std::size_t) { self->Close(); });
  }

  // Ends the sending side, then reads and drops what the client still sends (briefly), so that
  // closing with unread data does not reset the connection before the client read its answer.
  void Close() {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
    stream_.expires_after(kDrainLimit);
    Drain();
  }
  void Drain() {
    stream_.async_read_some(net::buffer(drain_),
                            [self = shared_from_this()](beast::error_code ec, std::size_t size) {
                              self->drained_ += size;
                              if (!ec && self->drained_ < kDrainBytes) self->Drain();
                            });
  }

  void Watch() {
    watching_ = true;
    server_.ChangeWatchers(+1);
    stream_.expires_never();
    // The client leaving (its end closed) ends the watch at once.
    stream_.async_read_some(
        net::buffer(drain_),
        [self = shared_from_this()](beast::error_code, std::size_t) { self->EndWatch(); });
    raw_ = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nTransfer-Encoding: chunked\r\n\r\n";
    net::async_write(stream_, net::buffer(raw_),
                     [self = shared_from_this()](beast::error_code ec, std::size_t) {
                       if (ec) return self->EndWatch();
                       self->WatchLine();
                     });
  }
  void WatchLine() {
    timer_.expires_after(kWatchInterval);
    timer_.async_wait([self = shared_from_this()](beast::error_code ec) {
      if (ec || !self->watching_) return self->EndWatch();
      self->raw_ = "1\r\n\n\r\n";
      net::async_write(self->stream_, net::buffer(self->raw_),
                       [self](beast::error_code write_error, std::size_t) {
                         if (write_error) return self->EndWatch();
                         self->WatchLine();
                       });
    });
  }
  void EndWatch() {
    if (!watching_) return;
    watching_ = false;
    timer_.cancel();
    server_.ChangeWatchers(-1);
    beast::error_code ignored;
    stream_.socket().close(ignored);
  }

  Impl& server_;
  beast::tcp_stream stream_;
  const std::string address_;
  beast::flat_buffer buffer_;
  net::steady_timer timer_;
  std::optional<http::request_parser<http::empty_body>> parser_;
  std::optional<http::response<http::string_body>> response_;
  std::string raw_;
  std::array<char, 4096> drain_{};
  std::size_t drained_ = 0;
  bool keep_alive_ = false;
  unsigned version_ = 11;
  bool watching_ = false;
};

void HttpServer::Impl::Accept() {
  acceptor->async_accept(net::make_strand(*io), [this](beast::error_code ec, tcp::socket socket) {
    if (!acceptor->is_open()) return;
    if (ec) {
      // Out of descriptors or the like: try again shortly rather than spin.
      accept_retry->expires_after(std::chrono::milliseconds(50));
      accept_retry->async_wait([this](beast::error_code) { Accept(); });
      return;
    }
    beast::error_code peer_error;
    const tcp::endpoint peer = socket.remote_endpoint(peer_error);
    if (!peer_error) {
      std::string address = peer.address().to_string();
      if (Connected(address)) {
        std::make_shared<Session>(*this, std::move(socket), std::move(address))->Begin();
      }
    }
    Accept();
  });
}

HttpServer::HttpServer(HttpServerOptions options, Handler handler,
                       std::function<void(int watchers)> on_watchers_changed)
    : impl_(std::make_unique<Impl>(std::move(options), std::move(handler),
                                   std::move(on_watchers_changed))) {}

HttpServer::~HttpServer() { Stop(); }

bool HttpServer::Start(std::string& error) {
  Impl& impl = *impl_;
  const std::string where = impl.options.address + ":" + std::to_string(impl.options.port);
  beast::error_code ec;
  const net::ip::address address = net::ip::make_address(impl.options.address, ec);
  if (ec) {
    error = "not an IP address: " + impl.options.address;
    return false;
  }
  const tcp::endpoint endpoint(address, static_cast<unsigned short>(impl.options.port));
  if (!impl.io) {
    error = "the server was stopped";
    return false;
  }
  impl.acceptor->open(endpoint.protocol(), ec);
  // SO_REUSEADDR only lets a new server take the port over from closed connections still
  // waiting out their time; it never lets two servers listen on one port.
  if (!ec) impl.acceptor->set_option(net::socket_base::reuse_address(true), ec);
  if (!ec) impl.acceptor->bind(endpoint, ec);
  if (!ec) impl.acceptor->listen(net::socket_base::max_listen_connections, ec);
  if (ec) {
    error = "cannot listen on " + where + ": " + ec.message();
    impl.acceptor->close(ec);
    return false;
  }
  impl.port = impl.acceptor->local_endpoint().port();
  impl.workers.emplace(static_cast<std::size_t>(std::max(1, impl.options.workers)));
  impl.Accept();
  impl.io_thread = std::thread([&impl] { impl.io->run(); });
  return true;
}

void HttpServer::Stop() {
  Impl& impl = *impl_;
  if (!impl.io_thread.joinable()) return;
  net::post(*impl.io, [&impl] {
    beast::error_code ignored;
    impl.acceptor->close(ignored);
    impl.accept_retry->cancel();
  });
  {
    std::unique_lock lock(impl.mutex);
    impl.idle.wait_for(lock, kStopGrace, [&impl] { return impl.busy == 0; });
  }
  impl.io->stop();
  impl.io_thread.join();
  impl.workers->join();
  // Connections still open (idle, watching, answered late) are closed with the context.
  impl.acceptor.reset();
  impl.accept_retry.reset();
  impl.io.reset();
}

int HttpServer::port() const { return impl_->port; }

}  // namespace squawk_service
