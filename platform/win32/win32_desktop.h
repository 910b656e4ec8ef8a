// Desktop services of the Windows backend: the notice box and the clipboard.
#pragma once

#include <stop_token>
#include <string>

namespace kestrava {

// A system-modal information box with an OK button and no owner window. Returns when the user
// closes it, or closes it when `stop` is requested.
void ShowSystemModalNotice(const std::string& caption, const std::string& text,
                           std::stop_token stop);

// Places `text` whole on the clipboard in the text format, in memory sized to it. Returns false
// when the clipboard cannot be opened or the memory not had.
bool PutTextOnClipboard(const std::string& text);

}  // namespace kestrava
