#include "tools/kestrava-sim/feed_import/feed_import.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <system_error>

#include "platform/system_time.h"
#include "tools/kestrava-sim/event_log.h"
#include "tools/kestrava-sim/feed_import/filed_route.h"
#include "tools/network-feed/feed_reader.h"

namespace kestrava::sim {
namespace {

constexpr char kUsage[] =
    "usage: kestrava-sim import-feed SNAPSHOT.json [SNAPSHOT.json ...] --out SCENARIO.json "
    "[--airport ICAO ...]";
constexpr std::size_t kChunkBytes = 1 << 20;
constexpr int kTowerFacility = 4;

struct Options {
  std::vector<std::string> snapshots;
  std::string out;
  std::vector<std::string> airports;  // upper case
};

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Returns an error message, or "" when the arguments are good.
std::string ParseArguments(const std::vector<std::string>& args, Options& options) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--out" || arg == "--airport") {
      if (i + 1 == args.size() || args[i + 1].empty()) return arg + " needs a value";
      const std::string& value = args[++i];
      if (arg == "--out") {
        options.out = value;
        continue;
      }
      std::size_t at = 0;
      while (at <= value.size()) {
        const std::size_t comma = std::min(value.find(',', at), value.size());
        const std::string code = Upper(value.substr(at, comma - at));
        if (code.size() != 4) return "--airport: '" + code + "' is not a four-letter ICAO code";
        options.airports.push_back(code);
        at = comma + 1;
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      return "unknown option " + arg;
    } else {
      options.snapshots.push_back(arg);
    }
  }
  if (options.snapshots.empty()) return "no snapshot given";
  if (options.out.empty()) return "--out SCENARIO.json is needed";
  return "";
}

// Reads one snapshot, streaming; throws std::runtime_error naming the file.
network_feed::Snapshot ReadSnapshot(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    throw std::runtime_error(path + ": not a readable file");
  }
  if (std::filesystem::file_size(path, ec) > kMostSnapshotBytes) {
    throw std::runtime_error(path + ": larger than " + std::to_string(kMostSnapshotBytes >> 20) +
                             " MB, more than any snapshot of the feed");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path + ": cannot be opened");
  network_feed::FeedReader reader;
  std::string chunk(kChunkBytes, '\0');
  try {
    while (in) {
      in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
      const auto got = static_cast<std::size_t>(in.gcount());
      if (got > 0) reader.Write(std::string_view(chunk.data(), got));
    }
    if (in.bad()) throw std::runtime_error(path + ": cannot be read");
    return reader.Finish();
  } catch (const network_feed::FeedError& error) {
    throw std::runtime_error(path + ": " + error.what());
  }
}

bool Kept(const network_feed::Pilot& pilot, const Options& options) {
  if (options.airports.empty()) return true;
  if (!pilot.flight_plan) return false;
  const std::string departure = Upper(pilot.flight_plan->departure);
  const std::string arrival = Upper(pilot.flight_plan->arrival);
  return std::find(options.airports.begin(), options.airports.end(), departure) !=
             options.airports.end() ||
         std::find(options.airports.begin(), options.airports.end(), arrival) !=
             options.airports.end();
}

// "2024-06-05T06:00:00Z" of Unix seconds.
std::string IsoTime(std::int64_t unix_seconds) {
  const SystemTime t = SystemTimeFromUnixMillis(unix_seconds * 1000);
  char text[48];
  std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", unsigned{t.wYear},
                unsigned{t.wMonth}, unsigned{t.wDay}, unsigned{t.wHour}, unsigned{t.wMinute},
                unsigned{t.wSecond});
  return text;
}

Json FlightPlanStep(const network_feed::Pilot& pilot) {
  const network_feed::FlightPlan& plan = *pilot.flight_plan;
  const FiledRoute route = ReadFiledRoute(plan.route, plan.departure, plan.arrival);
  Json body{{"callsign", pilot.callsign}, {"pilot", pilot.name}};
  const auto add = [&](const char* key, const std::string& value) {
    if (!value.empty()) body[key] = value;
  };
  add("origin", plan.departure);
  add("destination", plan.arrival);
  add("type", plan.aircraft_short);
  add("etd", plan.deptime);
  add("sid", route.sid);
  add("star", route.star);
  if (!route.points.empty()) body["route"] = route.points;
  return body;
}

// What the scenario said of a pilot last.
struct Known {
  std::string plan;  // the flight plan step's body as written, "" without one
  std::string squawk;
};

class ScenarioWriter {
 public:
  explicit ScenarioWriter(const std::string& path)
      : out_(path, std::ios::binary | std::ios::trunc) {}
  bool ok() const { return static_cast<bool>(out_); }

  void Begin(const network_feed::Snapshot& first, const Options& options) {
    Json controller;
    if (!options.airports.empty()) {
      controller = {{"callsign", options.airports.front() + "_TWR"},
                    {"name", "Imported tower"},
                    {"facility", kTowerFacility}};
    } else {
      controller = {{"callsign", "FEED_OBS"}, {"name", "Imported observer"}, {"facility", 0}};
    }
    std::string description = "Imported from " + std::to_string(options.snapshots.size()) +
                              " snapshot(s) of the network's data feed, the first at " +
                              first.update_timestamp;
    if (!options.airports.empty()) {
      description += "; traffic departing from or arriving at";
      for (const std::string& airport : options.airports) description += " " + airport;
    }
    out_ << "{\n  \"start\": " << Json(IsoTime(first.update_time)).dump()
         << ",\n  \"description\": " << Json(description + ".").dump()
         << ",\n  \"controller\": " << controller.dump()
         << ",\n  \"settings\": {\"SAVELOG\": \"1\", \"SAVELOGFILE\": \"statistics.csv\"}"
         << ",\n  \"steps\": [";
    start_ = first.update_time;
  }

  void Snapshot(const network_feed::Snapshot& snapshot, const Options& options) {
    const std::int64_t t = snapshot.update_time - start_;
    std::set<std::string> present;
    Json tagged = Json::array();
    for (const network_feed::Pilot& pilot : snapshot.pilots) {
      if (!Kept(pilot, options) || !present.insert(pilot.callsign).second) continue;
      tagged.push_back(pilot.callsign);
      Known& known = known_[pilot.callsign];
      if (pilot.flight_plan) {
        const Json plan = FlightPlanStep(pilot);
        std::string text = plan.dump();
        if (text != known.plan) {
          Step(t, "flightplan", plan);
          known.plan = std::move(text);
        }
      }
      if (network_feed::TransponderCode(pilot.transponder) && pilot.transponder != known.squawk) {
        Step(t, "squawk", Json{{"callsign", pilot.callsign}, {"code", pilot.transponder}});
        known.squawk = pilot.transponder;
      }
      Step(t, "position",
           Json{{"callsign", pilot.callsign},
                {"lat", pilot.latitude},
                {"lon", pilot.longitude},
                {"gs", std::max(0, pilot.groundspeed)}});
    }
    if (!tagged.empty()) Step(t, "tags", Json{{"callsigns", std::move(tagged)}});
    for (auto it = known_.begin(); it != known_.end();) {
      if (present.count(it->first) != 0) {
        ++it;
        continue;
      }
      Step(t, "disconnect", Json{{"callsign", it->first}});
      it = known_.erase(it);
    }
  }

  void End() { out_ << (steps_ == 0 ? "]\n}\n" : "\n  ]\n}\n"); }
  bool Close() {
    out_.close();
    return static_cast<bool>(out_);
  }
  std::size_t steps() const { return steps_; }

 private:
  void Step(std::int64_t t, const char* kind, const Json& body) {
    out_ << (steps_++ == 0 ? "\n    " : ",\n    ") << Json{{"t", t}, {kind, body}}.dump();
  }

  std::ofstream out_;
  std::int64_t start_ = 0;
  std::map<std::string, Known> known_;  // pilots online, by callsign
  std::size_t steps_ = 0;
};

}  // namespace

int RunImportFeed(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options options;
  if (const std::string problem = ParseArguments(args, options); !problem.empty()) {
    err << "kestrava-sim import-feed: " << problem << '\n' << kUsage << '\n';
    return 2;
  }
  std::optional<ScenarioWriter> writer;
  std::int64_t last_time = 0;
  try {
    for (const std::string& path : options.snapshots) {
      const network_feed::Snapshot snapshot = ReadSnapshot(path);
      if (!writer) {
        writer.emplace(options.out);
        if (!writer->ok()) {
          err << "kestrava-sim import-feed: cannot write '" << options.out << "'\n";
          return 1;
        }
        writer->Begin(snapshot, options);
      } else if (snapshot.update_time < last_time) {
        throw std::runtime_error(path +
                                 ": general.update_timestamp: earlier than the snapshot before "
                                 "(give the snapshots in time order)");
      }
      last_time = snapshot.update_time;
      writer->Snapshot(snapshot, options);
    }
  } catch (const std::runtime_error& error) {
    err << "kestrava-sim import-feed: " << error.what() << '\n';
    if (writer) {
      writer->Close();
      std::error_code ec;
      std::filesystem::remove(options.out, ec);  // no half-written scenario left behind
    }
    return 2;
  }
  writer->End();
  if (!writer->Close()) {
    err << "kestrava-sim import-feed: cannot write '" << options.out << "'\n";
    return 1;
  }
  out << "Scenario " << options.out << ": " << writer->steps() << " steps from "
      << options.snapshots.size() << " snapshot(s)\n";
  return 0;
}

}  // namespace kestrava::sim
