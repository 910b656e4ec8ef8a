#include "squawk-service/service.h"

#include <httplib.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <thread>

#include "squawk-service/code_allocator.h"
#include "squawk-service/squawk_encoding.h"

namespace squawk_service {
namespace {

constexpr char kErrorPage[] =
    "<html><head><title>500 Internal Server Error</title></head>"
    "<body><h1>Internal Server Error</h1></body></html>";
constexpr char kGarbage[] = "\x01zq#\xff<%!garbage!%>\x7f";

// The numbers of a dotted version, each as its digits without leading zeros (the digits up to
// the first other character), with trailing zero parts dropped: "1.02.0" gives {"1", "2"}. Kept
// as text, so a number of any length compares without overflow.
std::vector<std::string_view> VersionParts(std::string_view version) {
  std::vector<std::string_view> parts;
  while (true) {
    const std::size_t dot = version.find('.');
    std::string_view part = version.substr(0, dot);
    part = part.substr(0, std::min(part.size(), part.find_first_not_of("0123456789")));
    part.remove_prefix(std::min(part.size(), part.find_first_not_of('0')));
    parts.push_back(part);
    if (dot == std::string_view::npos) break;
    version.remove_prefix(dot + 1);
  }
  while (!parts.empty() && parts.back().empty()) parts.pop_back();
  return parts;
}

// Numbers written without leading zeros: the shorter is the smaller.
bool LessNumber(std::string_view a, std::string_view b) {
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

std::optional<Fault> ParseFault(std::string_view text) {
  if (text == "none") return Fault::kNone;
  if (text == "delay") return Fault::kDelay;
  if (text == "error") return Fault::kErrorPage;
  if (text == "garbage") return Fault::kGarbage;
  if (text == "drop") return Fault::kDrop;
  return std::nullopt;
}

bool IsOlderVersion(std::string_view version, std::string_view latest) {
  const std::vector<std::string_view> mine = VersionParts(version);
  const std::vector<std::string_view> newest = VersionParts(latest);
  return std::lexicographical_compare(mine.begin(), mine.end(), newest.begin(), newest.end(),
                                      LessNumber);
}

struct SquawkService::Impl {
  explicit Impl(ServiceOptions o)
      : options(std::move(o)),
        allocator(options.ranges, options.hold),
        next_start_id(options.first_start_id) {}

  // Writes a line every 250 ms until the watcher goes away or the service stops.
  void Watch(httplib::Response& response) {
    response.set_chunked_content_provider(
        "text/plain", [this, joined = false](std::size_t, httplib::DataSink& sink) mutable {
          if (!joined) {
            joined = true;
            ChangeWatchers(+1);
          }
          const bool stopping_now = WaitFor(std::chrono::milliseconds(250));
          if (!stopping_now && sink.write("\n", 1)) return true;
          ChangeWatchers(-1);
          return false;
        });
  }

  void ChangeWatchers(int change) {
    int now = 0;
    {
      std::lock_guard lock(mutex);
      now = watchers += change;
    }
    options.on_watchers_changed(now);
  }

  // Waits `duration`; returns true when the service stops first.
  bool WaitFor(std::chrono::milliseconds duration) {
    std::unique_lock lock(mutex);
    return stopped.wait_for(lock, duration, [this] { return stopping; });
  }

  void Answer(const httplib::Request& request, httplib::Response& response) {
    if (options.on_request) options.on_request(request.target);
    if (options.on_watchers_changed && request.path == "/watch") {
      Watch(response);
      return;
    }
    switch (options.fault) {
      case Fault::kNone: break;
      case Fault::kDelay:
        if (WaitFor(options.delay)) return;  // answered with an empty reply while stopping
        break;
      case Fault::kErrorPage:
        response.status = 500;
        response.set_content(kErrorPage, "text/html");
        return;
      case Fault::kGarbage:
        response.set_content(std::string(kGarbage, sizeof kGarbage - 1), "text/plain");
        return;
      case Fault::kDrop:
        // Announces a body, then closes the connection without sending it.
        response.set_content_provider(
            64, "text/plain", [](std::size_t, std::size_t, httplib::DataSink&) { return false; });
        return;
    }
    if (request.path == options.base_path + "sqk_startup.php") {
      const std::int32_t start_id = next_start_id.fetch_add(1);
      const bool update =
          !options.latest_version.empty() &&
          IsOlderVersion(request.get_param_value("version"), options.latest_version);
      response.set_content(std::to_string(start_id) + (update ? ":2" : ":1"), "text/plain");
    } else if (request.path == options.base_path + "sqk_assign.php") {
      const std::string callsign = request.get_param_value("acftcs");
      if (callsign.empty()) {
        response.status = 400;
        response.set_content("0", "text/plain");
        return;
      }
      const std::optional<std::string> code =
          allocator.Assign(Upper(request.get_param_value("depicao")), callsign,
                           request.get_param_value("ovr") == "1");
      response.set_content(code ? EncodeSquawkReply(CodeNumber(*code)) : "0", "text/plain");
    } else {
      response.status = 404;
      response.set_content("not found", "text/plain");
    }
  }

  ServiceOptions options;
  CodeAllocator allocator;
  std::atomic<std::int32_t> next_start_id;
  httplib::Server server;
  std::thread thread;
  int port = -1;
  socket_t listening = INVALID_SOCKET;  // the server's socket, once made
  std::mutex mutex;
  std::condition_variable stopped;
  bool stopping = false;  // guarded by mutex
  int watchers = 0;       // guarded by mutex
};

SquawkService::SquawkService(ServiceOptions options)
    : impl_(std::make_unique<Impl>(std::move(options))) {}

SquawkService::~SquawkService() { Stop(); }

bool SquawkService::Start() {
  Impl& impl = *impl_;
  if (impl.thread.joinable()) return true;
  const int threads = impl.options.threads;
  impl.server.new_task_queue = [threads] {
    return new httplib::ThreadPool(static_cast<std::size_t>(threads));
  };
  impl.server.set_keep_alive_timeout(1);
  // A client keeps its connection for as many requests as it likes.
  impl.server.set_keep_alive_max_count(std::numeric_limits<std::size_t>::max());
  impl.server.set_tcp_nodelay(true);
  // The library listens with a short backlog of its own; the socket it makes is noted here so
  // that the backlog can be raised once it listens.
  impl.server.set_socket_options([&impl](socket_t sock) {
    httplib::default_socket_options(sock);
    impl.listening = sock;
  });
  impl.server.Get(".*", [&impl](const httplib::Request& request, httplib::Response& response) {
    impl.Answer(request, response);
  });
  impl.port =
      impl.options.port == 0
          ? impl.server.bind_to_any_port(impl.options.host)
          : (impl.server.bind_to_port(impl.options.host, impl.options.port) ? impl.options.port
                                                                            : -1);
  if (impl.port <= 0) return false;
  // A burst of clients connecting at once must find room in the queue of connections not yet
  // accepted: one turned away waits a second before it tries again.
  if (impl.listening != INVALID_SOCKET) ::listen(impl.listening, SOMAXCONN);
  // The socket listens already: connections made from here on wait for the loop. Stop needs
  // the loop running, so wait for it (it starts at once).
  impl.thread = std::thread([&impl] { impl.server.listen_after_bind(); });
  for (int i = 0; i < 5000 && !impl.server.is_running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void SquawkService::Stop() {
  Impl& impl = *impl_;
  {
    std::lock_guard lock(impl.mutex);
    impl.stopping = true;
  }
  impl.stopped.notify_all();
  if (!impl.thread.joinable()) return;
  impl.server.stop();
  impl.thread.join();
}

int SquawkService::port() const { return impl_->port; }

std::string SquawkService::BaseUrl() const {
  return "http://" + impl_->options.host + ":" + std::to_string(impl_->port) +
         impl_->options.base_path;
}

}  // namespace squawk_service
