// The standard dialogs the settings dialogs open: the colour dialog, the file-save dialog, and
// the framework's validation message.
//
// Thread: the host's thread. No call throws.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "platform/dialog.h"

namespace kestrava {

// The colour dialog without an owner window, starting from the request's colour (fully open
// when asked). `custom` is the dialog's row of custom colours, kept by the caller between runs.
std::optional<ColorRef> ChooseColourWithDialog(const ColourRequest& request,
                                               std::array<COLORREF, 16>& custom);

// An OK box with the exclamation icon, owned by the thread's active window (the running dialog).
void ShowExclamationBox(const std::string& caption, const std::string& text);

// The explorer-style save dialog, owned by the thread's active window.
std::optional<std::string> ChooseSaveFileWithDialog(const SaveFileRequest& request);

// The dialog's filter list: "Name|pattern|" pairs become "Name\0pattern\0...\0" (an incomplete
// last pair is left out); empty when there is no pair.
std::string SaveFileFilterList(const std::string& filter);

}  // namespace kestrava
