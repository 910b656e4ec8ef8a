// The statistics-log settings, process-wide: they outlive the plug-in object and are read by the
// log writer. Host's thread only.
#pragma once

#include <string>

namespace kestrava {

inline constexpr char kDefaultLogFilePath[] = "C:\\ZYT_STATS.csv";

inline bool LogEnabled = false;
inline std::string LogFilePath = kDefaultLogFilePath;

}  // namespace kestrava
