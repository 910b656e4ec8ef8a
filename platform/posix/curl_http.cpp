#include "platform/posix/curl_http.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <mutex>

namespace kestrava {
namespace {

struct Body {
  std::string text;
  std::size_t limit = 0;
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* body = static_cast<Body*>(user);
  const std::size_t n = size * count;
  body->text.append(data, std::min(n, body->limit - body->text.size()));
  // Taking less than offered ends the transfer once the limit is reached.
  return body->text.size() >= body->limit ? 0 : n;
}

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

using EasyHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using MultiHandle = std::unique_ptr<CURLM, decltype(&curl_multi_cleanup)>;
using HeaderList = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

// Runs the transfer of `easy` on `multi`; a stop request wakes the wait at once. Returns the
// transfer's result, or nothing when stopped first.
std::optional<CURLcode> Perform(CURLM* multi, CURL* easy, const std::stop_token& stop) {
  if (curl_multi_add_handle(multi, easy) != CURLM_OK) return CURLE_FAILED_INIT;
  std::stop_callback wake(stop, [multi] { curl_multi_wakeup(multi); });
  std::optional<CURLcode> result;
  while (!stop.stop_requested()) {
    int running = 0;
    if (curl_multi_perform(multi, &running) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
    int queued = 0;
    if (const CURLMsg* msg = curl_multi_info_read(multi, &queued);
        msg != nullptr && msg->msg == CURLMSG_DONE) {
      result = msg->data.result;
      break;
    }
    if (running == 0) continue;  // finished: its message is read on the next turn
    // The transfer's own timeouts end it; the wait only bounds one turn.
    if (curl_multi_poll(multi, nullptr, 0, 1000, nullptr) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
  }
  curl_multi_remove_handle(multi, easy);
  if (stop.stop_requested()) return std::nullopt;
  return result;
}

HttpFailure FailureOf(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_CONNECT: return HttpFailure::kRefused;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return HttpFailure::kUnknownHost;
    case CURLE_OPERATION_TIMEDOUT: return HttpFailure::kTimedOut;
    default: return HttpFailure::kBroken;
  }
}

}  // namespace

HttpResult CurlHttpGet(const std::string& url, std::size_t max_body_bytes, std::stop_token stop) {
  InitCurlOnce();
  if (stop.stop_requested()) return HttpFailure::kBroken;
  EasyHandle easy(curl_easy_init(), curl_easy_cleanup);
  MultiHandle multi(curl_multi_init(), curl_multi_cleanup);
  HeaderList headers(
      curl_slist_append(curl_slist_append(nullptr, "Cache-Control: no-cache"), "Pragma: no-cache"),
      curl_slist_free_all);
  if (!easy || !multi || !headers) return HttpFailure::kBroken;

  Body body;
  body.limit = max_body_bytes;
  CURL* h = easy.get();
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(h, CURLOPT_USERAGENT, "Kestrava");
  // Only the web's own schemes: a configured address must never read local files.
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  // Redirects are followed, as the Windows internet layer does.
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, 4000L);
  curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, 10000L);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);

  const std::optional<CURLcode> rc = Perform(multi.get(), h, stop);
  if (!rc) return HttpFailure::kBroken;
  const bool cut_at_limit = *rc == CURLE_WRITE_ERROR && body.text.size() >= max_body_bytes;
  if (*rc != CURLE_OK && !cut_at_limit) return FailureOf(*rc);

  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  return HttpResponse{static_cast<int>(status), std::move(body.text)};
}

}  // namespace kestrava
