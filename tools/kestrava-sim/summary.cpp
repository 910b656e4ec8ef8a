#include "tools/kestrava-sim/summary.h"

#include <algorithm>
#include <utility>

namespace kestrava::sim {

Summary::Cells::Cell& Summary::Cells::At(Column column) {
  if (cells_.size() <= column) cells_.resize(column + 1);
  return cells_[column];
}

void Summary::Cells::Set(Column column, const std::string& text) {
  Cell& cell = At(column);
  cell.text = text;
  cell.kind = Cell::Kind::kText;
}

void Summary::Cells::SetNumber(Column column, std::int64_t number) {
  Cell& cell = At(column);
  cell.number = number;
  cell.kind = Cell::Kind::kNumber;
}

void Summary::Cells::Count(Column column) {
  Cell& cell = At(column);
  std::int64_t count = 1;
  if (cell.kind == Cell::Kind::kNumber) count = cell.number + 1;
  if (cell.kind == Cell::Kind::kText && !cell.text.empty()) count = std::stoll(cell.text) + 1;
  SetNumber(column, count);
}

std::string Summary::Cells::Get(Column column) const {
  if (column >= cells_.size()) return "";
  const Cell& cell = cells_[column];
  switch (cell.kind) {
    case Cell::Kind::kText: return cell.text;
    case Cell::Kind::kNumber: return std::to_string(cell.number);
    default: return "";
  }
}

Summary::Summary(std::vector<std::string> columns) : columns_(std::move(columns)) {}

Summary::Cells& Summary::Row(const std::string& callsign) {
  const auto [it, added] = index_.try_emplace(callsign, rows_.size());
  if (added) {
    callsigns_.push_back(callsign);
    rows_.emplace_back();
  }
  return rows_[it->second];
}

Summary::Column Summary::ColumnOf(const std::string& name) {
  const auto it = std::find(columns_.begin(), columns_.end(), name);
  if (it != columns_.end()) return static_cast<Column>(it - columns_.begin());
  columns_.push_back(name);
  return columns_.size() - 1;
}

void Summary::Set(const std::string& callsign, const std::string& column, const std::string& text) {
  const Column at = ColumnOf(column);
  Row(callsign).Set(at, text);
}

void Summary::Count(const std::string& callsign, const std::string& column) {
  const Column at = ColumnOf(column);
  Row(callsign).Count(at);
}

std::string Summary::Get(const std::string& callsign, const std::string& column) const {
  const auto row = index_.find(callsign);
  const auto it = std::find(columns_.begin(), columns_.end(), column);
  if (row == index_.end() || it == columns_.end()) return "";
  return rows_[row->second].Get(static_cast<Column>(it - columns_.begin()));
}

void Summary::Print(std::ostream& out) const {
  if (rows_.empty()) {
    out << "No aircraft.\n";
    return;
  }
  std::vector<std::size_t> widths(columns_.size() + 1, 0);
  widths[0] = std::string("Callsign").size();
  for (std::size_t c = 0; c < columns_.size(); ++c) widths[c + 1] = columns_[c].size();
  const auto cell_text = [&](std::size_t row, std::size_t column) {
    if (column == 0) return callsigns_[row];
    const std::string text = rows_[row].Get(column - 1);
    return text.empty() ? std::string("-") : text;
  };
  for (std::size_t r = 0; r < rows_.size(); ++r) {
    for (std::size_t c = 0; c < widths.size(); ++c) {
      widths[c] = std::max(widths[c], cell_text(r, c).size());
    }
  }
  std::string line;
  const auto print_line = [&](const auto& text_of) {
    line.clear();
    for (std::size_t c = 0; c < widths.size(); ++c) {
      const std::string text = text_of(c);
      line += text;
      if (c + 1 < widths.size()) line.append(widths[c] - text.size() + 2, ' ');
    }
    out << line << '\n';
  };
  print_line([&](std::size_t c) { return c == 0 ? std::string("Callsign") : columns_[c - 1]; });
  std::string rule;
  for (std::size_t c = 0; c < widths.size(); ++c) {
    rule += std::string(widths[c], '-') + (c + 1 < widths.size() ? "  " : "");
  }
  out << rule << '\n';
  for (std::size_t r = 0; r < rows_.size(); ++r) {
    print_line([&](std::size_t c) { return cell_text(r, c); });
  }
}

}  // namespace kestrava::sim
