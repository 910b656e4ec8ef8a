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

StepArgs::StepArgs(const Json& body, std::string where) : body_(body), where_(std::move(where)) {}

void StepArgs::Fail(const std::string& field, const std::string& problem) const {
  throw ScenarioError(where_ + (field.empty() ? "" : "." + field) + ": " + problem);
}

const Json* StepArgs::Find(const std::string& field) {
  read_.insert(field);
  const auto it = body_.find(field);
  return it == body_.end() ? nullptr : &*it;
}

const Json* StepArgs::Raw(const std::string& field) { return Find(field); }

std::optional<std::string> StepArgs::OptionalText(const std::string& field) {
  const Json* value = Find(field);
  if (value == nullptr) return std::nullopt;
  if (!value->is_string()) Fail(field, "expected a text, got " + DescribeJsonType(*value));
  return value->get<std::string>();
}

std::optional<double> StepArgs::OptionalNumber(const std::string& field) {
  const Json* value = Find(field);
  if (value == nullptr) return std::nullopt;
  if (!value->is_number()) Fail(field, "expected a number, got " + DescribeJsonType(*value));
  return value->get<double>();
}

std::optional<int> StepArgs::OptionalInteger(const std::string& field) {
  const Json* value = Find(field);
  if (value == nullptr) return std::nullopt;
  if (!value->is_number_integer()) {
    Fail(field, "expected a whole number, got " + DescribeJsonType(*value));
  }
  if (value->is_number_unsigned()) {
    if (value->get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) {
      Fail(field, "the number " + value->dump() + " is too large");
    }
    return static_cast<int>(value->get<std::uint64_t>());
  }
  const auto number = value->get<std::int64_t>();
  if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()) {
    Fail(field, "the number " + value->dump() + " is out of range");
  }
  return static_cast<int>(number);
}

std::optional<bool> StepArgs::OptionalFlag(const std::string& field) {
  const Json* value = Find(field);
  if (value == nullptr) return std::nullopt;
  if (!value->is_boolean()) Fail(field, "expected true or false, got " + DescribeJsonType(*value));
  return value->get<bool>();
}

std::optional<std::vector<std::string>> StepArgs::OptionalTextList(const std::string& field) {
  const Json* value = Find(field);
  if (value == nullptr) return std::nullopt;
  if (!value->is_array()) Fail(field, "expected a list of texts, got " + DescribeJsonType(*value));
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < value->size(); ++i) {
    const Json& item = (*value)[i];
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
  return *value;
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
  for (const auto& [key, value] : body_.items()) {
    if (read_.count(key) == 0) Fail(key, "unknown field");
  }
}

void StepTable::Add(const std::string& kind, Parser parser) {
  if (!parsers_.emplace(kind, std::move(parser)).second) {
    throw std::logic_error("step kind \"" + kind + "\" added twice");
  }
}

StepAction StepTable::Parse(const std::string& kind, StepArgs& args) const {
  StepAction action = parsers_.at(kind)(args);
  args.RejectUnreadFields();
  return action;
}

std::vector<std::string> StepTable::Kinds() const {
  std::vector<std::string> kinds;
  for (const auto& [kind, parser] : parsers_) kinds.push_back(kind);
  return kinds;
}

}  // namespace kestrava::sim
