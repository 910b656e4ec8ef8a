#include "platform/win32/win32_dialog_user.h"

#include <commctrl.h>

#include <cstdlib>

#include "platform/win32/window_snapshot.h"

namespace kestrava {
namespace {

LRESULT Send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  return SendMessageA(window, message, wparam, lparam);
}

LPARAM Pointer(const void* data) { return reinterpret_cast<LPARAM>(data); }

void SetListState(HWND list, int row, UINT mask, UINT state) {
  LVITEMA item = {};
  item.stateMask = mask;
  item.state = state;
  Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), Pointer(&item));
}

// One press of an up-down control's arrow with the mouse: the up (or right) arrow when `up`.
void PressArrow(HWND spin, bool up) {
  RECT area = {};
  GetClientRect(spin, &area);
  const bool horizontal = (GetWindowLongA(spin, GWL_STYLE) & UDS_HORZ) != 0;
  const int x = horizontal ? (up ? area.right * 3 / 4 : area.right / 4) : area.right / 2;
  const int y = horizontal ? area.bottom / 2 : (up ? area.bottom / 4 : area.bottom * 3 / 4);
  Send(spin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  Send(spin, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

int ListColumns(HWND list) {
  HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER));
  const int columns = header != nullptr ? static_cast<int>(Send(header, HDM_GETITEMCOUNT)) : 0;
  return columns > 0 ? columns : 1;
}

}  // namespace

void HandlePendingMessages(HWND dialog) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {  // for the loop that owns it
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (dialog != nullptr && IsWindow(dialog) && IsDialogMessageA(dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void Win32DialogUser::Finish() {
  HandlePendingMessages(controls_.dialog());
  if (controls_.ended() && on_ended_) {
    const std::function<void()> told = std::move(on_ended_);
    on_ended_ = nullptr;
    told();
  }
}

bool Win32DialogUser::Exists() const {
  return controls_.dialog() != nullptr && IsWindow(controls_.dialog());
}

bool Win32DialogUser::IsOpen() { return Exists() && !controls_.ended(); }

HWND Win32DialogUser::OpenControl(int id, Win32ControlKind kind) {
  HWND control = IsOpen() ? controls_.Control(id, kind) : nullptr;
  return control != nullptr && IsWindowEnabled(control) ? control : nullptr;
}

HWND Win32DialogUser::OpenListRow(int id, int row) {
  HWND list = OpenControl(id, Win32ControlKind::ListView);
  if (list == nullptr || row < -1 || row >= static_cast<int>(Send(list, LVM_GETITEMCOUNT))) {
    return nullptr;
  }
  return list;
}

std::string Win32DialogUser::Caption() {
  return Exists() ? WindowTextOf(controls_.dialog()) : std::string();
}

bool Win32DialogUser::Type(int id, const std::string& text) {
  HWND edit = OpenControl(id, Win32ControlKind::Edit);
  if (edit == nullptr) return false;
  SetFocus(edit);
  Send(edit, EM_SETSEL, 0, -1);
  for (const char c : text) {
    if (!IsOpen()) break;  // Enter may have closed it
    PressCharacter(c);
    HandlePendingMessages(controls_.dialog());
  }
  Finish();
  return true;
}

void Win32DialogUser::PressDialogKey(WPARAM key_code) {
  // The key as the modal loop would see it, handed to the dialog manager: the focused control
  // keeps it when it wants it; otherwise Enter presses the default button (or the focused push
  // button) and Tab moves the focus on.
  HWND dialog = controls_.dialog();
  HWND focus = FocusedControl(dialog);
  MSG key = {};
  key.hwnd = focus != nullptr ? focus : dialog;
  key.message = WM_KEYDOWN;
  key.wParam = key_code;
  key.lParam = 1;  // one press
  key.time = static_cast<DWORD>(GetMessageTime());
  if (!IsDialogMessageA(dialog, &key)) DispatchMessageA(&key);
}

void Win32DialogUser::PressCharacter(char c) {
  if (c == '\r' || c == '\n') return PressDialogKey(VK_RETURN);
  if (c == '\t') return PressDialogKey(VK_TAB);
  HWND focus = FocusedControl(controls_.dialog());
  if (focus == nullptr) return;
  const Win32ControlKind kind = KindOfControl(focus);
  if (c == ' ' && (kind == Win32ControlKind::PushButton || kind == Win32ControlKind::CheckBox ||
                   kind == Win32ControlKind::OwnerDrawn)) {
    // Buttons answer the space bar's key going down and up, not the character.
    Send(focus, WM_KEYDOWN, VK_SPACE, 1);
    Send(focus, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0000001));
    return;
  }
  Send(focus, WM_CHAR, static_cast<unsigned char>(c), 1);
}

bool Win32DialogUser::Keys(const std::string& text) {
  if (!IsOpen()) return false;
  for (const char c : text) {
    if (!IsOpen()) break;  // Enter may have closed it
    PressCharacter(c);
    HandlePendingMessages(controls_.dialog());
  }
  Finish();
  return true;
}

bool Win32DialogUser::Paste(int id, const std::string& text) {
  HWND edit = OpenControl(id, Win32ControlKind::Edit);
  if (edit == nullptr) return false;
  // What pasting over the whole text does, without the clipboard: the edit's upper-casing and
  // length limit apply, its digits-only rule does not.
  SetFocus(edit);
  Send(edit, EM_SETSEL, 0, -1);
  const int changes = text_changes_;
  Send(edit, EM_REPLACESEL, TRUE, Pointer(text.c_str()));
  // A paste is a change the edit reports; make sure the dialog hears it once.
  if (text_changes_ == changes && IsOpen()) {
    Send(controls_.dialog(), WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), Pointer(edit));
  }
  Finish();
  return true;
}

bool Win32DialogUser::Check(int id, bool ticked) {
  HWND box = OpenControl(id, Win32ControlKind::CheckBox);
  if (box == nullptr) return false;
  if ((Send(box, BM_GETCHECK) == BST_CHECKED) != ticked) Send(box, BM_CLICK);
  Finish();
  return true;
}

bool Win32DialogUser::Select(int id, int index) {
  HWND list = OpenControl(id, Win32ControlKind::DropDown);
  if (list == nullptr || index < -1 || index >= static_cast<int>(Send(list, CB_GETCOUNT))) {
    return false;
  }
  SetFocus(list);
  Send(list, CB_SETCURSEL, static_cast<WPARAM>(index));
  Send(controls_.dialog(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), Pointer(list));
  Finish();
  return true;
}

bool Win32DialogUser::Spin(int id, int delta) {
  HWND spin = OpenControl(id, Win32ControlKind::UpDown);
  if (spin == nullptr) return false;
  // The arrows hand the focus to the buddy (Wine's up-down does so itself on a click).
  if (HWND buddy = reinterpret_cast<HWND>(Send(spin, UDM_GETBUDDY))) SetFocus(buddy);
  for (int press = 0; press < std::abs(delta) && IsOpen(); ++press) {
    PressArrow(spin, delta > 0);
    HandlePendingMessages(controls_.dialog());
  }
  Finish();
  return true;
}

void Win32DialogUser::SelectOnly(HWND list, int row) {
  SetFocus(list);
  SetListState(list, -1, LVIS_SELECTED, 0);
  if (row >= 0) {
    SetListState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
}

bool Win32DialogUser::SelectRow(int id, int row) {
  HWND list = OpenListRow(id, row);
  if (list == nullptr) return false;
  SelectOnly(list, row);
  Finish();
  return true;
}

bool Win32DialogUser::Tick(int id, int row, bool ticked) {
  HWND list = row >= 0 ? OpenListRow(id, row) : nullptr;
  if (list == nullptr ||
      (Send(list, LVM_GETEXTENDEDLISTVIEWSTYLE) & static_cast<LRESULT>(kLvsExCheckBoxes)) == 0) {
    return false;
  }
  SetFocus(list);
  SetListState(list, row, LVIS_STATEIMAGEMASK, ticked ? kLvisChecked : kLvisUnchecked);
  Finish();
  return true;
}

bool Win32DialogUser::DoubleClick(int id, int row) {
  HWND list = OpenListRow(id, row);
  if (list == nullptr) return false;
  SelectOnly(list, row);
  NMITEMACTIVATE activate = {};
  activate.hdr.hwndFrom = list;
  activate.hdr.idFrom = static_cast<UINT_PTR>(id);
  activate.hdr.code = NM_DBLCLK;
  activate.iItem = row;
  Send(controls_.dialog(), WM_NOTIFY, static_cast<WPARAM>(id), Pointer(&activate));
  Finish();
  return true;
}

bool Win32DialogUser::Click(int id) {
  HWND button = OpenControl(id, Win32ControlKind::PushButton);
  if (button == nullptr) button = OpenControl(id, Win32ControlKind::OwnerDrawn);
  if (button == nullptr) button = OpenControl(id, Win32ControlKind::CheckBox);
  if (button == nullptr) return false;
  Send(button, BM_CLICK);
  Finish();
  return true;
}

bool Win32DialogUser::PressEnter() {
  if (!IsOpen()) return false;
  PressDialogKey(VK_RETURN);
  Finish();
  return true;
}

bool Win32DialogUser::Close() {
  if (!IsOpen()) return false;
  // The dialog manager answers a close request with the Cancel command.
  Send(controls_.dialog(), WM_CLOSE);
  Finish();
  return true;
}

ControlState::Row Win32DialogUser::ReadRow(HWND list, int row, int columns) const {
  ControlState::Row read;
  for (int column = 0; column < columns; ++column) {
    read.texts.push_back(ListItemText(list, row, column));
  }
  read.checked = ListRowChecked(list, row);
  read.selected =
      Send(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) == LVIS_SELECTED;
  return read;
}

std::vector<ControlState> Win32DialogUser::State() {
  std::vector<ControlState> states;
  if (!Exists()) return states;
  // Child windows come in creation order, which is the template's.
  for (HWND child = GetWindow(controls_.dialog(), GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(child);
    if (id == 0 || id == -1 || id == 0xFFFF) continue;  // labels without an id
    ControlState state;
    state.id = id;
    switch (KindOfControl(child)) {
      case Win32ControlKind::CheckBox:
        state.kind = ControlState::Kind::CheckBox;
        state.checked = Send(child, BM_GETCHECK) == BST_CHECKED;
        break;
      case Win32ControlKind::Edit:
        state.kind = ControlState::Kind::Edit;
        state.text = WindowTextOf(child);
        break;
      case Win32ControlKind::DropDown: {
        state.kind = ControlState::Kind::DropDown;
        const int count = controls_.GetCount(id);
        for (int index = 0; index < count; ++index) {
          state.items.push_back(controls_.GetLBText(id, index));
        }
        state.selected = controls_.GetCurSel(id);
        break;
      }
      case Win32ControlKind::ListView: {
        state.kind = ControlState::Kind::ListView;
        const int columns = ListColumns(child);
        const int rows = static_cast<int>(Send(child, LVM_GETITEMCOUNT));
        for (int row = 0; row < rows; ++row) state.rows.push_back(ReadRow(child, row, columns));
        break;
      }
      case Win32ControlKind::OwnerDrawn: {
        const std::optional<ColorRef> colour = handler_.SwatchColour(id);
        if (!colour) continue;
        state.kind = ControlState::Kind::ColourButton;
        state.colour = *colour;
        break;
      }
      case Win32ControlKind::UpDown:
        state.kind = ControlState::Kind::UpDown;
        state.position = controls_.GetPos(id);
        break;
      default: continue;  // push buttons and labels
    }
    states.push_back(std::move(state));
  }
  return states;
}

bool Win32DialogUser::Snapshot(const std::string& png_path) {
  if (!Exists()) return false;
  HandlePendingMessages(controls_.dialog());  // pending repaints first
  return SaveWindowPng(controls_.dialog(), png_path);
}

}  // namespace kestrava
