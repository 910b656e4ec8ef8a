// Times from any bytes: a departure time the controller typed, the flight plan's departure time
// as the tag item reads it, and recorded times in every format.
#include <algorithm>
#include <cstring>

#include "fuzz/fuzz_input.h"
#include "tags/time_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrava;
  const std::string_view text = fuzz::AsText(data, size);

  for (const bool separator : {true, false}) {
    const std::string stored = ReformatTypedTime(text, separator);
    FUZZ_CHECK(stored == text ||
               (separator && text.size() == 4 && stored.size() == 5 && stored[2] == ':' &&
                stored.substr(0, 2) == text.substr(0, 2) && stored.substr(3) == text.substr(2)));
  }

  if (const std::optional<DepartureTime> departure = ReadFlightPlanDepartureTime(text)) {
    FUZZ_CHECK(departure->hours >= 0 && departure->hours <= 99);
    FUZZ_CHECK(departure->minutes >= 0 && departure->minutes <= 99);
    FUZZ_CHECK(FormatEstimatedDepartureTime(departure->hours, departure->minutes, true).size() ==
               5);
    FUZZ_CHECK(FormatEstimatedDepartureTime(departure->hours, departure->minutes, false).size() ==
               4);
  }

  // A clock's time stamp: every format fits the host's item text.
  SystemTime time{};
  std::memcpy(&time, text.data(), std::min(text.size(), sizeof time));
  time.wHour = static_cast<std::uint16_t>(time.wHour % 24);
  time.wMinute = static_cast<std::uint16_t>(time.wMinute % 60);
  time.wSecond = static_cast<std::uint16_t>(time.wSecond % 61);
  for (std::int32_t format = -1; format <= 9; ++format) {
    const std::string shown = FormatActualTime(time, format);
    FUZZ_CHECK(shown.size() < static_cast<std::size_t>(EuroScopePlugIn::TAG_ITEM_TEXT_SIZE));
  }
  return 0;
}
