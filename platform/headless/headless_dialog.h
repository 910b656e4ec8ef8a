// The headless dialog backend: runs a modal dialog from the module's compiled template with
// in-memory controls, for builds and tests without windows (the POSIX Env, the tests' Env on any
// build). Each control behaves as its Windows counterpart does for what the settings dialogs use,
// and sends the handler the notifications Windows would send, synchronously, from inside the call
// that causes them (as Windows sends WM_COMMAND and WM_NOTIFY):
//
// - Edits: typing replaces the selection; ES_NUMBER refuses non-digits (no change, no notice);
//   the length limit (LimitText; 32,767 characters until set) refuses a character that does not
//   fit; ES_UPPERCASE upper-cases ASCII letters of every text the edit takes (typing, pasting and
//   SetWindowText alike, as the Windows edit does). TextChanged after each change, and after every
//   SetWindowText even when the text stays the same (EN_CHANGE). SetWindowText leaves the caret
//   at the start; Paste selects all and pastes: upper-casing and the length limit apply, the
//   digits-only rule does not. Typing Backspace deletes the selection or the character before
//   the caret; Enter is the dialog's Enter key; Tab moves the focus to the next tab stop.
// - Enter (IsDialogMessage): a focused default push button is clicked; otherwise the dialog's
//   default button (the template's first BS_DEFPUSHBUTTON) when enabled; without one, IDOK.
//   Clicking or focusing another push button does not make it the default.
// - Buttons: Click focuses the button and sends Clicked (BN_CLICKED); automatic check boxes
//   toggle first. SetCheck sends nothing.
// - Drop-down lists: CBS_SORT inserts by case-insensitive order, before equal entries; an
//   insertion at or before the selection moves the selection with its entry. SetCurSel sends
//   nothing (an index out of range clears the selection); the user's Select always sends
//   SelectionChanged (CBN_SELCHANGE).
// - List views (LVN_ITEMCHANGED as ItemChanged, old and new being the row's whole state):
//   * InsertItem with LVS_EX_CHECKBOXES: the row gets state image 1 (unticked): old 0, new
//     0x1000. Without check boxes: no notice.
//   * A state change (SetCheckState, SetItemSelected, the user's Tick) sends one notice when the
//     state changes, none otherwise. The row takes its new state first; selecting a row of a
//     LVS_SINGLESEL list view first deselects the others (one notice each), then the notice of
//     the row itself.
//   * The user's SelectRow(n) (a click): every other selected row is deselected (one notice
//     each), then row n is selected and focused; moving the focus from another row sends that
//     row's notice (focus bit cleared) before row n's. SelectRow(-1) (a click on empty space)
//     deselects all. DoubleClick selects as a click does, then sends DoubleClicked (NM_DBLCLK).
//   * DeleteItem of a selected or focused row first clears those bits (a notice); DeleteAllItems
//     sends nothing. Turning check boxes on gives every row state image 1, with notices.
// - Up-down (UDS_AUTOBUDDY: the buddy is the preceding control): the default range is 100 to 0
//   (the up arrow counts down) until SetRange. An arrow press focuses the buddy (its selection
//   left as it was), reads the buddy's number (empty text reads 0; text that is not a number or
//   lies outside the range leaves the position), steps by one towards the pressed arrow, clamps
//   to the range and, when the position changed, writes it to the buddy (UDS_SETBUDDYINT, with
//   thousands separators unless UDS_NOTHOUSANDS), only if the text differs; the edit then sends
//   TextChanged. SetPos clamps and writes the buddy the same way; GetPos reads the buddy first.
// - Owner-drawn buttons draw through DialogHandler::OnDrawItem on the dialog's surface, with the
//   build's drawing service: each once when the dialog opens, then, after the handler or the
//   person's action that asked for it returns, when invalidated or when their focus changed
//   (kOdsFocus when focused, kOdsDisabled when disabled; Windows never marks an owner-drawn
//   button default). Snapshot draws them all again.
// - Focus: OnInitDialog returning true focuses the first enabled WS_TABSTOP control (an edit
//   focused so gets its whole text selected).
// - Close (WM_CLOSE) sends Clicked for IDCANCEL unless the Cancel button is disabled.
// - EndDialog ends the run once the handler's call (or the person's action) returns; the request's
//   on_close then sees the controls. A script returning with the dialog open, or no script, closes
//   it as by the close box; should the handler keep it open even then, the run ends with
//   kIdCancel (nobody is left to close it).
//
// Characters are bytes (the dialogs' texts are ASCII). Thread: the caller's, which must be the
// only one touching the handler. No call throws.
#pragma once

#include "platform/dialog.h"

namespace kestrava {

// Runs `request` modally and returns its result: what EndDialog was given, or -1 when the
// template cannot be found or read or the request has no handler. Owner-drawn controls are
// handed device contexts of the build's drawing service (cairo_t* on POSIX, HDC on Windows).
int RunHeadlessDialog(const DialogRequest& request);

}  // namespace kestrava
