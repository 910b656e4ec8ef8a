// The fields of one JSON object of a scenario, in the file's order: scalars as read, lists and
// objects as JSON values. The scenario reader fills one list per step and reuses it for the next,
// so once its buffers have grown, reading a step allocates nothing.
//
// Of a key given twice the later value counts, as JSON readers commonly do; the earlier one is
// superseded (see Superseded).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/kestrava-sim/event_log.h"

namespace kestrava::sim {

struct FieldValue {
  enum class Type { kNull, kFlag, kInteger, kUnsigned, kFraction, kText, kCompound };

  Type type = Type::kNull;
  bool flag = false;
  std::int64_t integer = 0;
  std::uint64_t unsigned_integer = 0;
  double fraction = 0;
  std::string text;
  Json compound;  // a list or an object

  bool IsNumber() const {
    return type == Type::kInteger || type == Type::kUnsigned || type == Type::kFraction;
  }
  bool IsWholeNumber() const { return type == Type::kInteger || type == Type::kUnsigned; }
  // The value of a number as a double.
  double Number() const;
  // The value as JSON.
  Json ToJson() const;
  // Short description of the type for messages ("a text", "a number with a fraction", ...).
  std::string Describe() const;

  static FieldValue FromJson(const Json& value);
};

class FieldList {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  // Forgets every field, keeping the buffers.
  void Clear() { size_ = 0; }
  // The index of a new field named `key`, to fill in.
  std::size_t Add(std::string_view key);
  std::size_t size() const { return size_; }
  const std::string& key(std::size_t i) const { return fields_[i].key; }
  const FieldValue& value(std::size_t i) const { return fields_[i].value; }
  FieldValue& value(std::size_t i) { return fields_[i].value; }
  // The index of the (last) field named `key`, npos when absent.
  std::size_t Find(std::string_view key) const;
  // For each field, whether a later field has the same name; in time linear in the fields.
  std::vector<bool> Superseded() const;

  // The fields of a JSON object.
  static FieldList FromJson(const Json& object);

 private:
  struct Field {
    std::string key;
    FieldValue value;
  };
  std::vector<Field> fields_;
  std::size_t size_ = 0;
};

}  // namespace kestrava::sim
