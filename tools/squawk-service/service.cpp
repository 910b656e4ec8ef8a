#include "tools/squawk-service/service.h"

#include <httplib.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "tools/squawk-service/code_allocator.h"
#include "tools/squawk-service/squawk_encoding.h"

namespace squawk_service {
namespace {

constexpr char kErrorPage[] =
    "<html><head><title>500 Internal Server Error</title></head>"
    "<body><h1>Internal Server Error</h1></body></html>";
constexpr char kGarbage[] = "\x01zq#\xff<%!garbage!%>\x7f";

std::vector<long> VersionParts(std::string_view version) {
  std::vector<long> parts;
  while (true) {
    const std::size_t dot = version.find('.');
    long value = 0;
    for (const char c : version.substr(0, dot)) {
      if (c < '0' || c > '9') break;
      value = value * 10 + (c - '0');
    }
    parts.push_back(value);
    if (dot == std::string_view::npos) break;
    version.remove_prefix(dot + 1);
  }
  while (!parts.empty() && parts.back() == 0) parts.pop_back();
  return parts;
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
  return VersionParts(version) < VersionParts(latest);
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
  impl.server.set_tcp_nodelay(true);
  impl.server.Get(".*", [&impl](const httplib::Request& request, httplib::Response& response) {
    impl.Answer(request, response);
  });
  impl.port =
      impl.options.port == 0
          ? impl.server.bind_to_any_port(impl.options.host)
          : (impl.server.bind_to_port(impl.options.host, impl.options.port) ? impl.options.port
                                                                            : -1);
  if (impl.port <= 0) return false;
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
