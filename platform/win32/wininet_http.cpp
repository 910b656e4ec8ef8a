#include "platform/win32/wininet_http.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace kestrava {
namespace {

constexpr char kAgent[] = "Kestrava";
constexpr DWORD kConnectTimeoutMs = 4000;
constexpr auto kExchangeLimit = std::chrono::seconds(10);
constexpr DWORD kResetUrlCacheSession = 60;  // INTERNET_OPTION_RESET_URLCACHE_SESSION
constexpr auto kStopPoll = std::chrono::milliseconds(20);

// One exchange, shared by the caller and the thread that makes the blocking WinINet calls.
//
// The caller waits for the result, a stop request or the exchange limit. When it gives up it
// closes the exchange's handles, which makes a blocked call return (not every WinINet does so
// at once), and returns without waiting further; the exchange thread then only cleans up. Every
// handle is closed exactly once, by whichever side gets to it first.
struct Exchange {
  std::size_t limit = 0;

  std::mutex mutex;
  std::condition_variable changed;
  bool finished = false;                     // guarded by mutex; `result` is set
  bool abandoned = false;                    // guarded by mutex; the handles are closed
  HttpResult result = HttpFailure::kBroken;  // guarded by mutex
  std::vector<HINTERNET> handles;            // guarded by mutex; children after their parents

  // Takes ownership of `handle`. Returns false, closing it, when the caller has given up.
  bool Adopt(HINTERNET handle) {
    std::lock_guard lock(mutex);
    if (abandoned) {
      InternetCloseHandle(handle);
      return false;
    }
    handles.push_back(handle);
    return true;
  }
  bool Abandoned() {
    std::lock_guard lock(mutex);
    return abandoned;
  }
  void CloseHandlesLocked() {
    while (!handles.empty()) {
      InternetCloseHandle(handles.back());
      handles.pop_back();
    }
  }
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
  // Lengths without buffers: the parts come back as pointers into `url`, whatever its length.
  c.dwHostNameLength = 1;
  c.dwUrlPathLength = 1;
  c.dwExtraInfoLength = 1;
  if (!InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &c)) return false;
  if (c.nScheme != INTERNET_SCHEME_HTTP && c.nScheme != INTERNET_SCHEME_HTTPS) return false;
  if (c.lpszHostName == nullptr || c.dwHostNameLength == 0) return false;
  parts.host.assign(c.lpszHostName, c.dwHostNameLength);
  if (c.lpszUrlPath != nullptr) parts.object.assign(c.lpszUrlPath, c.dwUrlPathLength);
  if (c.lpszExtraInfo != nullptr) parts.object.append(c.lpszExtraInfo, c.dwExtraInfoLength);
  if (parts.object.empty()) parts.object.push_back('/');
  parts.port = c.nPort;
  parts.secure = c.nScheme == INTERNET_SCHEME_HTTPS;
  return true;
}

void SetTimeout(HINTERNET handle, DWORD option, DWORD ms) {
  InternetSetOptionA(handle, option, &ms, sizeof ms);
}

std::optional<DWORD> NumberHeader(HINTERNET request, DWORD header) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (!HttpQueryInfoA(request, header | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr)) {
    return std::nullopt;
  }
  return value;
}

HttpFailure FailureOf(DWORD error) {
  switch (error) {
    case ERROR_INTERNET_CANNOT_CONNECT: return HttpFailure::kRefused;
    case ERROR_INTERNET_NAME_NOT_RESOLVED: return HttpFailure::kUnknownHost;
    case ERROR_INTERNET_TIMEOUT: return HttpFailure::kTimedOut;
    default: return HttpFailure::kBroken;
  }
}

// The blocking calls of one GET. Gives the failure once the caller has given up.
HttpResult Perform(Exchange& exchange, const UrlParts& parts) {
  // The proxy as the system is configured.
  HINTERNET session = InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (session == nullptr || !exchange.Adopt(session)) return HttpFailure::kBroken;
  DWORD zero = 0;
  InternetSetOptionA(session, kResetUrlCacheSession, &zero, sizeof zero);
  const auto io_ms = static_cast<DWORD>(
      std::chrono::duration_cast<std::chrono::milliseconds>(kExchangeLimit).count());
  SetTimeout(session, INTERNET_OPTION_CONNECT_TIMEOUT, kConnectTimeoutMs);
  SetTimeout(session, INTERNET_OPTION_SEND_TIMEOUT, io_ms);
  SetTimeout(session, INTERNET_OPTION_RECEIVE_TIMEOUT, io_ms);

  HINTERNET connection = InternetConnectA(session, parts.host.c_str(), parts.port, nullptr, nullptr,
                                          INTERNET_SERVICE_HTTP, 0, 1);
  if (connection == nullptr || !exchange.Adopt(connection)) return HttpFailure::kBroken;

  // Answered by the server, never from the cache.
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
  if (parts.secure) flags |= INTERNET_FLAG_SECURE;
  HINTERNET request = HttpOpenRequestA(connection, "GET", parts.object.c_str(), nullptr, nullptr,
                                       nullptr, flags, 1);
  if (request == nullptr || !exchange.Adopt(request)) return HttpFailure::kBroken;

  if (!HttpSendRequestA(request, nullptr, 0, nullptr, 0)) return FailureOf(GetLastError());
  if (exchange.Abandoned()) return HttpFailure::kBroken;
  const std::optional<DWORD> status = NumberHeader(request, HTTP_QUERY_STATUS_CODE);
  if (!status) return HttpFailure::kBroken;
  const std::optional<DWORD> announced = NumberHeader(request, HTTP_QUERY_CONTENT_LENGTH);

  HttpResponse response;
  response.status = static_cast<int>(*status);
  char buffer[4096];
  while (response.body.size() < exchange.limit) {
    const auto want = static_cast<DWORD>(
        std::min<std::size_t>(sizeof buffer, exchange.limit - response.body.size()));
    DWORD got = 0;
    if (exchange.Abandoned()) return HttpFailure::kBroken;
    if (!InternetReadFile(request, buffer, want, &got)) return FailureOf(GetLastError());
    if (got == 0) {
      // A connection closed before the announced length is a failed exchange.
      if (announced && response.body.size() < *announced) return HttpFailure::kBroken;
      break;
    }
    response.body.append(buffer, got);
  }
  return response;
}

struct ThreadStart {
  std::shared_ptr<Exchange> exchange;
  UrlParts parts;
  HMODULE module = nullptr;  // a reference that keeps this module loaded while the thread runs
};

void RunExchange(ThreadStart& start) {
  Exchange& exchange = *start.exchange;
  HttpResult result = Perform(exchange, start.parts);
  std::lock_guard lock(exchange.mutex);
  if (!exchange.abandoned) exchange.CloseHandlesLocked();
  exchange.result = std::move(result);
  exchange.finished = true;
  exchange.changed.notify_all();
}

// The exchange thread may outlive an abandoned exchange and the plug-in: it holds a reference
// to this module and drops it as its very last act.
DWORD WINAPI ExchangeThread(void* parameter) {
  HMODULE module = nullptr;
  {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
    module = start->module;
    RunExchange(*start);
  }
  FreeLibraryAndExitThread(module, 0);
}

}  // namespace

HttpResult WinInetHttpGet(const std::string& url, std::size_t max_body_bytes,
                          std::stop_token stop) {
  auto start = std::make_unique<ThreadStart>();
  if (stop.stop_requested() || !SplitUrl(url, start->parts)) return HttpFailure::kBroken;
  auto exchange = std::make_shared<Exchange>();
  exchange->limit = max_body_bytes;
  start->exchange = exchange;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCSTR>(&ExchangeThread), &start->module)) {
    return HttpFailure::kBroken;
  }
  const HMODULE module = start->module;
  HANDLE thread = CreateThread(nullptr, 0, &ExchangeThread, start.get(), 0, nullptr);
  if (thread == nullptr) {
    FreeLibrary(module);
    return HttpFailure::kBroken;
  }
  start.release();  // the thread owns it now
  CloseHandle(thread);

  // The stop token is polled rather than given a callback: with this toolchain's runtime, a
  // stop callback that runs on another thread can leave its owner waiting for ever.
  const auto deadline = std::chrono::steady_clock::now() + kExchangeLimit;
  std::unique_lock lock(exchange->mutex);
  while (!exchange->finished) {
    const auto now = std::chrono::steady_clock::now();
    if (stop.stop_requested() || now >= deadline) {
      exchange->abandoned = true;
      exchange->CloseHandlesLocked();
      return stop.stop_requested() ? HttpFailure::kBroken : HttpFailure::kTimedOut;
    }
    exchange->changed.wait_for(
        lock, std::min<std::chrono::steady_clock::duration>(kStopPoll, deadline - now));
  }
  return std::move(exchange->result);
}

}  // namespace kestrava
