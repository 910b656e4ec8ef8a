// Reads a scenario file in one streaming pass, holding one step at a time: memory stays the same
// whatever the number of steps. The top level's fields other than "steps" are small and are
// handed over whole; each step is handed over as its time, its kind and the fields of its body.
//
// The reader checks the file's structure: a regular file (a pipe or a device is refused before it
// is opened), valid JSON (UTF-8, no NUL byte anywhere), an object at the top with known fields
// only, "steps" a list of objects given once, nesting at most kMaxDepth levels deep, and numbers
// a double can hold. Every failure throws ScenarioError naming the file and the place.
//
// Thread: any; one reader per thread.
#pragma once

#include <cstddef>
#include <string>

#include "tools/kestrava-sim/step_fields.h"

namespace kestrava::sim {

// One step as read.
struct RawStep {
  std::size_t index = 0;
  bool has_t = false;
  FieldValue t;
  std::string kind;         // the first field other than "t"; "" when none
  std::string second_kind;  // a second such field; "" when none
  bool body_is_object = false;
  std::string body_type;  // the body's type for messages when it is not an object
  FieldList body;         // the body's fields when it is an object
};

class ScenarioVisitor {
 public:
  virtual ~ScenarioVisitor() = default;
  // A top-level field other than "steps", whole.
  virtual void TopLevelField(const std::string& key, const Json& value) = 0;
  // The next step; false stops the reading. May throw ScenarioError.
  virtual bool Step(RawStep& step) = 0;
};

// Reads `path` to its end, or until the visitor stops it (then returns false). Sets `has_steps`
// when the file has a "steps" list, and `most_bytes_held` (when given) to the most bytes of the
// file's text held at once: a chunk of fixed size and the texts being decoded, whatever the
// file's layout in lines.
bool ReadScenarioFile(const std::string& path, ScenarioVisitor& visitor, bool& has_steps,
                      std::size_t* most_bytes_held = nullptr);

inline constexpr int kMaxDepth = 64;

}  // namespace kestrava::sim
