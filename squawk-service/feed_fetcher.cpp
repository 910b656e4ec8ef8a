#include "squawk-service/feed_fetcher.h"

#include <curl/curl.h>

#include <memory>
#include <optional>

#include "tools/network-feed/feed_reader.h"

namespace squawk_service {
namespace {

namespace feed = kestrava::network_feed;

// One fetch's state, shared with libcurl's callbacks.
struct Transfer {
  CURL* curl;
  feed::FeedReader reader;
  std::size_t max_bytes;
  const std::atomic<bool>* stopping;
  std::optional<std::string> error;  // why a callback ended the transfer
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  long status = 0;
  curl_easy_getinfo(transfer.curl, CURLINFO_RESPONSE_CODE, &status);
  if (status != 200) {
    transfer.error = "HTTP status " + std::to_string(status);
    return 0;
  }
  if (transfer.reader.BytesRead() + bytes > transfer.max_bytes) {
    transfer.error = "the document is larger than " + std::to_string(transfer.max_bytes) + " bytes";
    return 0;
  }
  try {
    transfer.reader.Write(std::string_view(data, bytes));
  } catch (const feed::FeedError& error) {
    transfer.error = error.what();
    return 0;
  }
  return bytes;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto& transfer = *static_cast<Transfer*>(user);
  return transfer.stopping->load() ? 1 : 0;
}

}  // namespace

FeedFetcher::FeedFetcher(FeedFetcherOptions options, FeedTraffic& traffic,
                         std::function<std::int64_t()> now,
                         std::function<void(std::string_view)> log)
    : options_(std::move(options)), traffic_(traffic), now_(std::move(now)), log_(std::move(log)) {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

FeedFetcher::~FeedFetcher() { Stop(); }

bool FeedFetcher::FetchOnce() {
  const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(),
                                                                 curl_easy_cleanup);
  std::string error;
  std::optional<feed::Snapshot> snapshot;
  if (!curl) {
    error = "libcurl could not start a transfer";
  } else {
    Transfer transfer{curl.get(), {}, options_.max_bytes, &stopping_, std::nullopt};
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, options_.url.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_USERAGENT, "squawk-service");
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");  // every encoding libcurl decodes
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(options_.timeout.count() * 1000));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
    const CURLcode code = curl_easy_perform(h);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (transfer.error) {
      error = *transfer.error;
    } else if (code != CURLE_OK) {
      error = curl_easy_strerror(code);
    } else if (status != 200) {
      error = "HTTP status " + std::to_string(status);
    } else {
      try {
        snapshot = transfer.reader.Finish();
      } catch (const feed::FeedError& e) {
        error = e.what();
      }
    }
  }
  const std::int64_t now = now_();
  if (!snapshot && stopping_) return false;  // cut short by Stop: no failure of the feed
  if (!snapshot) {
    if (traffic_.Fail(error, now)) {
      log_("network feed " + options_.url + ": " + error +
           "; the last good snapshot stays in force until a fetch succeeds");
    }
    return false;
  }
  const FeedStatus before = traffic_.Status(now);
  traffic_.Apply(*snapshot, now);
  if (before.failing) {
    log_("network feed " + options_.url + ": read again, " +
         std::to_string(snapshot->pilots.size()) + " pilots");
  }
  return true;
}

void FeedFetcher::Start() {
  if (thread_.joinable()) return;
  stopping_ = false;
  thread_ = std::thread([this] { Run(); });
}

void FeedFetcher::Stop() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void FeedFetcher::Run() {
  for (;;) {
    FetchOnce();
    std::unique_lock lock(mutex_);
    if (wake_.wait_for(lock, options_.interval, [&] { return stopping_.load(); })) return;
  }
}

}  // namespace squawk_service
