#include "tools/kestrava-sim/step_fields.h"

#include <unordered_set>

namespace kestrava::sim {

double FieldValue::Number() const {
  switch (type) {
    case Type::kInteger: return static_cast<double>(integer);
    case Type::kUnsigned: return static_cast<double>(unsigned_integer);
    case Type::kFraction: return fraction;
    default: return 0;
  }
}

Json FieldValue::ToJson() const {
  switch (type) {
    case Type::kNull: return nullptr;
    case Type::kFlag: return flag;
    case Type::kInteger: return integer;
    case Type::kUnsigned: return unsigned_integer;
    case Type::kFraction: return fraction;
    case Type::kText: return text;
    case Type::kCompound: return compound;
  }
  return nullptr;
}

std::string FieldValue::Describe() const {
  switch (type) {
    case Type::kNull: return "null";
    case Type::kFlag: return "true or false";
    case Type::kInteger:
    case Type::kUnsigned: return "a whole number";
    case Type::kFraction: return "a number with a fraction";
    case Type::kText: return "a text";
    case Type::kCompound: return compound.is_array() ? "a list" : "an object";
  }
  return "an unsupported value";
}

FieldValue FieldValue::FromJson(const Json& value) {
  FieldValue field;
  switch (value.type()) {
    case Json::value_t::boolean:
      field.type = Type::kFlag;
      field.flag = value.get<bool>();
      break;
    case Json::value_t::number_integer:
      field.type = Type::kInteger;
      field.integer = value.get<std::int64_t>();
      break;
    case Json::value_t::number_unsigned:
      field.type = Type::kUnsigned;
      field.unsigned_integer = value.get<std::uint64_t>();
      break;
    case Json::value_t::number_float:
      field.type = Type::kFraction;
      field.fraction = value.get<double>();
      break;
    case Json::value_t::string:
      field.type = Type::kText;
      field.text = value.get<std::string>();
      break;
    case Json::value_t::array:
    case Json::value_t::object:
      field.type = Type::kCompound;
      field.compound = value;
      break;
    default: break;
  }
  return field;
}

namespace {

// Field names are short: compared inline rather than through memcmp.
bool SameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

}  // namespace

std::size_t FieldList::Add(std::string_view key) {
  if (size_ == fields_.size()) fields_.emplace_back();
  Field& field = fields_[size_];
  // Steps of one kind come with the same fields: the slot often has the name already.
  if (!SameKey(field.key, key)) field.key.assign(key);
  return size_++;
}

std::size_t FieldList::Find(std::string_view key) const {
  for (std::size_t i = size_; i-- > 0;) {
    if (SameKey(fields_[i].key, key)) return i;
  }
  return npos;
}

std::vector<bool> FieldList::Superseded() const {
  std::vector<bool> superseded(size_);
  std::unordered_set<std::string_view> later;
  later.reserve(size_);
  for (std::size_t i = size_; i-- > 0;) superseded[i] = !later.insert(fields_[i].key).second;
  return superseded;
}

FieldList FieldList::FromJson(const Json& object) {
  FieldList list;
  for (const auto& [key, value] : object.items()) {
    list.value(list.Add(key)) = FieldValue::FromJson(value);
  }
  return list;
}

}  // namespace kestrava::sim
