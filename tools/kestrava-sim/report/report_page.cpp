#include "tools/kestrava-sim/report/report_page.h"

#include <cstdint>
#include <cstdio>

#include "platform/system_time.h"
#include "tools/kestrava-sim/report/activity_chart.h"
#include "tools/kestrava-sim/report/data_uri.h"
#include "tools/kestrava-sim/report/html_text.h"

namespace kestrava::sim::report {
namespace {

constexpr char kStyle[] = R"(
body{font-family:sans-serif;margin:24px;color:#1d2833;background:#fff}
h1{font-size:22px;margin:0 0 4px}h2{font-size:18px;margin:28px 0 8px}
.description{max-width:960px;color:#44515e}
dl.facts{display:grid;grid-template-columns:max-content auto;gap:2px 16px}
dl.facts dt{font-weight:bold}dl.facts dd{margin:0}
table{border-collapse:collapse;font-size:13px}
th,td{border:1px solid #d5dde4;padding:4px 6px;text-align:left;vertical-align:top}
th{background:#eef2f5}
ol.timeline{margin:0;padding-left:0;list-style:none}
ol.timeline time,.tags time{font-family:monospace;color:#5b6a78;margin-right:6px}
.tags{background:#eef1f4;color:#27313a;padding:2px 4px;border-radius:3px;margin-bottom:3px;
 font-family:monospace;white-space:nowrap}
.tags time{color:#5b6a78}.tags span.item{display:inline-block;min-width:40px;margin-right:4px;
 padding:0 3px;border-radius:2px}.tags span.on-dark{background:#1b222a}
.squawk{font-family:monospace;font-weight:bold}
.messages li{white-space:pre-wrap}
figure{display:inline-block;margin:0 16px 16px 0;vertical-align:top}
figcaption{font-size:12px;color:#5b6a78}
img{border:1px solid #c9d2da;max-width:100%}
.note{color:#8a4b00}
)";

// When the page has loaded: how many pictures have a size (a broken one has none).
constexpr char kPictureCheck[] = R"(
window.addEventListener('load', function () {
  var pictures = document.querySelectorAll('img');
  var drawn = 0;
  pictures.forEach(function (p) { if (p.naturalWidth > 0 && p.naturalHeight > 0) drawn++; });
  var status = document.getElementById('pictures-status');
  status.textContent = drawn + ' of ' + pictures.length + ' pictures shown';
  status.dataset.drawn = drawn;
  status.dataset.total = pictures.length;
});
)";

// "#RRGGBB" of a COLORREF (0x00BBGGRR).
std::string CssColour(std::uint32_t rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb & 0xFFu, (rgb >> 8) & 0xFFu,
                (rgb >> 16) & 0xFFu);
  return text;
}

// Whether a COLORREF is light (relative luminance above one half, roughly).
bool IsLight(std::uint32_t rgb) {
  const unsigned red = rgb & 0xFFu, green = (rgb >> 8) & 0xFFu, blue = (rgb >> 16) & 0xFFu;
  return 299 * red + 587 * green + 114 * blue > 128 * 1000;
}

std::string Period(const ReportModel& model) {
  const SystemTime start = SystemTimeFromUnixMillis(model.start_unix_millis());
  char date[24];
  std::snprintf(date, sizeof date, "%04u-%02u-%02u", unsigned{start.wYear}, unsigned{start.wMonth},
                unsigned{start.wDay});
  return std::string(date) + " " + ClockText(model.start_unix_millis(), 0) + " to " +
         ClockText(model.start_unix_millis(), model.end_seconds()) + " UTC";
}

void WriteTime(std::ostream& out, const ReportModel& model, double t) {
  out << "<time>" << ClockText(model.start_unix_millis(), t) << "</time>";
}

void WriteHeader(std::ostream& out, const PageInput& input, const ReportModel& model) {
  out << "<h1>Kestrava run: ";
  WriteEscaped(out, input.scenario_file);
  out << "</h1>\n<p class=\"description\">";
  WriteEscaped(out, input.description);
  out << "</p>\n<dl class=\"facts\">\n<dt>Simulated period</dt><dd>" << Period(model)
      << "</dd>\n<dt>Aircraft</dt><dd id=\"aircraft-count\">" << model.aircraft_count()
      << "</dd>\n<dt>Steps</dt><dd>" << input.steps << "</dd>\n"
      << "<dt>Take-offs and landings logged</dt><dd>" << model.departures() << " and "
      << model.arrivals() << "</dd>\n<dt>Squawk codes set</dt><dd>" << model.codes_set()
      << "</dd>\n<dt>Countdown alarms</dt><dd>" << model.alarms()
      << "</dd>\n<dt>Exit status</dt><dd id=\"exit-status\">";
  WriteEscaped(out, input.exit_status);
  out << "</dd>\n</dl>\n<h2>Messages to the controller</h2>\n";
  if (model.messages().empty()) {
    out << "<p>None.</p>\n";
    return;
  }
  out << "<ol class=\"timeline messages\">\n";
  for (const TimelineEntry& message : model.messages()) {
    out << "<li>";
    WriteTime(out, model, message.t);
    WriteEscaped(out, message.text);
    out << "</li>\n";
  }
  out << "</ol>\n";
  if (model.messages_left_out() > 0) {
    out << "<p class=\"note\">" << model.messages_left_out() << " more not shown.</p>\n";
  }
}

void WriteTags(std::ostream& out, const ReportModel& model, const AircraftRecord& aircraft) {
  for (const TagSample& sample : aircraft.tags) {
    out << "<div class=\"tags\">";
    WriteTime(out, model, sample.t);
    for (const TagSample::Item& item : sample.items) {
      // A light colour is shown on a dark ground, a dark one on the page's light ground.
      const bool dark_ground = item.rgb && IsLight(*item.rgb);
      out << "<span class=\"item" << (dark_ground ? " on-dark" : "") << '"';
      if (item.rgb) out << " style=\"color:" << CssColour(*item.rgb) << '"';
      out << '>';
      WriteEscaped(out, item.text.empty() ? "\xC2\xB7" : item.text);  // a middle dot when empty
      out << "</span>";
    }
    out << "</div>\n";
  }
  if (aircraft.tags_left_out > 0) {
    out << "<div class=\"note\">" << aircraft.tags_left_out << " more asks not shown</div>\n";
  }
}

void WriteAircraft(std::ostream& out, const ReportModel& model) {
  out << "<h2>Aircraft</h2>\n";
  if (model.aircraft_count() > model.aircraft().size()) {
    out << "<p class=\"note\" id=\"aircraft-limit\">The first " << model.aircraft().size()
        << " aircraft are shown in detail (the limit is " << kMostAircraftShown << "); "
        << model.aircraft_count() - model.aircraft().size()
        << " more are counted in the figures and the chart only.</p>\n";
  }
  out << "<p>Tag items as the plug-in gave them, in its colours: intention code, estimated "
         "departure, off-block, take-off and landing time (a dot: empty).</p>\n"
      << "<table id=\"aircraft\">\n<tr><th>Callsign</th><th>Type</th><th>Route</th>"
         "<th>Squawk</th><th>What the plug-in did</th><th>Tag items</th></tr>\n";
  for (const AircraftRecord& aircraft : model.aircraft()) {
    out << "<tr class=\"aircraft\" data-callsign=\"";
    WriteEscaped(out, aircraft.callsign);
    out << "\"><td>";
    WriteEscaped(out, aircraft.callsign);
    out << "</td><td>";
    WriteEscaped(out, aircraft.type);
    out << "</td><td>";
    WriteEscaped(out, aircraft.route);
    out << "</td><td class=\"squawk\">";
    WriteEscaped(out, aircraft.squawk);
    out << "</td><td><ol class=\"timeline\">";
    for (const TimelineEntry& entry : aircraft.timeline) {
      out << "<li>";
      WriteTime(out, model, entry.t);
      WriteEscaped(out, entry.text);
      out << "</li>";
    }
    if (aircraft.timeline_left_out > 0) {
      out << "<li class=\"note\">" << aircraft.timeline_left_out << " more not shown</li>";
    }
    out << "</ol></td><td>\n";
    WriteTags(out, model, aircraft);
    out << "</td></tr>\n";
  }
  out << "</table>\n";
}

void WritePictures(std::ostream& out, const PageInput& input) {
  out << "<h2>Radar display and dialog pictures</h2>\n<p id=\"pictures-status\"></p>\n";
  if (input.pictures.empty()) out << "<p>The run made no pictures.</p>\n";
  std::size_t shown = 0;
  for (const std::filesystem::path& picture : input.pictures) {
    if (shown == kMostPictures) {
      out << "<p class=\"note\">" << input.pictures.size() - shown
          << " more pictures in the output folder (at most " << kMostPictures
          << " are embedded).</p>\n";
      break;
    }
    const std::string name = picture.filename().string();
    out << "<figure><img alt=\"";
    WriteEscaped(out, name);
    out << "\" src=\"";
    if (!WriteDataUri(out, picture, "image/png", kMostPictureBytes)) {
      out << "\"><figcaption class=\"note\">";
      WriteEscaped(out, name);
      out << ": not embedded (unreadable or larger than " << (kMostPictureBytes >> 20)
          << " MB)</figcaption></figure>\n";
      continue;
    }
    out << "\"><figcaption>";
    WriteEscaped(out, name);
    out << "</figcaption></figure>\n";
    ++shown;
  }
}

void WriteLogs(std::ostream& out, const PageInput& input) {
  out << "<h2>Statistics log</h2>\n";
  if (input.logs.empty()) out << "<p>The plug-in wrote no log in this run.</p>\n";
  for (const LogTable& log : input.logs) {
    out << "<p>";
    WriteEscaped(out, log.name);
    out << ": " << log.total_rows << (log.total_rows == 1 ? " line" : " lines");
    if (log.total_rows > log.rows.size()) out << ", the first " << log.rows.size() << " shown";
    out << "</p>\n<table class=\"log\">\n<tr><th>Callsign</th><th>Pilot</th><th>Type</th>"
           "<th>From</th><th>Runway</th><th>SID</th><th>To</th><th>Runway</th><th>STAR</th>"
           "<th>A/D</th><th>Time (UTC)</th></tr>\n";
    for (const std::vector<std::string>& row : log.rows) {
      out << "<tr>";
      for (const std::string& field : row) {
        out << "<td>";
        WriteEscaped(out, field);
        out << "</td>";
      }
      out << "</tr>\n";
    }
    out << "</table>\n";
  }
}

}  // namespace

void WritePage(std::ostream& out, const PageInput& input, const ReportModel& model) {
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>Kestrava "
         "run: ";
  WriteEscaped(out, input.scenario_file);
  out << "</title>\n<style>" << kStyle << "</style>\n</head>\n<body>\n";
  WriteHeader(out, input, model);
  WriteAircraft(out, model);
  out << "<h2>Activity</h2>\n";
  WriteActivityChart(out, model);
  WritePictures(out, input);
  WriteLogs(out, input);
  out << "<script>" << kPictureCheck << "</script>\n</body>\n</html>\n";
}

}  // namespace kestrava::sim::report
