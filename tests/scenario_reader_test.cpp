// The scenario reader on its own: escapes read the same on the quick path for flat steps and on
// the JSON reader's, the depth limit at its boundary, the bytes held whatever the line layout,
// and fields given twice.
#include "tools/kestrava-sim/scenario_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/kestrava-sim/step_table.h"
#include "tools/kestrava-sim/traffic_generator.h"

namespace kestrava::sim {
namespace {

namespace fs = std::filesystem;

fs::path WriteFile(const std::string& name, const std::string& text) {
  const fs::path path = fs::temp_directory_path() / ("kestrava-reader-" + name);
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

// Keeps every step's kind and body fields as texts.
class StepRecorder final : public ScenarioVisitor {
 public:
  struct Step {
    std::string kind;
    std::vector<std::pair<std::string, std::string>> fields;
  };
  void TopLevelField(const std::string&, const Json&) override {}
  bool Step(RawStep& raw) override {
    struct Step step;
    step.kind = raw.kind;
    for (std::size_t i = 0; i < raw.body.size(); ++i) {
      const FieldValue& value = raw.body.value(i);
      step.fields.emplace_back(raw.body.key(i), value.type == FieldValue::Type::kText
                                                    ? value.text
                                                    : value.ToJson().dump());
    }
    steps.push_back(step);
    return true;
  }
  std::vector<struct Step> steps;
};

StepRecorder Read(const std::string& name, const std::string& text, std::size_t* held = nullptr) {
  const fs::path path = WriteFile(name, text);
  StepRecorder recorder;
  bool has_steps = false;
  ReadScenarioFile(path.string(), recorder, has_steps, held);
  fs::remove(path);
  return recorder;
}

TEST(ScenarioReader, EveryEscapeReadsTheSameOnTheQuickPathAndTheJsonReaders) {
  const std::pair<const char*, const char*> escapes[] = {
      {R"(\\)", "\\"},
      {R"(\")", "\""},
      {R"(\/)", "/"},
      {R"(\b)", "\b"},
      {R"(\f)", "\f"},
      {R"(\n)", "\n"},
      {R"(\r)", "\r"},
      {R"(\t)", "\t"},
      {R"(\u00e9)", "\xc3\xa9"},
      {R"(\ud83d\ude00)", "\xf0\x9f\x98\x80"},
      {"\xc3\xa9", "\xc3\xa9"},  // no escape, but beyond ASCII
  };
  for (const auto& [written, meant] : escapes) {
    SCOPED_TRACE(written);
    const std::string w = written, m = meant;
    // The first step is flat (the quick path's); the second has a list, which only the JSON
    // reader reads.
    const std::string step = R"({"t": 0, "k)" + w + R"(": {"name)" + w + R"(": "CS)" + w +
                             R"(", "text": "a)" + w + "b\"";
    const StepRecorder read = Read("escapes.json", R"({"start": "x", "steps": [)" + step + "}}, " +
                                                       step + R"(, "list": []}}]})");
    ASSERT_EQ(read.steps.size(), 2u);
    for (const auto& got : read.steps) {
      EXPECT_EQ(got.kind, "k" + m);
      ASSERT_GE(got.fields.size(), 2u);
      EXPECT_EQ(got.fields[0], std::make_pair("name" + m, "CS" + m));
      EXPECT_EQ(got.fields[1], std::make_pair(std::string("text"), "a" + m + "b"));
    }
  }
}

TEST(ScenarioReader, NestingIsAllowedToItsLimitAndNoDeeper) {
  for (const int depth : {kMaxDepth, kMaxDepth + 1}) {
    SCOPED_TRACE(depth);
    // The top-level object is one level; the settings' lists the others.
    const std::string text = R"({"start": "x", "settings": )" + std::string(depth - 1, '[') +
                             std::string(depth - 1, ']') + R"(, "steps": []})";
    if (depth <= kMaxDepth) {
      EXPECT_NO_THROW(Read("depth.json", text));
    } else {
      try {
        Read("depth.json", text);
        ADD_FAILURE() << "read";
      } catch (const ScenarioError& error) {
        EXPECT_NE(std::string(error.what()).find("settings: nested more than 64 levels deep"),
                  std::string::npos)
            << error.what();
      }
    }
  }
}

// What the reader holds does not depend on how the file is split into lines.
TEST(ScenarioReader, AOneLineFileHoldsNoMoreThanTheSameWithLineBreaks) {
  TrafficOptions options;
  options.aircraft = 80;
  options.hours = 1;
  std::ostringstream generated;
  WriteTraffic(options, generated);
  const std::string lines = generated.str();
  std::string one_line = lines;
  std::replace(one_line.begin(), one_line.end(), '\n', ' ');
  ASSERT_GT(lines.size(), 3'000'000u);

  std::size_t held_lines = 0, held_one_line = 0;
  const std::size_t steps = Read("lines.json", lines, &held_lines).steps.size();
  EXPECT_EQ(Read("one-line.json", one_line, &held_one_line).steps.size(), steps);
  EXPECT_LE(held_one_line, held_lines * 11 / 10);
  EXPECT_LT(held_one_line, lines.size() / 2);
}

TEST(FieldList, AFieldIsSupersededByALaterOneOfTheSameName) {
  FieldList fields;
  for (const char* key : {"a", "b", "a", "c", "b", "a"}) fields.Add(key);
  EXPECT_EQ(fields.Superseded(), (std::vector<bool>{true, true, true, false, false, false}));
  EXPECT_EQ(fields.Find("a"), 5u);
  EXPECT_EQ(fields.Find("d"), FieldList::npos);
}

}  // namespace
}  // namespace kestrava::sim
