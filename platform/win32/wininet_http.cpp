#include "platform/win32/wininet_http.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace kestrava {
namespace {

constexpr char kAgent[] = "Kestrava";
constexpr DWORD kConnectTimeoutMs = 4000;
constexpr auto kExchangeLimit = std::chrono::seconds(10);
constexpr DWORD kResetUrlCacheSession = 60;  // INTERNET_OPTION_RESET_URLCACHE_SESSION

// The handles of one exchange. A watchdog closes them from its own thread when stop is
// requested or the exchange overruns its limit, which makes a blocked WinINet call return;
// every handle is closed exactly once, by whichever side gets to it first.
class Exchange {
 public:
  explicit Exchange(std::stop_token stop) : stop_(std::move(stop)) {}
  ~Exchange() {
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    wake_.notify_all();
    if (watchdog_.joinable()) watchdog_.join();
    CloseAll();
  }

  // Takes ownership of `handle` (child handles after their parents). Returns false, closing
  // it, when the exchange has been aborted already.
  bool Adopt(HINTERNET handle) {
    std::lock_guard lock(mutex_);
    if (aborted_) {
      InternetCloseHandle(handle);
      return false;
    }
    handles_[count_++] = handle;
    return true;
  }

  void StartWatchdog() {
    watchdog_ = std::thread([this] {
      std::unique_lock lock(mutex_);
      const bool finished =
          wake_.wait_for(lock, stop_, kExchangeLimit, [this] { return finished_; });
      if (finished) return;
      aborted_ = true;
      lock.unlock();
      CloseAll();
    });
  }

  bool aborted() {
    std::lock_guard lock(mutex_);
    return aborted_ || stop_.stop_requested();
  }

 private:
  void CloseAll() {
    std::lock_guard lock(mutex_);
    while (count_ > 0) InternetCloseHandle(handles_[--count_]);
  }

  std::stop_token stop_;
  std::mutex mutex_;
  std::condition_variable_any wake_;
  bool finished_ = false;  // guarded by mutex_
  bool aborted_ = false;   // guarded by mutex_
  HINTERNET handles_[3] = {};
  int count_ = 0;
  std::thread watchdog_;
};

struct UrlParts {
  std::string host;
  std::string object;  // path and query
  INTERNET_PORT port = 0;
  bool secure = false;
};

bool SplitUrl(const std::string& url, UrlParts& parts) {
  URL_COMPONENTSA c = {};
  c.dwStructSize = sizeof c;
  // Lengths without buffers: the parts are returned as pointers into `url`, whatever its length.
  c.dwHostNameLength = 1;
  c.dwUrlPathLength = 1;
  c.dwExtraInfoLength = 1;
  if (!InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &c)) return false;
  if (c.nScheme != INTERNET_SCHEME_HTTP && c.nScheme != INTERNET_SCHEME_HTTPS) return false;
  if (c.lpszHostName == nullptr || c.dwHostNameLength == 0) return false;
  parts.host.assign(c.lpszHostName, c.dwHostNameLength);
  if (c.lpszUrlPath != nullptr) parts.object.assign(c.lpszUrlPath, c.dwUrlPathLength);
  if (c.lpszExtraInfo != nullptr) parts.object.append(c.lpszExtraInfo, c.dwExtraInfoLength);
  if (parts.object.empty()) parts.object = "/";
  parts.port = c.nPort;
  parts.secure = c.nScheme == INTERNET_SCHEME_HTTPS;
  return true;
}

void SetTimeout(HINTERNET handle, DWORD option, DWORD ms) {
  InternetSetOptionA(handle, option, &ms, sizeof ms);
}

}  // namespace

std::optional<HttpResponse> WinInetHttpGet(const std::string& url, std::size_t max_body_bytes,
                                           std::stop_token stop) {
  UrlParts parts;
  if (stop.stop_requested() || !SplitUrl(url, parts)) return std::nullopt;

  Exchange exchange(stop);
  // The proxy as the system is configured.
  HINTERNET session = InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (session == nullptr || !exchange.Adopt(session)) return std::nullopt;
  exchange.StartWatchdog();
  DWORD zero = 0;
  InternetSetOptionA(session, kResetUrlCacheSession, &zero, sizeof zero);
  SetTimeout(session, INTERNET_OPTION_CONNECT_TIMEOUT, kConnectTimeoutMs);
  const DWORD io_ms = static_cast<DWORD>(
      std::chrono::duration_cast<std::chrono::milliseconds>(kExchangeLimit).count());
  SetTimeout(session, INTERNET_OPTION_SEND_TIMEOUT, io_ms);
  SetTimeout(session, INTERNET_OPTION_RECEIVE_TIMEOUT, io_ms);

  HINTERNET connection = InternetConnectA(session, parts.host.c_str(), parts.port, nullptr, nullptr,
                                          INTERNET_SERVICE_HTTP, 0, 1);
  if (connection == nullptr || !exchange.Adopt(connection)) return std::nullopt;

  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
  if (parts.secure) flags |= INTERNET_FLAG_SECURE;
  HINTERNET request = HttpOpenRequestA(connection, "GET", parts.object.c_str(), nullptr, nullptr,
                                       nullptr, flags, 1);
  if (request == nullptr || !exchange.Adopt(request)) return std::nullopt;

  if (!HttpSendRequestA(request, nullptr, 0, nullptr, 0) || exchange.aborted()) {
    return std::nullopt;
  }
  DWORD status = 0;
  DWORD status_size = sizeof status;
  if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                      &status_size, nullptr)) {
    return std::nullopt;
  }

  HttpResponse response;
  response.status = static_cast<int>(status);
  char buffer[4096];
  while (response.body.size() < max_body_bytes) {
    const DWORD want = static_cast<DWORD>(
        std::min<std::size_t>(sizeof buffer, max_body_bytes - response.body.size()));
    DWORD got = 0;
    if (!InternetReadFile(request, buffer, want, &got) || exchange.aborted()) return std::nullopt;
    if (got == 0) break;
    response.body.append(buffer, got);
  }
  if (exchange.aborted()) return std::nullopt;
  return response;
}

}  // namespace kestrava
