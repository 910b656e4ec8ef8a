#include "platform/posix/curl_http.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>

namespace kestrava {
namespace {

struct Exchange {
  std::string body;
  std::size_t limit = 0;
  std::stop_token stop;
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* exchange = static_cast<Exchange*>(user);
  const std::size_t n = size * count;
  const std::size_t room = exchange->limit - exchange->body.size();
  exchange->body.append(data, std::min(n, room));
  // Returning less than offered ends the transfer once the limit is reached.
  return exchange->body.size() >= exchange->limit ? 0 : n;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<Exchange*>(user)->stop.stop_requested() ? 1 : 0;
}

struct CurlGlobal {
  CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

}  // namespace

std::optional<HttpResponse> CurlHttpGet(const std::string& url, std::size_t max_body_bytes,
                                        std::stop_token stop) {
  static CurlGlobal global;
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
  if (!curl || stop.stop_requested()) return std::nullopt;

  Exchange exchange;
  exchange.limit = max_body_bytes;
  exchange.stop = stop;
  std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(
      curl_slist_append(curl_slist_append(nullptr, "Cache-Control: no-cache"), "Pragma: no-cache"),
      curl_slist_free_all);

  CURL* h = curl.get();
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, 4000L);
  curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, 10000L);
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &exchange);
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, &exchange);

  if (max_body_bytes == 0) return std::nullopt;
  const CURLcode rc = curl_easy_perform(h);
  const bool cut_at_limit = rc == CURLE_WRITE_ERROR && exchange.body.size() >= max_body_bytes;
  if (stop.stop_requested() || (rc != CURLE_OK && !cut_at_limit)) return std::nullopt;

  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  return HttpResponse{static_cast<int>(status), std::move(exchange.body)};
}

}  // namespace kestrava
