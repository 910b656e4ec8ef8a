// The table printed at the end of a run: a row per aircraft (in order of first appearance) with
// what the plug-in knows of it and did for it, one column per registered feature.
//
// Thread: the simulator's thread only.
#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace kestrava::sim {

class Summary {
 public:
  // The columns after "Callsign", in display order.
  explicit Summary(std::vector<std::string> columns);

  // Sets a cell, adding the aircraft's row when new. A column that was not registered is added at
  // the end.
  void Set(const std::string& callsign, const std::string& column, const std::string& text);
  // Adds one to a cell holding a count (unset counts as 0).
  void Count(const std::string& callsign, const std::string& column);
  // The cell's text, "" when unset.
  std::string Get(const std::string& callsign, const std::string& column) const;
  bool HasRow(const std::string& callsign) const { return rows_.count(callsign) != 0; }

  // Prints the table, unset cells as "-"; prints a line saying so when there is no aircraft.
  void Print(std::ostream& out) const;

 private:
  std::vector<std::string> columns_;
  std::vector<std::string> order_;
  std::map<std::string, std::map<std::string, std::string>> rows_;
};

}  // namespace kestrava::sim
