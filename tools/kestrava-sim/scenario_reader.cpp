#include "tools/kestrava-sim/scenario_reader.h"

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <tuple>
#include <vector>

#include "tools/kestrava-sim/json_parse_stack.h"
#include "tools/kestrava-sim/step_table.h"

namespace kestrava::sim {
namespace {

constexpr std::size_t kBufferBytes = 1024 * 1024;
constexpr std::size_t kFirstStackBytes = 256;
constexpr char kTimeKey[] = "t";
constexpr char kStepsKey[] = "steps";
constexpr const char* kTopLevelKeys[] = {"start",    "description",  "controller",
                                         "settings", "squawk_rules", kStepsKey};

// The file read in chunks of a fixed size, whatever its layout: memory does not depend on how the
// file is split into lines. After the last byte comes a '\0', as after every chunk.
class FileStream {
 public:
  using Ch = char;

  FileStream(std::FILE* file, std::size_t chunk_bytes) : file_(file), buffer_(chunk_bytes + 1) {
    Refill();
  }
  Ch Peek() const { return *current_; }
  Ch Take() {
    const Ch c = *current_;
    if (current_ != end_ && ++current_ == end_) Refill();
    return c;
  }
  std::size_t Tell() const { return consumed_ + static_cast<std::size_t>(current_ - start()); }
  // The rest of the chunk, for a quicker look; Skip(n) moves on by n bytes of it, fewer than all.
  std::string_view Ahead() const { return {current_, static_cast<std::size_t>(end_ - current_)}; }
  void Skip(std::size_t bytes) { current_ += bytes; }
  // Whether the '\0' the JSON reader sees is a byte of the file rather than its end.
  bool AtNulByte() const { return current_ != end_ && *current_ == '\0'; }
  // The bytes held, whatever the file.
  std::size_t buffer_bytes() const { return buffer_.size(); }
  // Only for in-place reading, which the reader is not asked for.
  Ch* PutBegin() { return nullptr; }
  void Put(Ch) {}
  std::size_t PutEnd(Ch*) { return 0; }
  void Flush() {}

 private:
  char* start() { return buffer_.data(); }
  const char* start() const { return buffer_.data(); }
  void Refill() {
    consumed_ += filled_;
    filled_ = ended_ ? 0 : std::fread(start(), 1, buffer_.size() - 1, file_);
    ended_ = filled_ < buffer_.size() - 1;
    buffer_[filled_] = '\0';
    current_ = start();
    end_ = start() + filled_;
  }

  std::FILE* file_;
  std::vector<char> buffer_;
  std::size_t filled_ = 0;  // bytes of the chunk
  bool ended_ = false;      // the file has no more
  char* current_ = buffer_.data();
  char* end_ = buffer_.data();  // the chunk's end
  std::size_t consumed_ = 0;    // bytes of the file before the chunk
};

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

  // JSON's number grammar; whole numbers of up to 18 digits as such, others as correctly rounded
  // doubles (as the JSON reader's full precision gives them).
  bool Number(FieldValue& value) {
    const std::size_t begin = at_;
    const bool minus = Peek() == '-';
    if (minus) ++at_;
    const std::size_t digits_begin = at_;
    if (Peek() == '0') {
      ++at_;
    } else {
      while (IsDigit(Peek())) ++at_;
    }
    const std::size_t digits = at_ - digits_begin;
    if (digits == 0) return false;
    bool whole = true;
    if (Peek() == '.') {
      whole = false;
      ++at_;
      if (!IsDigit(Peek())) return false;
      while (IsDigit(Peek())) ++at_;
    }
    if (Peek() == 'e' || Peek() == 'E') {
      whole = false;
      ++at_;
      if (Peek() == '+' || Peek() == '-') ++at_;
      if (!IsDigit(Peek())) return false;
      while (IsDigit(Peek())) ++at_;
    }
    if (whole) {
      if (digits > 18) return false;
      std::int64_t number = 0;
      for (std::size_t i = digits_begin; i < at_; ++i) number = number * 10 + (text_[i] - '0');
      if (minus) {
        value.type = FieldValue::Type::kInteger;
        value.integer = -number;
      } else {
        value.type = FieldValue::Type::kUnsigned;
        value.unsigned_integer = static_cast<std::uint64_t>(number);
      }
      return true;
    }
    double number = 0;
    const auto [end, error] = std::from_chars(text_.data() + begin, text_.data() + at_, number);
    if (error != std::errc() || end != text_.data() + at_ || !std::isfinite(number)) return false;
    value.type = FieldValue::Type::kFraction;
    value.fraction = number;
    return true;
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

class Handler {
 public:
  Handler(const std::string& file, ScenarioVisitor& visitor, FileStream& stream)
      : file_(file), visitor_(visitor), stream_(stream) {}

  // --- The JSON reader's events ------------------------------------------------------------------
  bool Null() { return OnScalar(Scalar{}); }
  bool Bool(bool b) { return OnScalar(Scalar{FieldValue::Type::kFlag, b, 0, 0, 0, {}}); }
  bool Int(int i) { return Int64(i); }
  bool Uint(unsigned u) { return Uint64(u); }
  bool Int64(std::int64_t i) {
    return OnScalar(Scalar{FieldValue::Type::kInteger, false, i, 0, 0, {}});
  }
  bool Uint64(std::uint64_t u) {
    return OnScalar(Scalar{FieldValue::Type::kUnsigned, false, 0, u, 0, {}});
  }
  bool Double(double d) {
    if (!std::isfinite(d)) return FailAt(kNumberTooLarge);
    return OnScalar(Scalar{FieldValue::Type::kFraction, false, 0, 0, d, {}});
  }
  bool RawNumber(const char*, rapidjson::SizeType, bool) { return false; }  // not asked for
  bool String(const char* text, rapidjson::SizeType length, bool) {
    return OnScalar(Scalar{FieldValue::Type::kText, false, 0, 0, 0, {text, length}});
  }
  bool StartObject() { return OnStart(true); }
  bool EndObject(rapidjson::SizeType) { return OnEnd(); }
  bool StartArray() { return OnStart(false); }
  bool EndArray(rapidjson::SizeType) { return OnEnd(); }
  bool Key(const char* text, rapidjson::SizeType length, bool) {
    return OnKey(std::string_view(text, length));
  }

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
        step_.has_t = false;
        has_kind_ = false;
        step_.second_kind.clear();
        step_.body_is_object = false;
        step_.body.Clear();
        step_key_ = nullptr;
        // The usual step is read at once; the JSON reader then meets its closing '}'.
        if (const std::size_t read = FlatStepReader::Read(stream_.Ahead(), step_); read > 0) {
          has_kind_ = true;
          stream_.Skip(read);
        } else {
          // Read again from the start by the JSON reader.
          step_.has_t = false;
          step_.body_is_object = false;
          step_.body.Clear();
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

  static std::string StepNotAnObject(const std::string& type) {
    return "expected an object {\"t\": ..., \"<kind>\": {...}}, got " + type;
  }

  const std::string& file_;
  ScenarioVisitor& visitor_;
  FileStream& stream_;
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

// "line L, column C" of a byte offset of the file (counted again, on failures only).
std::string LineAndColumn(const std::string& path, std::size_t offset) {
  File file(std::fopen(path.c_str(), "rb"));
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; file && i < offset; ++i) {
    const int c = std::fgetc(file.get());
    if (c == EOF) break;
    if (c == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
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
  FileStream stream(file.get(), kBufferBytes);
  Handler handler(path, visitor, stream);
  ParseStackAllocator stack_record;
  rapidjson::GenericReader<rapidjson::UTF8<>, rapidjson::UTF8<>, ParseStackAllocator> reader(
      &stack_record, kFirstStackBytes);
  constexpr unsigned kFlags =
      rapidjson::kParseValidateEncodingFlag | rapidjson::kParseFullPrecisionFlag;
  const rapidjson::ParseResult result = reader.Parse<kFlags>(stream, handler);
  has_steps = handler.has_steps();
  if (most_bytes_held != nullptr) {
    *most_bytes_held = stream.buffer_bytes() + stack_record.most_bytes;
  }
  if (std::ferror(file.get())) throw ScenarioError(path + ": cannot read the scenario file");
  if (handler.failure()) std::rethrow_exception(handler.failure());
  if (handler.stopped()) return false;
  // The JSON reader takes a NUL byte for the end of the text.
  if (stream.AtNulByte()) {
    const bool in_text = result.Code() == rapidjson::kParseErrorStringMissQuotationMark;
    throw ScenarioError(path + ": invalid JSON: a NUL byte " +
                        (in_text            ? "inside a text (a text writes it as \\u0000)"
                         : result.IsError() ? "where no JSON text may hold one"
                                            : "after the end of the document") +
                        " (" + LineAndColumn(path, stream.Tell()) + ")");
  }
  if (result.IsError()) {
    if (result.Code() == rapidjson::kParseErrorNumberTooBig) {
      const std::string place = handler.Place();
      throw ScenarioError(path + ": " + (place.empty() ? "" : place + ": ") +
                          Handler::kNumberTooLarge);
    }
    throw ScenarioError(path + ": invalid JSON: " + rapidjson::GetParseError_En(result.Code()) +
                        " (" + LineAndColumn(path, result.Offset()) + ")");
  }
  return true;
}

}  // namespace kestrava::sim
