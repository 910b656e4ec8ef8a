// The tag items the plug-in answers: 85 the intention code, 86 the estimated departure time,
// 87 to 89 the recorded off-block, take-off and landing times.
//
// Every request reads the flight plan, the aircraft record, the settings and the clock afresh;
// nothing is kept between requests. Texts are cut to the host's buffer (15 characters and the
// terminating zero). The colour code and RGB are written only when an item takes a colour of
// its own. Items 86 to 89 allocate nothing on the heap.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "plugin/QEXPlugin.h"
#include "plugin/callback_guard.h"
#include "tags/intention_code.h"
#include "tags/time_format.h"

namespace kestrava {
namespace {

// Copies `text` into the host's item buffer, cut to what the buffer holds.
void WriteItemText(char* item_text, std::string_view text) {
  const std::size_t length =
      std::min(text.size(), static_cast<std::size_t>(EuroScopePlugIn::TAG_ITEM_TEXT_SIZE - 1));
  std::memcpy(item_text, text.data(), length);
  item_text[length] = '\0';
}

void SetColour(int* colour_code, EuroScopePlugIn::ColorRef* rgb, EuroScopePlugIn::ColorRef colour) {
  if (colour_code == nullptr || rgb == nullptr) return;
  *colour_code = EuroScopePlugIn::TAG_COLOR_RGB_DEFINED;
  *rgb = colour;
}

std::string_view HostText(const char* text) {
  return text == nullptr ? std::string_view() : std::string_view(text);
}

}  // namespace

void QEXPlugin::OnGetTagItem(EuroScopePlugIn::CAircraft aircraft, int itemCode, int /*tagData*/,
                             char itemString[EuroScopePlugIn::TAG_ITEM_TEXT_SIZE], int* colorCode,
                             EuroScopePlugIn::ColorRef* rgb, double* /*fontSize*/) {
  if (itemString == nullptr || !aircraft.IsValid()) return;
  NoThrow([&] {
    if (itemCode == kItemIntentionCode) {
      const EuroScopePlugIn::CAircraftFlightPlan flight_plan = aircraft.GetFlightPlan();
      WriteItemText(itemString, IntentionCode(HostText(flight_plan.GetDestination()),
                                              aircraft.GetExtractedRoute()));
      return;
    }
    if (itemCode < kItemEstimatedDepTime || itemCode > kItemLandingTime) return;

    const int index = registry().FindAircraft(HostText(aircraft.GetCallsign()));
    const CAircraftData* record = index < 0 ? nullptr : &registry().GetAircraft(index);

    if (itemCode == kItemEstimatedDepTime) {
      if (record != nullptr && !record->m_EditedDepTime.empty()) {
        SetColour(colorCode, rgb, m_ModifiedColour);
        WriteItemText(itemString, record->m_EditedDepTime);
        return;
      }
      const auto departure = ReadFlightPlanDepartureTime(
          HostText(aircraft.GetFlightPlan().GetEstimatedDepartureTime()));
      if (!departure) return;
      SetColour(colorCode, rgb,
                EstimatedDepartureColour(*departure, env().NowUtc(), m_EarlyColour, m_LateColour));
      WriteItemText(itemString, FormatEstimatedDepartureTime(departure->hours, departure->minutes,
                                                             m_TimeSeparator));
      return;
    }

    if (record == nullptr) return;
    const auto show_recorded = [&](bool recorded, const SystemTime& time,
                                   EuroScopePlugIn::ColorRef colour) {
      if (!recorded) return;
      SetColour(colorCode, rgb, colour);
      WriteItemText(itemString, FormatActualTime(time, m_AdtType));
    };
    switch (itemCode) {
      case kItemOffBlockTime:
        show_recorded(record->m_OffBlock, record->m_OffBlockTime, m_PushColour);
        break;
      case kItemTakeOffTime:
        show_recorded(record->m_TakenOff, record->m_TakeOffTime, m_TakeoffColour);
        break;
      case kItemLandingTime:
        show_recorded(record->m_Landed, record->m_LandingTime, m_LandingColour);
        break;
      default: break;
    }
  });
}

}  // namespace kestrava
