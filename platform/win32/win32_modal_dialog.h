// Modal dialogs of the Windows backend: the dialog template from the requesting module's
// resources, run by the dialog manager, with a dialog procedure that hands initialisation,
// control notifications and owner drawing to the request's handler (platform/dialog.h).
//
// Thread: the host's thread (the dialog belongs to the calling thread). No call throws.
#pragma once

// windows.h before the dialog interface in every file of the backend: its GetWindowText and
// SetWindowText macros rename the interface's methods, which must happen alike wherever the
// interface and its Windows implementation meet.
#include <windows.h>

#include "platform/dialog.h"

namespace kestrava {

// Runs the dialog and returns what EndDialog was given; -1 when the template is missing, there
// is no handler, or the dialog could not be made. The dialog is owned by the thread's active
// window, if any. With a script, the dialog is closed as by its close box once the script has
// returned, and ended with kIdCancel if it still stays open (nobody else could close it).
int RunWin32ModalDialog(const DialogRequest& request);

}  // namespace kestrava
