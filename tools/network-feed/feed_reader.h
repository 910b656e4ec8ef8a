// Reads one document of the network's public data feed as it arrives, in pieces of any size
// (the streaming JSON parser keeps no copy of the document): `general.update_timestamp`, the
// `pilots` and the `controllers` with the fields of feed_snapshot.h. Every other member, at any
// level, is skipped without being stored, so memory stays bounded by what is kept.
//
// A document is refused whole, with a FeedError naming where and what is wrong:
//   "pilots[12].latitude: not a number", "pilots[3]: no callsign",
//   "general.update_timestamp: not an ISO time", "the document ends early (after 4096 bytes)",
//   "syntax error at byte 1234 (inside pilots[7].route): ...".
// A missing `general.update_timestamp` or `pilots` refuses the document; `controllers` may be
// missing. A pilot needs `callsign`, `latitude` and `longitude`, a controller `callsign`; other
// fields missing or null keep their defaults. A field given twice, or of another type, refuses
// the document.
//
// Thread: one reader per document, used on one thread at a time.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string_view>

#include "tools/network-feed/feed_snapshot.h"

namespace kestrava::network_feed {

class FeedError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class FeedReader {
 public:
  FeedReader();
  ~FeedReader();
  FeedReader(const FeedReader&) = delete;
  FeedReader& operator=(const FeedReader&) = delete;

  // Reads the next piece of the document. Throws FeedError at the first fault; the reader is
  // then spent (every later call throws the same error).
  void Write(std::string_view piece);
  // Ends the document and hands over its snapshot; throws FeedError when the document is
  // incomplete or wrong. The reader is spent afterwards.
  Snapshot Finish();

  std::size_t BytesRead() const;

 private:
  class Handler;
  struct State;
  std::unique_ptr<State> state_;
};

// Reads a whole document held in memory (a FeedReader given one piece).
Snapshot ReadFeed(std::string_view document);

}  // namespace kestrava::network_feed
