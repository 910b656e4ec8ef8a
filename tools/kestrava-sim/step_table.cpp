#include "tools/kestrava-sim/step_table.h"

#include <cmath>
#include <limits>
#include <utility>

namespace kestrava::sim {

std::string DescribeJsonType(const Json& value) {
  switch (value.type()) {
    case Json::value_t::null: return "null";
    case Json::value_t::object: return "an object";
    case Json::value_t::array: return "a list";
    case Json::value_t::string: return "a text";
    case Json::value_t::boolean: return "true or false";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned: return "a whole number";
    case Json::value_t::number_float: return "a number with a fraction";
    default: return "an unsupported value";
  }
}

StepArgs::StepArgs(const Json& body, std::string where)
    : owned_(FieldList::FromJson(body)), body_(owned_), where_(std::move(where)) {}

StepArgs::StepArgs(const FieldList& body, const StepPlace& place, ScenarioState* state)
    : body_(body), place_(place), state_(state) {}

const std::string& StepArgs::where() const {
  if (where_.empty() && place_.file != nullptr) {
    where_ =
        *place_.file + ": steps[" + std::to_string(place_.index) + "]." + std::string(place_.kind);
  }
  return where_;
}

void StepArgs::Fail(const std::string& field, const std::string& problem) const {
  throw ScenarioError(where() + (field.empty() ? "" : "." + field) + ": " + problem);
}

void StepArgs::FailType(const std::string& field, const char* expected,
                        const FieldValue& value) const {
  Fail(field, std::string("expected ") + expected + ", got " + value.Describe());
}

const FieldValue* StepArgs::Find(const std::string& field) {
  const std::size_t i = body_.Find(field);
  if (i == FieldList::npos) return nullptr;
  if (i < 64) {
    read_ |= std::uint64_t{1} << i;
  } else {
    if (read_more_.size() <= i - 64) read_more_.resize(i - 63);
    read_more_[i - 64] = true;
  }
  return &body_.value(i);
}

const Json* StepArgs::Raw(const std::string& field) {
  const FieldValue* value = Find(field);
  if (value == nullptr) return nullptr;
  if (value->type == FieldValue::Type::kCompound) return &value->compound;
  return &raw_.emplace_back(value->ToJson());
}

std::optional<std::string> StepArgs::OptionalText(const std::string& field) {
  const FieldValue* value = Find(field);
  if (value == nullptr) return std::nullopt;
  if (value->type != FieldValue::Type::kText) FailType(field, "a text", *value);
  return value->text;
}

std::optional<double> StepArgs::OptionalNumber(const std::string& field) {
  const FieldValue* value = Find(field);
  if (value == nullptr) return std::nullopt;
  if (!value->IsNumber()) FailType(field, "a number", *value);
  return value->Number();
}

std::optional<int> StepArgs::OptionalInteger(const std::string& field) {
  const FieldValue* value = Find(field);
  if (value == nullptr) return std::nullopt;
  // Whole numbers beyond 64 bits are read as doubles.
  if (value->type == FieldValue::Type::kFraction && std::abs(value->fraction) >= 0x1p63 &&
      std::trunc(value->fraction) == value->fraction) {
    Fail(field, "the number " + value->ToJson().dump() + " is " +
                    (value->fraction > 0 ? "too large" : "out of range"));
  }
  if (!value->IsWholeNumber()) FailType(field, "a whole number", *value);
  if (value->type == FieldValue::Type::kUnsigned) {
    if (value->unsigned_integer > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) {
      Fail(field, "the number " + std::to_string(value->unsigned_integer) + " is too large");
    }
    return static_cast<int>(value->unsigned_integer);
  }
  if (value->integer < std::numeric_limits<int>::min() ||
      value->integer > std::numeric_limits<int>::max()) {
    Fail(field, "the number " + std::to_string(value->integer) + " is out of range");
  }
  return static_cast<int>(value->integer);
}

std::optional<bool> StepArgs::OptionalFlag(const std::string& field) {
  const FieldValue* value = Find(field);
  if (value == nullptr) return std::nullopt;
  if (value->type != FieldValue::Type::kFlag) FailType(field, "true or false", *value);
  return value->flag;
}

std::optional<std::vector<std::string>> StepArgs::OptionalTextList(const std::string& field) {
  const FieldValue* value = Find(field);
  if (value == nullptr) return std::nullopt;
  if (value->type != FieldValue::Type::kCompound || !value->compound.is_array()) {
    FailType(field, "a list of texts", *value);
  }
  std::vector<std::string> texts;
  const Json& list = value->compound;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const Json& item = list[i];
    if (!item.is_string()) {
      Fail(field + "[" + std::to_string(i) + "]", "expected a text, got " + DescribeJsonType(item));
    }
    texts.push_back(item.get<std::string>());
  }
  return texts;
}

std::string StepArgs::Text(const std::string& field) {
  auto value = OptionalText(field);
  if (!value) Fail(field, "missing (a text is required)");
  return std::move(*value);
}

double StepArgs::Number(const std::string& field) {
  auto value = OptionalNumber(field);
  if (!value) Fail(field, "missing (a number is required)");
  return *value;
}

int StepArgs::Integer(const std::string& field) {
  auto value = OptionalInteger(field);
  if (!value) Fail(field, "missing (a whole number is required)");
  return *value;
}

void StepArgs::RejectUnreadFields() const {
  std::vector<bool> superseded;  // worked out once a field is found unread
  for (std::size_t i = 0; i < body_.size(); ++i) {
    const bool read =
        i < 64 ? (read_ >> i & 1) != 0 : i - 64 < read_more_.size() && read_more_[i - 64];
    if (read) continue;
    if (superseded.empty()) superseded = body_.Superseded();
    if (!superseded[i]) Fail(body_.key(i), "unknown field");
  }
}

void StepArgs::OpenDisplay(const std::string& field, const std::string& name) {
  if (state_ == nullptr) return;
  const auto [it, added] = state_->displays().emplace(name, state_->step_index);
  if (!added) {
    Fail(field, "a display named '" + name + "' is already open (opened at steps[" +
                    std::to_string(it->second) + "])");
  }
}

void StepArgs::UseDisplay(const std::string& field, const std::string& name) {
  if (state_ != nullptr && state_->displays().count(name) == 0) {
    Fail(field, "no display named '" + name + "' is open");
  }
}

void StepArgs::CloseDisplay(const std::string& field, const std::string& name) {
  UseDisplay(field, name);
  if (state_ != nullptr) state_->displays().erase(name);
}

void StepTable::Add(const std::string& kind, Parser parser) {
  if (!parsers_.emplace(kind, std::move(parser)).second) {
    throw std::logic_error("step kind \"" + kind + "\" added twice");
  }
}

const StepTable::Parser* StepTable::Find(std::string_view kind) const {
  const auto it = parsers_.find(kind);
  return it == parsers_.end() ? nullptr : &it->second;
}

StepAction StepTable::Parse(const std::string& kind, StepArgs& args) const {
  return Parse(parsers_.at(kind), args);
}

StepAction StepTable::Parse(const Parser& parser, StepArgs& args) {
  StepAction action = parser(args);
  args.RejectUnreadFields();
  return action;
}

std::vector<std::string> StepTable::Kinds() const {
  std::vector<std::string> kinds;
  for (const auto& [kind, parser] : parsers_) kinds.push_back(kind);
  return kinds;
}

}  // namespace kestrava::sim
