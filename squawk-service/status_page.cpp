#include "squawk-service/status_page.h"

#include <cstdio>

#include "squawk-service/ascii_upper.h"

namespace squawk_service {
namespace {

// Text made safe for HTML content and attribute values.
std::string Html(std::string_view text) {
  std::string html;
  html.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': html += "&amp;"; break;
      case '<': html += "&lt;"; break;
      case '>': html += "&gt;"; break;
      case '"': html += "&quot;"; break;
      case '\'': html += "&#39;"; break;
      default: html += c;
    }
  }
  return html;
}

std::string Octal(int code) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(code) & 07777u);
  return text;
}

// "2026-12-07 19:51:30" in UTC.
std::string UtcTime(std::int64_t unix_seconds) {
  const std::int64_t days = (unix_seconds >= 0 ? unix_seconds : unix_seconds - 86399) / 86400;
  const std::int64_t seconds = unix_seconds - days * 86400;
  // Civil date from days since 1970-01-01 (proleptic Gregorian calendar).
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t day_of_era = z - era * 146097;
  const std::int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t mp = (5 * day_of_year + 2) / 153;
  const std::int64_t day = day_of_year - (153 * mp + 2) / 5 + 1;
  const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = year_of_era + era * 400 + (month <= 2 ? 1 : 0);
  char text[128];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld",
                static_cast<long long>(year), static_cast<long long>(month),
                static_cast<long long>(day), static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  return text;
}

const char kStyle[] = R"(
body { font: 14px/1.4 system-ui, sans-serif; margin: 1.5em; color: #1d2327; background: #fff; }
h1 { font-size: 1.4em; margin: 0 0 .2em; } h2 { font-size: 1.1em; margin: 1.6em 0 .4em; }
.meta { color: #555; margin: 0; } .failing { color: #b32d2e; font-weight: 600; }
table { border-collapse: collapse; } th, td { padding: .2em .7em; text-align: left; }
th { border-bottom: 2px solid #ccd0d4; } td { border-bottom: 1px solid #eee; }
td.n { text-align: right; font-variant-numeric: tabular-nums; }
.code { font-family: ui-monospace, monospace; }
.bar { width: 14em; height: .9em; background: #d7eedd; border: 1px solid #9fc9a8; }
.bar .held { height: 100%; background: #d98b2b; }
.bar.full .held { background: #b32d2e; }
form { margin: 0 0 .6em; } input[type=search] { font: inherit; padding: .2em .4em; }
)";

// Filters the holds as one types: a row stays when its callsign contains the text.
const char kScript[] = R"(
(function () {
  var input = document.getElementById('search');
  var rows = document.querySelectorAll('#holds tbody tr');
  var none = document.getElementById('no-match');
  function filter() {
    var text = input.value.trim().toUpperCase();
    var shown = 0;
    rows.forEach(function (row) {
      var match = row.dataset.callsign.indexOf(text) !== -1;
      row.hidden = !match;
      if (match) shown++;
    });
    none.hidden = shown !== 0;
  }
  input.addEventListener('input', filter);
  filter();
})();
)";

void Pools(std::string& page, const std::vector<StatusPool>& pools) {
  page +=
      "<h2>Ranges and pools</h2>\n<table id=\"pools\"><thead><tr><th>Pool</th><th>Kind</th>"
      "<th>Codes</th><th>Size</th><th>Held</th><th>Free</th><th>Use</th></tr></thead>"
      "<tbody>\n";
  for (const StatusPool& pool : pools) {
    const int held = pool.held < 0 ? 0 : (pool.held > pool.size ? pool.size : pool.held);
    const int percent = pool.size > 0 ? held * 100 / pool.size : 0;
    const std::string use = std::to_string(held) + " of " + std::to_string(pool.size) + " held";
    page += "<tr data-pool=\"" + Html(pool.name) + "\"><td>" + Html(pool.name) + "</td><td>" +
            Html(pool.kind) + "</td><td class=\"code\">" + Html(pool.codes) +
            "</td><td class=\"n\">" + std::to_string(pool.size) + "</td><td class=\"n\">" +
            std::to_string(held) + "</td><td class=\"n\">" + std::to_string(pool.size - held) +
            "</td><td><div class=\"bar" + (pool.size > 0 && held == pool.size ? " full" : "") +
            "\" role=\"img\" aria-label=\"" + use + "\" title=\"" + use +
            "\"><div class=\"held\" style=\"width:" + std::to_string(percent) +
            "%\"></div></div></td></tr>\n";
  }
  page += "</tbody></table>\n";
}

// A table of holds; with `search`, rows whose callsign does not contain it are hidden.
void Holds(std::string& page, const char* id, const std::vector<StatusHold>& holds,
           const std::string& search) {
  page += std::string("<table id=\"") + id +
          "\"><thead><tr><th>Callsign</th><th>Code</th><th>Airport</th><th>Controller</th>"
          "<th>Pool</th><th>Since (UTC)</th><th>Last asked (UTC)</th></tr></thead><tbody>\n";
  for (const StatusHold& hold : holds) {
    const std::string callsign = AsciiUpper(hold.callsign);
    const bool hidden = !search.empty() && callsign.find(search) == std::string::npos;
    page += "<tr data-callsign=\"" + Html(callsign) + "\"" + (hidden ? " hidden" : "") + "><td>" +
            Html(hold.callsign) + "</td><td class=\"code\">" + Octal(hold.code) + "</td><td>" +
            Html(hold.airport) + "</td><td>" + Html(hold.controller) + "</td><td>" +
            Html(hold.pool) + "</td><td>" + UtcTime(hold.since) + "</td><td>" +
            UtcTime(hold.last_asked) + "</td></tr>\n";
  }
  page += "</tbody></table>\n";
}

}  // namespace

std::string RenderStatusPage(const StatusSnapshot& snapshot) {
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
      "<title>Squawk service status</title><style>";
  page += kStyle;
  page += "</style></head><body>\n<h1>Squawk service</h1>\n<p class=\"meta\" id=\"summary\">";
  page += "Updated " + UtcTime(snapshot.now) + " UTC &middot; rules version " +
          Html(snapshot.rules_version.empty() ? "-" : snapshot.rules_version) + " &middot; feed: ";
  if (snapshot.feed_age) {
    page += std::to_string(*snapshot.feed_age) + " s old";
  } else {
    page += "none";
  }
  if (snapshot.feed_failing) page += " <span class=\"failing\">(failing)</span>";
  page += "</p>\n";
  Pools(page, snapshot.pools);
  page += "<h2>Recent assignments</h2>\n";
  Holds(page, "recent", snapshot.recent, {});
  const std::string search = AsciiUpper(snapshot.search);
  page +=
      "<h2>Holds</h2>\n<form method=\"get\" action=\"\"><label>Callsign "
      "<input type=\"search\" id=\"search\" name=\"callsign\" autocomplete=\"off\" value=\"" +
      Html(snapshot.search) + "\"></label> <button type=\"submit\">Search</button></form>\n";
  Holds(page, "holds", snapshot.holds, search);
  page += "<p id=\"no-match\" hidden>No hold matches.</p>\n<script>";
  page += kScript;
  page += "</script>\n</body></html>\n";
  return page;
}

}  // namespace squawk_service
