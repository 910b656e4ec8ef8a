// The scenario reader on its own: escapes and numbers read the same on the quick path for flat
// steps and on the JSON parser's, the depth limit at its boundary, the bytes held whatever the
// line layout, where an error lies in a file of many chunks, and fields given twice.
#include "tools/kestrava-sim/scenario_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// Keeps every step's time and longitude.
class NumberRecorder final : public ScenarioVisitor {
 public:
  void TopLevelField(const std::string&, const Json&) override {}
  bool Step(RawStep& raw) override {
    times.push_back(raw.t.Number());
    lons.push_back(raw.body.value(raw.body.Find("lon")).Number());
    return true;
  }
  std::vector<double> times, lons;
};

TEST(ScenarioReader, EveryValidNumberReadsAsItsValueOnBothPaths) {
  const std::pair<const char*, double> numbers[] = {
      {"0e104", 0.0},
      {"-0e-400", -0.0},
      {"0e400", 0.0},
      {"0E+400", 0.0},
      {"0.000e44", 0.0},
      {"-0.0e104", -0.0},
      {"1e-400", 0.0},
      {"5e-324", 5e-324},
      {"12.5e1", 125.0},
      {"1.7976931348623157e308", 1.7976931348623157e308},
      {"-7", -7.0},
      {"0e0000000000000104", 0.0},
      {"18446744073709551616", 18446744073709551616.0},
  };
  for (const auto& [written, meant] : numbers) {
    SCOPED_TRACE(written);
    const std::string n = written;
    // The first step is flat (the quick path's); the second has an escaped text, which only the
    // JSON parser reads.
    const std::string step =
        R"({"t": )" + n + R"(, "position": {"lon": )" + n + R"(, "callsign": )";
    const fs::path path = WriteFile(
        "numbers.json", R"({"start": "x", "steps": [)" + step + R"("A"}}, )" + step + R"("A"}}]})");
    NumberRecorder read;
    bool has_steps = false;
    ReadScenarioFile(path.string(), read, has_steps);
    fs::remove(path);
    ASSERT_EQ(read.times.size(), 2u);
    for (const std::vector<double>* got : {&read.times, &read.lons}) {
      for (const double value : *got) {
        EXPECT_EQ(value, meant);
        EXPECT_EQ(std::signbit(value), std::signbit(meant));
      }
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

// A file of several chunks: the error's line and column are counted from the file's start.
TEST(ScenarioReader, AnErrorPastTheFirstChunkIsPlacedInTheFile) {
  std::string text = "{\"start\": \"x\", \"steps\": [\n";
  for (int i = 0; i < 20000; ++i) {
    text += R"({"t": 1, "position": {"callsign": "AB1", "lat": 1.5, "lon": 2, "gs": 0}},)"
            "\n";
  }
  ASSERT_GT(text.size(), 1u << 20);
  for (const auto& [tail, message] :
       {std::pair{"{\"t\": 2, \"unload\": {} ]}",
                  "invalid JSON: syntax error (line 20002, column 23)"},
        std::pair{"{\"t\": 2, \"unload\": {\"a\": \"b\\x\"}}]}",
                  "invalid JSON: syntax error (line 20002, column 29)"}}) {
    SCOPED_TRACE(tail);
    try {
      Read("late-error.json", text + tail);
      ADD_FAILURE() << "read";
    } catch (const ScenarioError& error) {
      EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
    }
  }
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
