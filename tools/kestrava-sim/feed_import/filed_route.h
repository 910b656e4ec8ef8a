// The route of a filed flight plan, as free text, read into what a scenario's flight plan holds:
// the SID, the route points and the STAR.
//
// Tokens are separated by blanks. Left out: "DCT", speed and level groups ("N0450F350",
// "M082F370", "K0830S1010", also after a point: "LAM/N0450F350" keeps LAM), airways (letters
// then digits only: "UL9", "L620", "Q41"), the departure and arrival airports themselves, and
// tokens of other characters than letters and digits. A first token that looks like a SID
// (letters, a digit, a letter: "CPT3G", "MAXIT1G") is the SID; a last such token, when another
// token comes before it, the STAR. Every other token is a point ("CPT", "5020N00130W").
//
// Thread: any; no state.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrava::sim {

struct FiledRoute {
  std::string sid;
  std::vector<std::string> points;
  std::string star;
};

FiledRoute ReadFiledRoute(std::string_view route, std::string_view departure,
                          std::string_view arrival);

}  // namespace kestrava::sim
