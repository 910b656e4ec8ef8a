#include "plugin/clearance_text.h"

#include <cstdint>

namespace kestrava {
namespace {

// Appends `value` in decimal, with leading zeros up to `width` digits.
void AppendPadded(std::string& out, std::uint16_t value, std::size_t width) {
  const std::string digits = std::to_string(value);
  if (digits.size() < width) out.append(width - digits.size(), '0');
  out += digits;
}

}  // namespace

std::string ComposeClearanceText(const ClearanceFields& fields, const SystemTime& now) {
  std::string text = "CLD ";
  AppendPadded(text, now.wHour, 2);
  AppendPadded(text, now.wMinute, 2);
  text += ' ';
  AppendPadded(text, now.wDay, 2);
  AppendPadded(text, now.wMonth, 2);
  AppendPadded(text, now.wYear, 4);
  text += ' ' + fields.origin + " PDC 000\r\n";
  text += fields.callsign + " CLRD TO " + fields.destination + " OFF " + fields.departure_runway +
          " VIA " + fields.sid + "\r\n";
  text += "SQUAWK " + fields.squawk + " ADT " + fields.estimated_departure_time + '/' +
          fields.actual_departure_time + " NEXT FREQ UNK\r\n";
  text += "ATIS TEST";
  return text;
}

}  // namespace kestrava
