#include "tools/kestrava-sim/summary.h"

#include <algorithm>
#include <utility>

namespace kestrava::sim {

Summary::Summary(std::vector<std::string> columns) : columns_(std::move(columns)) {}

void Summary::Set(const std::string& callsign, const std::string& column, const std::string& text) {
  if (std::find(columns_.begin(), columns_.end(), column) == columns_.end()) {
    columns_.push_back(column);
  }
  if (rows_.count(callsign) == 0) order_.push_back(callsign);
  rows_[callsign][column] = text;
}

void Summary::Count(const std::string& callsign, const std::string& column) {
  const std::string text = Get(callsign, column);
  Set(callsign, column, std::to_string(text.empty() ? 1 : std::stoll(text) + 1));
}

std::string Summary::Get(const std::string& callsign, const std::string& column) const {
  const auto row = rows_.find(callsign);
  if (row == rows_.end()) return "";
  const auto cell = row->second.find(column);
  return cell == row->second.end() ? "" : cell->second;
}

void Summary::Print(std::ostream& out) const {
  if (order_.empty()) {
    out << "No aircraft.\n";
    return;
  }
  std::vector<std::string> headers{"Callsign"};
  headers.insert(headers.end(), columns_.begin(), columns_.end());
  std::vector<std::vector<std::string>> table{headers};
  for (const std::string& callsign : order_) {
    std::vector<std::string> line{callsign};
    for (const std::string& column : columns_) {
      const std::string text = Get(callsign, column);
      line.push_back(text.empty() ? "-" : text);
    }
    table.push_back(std::move(line));
  }
  std::vector<std::size_t> widths(headers.size(), 0);
  for (const auto& line : table) {
    for (std::size_t i = 0; i < line.size(); ++i) widths[i] = std::max(widths[i], line[i].size());
  }
  const auto print_line = [&](const std::vector<std::string>& line) {
    std::string text;
    for (std::size_t i = 0; i < line.size(); ++i) {
      text += line[i];
      if (i + 1 < line.size()) text += std::string(widths[i] - line[i].size() + 2, ' ');
    }
    out << text << '\n';
  };
  print_line(table.front());
  std::string rule;
  for (std::size_t i = 0; i < widths.size(); ++i) {
    rule += std::string(widths[i], '-') + (i + 1 < widths.size() ? "  " : "");
  }
  out << rule << '\n';
  for (std::size_t i = 1; i < table.size(); ++i) print_line(table[i]);
}

}  // namespace kestrava::sim
