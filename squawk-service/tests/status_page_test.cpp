#include "squawk-service/status_page.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace squawk_service {
namespace {

StatusSnapshot Sample(std::string search) {
  StatusSnapshot snapshot;
  snapshot.now = 1796673090;
  snapshot.rules_version = "7";
  snapshot.feed_age = 42;
  snapshot.pools = {{"EGLL", "airport", "2301-2377", 64, 32},
                    {"<b>EG</b>", "prefix", "2401-2477", 64, 64},
                    {"*", "general", "5001-5077", 64, 0}};
  const StatusHold baw = {"BAW1", 02301, "EGLL", "EGLL_TWR", "EGLL", 1796670000, 1796673000};
  const StatusHold dlh = {"DLH2", 02401, "EGKK", "<script>", "EG", 1796671000, 1796672000};
  snapshot.recent = {dlh, baw};
  snapshot.holds = {baw, dlh};
  snapshot.search = std::move(search);
  return snapshot;
}

bool Has(const std::string& page, const std::string& text) {
  return page.find(text) != std::string::npos;
}

TEST(StatusPageTest, ShowsPoolsHoldsAndTheSearchEscapingEveryText) {
  const std::string page = RenderStatusPage(Sample("ba\"w"));
  const char* expected[] = {
      "Updated 2026-12-07 19:51:30 UTC &middot; rules version 7 &middot; feed: 42 s old",
      "<td>&lt;b&gt;EG&lt;/b&gt;</td>",
      "aria-label=\"32 of 64 held\"",
      "style=\"width:50%\"",
      "<div class=\"bar full\"",  // a pool with no free code
      "<td class=\"code\">2301</td>",
      "<td>&lt;script&gt;</td>",
      "<td>2026-12-07 19:00:00</td>",
      "value=\"ba&quot;w\"",
      // Holds not matching the search are hidden, also without the script; the recent
      // assignments are never filtered.
      "<tr data-callsign=\"DLH2\" hidden>",
      "<tr data-callsign=\"DLH2\"><td>",
  };
  for (const char* text : expected) EXPECT_TRUE(Has(page, text)) << text;
  EXPECT_EQ(page.find("<script>"), page.rfind("<script>")) << "one inline script";
  EXPECT_FALSE(Has(page, "http://")) << "no external asset";
  EXPECT_FALSE(Has(page, "https://"));
}

// The page as a browser shows it: loaded by headless Chromium, its script run.
TEST(StatusPageTest, LoadsInABrowserAndItsSearchFiltersTheHolds) {
  const std::filesystem::path dir =
      std::filesystem::path(::testing::TempDir()) / "squawk_status_page_test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::filesystem::path page = dir / "status.html";
  std::ofstream(page) << RenderStatusPage(Sample("zz"));
  const std::string command = std::string(KESTRAVA_SOURCE_DIR) + "/scripts/render-page " +
                              page.string() + " " + (dir / "out").string() + " > " +
                              (dir / "render.log").string() + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << "see " << (dir / "render.log");
  std::stringstream dom;
  dom << std::ifstream(dir / "out" / "dom.html").rdbuf();
  const std::string text = dom.str();
  EXPECT_TRUE(Has(text, "<title>Squawk service status</title>"));
  EXPECT_TRUE(Has(text, "<tr data-pool=\"EGLL\">"));
  EXPECT_TRUE(Has(text, "<tr data-callsign=\"BAW1\" hidden=\"\">"));
  // The script ran: nothing matches "zz", which it says.
  EXPECT_TRUE(Has(text, "<p id=\"no-match\">No hold matches.</p>")) << text;
  EXPECT_TRUE(std::filesystem::file_size(dir / "out" / "screenshot.png") > 0);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace squawk_service
