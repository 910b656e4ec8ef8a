// The rules file: candidates in order at every level, reserved codes, and errors by line.
#include "squawk-service/rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "squawk-service/code_ranges.h"

namespace squawk_service {
namespace {

constexpr char kRegional[] = R"(# a regional scheme
hold_minutes = 90
max_codes_per_macid = 20
requests_per_second = 2.5
request_burst = 10
reserved = ["2305", "3770-3777"]
general = ["5001-5077"]

[airports]
EGLL = ["2301-2377", "2401-2477"]
EGKK = ["3001-3077"]

[regions]
E = ["6001-6077"]
EG = ["3701-3777"]

[[pairs]]
from = "EG"
to = "EG"
codes = ["4101-4177"]
)";

std::vector<std::string> Pools(const std::vector<CodeSpan>& spans) {
  std::vector<std::string> pools;
  for (const CodeSpan& span : spans) pools.push_back(span.pool + " " + CodeText(span.first));
  return pools;
}

TEST(SquawkRules, CandidatesArePairAirportPrefixesLongestFirstThenGeneral) {
  const RulesReading reading = ReadRules(kRegional);
  ASSERT_TRUE(reading.rules) << reading.errors.front();
  const Rules& rules = *reading.rules;
  EXPECT_EQ(Pools(rules.Candidates("EGLL", "EGPH")),
            (std::vector<std::string>{"EG>EG 4101", "EGLL 2301", "EGLL 2401", "EG 3701", "E 6001",
                                      "* 5001"}));
  EXPECT_EQ(Pools(rules.Candidates("EGLL", "KJFK")),
            (std::vector<std::string>{"EGLL 2301", "EGLL 2401", "EG 3701", "E 6001", "* 5001"}));
  EXPECT_EQ(Pools(rules.Candidates("EDDF", "")), (std::vector<std::string>{"E 6001", "* 5001"}));
  EXPECT_EQ(Pools(rules.Candidates("KJFK", "EGLL")), (std::vector<std::string>{"* 5001"}));
  EXPECT_EQ(rules.hold_seconds, 90 * 60);
  EXPECT_EQ(rules.max_per_macid, 20);
  EXPECT_EQ(rules.requests_per_second, 2.5);
  EXPECT_EQ(rules.request_burst, 10);
  for (const char* code : {"0000", "0200", "1000", "1200", "2000", "2200", "7000", "7500", "7600",
                           "7700", "2305", "3770", "3777"}) {
    EXPECT_EQ(rules.reserved.count(CodeNumber(code)), 1u) << code;
  }
  EXPECT_EQ(rules.reserved.count(CodeNumber("3767")), 0u);
  EXPECT_NE(rules.version, ReadRules(std::string(kRegional) + "\n# changed\n").rules->version);
}

TEST(SquawkRules, TheOneLineShorthandGivesAirportRangesAndTheGeneralPool) {
  const RulesReading reading = ReadRules("# ranges\negll 2301-2301\n* 4001-4777\n");
  ASSERT_TRUE(reading.rules);
  EXPECT_EQ(Pools(reading.rules->Candidates("EGLL", "")),
            (std::vector<std::string>{"EGLL 2301", "* 4001"}));
  EXPECT_EQ(reading.rules->reserved, DefaultReservedCodes());
  EXPECT_EQ(ReadRules("EGLL 2301\n").errors,
            (std::vector<std::string>{"line 1: expected a range FIRST-LAST"}));
}

TEST(SquawkRules, EveryErrorNamesItsLine) {
  struct Row {
    std::string text;
    std::vector<std::string> errors;
  };
  for (const Row& row : std::vector<Row>{
           {"hold_minutes = 0\nmax_codes_per_macid = 5000\n",
            {"line 1: expected a whole number from 1 to 10080",
             "line 2: expected a whole number from 1 to 4096"}},
           {"[airports]\nEGLL = [\"2301-2381\"]\negll = [\"2301\"]\n",
            {"line 2: expected \"FIRST-LAST\" or \"CODE\" with codes of four octal digits",
             "line 3: \"egll\" is not 2 to 4 upper-case ICAO letters or digits"}},
           {"general = [\"4777-4001\"]\n", {"line 1: the first code is above the last"}},
           {"colour = \"red\"\n", {"line 1: unknown setting \"colour\""}},
           {"[[pairs]]\nfrom = \"EG\"\ncodes = [\"4101-4177\"]\n",
            {"line 1: a pair needs from, to and codes"}},
           {"general = [\"4001-4777\"\n", {}},  // TOML's own message, with its line
       }) {
    const RulesReading reading = ReadRules(row.text);
    EXPECT_FALSE(reading.rules) << row.text;
    if (row.errors.empty()) {
      ASSERT_EQ(reading.errors.size(), 1u);
      EXPECT_EQ(reading.errors[0].rfind("line 1: ", 0), 0u) << reading.errors[0];
    } else {
      EXPECT_EQ(reading.errors, row.errors) << row.text;
    }
  }
}

}  // namespace
}  // namespace squawk_service
