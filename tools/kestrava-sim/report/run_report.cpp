#include "tools/kestrava-sim/report/run_report.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "tools/kestrava-sim/csv_fields.h"
#include "tools/kestrava-sim/report/report_model.h"
#include "tools/kestrava-sim/report/report_page.h"
#include "tools/kestrava-sim/scenario_reader.h"

namespace kestrava::sim::report {
namespace {

constexpr char kPageName[] = "report.html";

class StepsToModel final : public ScenarioVisitor {
 public:
  StepsToModel(ReportModel& model, std::string& description)
      : model_(model), description_(description) {}
  void TopLevelField(const std::string& key, const Json& value) override {
    if (key == "description" && value.is_string()) description_ = value.get<std::string>();
  }
  bool Step(RawStep& step) override {
    if (step.body_is_object && step.t.IsNumber())
      model_.Step(step.t.Number(), step.kind, step.body);
    return true;
  }

 private:
  ReportModel& model_;
  std::string& description_;
};

bool ReadLog(const std::string& name, const std::filesystem::path& file, ReportModel& model,
             LogTable& table, std::string& error) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = "cannot read the log '" + file.string() + "'";
    return false;
  }
  table.name = name;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::vector<std::string> fields = CsvFields(line);
    model.LogLine(fields);
    if (table.rows.size() < kMostLogRows) table.rows.push_back(std::move(fields));
    ++table.total_rows;
  }
  return true;
}

std::vector<std::filesystem::path> Pictures(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> pictures;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (entry.path().extension() == ".png" && entry.is_regular_file(ec)) {
      pictures.push_back(entry.path());
    }
  }
  std::sort(pictures.begin(), pictures.end());
  return pictures;
}

}  // namespace

bool WriteRunReport(const RunRecords& records, std::string& error) {
  const Scenario& scenario = *records.scenario;
  ReportModel model(scenario.start_unix_millis, scenario.end_millis);
  PageInput input;
  input.scenario_file = std::filesystem::path(scenario.file).filename().string();
  input.steps = scenario.step_count;
  input.exit_status = records.exit_status;
  try {
    StepsToModel visitor(model, input.description);
    bool has_steps = false;
    ReadScenarioFile(scenario.file, visitor, has_steps);
  } catch (const std::exception& failure) {
    error = failure.what();
    return false;
  }
  std::ifstream events(records.events, std::ios::binary);
  if (!events) {
    error = "cannot read '" + records.events.string() + "'";
    return false;
  }
  std::string line;
  while (std::getline(events, line)) {
    const Json event = Json::parse(line, nullptr, /*allow_exceptions=*/false);
    if (event.is_object()) model.Event(event);
  }
  for (const auto& [name, file] : records.logs) {
    if (!ReadLog(name, file, model, input.logs.emplace_back(), error)) return false;
  }
  model.Finish();
  input.pictures = Pictures(records.output_folder);

  const std::filesystem::path page = records.output_folder / kPageName;
  std::ofstream out(page, std::ios::binary | std::ios::trunc);
  WritePage(out, input, model);
  out.close();
  if (!out) {
    error = "cannot write '" + page.string() + "'";
    return false;
  }
  return true;
}

}  // namespace kestrava::sim::report
