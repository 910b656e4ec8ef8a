#include "platform/win32/win32_dialog_controls.h"

#include <commctrl.h>

#include <vector>

namespace kestrava {
namespace {

LRESULT Send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  return SendMessageA(window, message, wparam, lparam);
}

LPARAM Pointer(const void* data) { return reinterpret_cast<LPARAM>(data); }

// Windows takes texts through non-const pointers it does not write to.
char* TextArgument(const std::string& text) { return const_cast<char*>(text.c_str()); }

int ListCount(HWND list) { return static_cast<int>(Send(list, LVM_GETITEMCOUNT)); }

void SetListState(HWND list, int row, UINT mask, UINT state) {
  LVITEMA item = {};
  item.stateMask = mask;
  item.state = state;
  Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), Pointer(&item));
}

}  // namespace

std::string WindowTextOf(HWND window) {
  const auto length = static_cast<int>(Send(window, WM_GETTEXTLENGTH));
  if (length <= 0) return {};
  std::vector<char> text(static_cast<std::size_t>(length) + 1);
  const auto copied = static_cast<int>(
      Send(window, WM_GETTEXT, static_cast<WPARAM>(text.size()), Pointer(text.data())));
  return std::string(text.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
}

std::string ListItemText(HWND list, int row, int column) {
  // The list view copies at most the buffer's size: grow it until the text fits with room.
  for (std::size_t size = 256;; size *= 2) {
    std::vector<char> text(size);
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(size);
    const auto copied = static_cast<std::size_t>(
        Send(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), Pointer(&item)));
    if (copied + 1 < size) return std::string(text.data(), copied);
  }
}

bool ListRowChecked(HWND list, int row) {
  const auto state = static_cast<UINT>(
      Send(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
  return state == kLvisChecked;
}

HWND FocusedControl(HWND dialog) {
  HWND focus = ::GetFocus();
  // A control's own inner windows (a combo box's edit) stand for the control.
  while (focus != nullptr && GetParent(focus) != dialog) {
    if (!IsChild(dialog, focus)) return nullptr;
    focus = GetParent(focus);
  }
  return focus;
}

HWND Win32DialogControls::Control(int id) const {
  if (dialog_ == nullptr || id == -1) return nullptr;  // -1: the labels without an id
  return GetDlgItem(dialog_, id);
}

HWND Win32DialogControls::Control(int id, Win32ControlKind kind) const {
  HWND control = Control(id);
  return KindOfControl(control) == kind ? control : nullptr;
}

HWND Win32DialogControls::ListRow(int id, int row) const {
  HWND list = Control(id, Win32ControlKind::ListView);
  return list != nullptr && row >= 0 && row < ListCount(list) ? list : nullptr;
}

void Win32DialogControls::EndDialog(int result) {
  if (dialog_ == nullptr) return;
  ended_ = true;
  result_ = result;
  ::EndDialog(dialog_, result);
}

bool Win32DialogControls::HasControl(int id) { return Control(id) != nullptr; }

std::string Win32DialogControls::GetWindowText(int id) {
  HWND control = Control(id);
  return control != nullptr ? WindowTextOf(control) : std::string();
}

void Win32DialogControls::SetWindowText(int id, const std::string& text) {
  if (HWND control = Control(id)) Send(control, WM_SETTEXT, 0, Pointer(text.c_str()));
}

std::uint32_t Win32DialogControls::GetStyle(int id) {
  HWND control = Control(id);
  return control != nullptr ? static_cast<std::uint32_t>(GetWindowLongA(control, GWL_STYLE)) : 0;
}

bool Win32DialogControls::IsEnabled(int id) {
  HWND control = Control(id);
  return control != nullptr && IsWindowEnabled(control);
}

void Win32DialogControls::SetFocus(int id) {
  if (HWND control = Control(id)) ::SetFocus(control);
}

int Win32DialogControls::GetFocus() {
  HWND focus = dialog_ != nullptr ? FocusedControl(dialog_) : nullptr;
  return focus != nullptr ? GetDlgCtrlID(focus) : 0;
}

void Win32DialogControls::Invalidate(int id) {
  if (HWND control = Control(id)) InvalidateRect(control, nullptr, TRUE);
}

int Win32DialogControls::GetCheck(int id) {
  HWND box = Control(id, Win32ControlKind::CheckBox);
  return box != nullptr ? static_cast<int>(Send(box, BM_GETCHECK)) : 0;
}

void Win32DialogControls::SetCheck(int id, int state) {
  if (HWND box = Control(id, Win32ControlKind::CheckBox)) {
    Send(box, BM_SETCHECK, static_cast<WPARAM>(state));
  }
}

void Win32DialogControls::SetSel(int id, int start, int end) {
  if (HWND edit = Control(id, Win32ControlKind::Edit)) {
    Send(edit, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
  }
}

void Win32DialogControls::LimitText(int id, int max) {
  if (HWND edit = Control(id, Win32ControlKind::Edit)) {
    Send(edit, EM_LIMITTEXT, static_cast<WPARAM>(max));
  }
}

int Win32DialogControls::AddString(int id, const std::string& text) {
  HWND list = Control(id, Win32ControlKind::DropDown);
  if (list == nullptr) return -1;
  const auto index = static_cast<int>(Send(list, CB_ADDSTRING, 0, Pointer(text.c_str())));
  return index < 0 ? -1 : index;
}

void Win32DialogControls::ResetContent(int id) {
  if (HWND list = Control(id, Win32ControlKind::DropDown)) Send(list, CB_RESETCONTENT);
}

int Win32DialogControls::GetCount(int id) {
  HWND list = Control(id, Win32ControlKind::DropDown);
  return list != nullptr ? static_cast<int>(Send(list, CB_GETCOUNT)) : 0;
}

int Win32DialogControls::GetCurSel(int id) {
  HWND list = Control(id, Win32ControlKind::DropDown);
  return list != nullptr ? static_cast<int>(Send(list, CB_GETCURSEL)) : -1;
}

void Win32DialogControls::SetCurSel(int id, int index) {
  if (HWND list = Control(id, Win32ControlKind::DropDown)) {
    Send(list, CB_SETCURSEL, static_cast<WPARAM>(index));
  }
}

std::string Win32DialogControls::GetLBText(int id, int index) {
  HWND list = Control(id, Win32ControlKind::DropDown);
  if (list == nullptr) return {};
  const auto length = static_cast<int>(Send(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index)));
  if (length <= 0) return {};
  std::vector<char> text(static_cast<std::size_t>(length) + 1);
  const auto copied =
      static_cast<int>(Send(list, CB_GETLBTEXT, static_cast<WPARAM>(index), Pointer(text.data())));
  return std::string(text.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
}

void Win32DialogControls::SetExtendedStyle(int id, std::uint32_t styles) {
  if (HWND list = Control(id, Win32ControlKind::ListView)) {
    Send(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(styles));
  }
}

int Win32DialogControls::InsertColumn(int id, int column, const std::string& heading, int width) {
  HWND list = Control(id, Win32ControlKind::ListView);
  if (list == nullptr) return -1;
  LVCOLUMNA col = {};
  col.mask = LVCF_FMT | LVCF_TEXT;
  col.fmt = LVCFMT_LEFT;
  col.pszText = TextArgument(heading);
  if (width != -1) {  // -1: the list view's own width
    col.mask |= LVCF_WIDTH;
    col.cx = width;
  }
  return static_cast<int>(
      Send(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), Pointer(&col)));
}

int Win32DialogControls::InsertItem(int id, int row, const std::string& text) {
  HWND list = Control(id, Win32ControlKind::ListView);
  if (list == nullptr) return -1;
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = TextArgument(text);
  return static_cast<int>(Send(list, LVM_INSERTITEMA, 0, Pointer(&item)));
}

void Win32DialogControls::SetItemText(int id, int row, int column, const std::string& text) {
  HWND list = ListRow(id, row);
  if (list == nullptr) return;
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = TextArgument(text);
  Send(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), Pointer(&item));
}

std::string Win32DialogControls::GetItemText(int id, int row, int column) {
  HWND list = ListRow(id, row);
  return list != nullptr ? ListItemText(list, row, column) : std::string();
}

int Win32DialogControls::GetItemCount(int id) {
  HWND list = Control(id, Win32ControlKind::ListView);
  return list != nullptr ? ListCount(list) : 0;
}

void Win32DialogControls::DeleteItem(int id, int row) {
  if (HWND list = ListRow(id, row)) Send(list, LVM_DELETEITEM, static_cast<WPARAM>(row));
}

void Win32DialogControls::DeleteAllItems(int id) {
  if (HWND list = Control(id, Win32ControlKind::ListView)) Send(list, LVM_DELETEALLITEMS);
}

bool Win32DialogControls::GetCheckState(int id, int row) {
  HWND list = ListRow(id, row);
  return list != nullptr && ListRowChecked(list, row);
}

void Win32DialogControls::SetCheckState(int id, int row, bool ticked) {
  if (HWND list = ListRow(id, row)) {
    SetListState(list, row, LVIS_STATEIMAGEMASK, ticked ? kLvisChecked : kLvisUnchecked);
  }
}

int Win32DialogControls::GetNextSelected(int id, int after) {
  HWND list = Control(id, Win32ControlKind::ListView);
  if (list == nullptr) return -1;
  return static_cast<int>(
      Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(after), MAKELPARAM(LVNI_SELECTED, 0)));
}

void Win32DialogControls::SetItemSelected(int id, int row, bool selected) {
  if (HWND list = ListRow(id, row)) {
    SetListState(list, row, LVIS_SELECTED, selected ? LVIS_SELECTED : 0);
  }
}

void Win32DialogControls::SetRange(int id, int low, int high) {
  if (HWND spin = Control(id, Win32ControlKind::UpDown)) {
    Send(spin, UDM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
  }
}

int Win32DialogControls::GetPos(int id) {
  HWND spin = Control(id, Win32ControlKind::UpDown);
  if (spin == nullptr) return 0;
  BOOL failed = FALSE;
  return static_cast<int>(Send(spin, UDM_GETPOS32, 0, Pointer(&failed)));
}

void Win32DialogControls::SetPos(int id, int position) {
  if (HWND spin = Control(id, Win32ControlKind::UpDown)) {
    Send(spin, UDM_SETPOS32, 0, static_cast<LPARAM>(position));
  }
}

}  // namespace kestrava
