// A stored initial-altitude row from any bytes: a row that loads is saved in a form that loads
// as the same row.
#include "altitudes/altitude_row.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrava;
  const std::string_view stored = fuzz::AsText(data, size);
  // A stored value is a C string.
  const std::optional<CAltEntry> row = ParseAltitudeRow(stored.substr(0, stored.find('\0')));
  if (!row) return 0;
  FUZZ_CHECK(!row->m_Icao.empty() && !row->m_Sid.empty() && row->m_Altitude != 0);
  const std::optional<CAltEntry> again = ParseAltitudeRow(AltitudeRowText(*row));
  FUZZ_CHECK(again.has_value());
  FUZZ_CHECK(*again == *row);
  return 0;
}
