#include "altitudes/altitude_row.h"

#include "plugin/text_rules.h"

namespace kestrava {

std::optional<CAltEntry> ParseAltitudeRow(std::string_view stored) {
  const std::vector<std::string_view> fields = SplitFields(stored.substr(0, kAltitudeRowReadLimit));
  if (fields.size() < 4) return std::nullopt;  // the tokenizer never yields an empty field
  const std::int32_t altitude = LeadingIntegerAfterBlanks(fields[2]);
  if (altitude == 0) return std::nullopt;
  CAltEntry row;
  row.m_Icao = std::string(fields[0]);
  row.m_Sid = std::string(fields[1]);
  row.m_Altitude = altitude;
  row.m_Enabled = LeadingIntegerAfterBlanks(fields[3]) == 1;
  return row;
}

std::string AltitudeRowText(const CAltEntry& row) {
  const auto text = [&](const std::string& altitude) {
    return row.m_Icao + ':' + row.m_Sid + ':' + altitude + ':' + (row.m_Enabled ? '1' : '0');
  };
  std::string unsigned_form = text(UnsignedText(static_cast<std::uint32_t>(row.m_Altitude)));
  if (unsigned_form.size() <= kAltitudeRowReadLimit) return unsigned_form;
  // The signed form is never longer than the stored text the row was read from (which fitted in
  // the limit) and reads back as the same value.
  return text(std::to_string(row.m_Altitude));
}

std::string AltitudeRowKey(int n) { return "ALT" + std::to_string(n); }

}  // namespace kestrava
