// The network's feed as the squawk service takes it: a snapshot of 5,000 pilots (about 5 MB,
// with controllers, ATIS, servers and prefiles beside them) read in the pieces a transfer hands
// over and applied to the service's traffic state (BM_NetworkFeedReadAndApply). Its time is
// compared with parsing the same document into Boost.JSON's own tree, the bare cost of reading
// that much JSON, the two timed in turn (BM_NetworkFeedAgainstJsonTree). Memory: the peak of
// resident memory while reading and applying, over what was resident before, against the
// document's size.
// The bounds are in scripts/bench_targets.py.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <boost/json/parse.hpp>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "bench/time_in_turn.h"
#include "squawk-service/feed_traffic.h"
#include "tools/network-feed/feed_reader.h"

namespace {

namespace feed = kestrava::network_feed;

constexpr int kPilots = 5000;
constexpr std::size_t kPiece = 16 * 1024;  // what libcurl hands over at a time

// Deterministic numbers for the made-up snapshot.
class Numbers {
 public:
  std::uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }
  double Between(double low, double high) { return low + (high - low) * (Next() % 100000) / 1e5; }

 private:
  std::uint32_t state_ = 12345;
};

const char* const kAirports[] = {"EGLL", "EGKK", "EHAM", "EDDF", "LFPG", "LEMD", "LIRF", "KJFK",
                                 "KLAX", "KORD", "CYYZ", "RJTT", "YSSY", "OMDB", "VHHH", "SBGR"};

std::string Snapshot() {
  Numbers n;
  std::string doc =
      R"({"general": {"version": 3, "reload": 1, "update": "20261207195130", )"
      R"("update_timestamp": "2026-12-07T19:51:30.1234567Z", "connected_clients": 5600, )"
      R"("unique_users": 5500}, "pilots": [)";
  for (int i = 0; i < kPilots; ++i) {
    const std::string code = std::to_string(n.Next() % 8) + std::to_string(n.Next() % 8) +
                             std::to_string(n.Next() % 8) + std::to_string(n.Next() % 8);
    const char* departure = kAirports[n.Next() % std::size(kAirports)];
    const char* arrival = kAirports[n.Next() % std::size(kAirports)];
    doc += (i ? ", " : "") + std::string(R"({"cid": )") + std::to_string(1000000 + i) +
           R"(, "name": "Pilot Name )" + std::to_string(i) + R"(", "callsign": "ABC)" +
           std::to_string(i) + R"(", "server": "UK", "pilot_rating": 0, "military_rating": 0, )" +
           R"("latitude": )" + std::to_string(n.Between(-60, 70)) + R"(, "longitude": )" +
           std::to_string(n.Between(-180, 180)) + R"(, "altitude": )" +
           std::to_string(n.Next() % 41000) + R"(, "groundspeed": )" +
           std::to_string(n.Next() % 520) + R"(, "transponder": ")" + code + R"(", "heading": )" +
           std::to_string(n.Next() % 360) +
           R"(, "qnh_i_hg": 29.92, "qnh_mb": 1013, "flight_plan": )";
    if (i % 10 == 9) {
      doc += "null";
    } else {
      doc += std::string(R"({"flight_rules": "I", "aircraft": "A320/M-SDE3FGHIRWY/LB1", )") +
             R"("aircraft_faa": "H/A320/L", "aircraft_short": "A320", "departure": ")" + departure +
             R"(", "arrival": ")" + arrival +
             R"(", "alternate": "LFPO", "cruise_tas": "450", "altitude": "35000", )"
             R"("deptime": "1930", "enroute_time": "0100", "fuel_time": "0300", )"
             R"("remarks": "PBN/A1B1C1D1L1O1S1 DOF/261207 REG/GABCD EET/LFFF0030 /V/", )"
             R"("route": "MODMI L9 KENET UL9 STU UP2 NUMPO DCT LIMRI XAMAN UL739 GAPLI", )"
             R"("revision_id": 1, "assigned_transponder": ")" +
             code + R"("})";
    }
    doc += R"(, "logon_time": "2026-12-07T18:00:00.0000000Z", )"
           R"("last_updated": "2026-12-07T19:51:00.0000000Z"})";
  }
  doc += R"(], "controllers": [)";
  for (int i = 0; i < 500; ++i) {
    doc += (i ? ", " : "") + std::string(R"({"cid": 1, "name": "Controller", "callsign": "C)") +
           std::to_string(i) +
           R"(_CTR", "frequency": "132.600", "facility": 6, )"
           R"("rating": 5, "server": "UK", "visual_range": 300, "text_atis": )"
           R"(["Line one of the controller's text", "Line two"], )"
           R"("last_updated": "2026-12-07T19:51:00Z", "logon_time": "2026-12-07T18:00:00Z"})";
  }
  doc += R"(], "atis": [{"callsign": "EGLL_ATIS", "text_atis": ["INFORMATION A"]}], )"
         R"("servers": [{"ident": "UK", "hostname_or_ip": "uk.example", "location": "UK"}], )"
         R"("prefiles": [{"cid": 2, "callsign": "P1", "flight_plan": {"route": "DCT"}}], )"
         R"("facilities": [], "ratings": [], "pilot_ratings": [], "military_ratings": []})";
  return doc;
}

const std::string& Document() {
  static const std::string document = Snapshot();
  return document;
}

squawk_service::FeedTrafficOptions Options() {
  squawk_service::FeedTrafficOptions options;
  Numbers n;
  for (const char* airport : kAirports) {
    options.airports[airport] = {n.Between(-60, 70), n.Between(-180, 180)};
  }
  return options;
}

std::vector<squawk_service::HeldCallsign> Holds() {
  std::vector<squawk_service::HeldCallsign> holds;
  for (int i = 0; i < 2000; ++i) holds.push_back({"ABC" + std::to_string(i * 3), 0});
  return holds;
}

// Reads the document as a transfer hands it over and applies it.
std::size_t ReadAndApply(squawk_service::FeedTraffic& traffic,
                         const std::vector<squawk_service::HeldCallsign>& holds) {
  const std::string& document = Document();
  feed::FeedReader reader;
  for (std::size_t at = 0; at < document.size(); at += kPiece) {
    reader.Write(std::string_view(document).substr(at, kPiece));
  }
  const feed::Snapshot snapshot = reader.Finish();
  traffic.Apply(snapshot, 1000);
  std::size_t codes = 0;
  for (const char* airport : kAirports) codes += traffic.SquawkedFor(airport)->size();
  codes += traffic.ToRelease(holds).size();
  return codes;
}

// A figure of /proc/self/status ("VmRSS", "VmHWM") in bytes; 0 when it cannot be read.
std::size_t StatusBytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::stoull(line.substr(field.size() + 1)) * 1024;
  }
  return 0;
}

void BM_NetworkFeedReadAndApply(benchmark::State& state) {
  const std::string& document = Document();
  const auto holds = Holds();
  // Memory, once, outside the timing: the peak of resident memory over what was resident
  // before (free heap memory given back first, the peak reset), reallocations included.
  std::size_t peak = 0;
  {
    squawk_service::FeedTraffic traffic(Options());
    traffic.Apply(feed::ReadFeed(document), 940);  // the previous snapshot, as in service
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";  // resets VmHWM to VmRSS
    const std::size_t before = StatusBytes("VmRSS");
    ReadAndApply(traffic, holds);
    const std::size_t high = StatusBytes("VmHWM");
    if (before == 0 || high < before) {
      state.SkipWithError("resident memory cannot be measured (/proc/self/status)");
      return;
    }
    peak = high - before;
  }
  squawk_service::FeedTraffic traffic(Options());
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReadAndApply(traffic, holds));
  }
  state.counters["document_mb"] = static_cast<double>(document.size()) / 1e6;
  state.counters["peak_held_mb"] = static_cast<double>(peak) / 1e6;
  state.counters["peak_per_document_byte"] =
      static_cast<double>(peak) / static_cast<double>(document.size());
}
BENCHMARK(BM_NetworkFeedReadAndApply)->Unit(benchmark::kMillisecond);

// Reading and applying against parsing the document into a tree, the two in turn, document by
// document (time_in_turn.h).
void BM_NetworkFeedAgainstJsonTree(benchmark::State& state) {
  const std::string& document = Document();
  const auto holds = Holds();
  squawk_service::FeedTraffic traffic(Options());
  kestrava::bench::TimeInTurn(
      state, [&] { benchmark::DoNotOptimize(ReadAndApply(traffic, holds)); },
      [&] { benchmark::DoNotOptimize(boost::json::parse(document)); });
}
BENCHMARK(BM_NetworkFeedAgainstJsonTree)->Unit(benchmark::kMillisecond);

}  // namespace
