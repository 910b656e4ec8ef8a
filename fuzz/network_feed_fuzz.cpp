// The network feed's reader over a document of any bytes: read whole and read in two pieces
// (cut where the input's first byte says) give the same snapshot or the same error, and every
// snapshot read keeps the reader's promises (callsigns, positions in range, a valid time).
#include <string>

#include "fuzz/fuzz_input.h"
#include "tools/network-feed/feed_reader.h"

namespace {

namespace feed = kestrava::network_feed;

struct Outcome {
  std::optional<feed::Snapshot> snapshot;
  std::string error;
};

Outcome Read(std::string_view document, std::size_t cut) {
  Outcome outcome;
  try {
    feed::FeedReader reader;
    reader.Write(document.substr(0, cut));
    reader.Write(document.substr(cut));
    outcome.snapshot = reader.Finish();
  } catch (const feed::FeedError& error) {
    outcome.error = error.what();
  }
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view document = kestrava::fuzz::AsText(data, size);
  const Outcome whole = Read(document, document.size());
  const Outcome pieces = Read(document, size == 0 ? 0 : data[0] % size);
  FUZZ_CHECK(whole.snapshot.has_value() != !whole.error.empty());
  FUZZ_CHECK(whole.snapshot == pieces.snapshot);
  // A fault found by the parser names the byte it stopped at, which depends on the pieces.
  FUZZ_CHECK(whole.error.empty() == pieces.error.empty());
  if (!whole.snapshot) return 0;
  for (const feed::Pilot& pilot : whole.snapshot->pilots) {
    FUZZ_CHECK(!pilot.callsign.empty());
    FUZZ_CHECK(pilot.latitude >= -90 && pilot.latitude <= 90);
    FUZZ_CHECK(pilot.longitude >= -180 && pilot.longitude <= 180);
  }
  for (const feed::Controller& controller : whole.snapshot->controllers) {
    FUZZ_CHECK(!controller.callsign.empty());
  }
  FUZZ_CHECK(!whole.snapshot->update_timestamp.empty());
  return 0;
}
