// Modal dialogs built from the module's own dialog templates, in the shape of the Windows controls
// the settings dialogs use.
//
// Three sides meet here:
// - DialogControls: what the dialog's logic does to its controls while the dialog runs (the
//   framework's control calls: check state, window text, drop-down lists, list views, up-down
//   controls, focus, edit selection, styles, repaint, ending the dialog).
// - DialogHandler: what the backend calls on the dialog's logic (initialisation, control
//   notifications, owner drawing). The framework class CDialog (controls/dialog.h) is the one
//   implementation the plug-in uses.
// - DialogUser: what a person does to the open dialog (typing, clicking, ticking, ...), for
//   scripts; the backend turns each action into what the real control would do and send.
//
// Backends: Win32 (real dialogs from the module's resources, driven by window messages) and
// headless (in-memory controls built from the same compiled templates, imitating the Windows
// controls' behaviour: typing filters, sorted lists, the up-down control's buddy, list-view
// check-box notifications). Env::RunModalDialog picks the build's one.
//
// Control ids are the template's. A call naming a control the dialog does not have, or a
// control of another kind, does nothing and returns the kind's empty value (0, -1, "", false).
//
// Thread: the host's thread only, inside Env::RunModalDialog. No call throws.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/drawing.h"

namespace kestrava {

// The standard dialog results.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// Window style bits the dialogs look at (the Windows values).
inline constexpr std::uint32_t kEsUppercase = 0x0008;  // edit: typed letters upper-cased
inline constexpr std::uint32_t kEsNumber = 0x2000;     // edit: only digits can be typed
inline constexpr std::uint32_t kBsMultiline = 0x2000;  // button: caption may have several lines
inline constexpr std::uint32_t kBsLeft = 0x0100;
inline constexpr std::uint32_t kBsRight = 0x0200;
inline constexpr std::uint32_t kBsTop = 0x0400;
inline constexpr std::uint32_t kBsBottom = 0x0800;

// List-view extended styles and item states (the Windows values).
inline constexpr std::uint32_t kLvsExGridLines = 0x0001;
inline constexpr std::uint32_t kLvsExCheckBoxes = 0x0004;
inline constexpr std::uint32_t kLvsExFullRowSelect = 0x0020;
inline constexpr std::uint32_t kLvisFocused = 0x0001;
inline constexpr std::uint32_t kLvisSelected = 0x0002;
inline constexpr std::uint32_t kLvisStateImageMask = 0xF000;  // image 1: unticked, 2: ticked
inline constexpr std::uint32_t kLvisUnchecked = 0x1000;
inline constexpr std::uint32_t kLvisChecked = 0x2000;

// Owner-draw item states (the Windows values).
inline constexpr std::uint32_t kOdsSelected = 0x0001;
inline constexpr std::uint32_t kOdsDisabled = 0x0004;
inline constexpr std::uint32_t kOdsFocus = 0x0010;
inline constexpr std::uint32_t kOdsDefault = 0x0020;

// The module whose dialog templates a dialog is built from; made by ThisModuleResources() in the
// module itself (platform/module_resources.h). Opaque to everything but the backends.
struct ModuleResources {
  const void* handle = nullptr;
};

class DialogControls {
 public:
  virtual ~DialogControls() = default;

  // Ends the modal run with `result` once the current handler returns.
  virtual void EndDialog(int result) = 0;

  // --- Any control ---
  virtual bool HasControl(int id) = 0;
  virtual std::string GetWindowText(int id) = 0;
  // Edits: replaces the text as WM_SETTEXT does: no digits-only check and no length limit, but
  // an upper-case edit still upper-cases it; the edit then reports TextChanged.
  virtual void SetWindowText(int id, const std::string& text) = 0;
  virtual std::uint32_t GetStyle(int id) = 0;
  virtual bool IsEnabled(int id) = 0;
  virtual void SetFocus(int id) = 0;
  virtual int GetFocus() = 0;  // the focused control's id, 0 when none
  // Repaints the control (owner-drawn buttons draw again through the handler).
  virtual void Invalidate(int id) = 0;

  // --- Check boxes (0 unticked, 1 ticked) ---
  virtual int GetCheck(int id) = 0;
  virtual void SetCheck(int id, int state) = 0;

  // --- Edits ---
  // Selects characters [start, end); end -1: to the end of the text.
  virtual void SetSel(int id, int start, int end) = 0;
  // At most `max` characters can be typed (0: the control's own maximum).
  virtual void LimitText(int id, int max) = 0;

  // --- Drop-down lists ---
  // Adds an entry (in sorted order when the list is sorted) and returns its index.
  virtual int AddString(int id, const std::string& text) = 0;
  virtual void ResetContent(int id) = 0;
  virtual int GetCount(int id) = 0;
  virtual int GetCurSel(int id) = 0;  // -1: none
  virtual void SetCurSel(int id, int index) = 0;
  virtual std::string GetLBText(int id, int index) = 0;

  // --- List views (report view) ---
  virtual void SetExtendedStyle(int id, std::uint32_t styles) = 0;
  virtual int InsertColumn(int id, int column, const std::string& heading, int width) = 0;
  // Inserts a row whose first column is `text` and returns its index (-1 on failure). With
  // check boxes the row starts unticked; Windows sends item-changed notifications on the way.
  virtual int InsertItem(int id, int row, const std::string& text) = 0;
  virtual void SetItemText(int id, int row, int column, const std::string& text) = 0;
  virtual std::string GetItemText(int id, int row, int column) = 0;
  virtual int GetItemCount(int id) = 0;
  virtual void DeleteItem(int id, int row) = 0;
  virtual void DeleteAllItems(int id) = 0;
  virtual bool GetCheckState(int id, int row) = 0;
  virtual void SetCheckState(int id, int row, bool ticked) = 0;
  // The first selected row after `after` (-1: from the start); -1 when none.
  virtual int GetNextSelected(int id, int after) = 0;
  virtual void SetItemSelected(int id, int row, bool selected) = 0;

  // --- Up-down controls (their buddy edit shows the position) ---
  virtual void SetRange(int id, int low, int high) = 0;
  virtual int GetPos(int id) = 0;
  virtual void SetPos(int id, int position) = 0;
};

// What happened to a control, as the dialog's logic hears it.
enum class ControlEvent {
  Clicked,           // a button (OK 1 and Cancel 2 included; Enter and the close box too)
  SelectionChanged,  // a drop-down list's selection, by the user
  TextChanged,       // an edit's text, by typing or pasting
  ItemChanged,       // a list-view row's state (selection, check box); see old/new state
  DoubleClicked,     // a list-view row (row -1: empty space)
};

struct ControlNotice {
  int id = 0;
  ControlEvent event = ControlEvent::Clicked;
  int row = -1;                 // list views
  std::uint32_t old_state = 0;  // list views: kLvis* bits before and after
  std::uint32_t new_state = 0;
};

// A list-view row's state says it is ticked.
constexpr bool IsTicked(std::uint32_t row_state) {
  return (row_state & kLvisStateImageMask) == kLvisChecked;
}

// The notice reports a list-view row ticked or unticked (not only selected or focused).
constexpr bool IsTickChange(const ControlNotice& notice) {
  return notice.event == ControlEvent::ItemChanged &&
         ((notice.old_state ^ notice.new_state) & kLvisStateImageMask) != 0;
}

// One owner-drawn control to draw, on the backend's drawing service (Env::DrawingService).
struct DrawItemInfo {
  int id = 0;
  DeviceContext dc = nullptr;
  Rect rect;                // the control's client area in device pixels
  std::uint32_t state = 0;  // kOds* bits
};

class DialogHandler {
 public:
  virtual ~DialogHandler() = default;
  // The controls exist; returns true to give the focus to the first control in tab order.
  virtual bool OnInitDialog(DialogControls& controls) = 0;
  virtual void OnNotice(DialogControls& controls, const ControlNotice& notice) = 0;
  virtual void OnDrawItem(DialogControls& controls, const DrawItemInfo& item) = 0;
  // The colour an owner-drawn swatch shows, for scripts' state reports; nothing when `id` is
  // not a colour swatch.
  virtual std::optional<ColorRef> SwatchColour(int id) const = 0;
};

// One control as a person sees it, for scripts' reports. Only the fields of its kind are set.
struct ControlState {
  enum class Kind { CheckBox, Edit, DropDown, ListView, ColourButton, UpDown };
  struct Row {
    std::vector<std::string> texts;  // one per column
    bool checked = false;
    bool selected = false;
  };
  int id = 0;
  Kind kind = Kind::Edit;
  bool checked = false;            // CheckBox
  std::string text;                // Edit
  std::vector<std::string> items;  // DropDown
  int selected = -1;               // DropDown
  std::vector<Row> rows;           // ListView
  ColorRef colour = 0;             // ColourButton
  int position = 0;                // UpDown
};

// A person at the open dialog. Each action does what the real control does for it and sends
// the notifications it would send, then returns once the dialog's logic has handled them (a
// click may have opened a colour or file dialog and closed it again meanwhile). Actions on a
// closed dialog, or naming a control it lacks, do nothing and return false.
class DialogUser {
 public:
  virtual ~DialogUser() = default;
  virtual std::string Caption() = 0;
  virtual bool IsOpen() = 0;
  // Focuses the edit, selects its whole text and types `text` character by character (the
  // edit's upper-casing, digits-only and length limit apply).
  virtual bool Type(int id, const std::string& text) = 0;
  // Types into whichever control has the focus (Enter in an edit: the default button).
  virtual bool Keys(const std::string& text) = 0;
  // Replaces the edit's whole text as a paste does: the upper-casing and the length limit apply,
  // the digits-only check does not.
  virtual bool Paste(int id, const std::string& text) = 0;
  virtual bool Check(int id, bool ticked) = 0;
  // Selects drop-down entry `index` (-1: none) as the user would, with its notification.
  virtual bool Select(int id, int index) = 0;
  // `delta` presses of the up (positive) or down (negative) arrow.
  virtual bool Spin(int id, int delta) = 0;
  virtual bool SelectRow(int id, int row) = 0;  // row -1: none
  virtual bool Tick(int id, int row, bool ticked) = 0;
  virtual bool DoubleClick(int id, int row) = 0;
  virtual bool Click(int id) = 0;
  virtual bool PressEnter() = 0;  // the default button
  virtual bool Close() = 0;       // the title bar's close box
  // Every control with an id, in template order (push buttons and labels left out).
  virtual std::vector<ControlState> State() = 0;
  // A PNG picture of the dialog as it looks now.
  virtual bool Snapshot(const std::string& png_path) = 0;
};

// A person's actions on one dialog, run inside the modal loop once the dialog is initialised.
// When it returns with the dialog still open, the dialog is closed as by the close box.
using DialogScript = std::function<void(DialogUser& user)>;

// A modal dialog to run.
struct DialogRequest {
  ModuleResources module;  // whose template
  int template_id = 0;
  DialogHandler* handler = nullptr;
  // The person at the dialog: null runs it for a real person (the headless backend, having
  // none, closes it at once as by the close box).
  const DialogScript* script = nullptr;
  // Told, inside the modal loop, that the dialog is open (before the script) and about to close
  // (after EndDialog, controls still readable): for scripts' reports. May be empty.
  std::function<void(DialogUser& user)> on_open;
  std::function<void(DialogUser& user, int result)> on_close;
};

// The standard colour dialog.
struct ColourRequest {
  ColorRef initial = 0;
  bool full_open = false;
};

// The standard file-save dialog ("modern style").
struct SaveFileRequest {
  std::string initial;            // the file name shown at first
  std::string default_extension;  // without the dot, e.g. "csv"
  std::string filter;             // "Name|*.ext|" pairs, e.g. "CSV File (*.csv)|*.csv"
  std::uint32_t flags = 0;        // the dialog's option flags
};

}  // namespace kestrava
