// The statistics log: one CSV line per detected take-off ("D") or landing ("A"), appended to the
// file named by LogFilePath while LogEnabled is on (plugin/log_settings.h).
//
// A line has eleven fields: callsign, pilot name, aircraft type, departure airport, departure
// runway, SID, destination airport, arrival runway, STAR, "D" or "A", and the event time as
// "DD/MM/YYYY HH:MM:SS" (UTC). A field holding a comma, a double quote, a carriage return or a
// line feed is written in double quotes with its quotes doubled (RFC 4180); every other field is
// written as the host gives it, so an ordinary line is plain comma-separated text. Lines have no
// length limit.
//
// The file is opened, appended to and closed for every line (Env::AppendLine), so the path may
// change between lines. A line is appended whole or not at all: on a full disk it is lost, never
// cut or glued to the next one. A line that cannot be written is lost and reported to the log's
// health (aircraft/statistics_log_health.h), which tells the controller.
//
// Thread: the host's thread (LogEnabled and LogFilePath are read there).
#pragma once

#include <string>
#include <string_view>

#include "aircraft/CAircraftData.h"
#include "aircraft/statistics_log_health.h"
#include "platform/env.h"
#include "platform/system_time.h"
#include "plugin/EuroScopePlugIn.h"

namespace kestrava {

// The field as written to the log: unchanged, or quoted when it needs to be.
std::string CsvField(std::string_view text);

// "DD/MM/YYYY HH:MM:SS", each part with leading zeros (the year with at least four digits).
std::string LogTimeText(const SystemTime& time);

// The line for an event of `aircraft` at `time` (without the line end).
std::string ComposeStatisticsLine(EuroScopePlugIn::CAircraft aircraft, bool departure,
                                  const SystemTime& time);

// The write operation, called right after a take-off (`departure` true) or landing has been
// stamped in `record`: appends the line with the record's take-off or landing time. Writes
// nothing when the log is off, the aircraft handle is empty, or the record's flag for the event
// is not set. Whether the line was written goes to `health`.
void WriteStatisticsLog(Env& env, StatisticsLogHealth& health, EuroScopePlugIn::CAircraft aircraft,
                        bool departure, const CAircraftData& record);

}  // namespace kestrava
