// The JSON parser is Boost.JSON's incremental basic_parser: a well-kept parser that takes the file
// chunk by chunk in bounded memory and hands texts and numbers over as they are written. (The
// reader used before, RapidJSON 1.1.0, had two undefined behaviours on valid input and refused
// valid numbers such as 0e400.) Every number, on the quick path as on the parser's, is converted
// from its text by one function (NumberScalar), so that both paths read it alike.
#include "tools/kestrava-sim/scenario_reader.h"

#include <boost/json/basic_parser_impl.hpp>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <tuple>
#include <vector>

#include "tools/json/json_number.h"
#include "tools/kestrava-sim/step_table.h"

namespace kestrava::sim {
namespace {

constexpr std::size_t kBufferBytes = 1024 * 1024;
constexpr char kTimeKey[] = "t";
constexpr char kStepsKey[] = "steps";
constexpr const char* kTopLevelKeys[] = {"start",    "description",  "controller",
                                         "settings", "squawk_rules", kStepsKey};

// A scalar as the JSON reader met it.
struct Scalar {
  FieldValue::Type type = FieldValue::Type::kNull;
  bool flag = false;
  std::int64_t integer = 0;
  std::uint64_t unsigned_integer = 0;
  double fraction = 0;
  std::string_view text;

  Json ToJson() const {
    switch (type) {
      case FieldValue::Type::kFlag: return flag;
      case FieldValue::Type::kInteger: return integer;
      case FieldValue::Type::kUnsigned: return unsigned_integer;
      case FieldValue::Type::kFraction: return fraction;
      case FieldValue::Type::kText: return std::string(text);
      default: return nullptr;
    }
  }
  void StoreIn(FieldValue& value) const {
    if (value.type == FieldValue::Type::kCompound) value.compound = nullptr;
    value.type = type;
    value.flag = flag;
    value.integer = integer;
    value.unsigned_integer = unsigned_integer;
    value.fraction = fraction;
    if (type == FieldValue::Type::kText) value.text.assign(text);
  }
  std::string Describe() const {
    FieldValue value;
    value.type = type;
    return value.Describe();
  }
};

// A JSON number from its text (valid JSON), the same on every path: a whole number that 64 bits
// hold as such (negative ones as kInteger, others as kUnsigned), any other as the nearest double.
// Nothing when it is too large for a double.
std::optional<Scalar> NumberScalar(std::string_view text) {
  Scalar scalar;
  const char* end = text.data() + text.size();
  if (text.find_first_of(".eE") == std::string_view::npos) {
    const auto whole = text.front() == '-'
                           ? std::from_chars(text.data(), end, scalar.integer)
                           : std::from_chars(text.data(), end, scalar.unsigned_integer);
    if (whole.ec == std::errc() && whole.ptr == end) {
      scalar.type = text.front() == '-' ? FieldValue::Type::kInteger : FieldValue::Type::kUnsigned;
      return scalar;
    }
  }
  const std::optional<double> value = json::JsonNumberValue(text);
  if (!value) return std::nullopt;
  scalar.type = FieldValue::Type::kFraction;
  scalar.fraction = *value;
  return scalar;
}

// Builds a JSON value from the reader's events.
class JsonBuilder {
 public:
  void Begin(Json& target) {
    target_ = &target;
    stack_.clear();
  }
  bool active() const { return target_ != nullptr; }
  // Returns true when this completed the value.
  bool Value(Json value) {
    if (stack_.empty()) {
      *target_ = std::move(value);
      target_ = nullptr;
      return true;
    }
    Json& parent = *stack_.back();
    if (parent.is_object()) {
      parent[key_] = std::move(value);
    } else {
      parent.push_back(std::move(value));
    }
    return false;
  }
  void Start(bool object) {
    Json container = object ? Json::object() : Json::array();
    if (stack_.empty()) {
      *target_ = std::move(container);
      stack_.push_back(target_);
      return;
    }
    Json& parent = *stack_.back();
    if (parent.is_object()) {
      Json& child = parent[key_] = std::move(container);
      stack_.push_back(&child);
    } else {
      parent.push_back(std::move(container));
      stack_.push_back(&parent.back());
    }
  }
  // Returns true when this completed the value.
  bool End() {
    stack_.pop_back();
    if (!stack_.empty()) return false;
    target_ = nullptr;
    return true;
  }
  void Key(std::string_view key) { key_.assign(key); }

 private:
  Json* target_ = nullptr;
  std::vector<Json*> stack_;
  std::string key_;
};

// Reads the usual step quickly: {"t": <number>, "<kind>": {<name>: <text, number, true, false or
// null>, ...}} in plain ASCII without escapes, all in the text given. Anything else (lists,
// escapes, other bytes, errors) is left to the JSON reader, which reads it the same way, slower.
class FlatStepReader {
 public:
  // `text` follows the step's '{'. On success fills `step` (its time, kind and body) and returns
  // the length read, up to the step's closing '}' (not included); else returns 0.
  static std::size_t Read(std::string_view text, RawStep& step) {
    FlatStepReader reader(text);
    return reader.ReadStep(step) ? reader.at_ : 0;
  }

 private:
  explicit FlatStepReader(std::string_view text) : text_(text) {}

  bool ReadStep(RawStep& step) {
    bool has_kind = false;
    if (!Space() || Peek() == '}') return false;
    for (;;) {
      std::string_view key;
      if (!String(key) || !Space() || !Expect(':') || !Space()) return false;
      if (key == "t") {
        if (!Scalar(step.t) || !step.t.IsNumber()) return false;
        step.has_t = true;
      } else {
        if (has_kind || !Expect('{')) return false;
        has_kind = true;
        if (key != step.kind) step.kind.assign(key);
        step.body_is_object = true;
        if (!Body(step.body)) return false;
      }
      if (!Space()) return false;
      if (Peek() == '}') return has_kind;
      if (!Expect(',') || !Space()) return false;
    }
  }

  bool Body(FieldList& body) {
    if (!Space()) return false;
    if (Peek() == '}') return Expect('}');
    for (;;) {
      std::string_view key;
      if (!String(key) || !Space() || !Expect(':') || !Space()) return false;
      if (!Scalar(body.value(body.Add(key))) || !Space()) return false;
      if (Peek() == '}') return Expect('}');
      if (!Expect(',') || !Space()) return false;
    }
  }

  bool Scalar(FieldValue& value) {
    if (value.type == FieldValue::Type::kCompound) value.compound = nullptr;
    const char c = Peek();
    if (c == '"') {
      std::string_view text;
      if (!String(text)) return false;
      value.type = FieldValue::Type::kText;
      value.text.assign(text);
      return true;
    }
    if (c == '-' || (c >= '0' && c <= '9')) return Number(value);
    for (const auto& [word, type, flag] :
         {std::tuple{std::string_view("true"), FieldValue::Type::kFlag, true},
          std::tuple{std::string_view("false"), FieldValue::Type::kFlag, false},
          std::tuple{std::string_view("null"), FieldValue::Type::kNull, false}}) {
      if (text_.substr(at_, word.size()) == word) {
        at_ += word.size();
        value.type = type;
        value.flag = flag;
        return true;
      }
    }
    return false;
  }

  // JSON's number grammar; its value as NumberScalar reads it.
  bool Number(FieldValue& value) {
    const std::size_t begin = at_;
    if (Peek() == '-') ++at_;
    if (Peek() == '0') {
      ++at_;
    } else if (!Digits()) {
      return false;
    }
    if (Peek() == '.') {
      ++at_;
      if (!Digits()) return false;
    }
    if (Peek() == 'e' || Peek() == 'E') {
      ++at_;
      if (Peek() == '+' || Peek() == '-') ++at_;
      while (Peek() == '0') ++at_;
      const std::size_t exponent = at_;
      if (!Digits() && text_[at_ - 1] != '0') return false;
      // The parser refuses an exponent beyond 2^31 - 1: such a number is left to it, so that
      // both paths refuse it.
      if (at_ - exponent > 9) return false;
    }
    const std::optional<struct Scalar> number = NumberScalar(text_.substr(begin, at_ - begin));
    if (!number) return false;  // too large: the parser names it
    number->StoreIn(value);
    return true;
  }
  // Skips digits; false when there is none.
  bool Digits() {
    const std::size_t begin = at_;
    while (IsDigit(Peek())) ++at_;
    return at_ > begin;
  }

  // A text of printable ASCII without escapes.
  bool String(std::string_view& text) {
    if (!Expect('"')) return false;
    const std::size_t begin = at_;
    for (char c = Peek(); c != '"'; c = Peek()) {
      if (c < 0x20 || c > 0x7e || c == '\\') return false;
      ++at_;
    }
    text = text_.substr(begin, at_ - begin);
    ++at_;
    return true;
  }

  // Skips white space; false at the end of the text.
  bool Space() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t')) {
      ++at_;
    }
    return at_ < text_.size();
  }
  bool Expect(char c) {
    if (Peek() != c) return false;
    ++at_;
    return true;
  }
  char Peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

  std::string_view text_;
  std::size_t at_ = 0;
};

// The parser's handler (the interface boost::json::basic_parser calls): follows the scenario's
// structure and hands the top level's fields and each step to the visitor. A failure is kept as
// the ScenarioError to throw, and stops the parser.
class Handler {
 public:
  static constexpr std::size_t max_array_size = static_cast<std::size_t>(-1);
  static constexpr std::size_t max_object_size = static_cast<std::size_t>(-1);
  static constexpr std::size_t max_string_size = static_cast<std::size_t>(-1);
  static constexpr std::size_t max_key_size = static_cast<std::size_t>(-1);

  using ErrorCode = boost::json::error_code;
  using View = boost::json::string_view;

  Handler(const std::string& file, ScenarioVisitor& visitor) : file_(file), visitor_(visitor) {}

  // --- The parser's events
  // ------------------------------------------------------------------------
  bool on_document_begin(ErrorCode&) { return true; }
  bool on_document_end(ErrorCode&) { return true; }
  bool on_object_begin(ErrorCode& ec) { return Check(OnStart(true), ec); }
  bool on_object_end(std::size_t, ErrorCode& ec) { return Check(OnEnd(), ec); }
  bool on_array_begin(ErrorCode& ec) { return Check(OnStart(false), ec); }
  bool on_array_end(std::size_t, ErrorCode& ec) { return Check(OnEnd(), ec); }
  bool on_key_part(View part, std::size_t, ErrorCode&) { return Append(key_, part); }
  bool on_key(View last, std::size_t, ErrorCode& ec) {
    const bool ok = OnKey(Whole(key_, last));
    key_.clear();
    return Check(ok, ec);
  }
  bool on_string_part(View part, std::size_t, ErrorCode&) { return Append(text_, part); }
  bool on_string(View last, std::size_t, ErrorCode& ec) {
    const bool ok = OnScalar(Scalar{FieldValue::Type::kText, false, 0, 0, 0, Whole(text_, last)});
    text_.clear();
    return Check(ok, ec);
  }
  bool on_number_part(View part, ErrorCode&) { return Append(number_, part); }
  bool on_int64(std::int64_t, View last, ErrorCode& ec) { return OnNumber(last, ec); }
  bool on_uint64(std::uint64_t, View last, ErrorCode& ec) { return OnNumber(last, ec); }
  bool on_double(double, View last, ErrorCode& ec) { return OnNumber(last, ec); }
  bool on_bool(bool b, ErrorCode& ec) {
    return Check(OnScalar(Scalar{FieldValue::Type::kFlag, b, 0, 0, 0, {}}), ec);
  }
  bool on_null(ErrorCode& ec) { return Check(OnScalar(Scalar{}), ec); }
  bool on_comment_part(View, ErrorCode&) { return true; }  // comments are refused by the parser
  bool on_comment(View, ErrorCode&) { return true; }

  // --- The quick path
  // ----------------------------------------------------------------------------- Whether the
  // parser stands between two steps (after the list's '[' or a step's '}').
  bool BetweenSteps() const { return level_ == Level::kSteps && !failure_; }
  bool InSteps() const { return in_steps_; }
  // Reads the step whose text (after its '{') begins `text` on the quick path; returns the length
  // read up to its closing '}', or 0 when the step is left to the parser. After a step read, the
  // parser is to meet "{}" in its place.
  std::size_t ReadFlatStep(std::string_view text) {
    ClearStep();
    const std::size_t read = FlatStepReader::Read(text, step_);
    if (read > 0) {
      flat_step_read_ = true;
    } else {
      ClearStep();  // read again from the start by the parser
    }
    return read;
  }
  // The bytes held for texts, keys and numbers met in parts.
  std::size_t bytes_held() const { return text_.capacity() + key_.capacity() + number_.capacity(); }

  // --- After reading -----------------------------------------------------------------------------
  std::exception_ptr failure() const { return failure_; }
  bool stopped() const { return stopped_; }
  bool has_steps() const { return has_steps_; }
  // Where the reader is: "steps[3].position.lat", "settings", or "" at the top.
  std::string Place() const {
    if (level_ >= Level::kSteps && in_steps_) {
      std::string place = std::string(kStepsKey) + "[" + std::to_string(step_.index) + "]";
      if (level_ >= Level::kStep && step_key_ != nullptr) place += "." + *step_key_;
      if (level_ >= Level::kBody && field_ != nullptr) place += "." + step_.body.key(field_index_);
      return place;
    }
    return top_key_;
  }

  static constexpr char kNumberTooLarge[] = "the number is too large (beyond 1.7e308)";

 private:
  // The structure the reader is in, outermost first.
  enum class Level { kNone, kTop, kSteps, kStep, kBody };
  // What the next value is.
  enum class Target { kRoot, kTopField, kSteps, kStep, kStepTime, kStepBody, kBodyField, kSkip };

  bool Fail(const std::string& problem) {
    try {
      throw ScenarioError(file_ + ": " + problem);
    } catch (...) {
      failure_ = std::current_exception();
    }
    return false;
  }
  bool FailAt(const std::string& problem) {
    const std::string place = Place();
    return Fail(place.empty() ? problem : place + ": " + problem);
  }
  // A handler's failure stops the parser.
  static bool Check(bool ok, ErrorCode& ec) {
    if (!ok) ec = boost::json::error::exception;
    return ok;
  }
  static bool Append(std::string& parts, View part) {
    parts.append(part.data(), part.size());
    return true;
  }
  // The text whose last part is `last`, the others being in `parts`.
  static std::string_view Whole(std::string& parts, View last) {
    if (parts.empty()) return {last.data(), last.size()};
    Append(parts, last);
    return parts;
  }

  bool OnNumber(View last, ErrorCode& ec) {
    const std::optional<Scalar> number = NumberScalar(Whole(number_, last));
    number_.clear();
    return Check(number ? OnScalar(*number) : FailAt(kNumberTooLarge), ec);
  }

  bool OnScalar(const Scalar& value) {
    if (skip_depth_ > 0) return true;
    if (builder_.active()) {
      if (builder_.Value(value.ToJson())) return Completed();
      return true;
    }
    switch (target_) {
      case Target::kRoot: return Fail("expected a JSON object, got " + value.Describe());
      case Target::kTopField:
        builder_.Begin(top_value_);
        builder_.Value(value.ToJson());
        return Completed();
      case Target::kSteps: return FailAt("expected a list, got " + value.Describe());
      case Target::kStep: return FailAt(StepNotAnObject(value.Describe()));
      case Target::kStepTime:
        step_.has_t = true;
        value.StoreIn(step_.t);
        return true;
      case Target::kStepBody:
        step_.body_is_object = false;
        step_.body_type = value.Describe();
        return true;
      case Target::kBodyField: value.StoreIn(*field_); return true;
      case Target::kSkip: return true;
    }
    return true;
  }

  bool OnStart(bool object) {
    if (++depth_ > kMaxDepth) {
      return FailAt("nested more than " + std::to_string(kMaxDepth) + " levels deep");
    }
    if (skip_depth_ > 0) {
      ++skip_depth_;
      return true;
    }
    if (builder_.active()) {
      builder_.Start(object);
      return true;
    }
    const char* type = object ? "an object" : "a list";
    switch (target_) {
      case Target::kRoot:
        if (!object) return Fail(std::string("expected a JSON object, got ") + type);
        level_ = Level::kTop;
        return true;
      case Target::kTopField:
        builder_.Begin(top_value_);
        builder_.Start(object);
        return true;
      case Target::kSteps:
        if (object) return FailAt(std::string("expected a list, got ") + type);
        if (has_steps_) return FailAt("given twice");
        has_steps_ = true;
        in_steps_ = true;
        level_ = Level::kSteps;
        target_ = Target::kStep;
        return true;
      case Target::kStep:
        if (!object) return FailAt(StepNotAnObject(type));
        level_ = Level::kStep;
        if (flat_step_read_) {
          flat_step_read_ = false;
          has_kind_ = true;
        } else {
          ClearStep();
        }
        return true;
      case Target::kStepTime:
        step_.has_t = true;
        if (step_.t.type != FieldValue::Type::kCompound) step_.t = FieldValue{};
        step_.t.type = FieldValue::Type::kCompound;
        builder_.Begin(step_.t.compound);
        builder_.Start(object);
        return true;
      case Target::kStepBody:
        step_.body_is_object = object;
        if (object) {
          step_.body.Clear();
          level_ = Level::kBody;
          field_ = nullptr;
        } else {
          step_.body_type = type;
          skip_depth_ = 1;
        }
        return true;
      case Target::kBodyField:
        if (field_->type != FieldValue::Type::kCompound) *field_ = FieldValue{};
        field_->type = FieldValue::Type::kCompound;
        builder_.Begin(field_->compound);
        builder_.Start(object);
        return true;
      case Target::kSkip: skip_depth_ = 1; return true;
    }
    return true;
  }

  bool OnEnd() {
    --depth_;
    if (skip_depth_ > 0) {
      --skip_depth_;
      return true;
    }
    if (builder_.active()) {
      if (builder_.End()) return Completed();
      return true;
    }
    switch (level_) {
      case Level::kBody: level_ = Level::kStep; return true;
      case Level::kStep: {
        level_ = Level::kSteps;
        target_ = Target::kStep;
        if (!has_kind_) step_.kind.clear();
        bool go_on = false;
        try {
          go_on = visitor_.Step(step_);
        } catch (...) {
          failure_ = std::current_exception();
          return false;
        }
        ++step_.index;
        if (!go_on) stopped_ = true;
        return go_on;
      }
      case Level::kSteps:
        level_ = Level::kTop;
        in_steps_ = false;
        return true;
      default: level_ = Level::kNone; return true;
    }
  }

  bool OnKey(std::string_view key) {
    if (skip_depth_ > 0) return true;
    if (builder_.active()) {
      builder_.Key(key);
      return true;
    }
    switch (level_) {
      case Level::kTop: {
        top_key_.assign(key);
        bool known = false;
        for (const char* name : kTopLevelKeys) known = known || key == name;
        if (!known) {
          return FailAt(
              "unknown field (known: start, description, controller, settings, squawk_rules, "
              "steps)");
        }
        target_ = key == kStepsKey ? Target::kSteps : Target::kTopField;
        return true;
      }
      case Level::kStep:
        if (key == kTimeKey) {
          step_key_ = &time_key_;
          target_ = Target::kStepTime;
        } else if (!has_kind_ || key == step_.kind) {
          if (!has_kind_ && key != step_.kind) step_.kind.assign(key);  // often the same as before
          has_kind_ = true;
          step_key_ = &step_.kind;
          target_ = Target::kStepBody;
        } else {
          if (step_.second_kind.empty()) step_.second_kind.assign(key);
          other_key_.assign(key);
          step_key_ = &other_key_;
          target_ = Target::kSkip;
        }
        return true;
      case Level::kBody:
        field_index_ = step_.body.Add(key);
        field_ = &step_.body.value(field_index_);
        target_ = Target::kBodyField;
        return true;
      default: return true;
    }
  }

  // A value built whole is complete.
  bool Completed() {
    if (level_ == Level::kTop && target_ == Target::kTopField) {
      try {
        visitor_.TopLevelField(top_key_, top_value_);
      } catch (...) {
        failure_ = std::current_exception();
        return false;
      }
      top_value_ = nullptr;
    }
    return true;
  }

  void ClearStep() {
    step_.has_t = false;
    has_kind_ = false;
    step_.second_kind.clear();
    step_.body_is_object = false;
    step_.body.Clear();
    step_key_ = nullptr;
  }

  static std::string StepNotAnObject(const std::string& type) {
    return "expected an object {\"t\": ..., \"<kind>\": {...}}, got " + type;
  }

  const std::string& file_;
  ScenarioVisitor& visitor_;
  std::string key_, text_, number_;  // met in parts so far
  bool flat_step_read_ = false;
  Level level_ = Level::kNone;
  Target target_ = Target::kRoot;
  int depth_ = 0;
  int skip_depth_ = 0;
  bool has_steps_ = false;
  bool in_steps_ = false;
  bool stopped_ = false;
  std::string top_key_;
  Json top_value_;
  JsonBuilder builder_;
  RawStep step_;
  bool has_kind_ = false;
  const std::string time_key_ = kTimeKey;
  std::string other_key_;
  const std::string* step_key_ = nullptr;  // the step's field being read
  FieldValue* field_ = nullptr;            // the body's field being read
  std::size_t field_index_ = 0;
  std::exception_ptr failure_;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Where a byte offset of the file lies: "line L, column C", and whether inside a text (counted
// again, on failures only, from a file valid up to there).
struct Position {
  std::string line_and_column;
  bool in_text = false;
};

Position PositionOf(const std::string& path, std::size_t offset) {
  File file(std::fopen(path.c_str(), "rb"));
  std::size_t line = 1, column = 1;
  bool in_text = false, escaped = false;
  for (std::size_t i = 0; file && i < offset; ++i) {
    const int c = std::fgetc(file.get());
    if (c == EOF) break;
    if (c == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
    if (escaped) {
      escaped = false;
    } else if (in_text && c == '\\') {
      escaped = true;
    } else if (c == '"') {
      in_text = !in_text;
    }
  }
  return {"line " + std::to_string(line) + ", column " + std::to_string(column), in_text};
}

// The file handed to the parser chunk by chunk. Between two steps the next one is offered to the
// quick path first; when that reads it, the parser is handed "{}" in its place (the handler holds
// the step). Otherwise a chunk is handed over in pieces that end where the parser may come to
// stand between steps: after each '[' until the steps are met, after each '}' or ']' among them.
class ChunkedParse {
 public:
  ChunkedParse(const std::string& path, std::FILE* file, ScenarioVisitor& visitor)
      : file_(file), parser_(Options(), path, visitor), chunk_(kBufferBytes) {}

  // Reads to the end of the file, or until the parser or the handler fails.
  void Run() {
    for (;;) {
      const std::size_t filled = std::fread(chunk_.data(), 1, chunk_.size(), file_);
      view_ = {chunk_.data(), filled};
      at_ = 0;
      while (at_ < view_.size() && !error_) Next();
      if (error_ || filled < chunk_.size()) break;
      chunk_offset_ += filled;
    }
    if (!error_ && !parser_.done()) Feed(view_.size(), false);
  }

  const Handler& handler() const { return parser_.handler(); }
  std::size_t bytes_held() const { return chunk_.size() + handler().bytes_held(); }
  // The parser's error (boost::json::error::exception: the handler's), where it lies in the file
  // and the byte there (EOF at the end of the file).
  const boost::json::error_code& error() const { return error_; }
  std::size_t error_offset() const { return error_offset_; }
  int error_byte() const { return error_byte_; }

 private:
  static boost::json::parse_options Options() {
    boost::json::parse_options options;
    options.max_depth = 2 * kMaxDepth;  // the handler refuses nesting deeper than kMaxDepth first
    return options;
  }

  void Next() {
    if (parser_.done()) return AfterTheDocument();
    const Handler& handler = parser_.handler();
    if (handler.BetweenSteps()) return BetweenSteps();
    const char* stops = handler.InSteps() ? "}]" : handler.has_steps() ? "" : "[";
    Feed(After(view_.find_first_of(stops, at_)), true);
  }

  void BetweenSteps() {
    std::size_t next = SkipSpace(at_);
    if (next < view_.size() && view_[next] == ',') next = SkipSpace(next + 1);
    if (next < view_.size() && view_[next] == '{') {
      Feed(next, true);  // the white space and comma before the step, checked by the parser
      if (error_) return;
      if (const std::size_t read = parser_.handler().ReadFlatStep(view_.substr(next + 1));
          read > 0) {
        static constexpr char kEmptyStep[] = "{}";
        boost::json::error_code error;
        const std::size_t used = parser_.write_some(true, kEmptyStep, 2, error);
        at_ = next + 1 + read + 1;
        if (error) Fail(error, used == 0 ? next : at_ - 1);
        return;
      }
    }
    if (next == view_.size()) return Feed(next, true);
    Feed(After(view_.find_first_of("}]", next)), true);
  }

  // Only white space may follow the document.
  void AfterTheDocument() {
    const std::size_t next = SkipSpace(at_);
    if (next < view_.size()) Fail(boost::json::error::extra_data, next);
    at_ = view_.size();
  }

  // Hands the chunk up to `to` to the parser (and the end of the file when `more` is false).
  void Feed(std::size_t to, bool more) {
    if (to == at_ && more) return;
    boost::json::error_code error;
    at_ += parser_.write_some(more, view_.data() + at_, to - at_, error);
    if (error) Fail(error, at_);
  }

  void Fail(const boost::json::error_code& error, std::size_t at) {
    error_ = error;
    error_offset_ = chunk_offset_ + at;
    error_byte_ = at < view_.size() ? static_cast<unsigned char>(view_[at]) : EOF;
  }

  // Just after `found`; the chunk's end when nothing was found.
  std::size_t After(std::size_t found) const {
    return found == std::string_view::npos ? view_.size() : found + 1;
  }
  std::size_t SkipSpace(std::size_t at) const {
    const std::size_t next = view_.find_first_not_of(" \t\r\n", at);
    return next == std::string_view::npos ? view_.size() : next;
  }

  std::FILE* file_;
  boost::json::basic_parser<Handler> parser_;
  std::vector<char> chunk_;
  std::string_view view_;         // the bytes of the chunk read
  std::size_t at_ = 0;            // the first byte of the chunk not yet handed over
  std::size_t chunk_offset_ = 0;  // of the chunk in the file
  boost::json::error_code error_;
  std::size_t error_offset_ = 0;
  int error_byte_ = EOF;
};

// The parser's error as it is shown.
std::string Describe(const boost::json::error_code& error) {
  if (error == boost::json::error::extra_data) return "text after the end of the document";
  if (error == boost::json::error::incomplete) return "the document ends too early";
  return error.message();
}

}  // namespace

bool ReadScenarioFile(const std::string& path, ScenarioVisitor& visitor, bool& has_steps,
                      std::size_t* most_bytes_held) {
  // Checked before opening: opening a named pipe waits for a writer. A pipe or a device could not
  // be read a second time to play the steps either.
  std::error_code status_error;
  const std::filesystem::file_status status = std::filesystem::status(path, status_error);
  if (!status_error && status.type() != std::filesystem::file_type::regular) {
    throw ScenarioError(path +
                        ": the scenario must be a regular file (not a pipe, a device or a "
                        "folder): it is read twice, once to check it and once to play it");
  }
  const File file(std::fopen(path.c_str(), "rb"));
  if (!file) throw ScenarioError(path + ": cannot read the scenario file");
  const auto parse = std::make_unique<ChunkedParse>(path, file.get(), visitor);
  parse->Run();
  const Handler& handler = parse->handler();
  has_steps = handler.has_steps();
  if (most_bytes_held != nullptr) *most_bytes_held = parse->bytes_held();
  if (std::ferror(file.get())) throw ScenarioError(path + ": cannot read the scenario file");
  if (handler.failure()) std::rethrow_exception(handler.failure());
  if (handler.stopped()) return false;
  if (!parse->error()) return true;
  const Position position = PositionOf(path, parse->error_offset());
  if (parse->error_byte() == '\0') {
    throw ScenarioError(path + ": invalid JSON: a NUL byte " +
                        (position.in_text ? "inside a text (a text writes it as \\u0000)"
                         : parse->error() == boost::json::error::extra_data
                             ? "after the end of the document"
                             : "where no JSON text may hold one") +
                        " (" + position.line_and_column + ")");
  }
  throw ScenarioError(path + ": invalid JSON: " + Describe(parse->error()) + " (" +
                      position.line_and_column + ")");
}

}  // namespace kestrava::sim
