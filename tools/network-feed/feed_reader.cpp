#include "tools/network-feed/feed_reader.h"

#include <boost/json/basic_parser_impl.hpp>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "tools/json/json_number.h"
#include "tools/network-feed/iso_time.h"

namespace kestrava::network_feed {
namespace {

using boost::json::error_code;
using boost::json::string_view;

// Where the reader is: the document, `general`, the arrays and the records in them.
enum class Frame { kRoot, kGeneral, kPilots, kPilot, kFlightPlan, kControllers, kController };

// What a field holds.
enum class Type {
  kText,       // a string (null: the default)
  kIsoTime,    // a string of an ISO time
  kLatitude,   // a number, -90..90
  kLongitude,  // a number, -180..180
  kWhole,      // a whole number that fits 32 bits
  kObject,     // an object read as `child`
  kArray,      // an array of objects read as `child`'s records
  kPlan,       // an object read as `child`, or null
};

template <typename Record>
using Target =
    std::variant<std::monostate, std::string Record::*, double Record::*, std::int32_t Record::*>;

template <typename Record>
struct Field {
  std::string_view name;
  Type type;
  bool required;
  Target<Record> target;
  Frame child = Frame::kRoot;
};

const Field<Snapshot> kRootFields[] = {
    {"general", Type::kObject, true, {}, Frame::kGeneral},
    {"pilots", Type::kArray, true, {}, Frame::kPilots},
    {"controllers", Type::kArray, false, {}, Frame::kControllers},
};
const Field<Snapshot> kGeneralFields[] = {
    {"update_timestamp", Type::kIsoTime, true, &Snapshot::update_timestamp},
};
const Field<Pilot> kPilotFields[] = {
    {"callsign", Type::kText, true, &Pilot::callsign},
    {"name", Type::kText, false, &Pilot::name},
    {"latitude", Type::kLatitude, true, &Pilot::latitude},
    {"longitude", Type::kLongitude, true, &Pilot::longitude},
    {"altitude", Type::kWhole, false, &Pilot::altitude},
    {"groundspeed", Type::kWhole, false, &Pilot::groundspeed},
    {"transponder", Type::kText, false, &Pilot::transponder},
    {"heading", Type::kWhole, false, &Pilot::heading},
    {"flight_plan", Type::kPlan, false, {}, Frame::kFlightPlan},
};
const Field<FlightPlan> kFlightPlanFields[] = {
    {"flight_rules", Type::kText, false, &FlightPlan::flight_rules},
    {"aircraft_short", Type::kText, false, &FlightPlan::aircraft_short},
    {"departure", Type::kText, false, &FlightPlan::departure},
    {"arrival", Type::kText, false, &FlightPlan::arrival},
    {"alternate", Type::kText, false, &FlightPlan::alternate},
    {"altitude", Type::kText, false, &FlightPlan::altitude},
    {"deptime", Type::kText, false, &FlightPlan::deptime},
    {"route", Type::kText, false, &FlightPlan::route},
    {"remarks", Type::kText, false, &FlightPlan::remarks},
};
const Field<Controller> kControllerFields[] = {
    {"callsign", Type::kText, true, &Controller::callsign},
    {"name", Type::kText, false, &Controller::name},
    {"facility", Type::kWhole, false, &Controller::facility},
    {"frequency", Type::kText, false, &Controller::frequency},
};

constexpr int kNoField = -1;         // no key read yet, or its value is done
constexpr int kUnknownField = -2;    // a member the reader skips
constexpr std::size_t kMaxKey = 32;  // longer keys are no field's
constexpr std::size_t kMaxDepth = 64;

// A scalar value as the parser gives it.
struct Scalar {
  enum class Kind { kString, kNumber, kBool, kNull } kind;
  std::string_view text;  // strings and numbers
};

const char* Expected(Type type) {
  switch (type) {
    case Type::kText:
    case Type::kIsoTime: return "not a text";
    case Type::kLatitude:
    case Type::kLongitude: return "not a number";
    case Type::kWhole: return "not a whole number";
    case Type::kObject: return "not an object";
    case Type::kArray: return "not an array";
    case Type::kPlan: return "not an object or null";
  }
  return "of another type";
}

// The text of a value shown in a message: up to 40 bytes, printable ASCII only.
std::string Shown(std::string_view text) {
  std::string shown = "\"";
  for (std::size_t i = 0; i < text.size() && i < 40; ++i) {
    const char c = text[i];
    shown += (c >= 0x20 && c < 0x7f && c != '"') ? c : '?';
  }
  return shown + (text.size() > 40 ? "...\"" : "\"");
}

}  // namespace

class FeedReader::Handler {
 public:
  static constexpr std::size_t max_object_size = std::numeric_limits<std::size_t>::max();
  static constexpr std::size_t max_array_size = std::numeric_limits<std::size_t>::max();
  static constexpr std::size_t max_key_size = std::numeric_limits<std::size_t>::max();
  static constexpr std::size_t max_string_size = std::numeric_limits<std::size_t>::max();

  bool on_document_begin(error_code&) { return true; }
  bool on_document_end(error_code&) { return true; }

  bool on_object_begin(error_code& ec) { return Check(BeginObject(), ec); }
  bool on_object_end(std::size_t, error_code& ec) { return Check(End(), ec); }
  bool on_array_begin(error_code& ec) { return Check(BeginArray(), ec); }
  bool on_array_end(std::size_t, error_code& ec) { return Check(End(), ec); }

  bool on_key_part(string_view s, std::size_t, error_code&) {
    if (skip_ == 0) AppendKey(s);
    return true;
  }
  bool on_key(string_view s, std::size_t, error_code& ec) {
    if (skip_ > 0) return true;
    AppendKey(s);
    const bool ok = Key();
    key_.clear();
    key_too_long_ = false;
    return Check(ok, ec);
  }

  bool on_string_part(string_view s, std::size_t, error_code&) {
    if (Keeping()) text_.append(s.data(), s.size());
    return true;
  }
  bool on_string(string_view s, std::size_t, error_code& ec) {
    return Finish(Scalar::Kind::kString, s, ec);
  }
  bool on_number_part(string_view s, error_code&) {
    if (Keeping()) text_.append(s.data(), s.size());
    return true;
  }
  bool on_int64(std::int64_t, string_view s, error_code& ec) {
    return Finish(Scalar::Kind::kNumber, s, ec);
  }
  bool on_uint64(std::uint64_t, string_view s, error_code& ec) {
    return Finish(Scalar::Kind::kNumber, s, ec);
  }
  bool on_double(double, string_view s, error_code& ec) {
    return Finish(Scalar::Kind::kNumber, s, ec);
  }
  bool on_bool(bool, error_code& ec) { return Finish(Scalar::Kind::kBool, {}, ec); }
  bool on_null(error_code& ec) { return Finish(Scalar::Kind::kNull, {}, ec); }
  bool on_comment_part(string_view, error_code&) { return true; }
  bool on_comment(string_view, error_code&) { return true; }

  Snapshot& snapshot() { return snapshot_; }
  const std::string& error() const { return error_; }
  // Where the reader is, for messages about faults the parser found ("" at the top level).
  std::string Where() {
    if (levels_.empty()) return {};
    const Level& top = levels_.back();
    return top.field >= 0 ? FieldPath(top.field) : Path();
  }

 private:
  struct Level {
    Frame frame;
    std::uint32_t given = 0;  // fields met, null or not (by index)
    std::uint32_t set = 0;    // fields given a value other than null
    int field = kNoField;     // the field whose value comes next
  };

  static bool Check(bool ok, error_code& ec) {
    if (!ok) ec = boost::system::errc::make_error_code(boost::system::errc::invalid_argument);
    return ok;
  }

  bool Fail(std::string message) {
    error_ = std::move(message);
    return false;
  }

  // Calls `visit(record, fields)` with the record the top level reads and its fields' table.
  template <typename Visit>
  auto WithRecord(Frame frame, Visit visit) {
    switch (frame) {
      case Frame::kGeneral: return visit(snapshot_, std::span(kGeneralFields));
      case Frame::kPilot: return visit(snapshot_.pilots.back(), std::span(kPilotFields));
      case Frame::kFlightPlan:
        return visit(*snapshot_.pilots.back().flight_plan, std::span(kFlightPlanFields));
      case Frame::kController:
        return visit(snapshot_.controllers.back(), std::span(kControllerFields));
      default: return visit(snapshot_, std::span(kRootFields));
    }
  }

  static bool IsArray(Frame frame) {
    return frame == Frame::kPilots || frame == Frame::kControllers;
  }

  // Appends "[index]" (piece by piece: GCC 12 warns wrongly of overlapping copies in a chain of
  // concatenations here).
  static void AppendIndex(std::string& path, std::size_t index) {
    path += '[';
    path += std::to_string(index);
    path += ']';
  }

  std::string Path() const {
    std::string path;
    for (const Level& level : levels_) {
      switch (level.frame) {
        case Frame::kRoot: break;
        case Frame::kGeneral: path = "general"; break;
        case Frame::kPilots: path = "pilots"; break;
        case Frame::kControllers: path = "controllers"; break;
        case Frame::kPilot: AppendIndex(path, snapshot_.pilots.size() - 1); break;
        case Frame::kController: AppendIndex(path, snapshot_.controllers.size() - 1); break;
        case Frame::kFlightPlan: path += ".flight_plan"; break;
      }
    }
    return path;
  }

  std::string FieldPath(int field) {
    const std::string path = Path();
    const std::string_view name = WithRecord(levels_.back().frame, [&](auto&, auto fields) {
      return fields[static_cast<std::size_t>(field)].name;
    });
    return path.empty() ? std::string(name) : path + "." + std::string(name);
  }

  // The path of the next element of the array the top level reads ("pilots[3]").
  std::string ElementPath() const {
    const std::size_t index = levels_.back().frame == Frame::kPilots ? snapshot_.pilots.size()
                                                                     : snapshot_.controllers.size();
    std::string path = Path();
    AppendIndex(path, index);
    return path;
  }

  // Whether the string or number being read is a field's value to keep.
  bool Keeping() const { return skip_ == 0 && !levels_.empty() && levels_.back().field >= 0; }

  void AppendKey(string_view s) {
    if (key_.size() + s.size() > kMaxKey) {
      key_too_long_ = true;
    } else {
      key_.append(s.data(), s.size());
    }
  }

  bool Key() {
    Level& level = levels_.back();
    level.field = kUnknownField;
    if (key_too_long_) return true;
    return WithRecord(level.frame, [&](auto&, auto fields) {
      for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].name != key_) continue;
        const std::uint32_t bit = 1u << i;
        level.field = static_cast<int>(i);
        if (level.given & bit) return Fail(FieldPath(level.field) + ": given twice");
        level.given |= bit;
        return true;
      }
      return true;
    });
  }

  // A value that is an object or array starts; `array` tells which.
  bool BeginValue(bool array) {
    if (levels_.size() + skip_ >= kMaxDepth) {
      return Fail("nested deeper than " + std::to_string(kMaxDepth) + " levels");
    }
    if (skip_ > 0) {
      ++skip_;
      return true;
    }
    if (levels_.empty()) {
      if (array) return Fail("the document is not a JSON object");
      levels_.push_back({Frame::kRoot});
      return true;
    }
    Level& level = levels_.back();
    if (IsArray(level.frame)) {
      if (array) return Fail(ElementPath() + ": not an object");
      if (level.frame == Frame::kPilots) {
        snapshot_.pilots.emplace_back();
        levels_.push_back({Frame::kPilot});
      } else {
        snapshot_.controllers.emplace_back();
        levels_.push_back({Frame::kController});
      }
      return true;
    }
    if (level.field == kUnknownField) {
      skip_ = 1;
      level.field = kNoField;
      return true;
    }
    return WithRecord(level.frame, [&](auto& record, auto fields) {
      (void)record;
      const auto& field = fields[static_cast<std::size_t>(level.field)];
      const bool fits = array ? field.type == Type::kArray
                              : (field.type == Type::kObject || field.type == Type::kPlan);
      if (!fits) return Fail(FieldPath(level.field) + ": " + Expected(field.type));
      level.set |= 1u << level.field;
      level.field = kNoField;
      if (field.child == Frame::kFlightPlan) snapshot_.pilots.back().flight_plan.emplace();
      levels_.push_back({field.child});
      return true;
    });
  }
  bool BeginObject() { return BeginValue(false); }
  bool BeginArray() { return BeginValue(true); }

  bool End() {
    if (skip_ > 0) {
      --skip_;
      return true;
    }
    const Level level = levels_.back();
    const bool ok = WithRecord(level.frame, [&](auto& record, auto fields) {
      if (IsArray(level.frame)) return true;
      for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!fields[i].required || (level.set & (1u << i))) continue;
        const std::string path = Path();
        return Fail((path.empty() ? "" : path + ": ") + "no " + std::string(fields[i].name));
      }
      if constexpr (requires { record.callsign; }) {
        if (record.callsign.empty()) return Fail(Path() + ".callsign: empty");
      }
      return true;
    });
    levels_.pop_back();
    return ok;
  }

  bool Finish(Scalar::Kind kind, string_view last, error_code& ec) {
    if (skip_ > 0) return true;
    if (levels_.empty()) return Check(Fail("the document is not a JSON object"), ec);
    Level& level = levels_.back();
    if (IsArray(level.frame)) return Check(Fail(ElementPath() + ": not an object"), ec);
    if (level.field < 0) {
      level.field = kNoField;
      return true;
    }
    text_.append(last.data(), last.size());
    const bool ok = Store(level, {kind, text_});
    text_.clear();
    level.field = kNoField;
    return Check(ok, ec);
  }

  bool Store(Level& level, Scalar value) {
    return WithRecord(level.frame, [&](auto& record, auto fields) {
      const auto& field = fields[static_cast<std::size_t>(level.field)];
      const std::string where = FieldPath(level.field);
      if (value.kind == Scalar::Kind::kNull) return true;  // the default stays
      level.set |= 1u << level.field;
      using Record = std::remove_reference_t<decltype(record)>;
      switch (field.type) {
        case Type::kText:
        case Type::kIsoTime: {
          if (value.kind != Scalar::Kind::kString) return Fail(where + ": not a text");
          if (field.type == Type::kIsoTime) {
            const auto time = ParseIsoTime(value.text);
            if (!time) return Fail(where + ": not an ISO time (" + Shown(value.text) + ")");
            snapshot_.update_time = *time;
          }
          record.*std::get<std::string Record::*>(field.target) = std::string(value.text);
          return true;
        }
        case Type::kLatitude:
        case Type::kLongitude: {
          if (value.kind != Scalar::Kind::kNumber) return Fail(where + ": not a number");
          const auto number = json::JsonNumberValue(value.text);
          const double bound = field.type == Type::kLatitude ? 90 : 180;
          if (!number || std::fabs(*number) > bound) {
            return Fail(where + ": " + std::string(value.text) + " is not between -" +
                        std::to_string(static_cast<int>(bound)) + " and " +
                        std::to_string(static_cast<int>(bound)));
          }
          record.*std::get<double Record::*>(field.target) = *number;
          return true;
        }
        case Type::kWhole: {
          if (value.kind != Scalar::Kind::kNumber) return Fail(where + ": not a number");
          const auto number = json::JsonNumberValue(value.text);
          if (!number || *number != std::floor(*number) || *number < -2147483648.0 ||
              *number > 2147483647.0) {
            return Fail(where + ": " + std::string(value.text) + " is not a whole number");
          }
          record.*std::get<std::int32_t Record::*>(field.target) =
              static_cast<std::int32_t>(*number);
          return true;
        }
        default: return Fail(where + ": " + Expected(field.type));
      }
    });
  }

  Snapshot snapshot_;
  std::vector<Level> levels_;
  std::size_t skip_ = 0;  // depth inside a value being skipped
  std::string key_;
  bool key_too_long_ = false;
  std::string text_;  // the string or number being kept, so far
  std::string error_;
};

struct FeedReader::State {
  State() : parser(Options()) {}
  static boost::json::parse_options Options() {
    boost::json::parse_options options;
    options.max_depth = kMaxDepth + 1;  // the handler names the fault first
    return options;
  }

  boost::json::basic_parser<Handler> parser;
  std::size_t bytes = 0;
  std::string error;  // set once the reader is spent by a fault
  bool finished = false;
};

FeedReader::FeedReader() : state_(std::make_unique<State>()) {}
FeedReader::~FeedReader() = default;

std::size_t FeedReader::BytesRead() const { return state_->bytes; }

void FeedReader::Write(std::string_view piece) {
  State& state = *state_;
  if (!state.error.empty()) throw FeedError(state.error);
  if (state.finished) throw FeedError("the document was already read whole");
  while (!piece.empty()) {
    error_code ec;
    const std::size_t used = state.parser.write_some(true, piece.data(), piece.size(), ec);
    state.bytes += used;
    piece.remove_prefix(used);
    if (ec) {
      Handler& handler = state.parser.handler();
      if (!handler.error().empty()) {
        state.error = handler.error();
      } else {
        const std::string where = handler.Where();
        state.error = ec.message() + " at byte " + std::to_string(state.bytes) +
                      (where.empty() ? "" : " (inside " + where + ")");
      }
      throw FeedError(state.error);
    }
    // The parser stops short of the piece only once the document is complete.
    if (!piece.empty()) {
      state.error = "data after the document at byte " + std::to_string(state.bytes);
      throw FeedError(state.error);
    }
  }
}

Snapshot FeedReader::Finish() {
  State& state = *state_;
  if (!state.error.empty()) throw FeedError(state.error);
  if (state.finished) throw FeedError("the document was already read whole");
  state.finished = true;
  if (state.bytes == 0) {
    state.error = "the document is empty";
    throw FeedError(state.error);
  }
  error_code ec;
  state.parser.write_some(false, nullptr, 0, ec);
  if (ec || !state.parser.done()) {
    Handler& handler = state.parser.handler();
    if (!handler.error().empty()) {
      state.error = handler.error();
    } else {
      const std::string where = handler.Where();
      state.error = "the document ends early (after " + std::to_string(state.bytes) + " bytes" +
                    (where.empty() ? "" : ", inside " + where) + ")";
    }
    throw FeedError(state.error);
  }
  return std::move(state.parser.handler().snapshot());
}

Snapshot ReadFeed(std::string_view document) {
  FeedReader reader;
  reader.Write(document);
  return reader.Finish();
}

}  // namespace kestrava::network_feed
