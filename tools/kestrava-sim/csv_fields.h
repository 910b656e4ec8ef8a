// Reading back the statistics log the plug-in writes: the fields of one line of comma-separated
// values, quoted fields (which may hold commas and doubled quotes) unquoted.
//
// Pure function, any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrava::sim {

std::vector<std::string> CsvFields(std::string_view line);

}  // namespace kestrava::sim
