#include "tools/kestrava-sim/airports.h"

namespace kestrava::sim {

const std::vector<Airport>& KnownAirports() {
  static const std::vector<Airport> airports = {
      {"EGLL",
       51.4775,
       -0.4614,
       "27R",
       "27L",
       {{"CPT3F", "CPT"},
        {"DET2F", "DET"},
        {"BPK7F", "BPK"},
        {"MAXIT1F", "MAXIT"},
        {"MODMI1J", "MODMI"},
        {"GOGSI2F", "GOGSI"}},
       {"OCK", "BIG"}},
      {"EGKK",
       51.1481,
       -0.1903,
       "26L",
       "26L",
       {{"LAM6M", "LAM"}, {"SAM3M", "SAM"}, {"KENET3M", "KENET"}, {"DVR1X", "DVR"}},
       {"TIMBA", "WILLO"}},
      {"EGSS",
       51.8850,
       0.2350,
       "22",
       "22",
       {{"CLN1E", "CLN"}, {"DET1D", "DET"}, {"BPK1E", "BPK"}, {"UTAVA1R", "UTAVA"}},
       {"ABBOT", "LOREL"}},
      {"EHAM",
       52.3086,
       4.7639,
       "24",
       "18R",
       {{"ANDIK1S", "ANDIK"}, {"LOPIK1S", "LOPIK"}, {"ARNEM1S", "ARNEM"}, {"BERGI1S", "BERGI"}},
       {"CLN", "REDFA", "ARTIP"}},
      {"LFPG",
       49.0097,
       2.5479,
       "27L",
       "27R",
       {{"OPALE5A", "OPALE"}, {"ATREX5A", "ATREX"}, {"RANUX5A", "RANUX"}, {"BUBLI5A", "BUBLI"}},
       {"DVR", "SITET", "LORNI"}},
      {"EDDF",
       50.0333,
       8.5706,
       "18",
       "25L",
       {{"MARUN7S", "MARUN"}, {"OBOKA1G", "OBOKA"}, {"TOBAK7S", "TOBAK"}, {"ANEKI1L", "ANEKI"}},
       {"KONAN", "NUVIL", "RAMOB"}},
      {"EIDW",
       53.4213,
       -6.2701,
       "28L",
       "28R",
       {{"LIPGO1A", "LIPGO"}, {"NIMAT1A", "NIMAT"}, {"BAGSO2A", "BAGSO"}, {"SUROX1A", "SUROX"}},
       {"LIFFY", "BAGSO", "BOYNE"}},
      {"EBBR",
       50.9014,
       4.4844,
       "25R",
       "25L",
       {{"CIV2C", "CIV"}, {"HELEN2C", "HELEN"}, {"SOPOK2C", "SOPOK"}, {"DENUT2C", "DENUT"}},
       {"KOK", "FERDI"}},
  };
  return airports;
}

const std::vector<const Airport*>& DefaultAirports() {
  static const std::vector<const Airport*> airports = [] {
    std::vector<const Airport*> cluster;
    for (const char* icao : {"EGLL", "EGKK", "EGSS", "EHAM", "LFPG", "EBBR"}) {
      cluster.push_back(FindAirport(icao));
    }
    return cluster;
  }();
  return airports;
}

const Airport* FindAirport(const std::string& icao) {
  for (const Airport& airport : KnownAirports()) {
    if (icao == airport.icao) return &airport;
  }
  return nullptr;
}

double RunwayHeading(const std::string& runway) {
  int number = 0;
  for (const char c : runway) {
    if (c < '0' || c > '9') break;
    number = number * 10 + (c - '0');
  }
  return number * 10.0;
}

}  // namespace kestrava::sim
