// Telling the controller something in the host's message area.
//
// Every message goes under the plug-in's own handler (its tab), which is shown and marked
// unread; the host neither flashes nor asks for a confirmation. Host's thread only: a worker hands
// what it has to say over to the host's thread first.
#pragma once

#include <string>

#include "plugin/EuroScopePlugIn.h"

namespace kestrava {

inline constexpr char kMessageHandler[] = "Kestrava";

inline void ShowUserMessage(EuroScopePlugIn::CPlugIn& host, const char* sender,
                            const std::string& text) {
  host.DisplayUserMessage(kMessageHandler, sender, text.c_str(), /*showHandler=*/true,
                          /*showUnread=*/true, /*showUnreadEvenIfBusy=*/false,
                          /*startFlashing=*/false, /*needConfirmation=*/false);
}

}  // namespace kestrava
