// The table printed at the end of a run: a row per aircraft (in order of first appearance) with
// what the plug-in knows of it and did for it, one column per registered feature.
//
// Steps played for every aircraft many times (position reports) find their row once per step
// with Row() and address cells by column index (the column's place in the list given to the
// constructor); counts are kept as numbers.
//
// Thread: the simulator's thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <unordered_map>
#include <vector>

namespace kestrava::sim {

class Summary {
 public:
  using Column = std::size_t;

  // One aircraft's cells.
  class Cells {
   public:
    void Set(Column column, const std::string& text);
    void SetNumber(Column column, std::int64_t number);
    // Adds one to a cell holding a count (unset counts as 0).
    void Count(Column column);
    // The cell's text, "" when unset.
    std::string Get(Column column) const;

   private:
    struct Cell {
      std::string text;
      std::int64_t number = 0;
      enum class Kind : unsigned char { kUnset, kText, kNumber } kind = Kind::kUnset;
    };
    Cell& At(Column column);
    std::vector<Cell> cells_;
  };

  // The columns after "Callsign", in display order.
  explicit Summary(std::vector<std::string> columns);

  // The aircraft's row, added when new.
  Cells& Row(const std::string& callsign);
  // The index of a column; a column that was not registered is added at the end.
  Column ColumnOf(const std::string& name);

  // Sets a cell, adding the aircraft's row when new.
  void Set(const std::string& callsign, const std::string& column, const std::string& text);
  // Adds one to a cell holding a count (unset counts as 0).
  void Count(const std::string& callsign, const std::string& column);
  // The cell's text, "" when unset.
  std::string Get(const std::string& callsign, const std::string& column) const;
  bool HasRow(const std::string& callsign) const { return index_.count(callsign) != 0; }

  // Prints the table, unset cells as "-"; prints a line saying so when there is no aircraft.
  void Print(std::ostream& out) const;

 private:
  std::vector<std::string> columns_;
  std::vector<std::string> callsigns_;                  // in order of first appearance
  std::vector<Cells> rows_;                             // the same order
  std::unordered_map<std::string, std::size_t> index_;  // callsign -> row
};

}  // namespace kestrava::sim
