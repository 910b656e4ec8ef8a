#include "tools/kestrava-sim/traffic_generator.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>
#include <fstream>
#include <functional>
#include <queue>
#include <system_error>
#include <utility>

#include "tools/kestrava-sim/airports.h"
#include "tools/kestrava-sim/scenario.h"
#include "tools/kestrava-sim/simulator.h"

namespace kestrava::sim {
namespace {

constexpr std::int64_t kReportSeconds = 5;
constexpr double kPi = 3.14159265358979323846;
constexpr double kCruiseKnots = 450;
constexpr double kTaxiKnots = 15;
constexpr int kTakeOffSpeeds[] = {30, 75, 120, 160};  // knots, one report each
constexpr int kLandingSpeeds[] = {120, 80, 45, 25};
constexpr const char* kAirlines[] = {"BAW", "EZY", "RYR", "KLM", "AFR", "DLH", "EIN", "BEL"};
constexpr const char* kTypes[] = {"A320", "A319", "A321", "B738", "E190", "A20N", "B38M", "A333"};
constexpr int kMostHours = 24 * 366;
constexpr std::int64_t kMinutesPerDay = 24 * 60;

// Division rounding down, also for times before 1970 and before the start.
std::int64_t FloorDivide(std::int64_t value, std::int64_t divisor) {
  return value / divisor - (value % divisor < 0 ? 1 : 0);
}

std::int64_t MinuteOfDay(std::int64_t minutes) {
  return minutes - FloorDivide(minutes, kMinutesPerDay) * kMinutesPerDay;
}

// splitmix64: small, fast and the same everywhere.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  // A whole number in [low, high].
  std::int64_t Between(std::int64_t low, std::int64_t high) {
    return low + static_cast<std::int64_t>(Next() % static_cast<std::uint64_t>(high - low + 1));
  }
  // An index into `count` things.
  std::size_t Index(std::size_t count) { return static_cast<std::size_t>(Next() % count); }
  // A number in [0, 1).
  double Fraction() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

 private:
  std::uint64_t state_;
};

struct Point {
  double lat = 0;
  double lon = 0;
};

double DistanceNm(Point a, Point b) {
  const double mid = (a.lat + b.lat) / 2 * kPi / 180;
  const double north = (b.lat - a.lat) * 60;
  const double east = (b.lon - a.lon) * 60 * std::cos(mid);
  return std::sqrt(north * north + east * east);
}

Point Between(Point a, Point b, double fraction) {
  return {a.lat + (b.lat - a.lat) * fraction, a.lon + (b.lon - a.lon) * fraction};
}

Point Moved(Point from, double heading_degrees, double nm) {
  const double h = heading_degrees * kPi / 180;
  return {from.lat + nm / 60 * std::cos(h),
          from.lon + nm / 60 * std::sin(h) / std::cos(from.lat * kPi / 180)};
}

// Writes JSON text pieces into a line.
class Line {
 public:
  Line& Text(std::string_view text) {
    line_ += text;
    return *this;
  }
  Line& Quoted(std::string_view text) {  // texts made here need no escapes
    line_ += '"';
    line_ += text;
    line_ += '"';
    return *this;
  }
  Line& Whole(std::int64_t number) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    line_.append(digits, end);
    return *this;
  }
  // Five decimals, from a whole number of hundred-thousandths: the same text on every platform.
  Line& Degrees(double degrees) {
    std::int64_t units = std::llround(degrees * 100000);
    if (units < 0) {
      line_ += '-';
      units = -units;
    }
    Whole(units / 100000);
    char digits[8];
    std::int64_t rest = units % 100000;
    for (int i = 4; i >= 0; --i, rest /= 10) digits[i] = static_cast<char>('0' + rest % 10);
    line_ += '.';
    line_.append(digits, 5);
    return *this;
  }
  const std::string& str() const { return line_; }
  void Clear() { line_.clear(); }

 private:
  std::string line_;
};

class Flight {
 public:
  // `start_minute` is the scenario start's minute of the day (for departure times).
  Flight(int number, std::uint64_t seed, const std::vector<const Airport*>& airports,
         std::int64_t start_minute)
      : random_(seed ^ (0x9e3779b97f4a7c15ULL * static_cast<std::uint64_t>(number + 1))),
        airports_(airports),
        start_minute_(start_minute) {
    callsign_ =
        std::string(kAirlines[number % std::size(kAirlines)]) + std::to_string(100 + number);
    type_ = kTypes[random_.Index(std::size(kTypes))];
    airport_ = random_.Index(airports_.size());
  }

  // Where the flight is when the scenario starts; returns the time of its first step.
  std::int64_t Start() {
    const std::int64_t offset = random_.Between(0, kReportSeconds - 1);
    const double u = random_.Fraction();
    if (u < 0.2) {  // between legs
      phase_ = Phase::kOffline;
      return random_.Between(0, 20 * 60);
    }
    PlanLeg(0, false);
    if (u < 0.4) {  // at the gate
      starting_ = true;
      return offset;
    }
    // In the air, part of the way.
    phase_ = Phase::kAir;
    flown_nm_ = total_nm_ * (0.05 + 0.9 * random_.Fraction());
    position_ = Between(from_, to_, flown_nm_ / total_nm_);
    starting_ = true;
    return offset;
  }

  // Writes the flight's steps at time `t` (each line through `emit`); returns the time of the
  // next ones.
  std::int64_t Play(std::int64_t t, const std::function<void(const std::string&)>& emit) {
    if (starting_) {
      starting_ = false;
      emit(FlightPlanLine(t).str());
      if (phase_ == Phase::kGate) phase_end_ = t + random_.Between(2 * 60, 12 * 60);
    }
    switch (phase_) {
      case Phase::kOffline:
        PlanLeg(t, legs_ > 0);
        emit(FlightPlanLine(t).str());
        phase_end_ = t + random_.Between(5 * 60, 15 * 60);
        break;
      case Phase::kGate:
        if (t >= phase_end_) {
          emit(GroundStateLine(t, "PUSH").str());
          phase_ = Phase::kPush;
          phase_end_ = t + random_.Between(60, 180);
          speed_ = 3;
        }
        break;
      case Phase::kPush:
        position_ = Moved(position_, heading_ + 180, speed_ * kReportSeconds / 3600.0);
        if (t >= phase_end_) {
          emit(GroundStateLine(t, "TAXI").str());
          phase_ = Phase::kTaxiOut;
          taxi_from_ = position_;
          phase_start_ = t;
          phase_end_ = t + random_.Between(4 * 60, 10 * 60);
          speed_ = kTaxiKnots;
        }
        break;
      case Phase::kTaxiOut:
        position_ = Between(taxi_from_, runway_start_, Progress(t));
        if (t >= phase_end_) {
          phase_ = Phase::kRoll;
          roll_ = 0;
        }
        break;
      case Phase::kRoll:
        speed_ = kTakeOffSpeeds[roll_];
        position_ = Moved(position_, heading_, speed_ * kReportSeconds / 3600.0);
        if (++roll_ == std::size(kTakeOffSpeeds)) {
          phase_ = Phase::kAir;
          from_ = position_;
          total_nm_ = DistanceNm(from_, to_);
          flown_nm_ = 0;
        }
        break;
      case Phase::kAir: {
        const double left = total_nm_ - flown_nm_;
        speed_ = std::min({kCruiseKnots, 160 + 2.5 * flown_nm_, 130 + 3.0 * left});
        flown_nm_ = std::min(total_nm_, flown_nm_ + speed_ * kReportSeconds / 3600.0);
        position_ = Between(from_, to_, total_nm_ > 0 ? flown_nm_ / total_nm_ : 1);
        if (flown_nm_ >= total_nm_) {
          phase_ = Phase::kLandingRoll;
          roll_ = 0;
          heading_ = RunwayHeading(destination_->arrival_runway);
        }
        break;
      }
      case Phase::kLandingRoll:
        speed_ = kLandingSpeeds[roll_];
        position_ = Moved(position_, heading_, speed_ * kReportSeconds / 3600.0);
        if (++roll_ == std::size(kLandingSpeeds)) {
          phase_ = Phase::kTaxiIn;
          taxi_from_ = position_;
          gate_ = GateAt(*destination_);
          phase_start_ = t;
          phase_end_ = t + random_.Between(3 * 60, 8 * 60);
          speed_ = kTaxiKnots;
        }
        break;
      case Phase::kTaxiIn:
        position_ = Between(taxi_from_, gate_, Progress(t));
        if (t >= phase_end_) {
          phase_ = Phase::kParked;
          phase_end_ = t + random_.Between(60, 4 * 60);
          speed_ = 0;
        }
        break;
      case Phase::kParked:
        if (t >= phase_end_) {
          emit(DisconnectLine(t).str());
          phase_ = Phase::kOffline;
          airport_ = destination_index_;
          return t + random_.Between(5 * 60, 20 * 60);
        }
        break;
    }
    emit(PositionLine(t).str());
    return t + kReportSeconds;
  }

  std::int64_t legs() const { return legs_; }

 private:
  enum class Phase {
    kOffline,
    kGate,
    kPush,
    kTaxiOut,
    kRoll,
    kAir,
    kLandingRoll,
    kTaxiIn,
    kParked
  };

  // A new leg from the current airport, the aircraft at the gate: where it parked, or (at the
  // start) at a gate of its own.
  void PlanLeg(std::int64_t t, bool parked_here) {
    ++legs_;
    const Airport& origin = *airports_[airport_];
    destination_index_ = random_.Index(airports_.size() - 1);
    if (destination_index_ >= airport_) ++destination_index_;
    destination_ = airports_[destination_index_];
    origin_ = &origin;
    departure_ = &origin.departures[random_.Index(origin.departures.size())];
    heading_ = RunwayHeading(origin.departure_runway);
    if (!parked_here) position_ = GateAt(origin);
    runway_start_ = Moved(Point{origin.lat, origin.lon}, heading_ + 180, 1.2);
    from_ = runway_start_;
    to_ = Moved(Point{destination_->lat, destination_->lon},
                RunwayHeading(destination_->arrival_runway) + 180, 1.0);
    total_nm_ = DistanceNm(from_, to_);
    speed_ = 0;
    phase_ = Phase::kGate;
    departure_time_ = t + random_.Between(10 * 60, 25 * 60);
  }

  // How far the timed phase has come at `t`, 0 to 1.
  double Progress(std::int64_t t) const {
    return std::min(1.0, static_cast<double>(t - phase_start_) /
                             static_cast<double>(phase_end_ - phase_start_));
  }

  Point GateAt(const Airport& airport) {
    return {airport.lat + (random_.Fraction() - 0.5) * 0.008,
            airport.lon + (random_.Fraction() - 0.5) * 0.012};
  }

  Line& Begin(std::int64_t t, const char* kind) {
    line_.Clear();
    line_.Text("{\"t\":")
        .Whole(t)
        .Text(",\"")
        .Text(kind)
        .Text("\":{\"callsign\":")
        .Quoted(callsign_);
    return line_;
  }

  const Line& FlightPlanLine(std::int64_t t) {
    Line& line = Begin(t, "flightplan");
    line.Text(",\"origin\":").Quoted(origin_->icao);
    line.Text(",\"destination\":").Quoted(destination_->icao);
    line.Text(",\"sid\":").Quoted(departure_->sid);
    line.Text(",\"dep_rwy\":").Quoted(origin_->departure_runway);
    line.Text(",\"arr_rwy\":").Quoted(destination_->arrival_runway);
    line.Text(",\"type\":").Quoted(type_);
    line.Text(",\"etd\":").Quoted(ClockText(departure_time_));
    line.Text(",\"route\":[").Quoted(departure_->exit_point);
    for (const char* point : destination_->arrival_points) line.Text(",").Quoted(point);
    line.Text("],\"route_index\":0}}");
    return line;
  }
  const Line& GroundStateLine(std::int64_t t, const char* state) {
    return Begin(t, "ground_state").Text(",\"state\":").Quoted(state).Text("}}");
  }
  const Line& DisconnectLine(std::int64_t t) { return Begin(t, "disconnect").Text("}}"); }
  const Line& PositionLine(std::int64_t t) {
    Line& line = Begin(t, "position");
    line.Text(",\"lat\":").Degrees(position_.lat).Text(",\"lon\":").Degrees(position_.lon);
    line.Text(",\"gs\":").Whole(std::llround(speed_)).Text("}}");
    return line;
  }
  // "HHMM" of a scenario time, counted from the start's hour and minute.
  std::string ClockText(std::int64_t t) const {
    const std::int64_t minutes = MinuteOfDay(start_minute_ + FloorDivide(t, 60));
    char text[5] = {
        static_cast<char>('0' + minutes / 600), static_cast<char>('0' + minutes / 60 % 10),
        static_cast<char>('0' + minutes % 60 / 10), static_cast<char>('0' + minutes % 10), '\0'};
    return text;
  }

 private:
  Random random_;
  const std::vector<const Airport*>& airports_;
  std::int64_t start_minute_;
  std::string callsign_;
  std::string type_;
  std::size_t airport_ = 0;
  std::size_t destination_index_ = 0;
  const Airport* origin_ = nullptr;
  const Airport* destination_ = nullptr;
  const Departure* departure_ = nullptr;
  Phase phase_ = Phase::kOffline;
  bool starting_ = false;
  std::int64_t phase_start_ = 0;
  std::int64_t phase_end_ = 0;
  std::int64_t departure_time_ = 0;
  std::size_t roll_ = 0;
  double heading_ = 0;
  double speed_ = 0;
  double total_nm_ = 0;
  double flown_nm_ = 0;
  Point gate_, runway_start_, taxi_from_, from_, to_, position_;
  std::int64_t legs_ = 0;
  Line line_;
};

}  // namespace

std::string CheckTrafficOptions(const TrafficOptions& options) {
  if (options.aircraft < 1 || options.aircraft > 100000) return "--aircraft must be 1 to 100000";
  if (!(options.hours > 0) || options.hours > kMostHours) {
    return "--hours must be above 0 and at most " + std::to_string(kMostHours) + " (366 days)";
  }
  if (!ParseUtcTime(options.start)) {
    return "--start '" + options.start + "' is not a UTC time such as 2024-06-05T06:00:00Z";
  }
  std::vector<std::string> seen;
  for (const std::string& icao : options.airports) {
    if (FindAirport(icao) == nullptr) {
      std::string known;
      for (const Airport& airport : KnownAirports()) {
        known += (known.empty() ? "" : ", ") + std::string(airport.icao);
      }
      return "unknown airport '" + icao + "' (known: " + known + ")";
    }
    if (std::find(seen.begin(), seen.end(), icao) != seen.end()) {
      return "airport '" + icao + "' given twice";
    }
    seen.push_back(icao);
  }
  if (options.airports.size() == 1) return "--airports needs at least two airports";
  return "";
}

TrafficSummary WriteTraffic(const TrafficOptions& options, std::ostream& out) {
  std::vector<const Airport*> airports;
  for (const std::string& icao : options.airports) airports.push_back(FindAirport(icao));
  if (airports.empty()) airports = DefaultAirports();
  const std::int64_t start_minute = MinuteOfDay(FloorDivide(*ParseUtcTime(options.start), 60000));
  const auto end = static_cast<std::int64_t>(std::llround(options.hours * 3600));

  out << "{\"start\":\"" << options.start << "\",\n\"description\":\"" << options.aircraft
      << " aircraft flying between";
  for (const Airport* airport : airports) out << ' ' << airport->icao;
  out << " for " << options.hours << " h (seed " << options.seed << ")\",\n"
      << "\"controller\":{\"callsign\":\"LON_CTR\",\"name\":\"Generated traffic\","
         "\"facility\":6},\n"
      << "\"settings\":{\"SAVELOG\":\"1\",\"SAVELOGFILE\":\"stats.csv\"";
  if (options.squawks) {
    for (std::size_t i = 0; i < airports.size(); ++i) {
      out << ",\"SQK" << i + 1 << "\":\"" << airports[i]->icao << ":1\"";
    }
  }
  out << "},\n\"steps\":[\n";

  std::vector<Flight> flights;
  flights.reserve(static_cast<std::size_t>(options.aircraft));
  using Due = std::pair<std::int64_t, int>;  // time, flight: the earliest first, then by number
  std::priority_queue<Due, std::vector<Due>, std::greater<>> due;
  for (int i = 0; i < options.aircraft; ++i) {
    flights.emplace_back(i, options.seed, airports, start_minute);
    due.emplace(flights.back().Start(), i);
  }
  TrafficSummary summary;
  const std::function<void(const std::string&)> emit = [&](const std::string& line) {
    if (summary.steps++ > 0) out << ",\n";
    out << line;
  };
  while (!due.empty() && due.top().first <= end && out) {
    const auto [t, i] = due.top();
    due.pop();
    due.emplace(flights[static_cast<std::size_t>(i)].Play(t, emit), i);
  }
  out << "\n]}\n";
  for (const Flight& flight : flights) summary.legs += flight.legs();
  return summary;
}

int RunGenerate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  constexpr char kUsage[] =
      "usage: kestrava-sim generate FILE [--aircraft N] [--hours H] [--seed S] "
      "[--airports A,B,...] [--squawks] [--start TIME]";
  TrafficOptions options;
  std::string file;
  std::string problem;
  const auto number = [&](const std::string& option, const std::string& text, auto& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end) problem = option + " needs a number";
  };
  for (std::size_t i = 0; i < args.size() && problem.empty(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--squawks") {
      options.squawks = true;
    } else if (arg == "--aircraft" || arg == "--hours" || arg == "--seed" || arg == "--airports" ||
               arg == "--start") {
      if (i + 1 == args.size()) {
        problem = arg + " needs a value";
        break;
      }
      const std::string& value = args[++i];
      if (arg == "--aircraft") number(arg, value, options.aircraft);
      if (arg == "--seed") number(arg, value, options.seed);
      if (arg == "--hours") {
        try {
          std::size_t used = 0;
          options.hours = std::stod(value, &used);
          if (used != value.size()) problem = arg + " needs a number";
        } catch (const std::exception&) {
          problem = arg + " needs a number";
        }
      }
      if (arg == "--start") options.start = value;
      if (arg == "--airports") {
        options.airports.clear();
        for (std::size_t at = 0; at <= value.size();) {
          const std::size_t comma = std::min(value.find(',', at), value.size());
          options.airports.push_back(value.substr(at, comma - at));
          at = comma + 1;
        }
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      problem = "unknown option " + arg;
    } else if (!file.empty()) {
      problem = "more than one output file given";
    } else {
      file = arg;
    }
  }
  if (problem.empty() && file.empty()) problem = "no output file given";
  if (problem.empty()) problem = CheckTrafficOptions(options);
  if (!problem.empty()) {
    err << "kestrava-sim generate: " << problem << '\n' << kUsage << '\n';
    return kExitBadScenario;
  }
  std::ofstream file_out;
  std::vector<char> buffer(1 << 20);
  if (file != "-") {
    file_out.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    file_out.open(file, std::ios::binary | std::ios::trunc);
  }
  std::ostream& target = file == "-" ? out : file_out;
  const TrafficSummary summary = WriteTraffic(options, target);
  if (file != "-") file_out.close();
  if (!target) {
    err << "kestrava-sim generate: cannot write '" << file << "'\n";
    return kExitFailed;
  }
  if (file != "-") {
    out << "Wrote " << file << ": " << summary.steps << " steps, " << options.aircraft
        << " aircraft, " << summary.legs << " legs\n";
  }
  return kExitDone;
}

}  // namespace kestrava::sim
