#include "platform/win32/win32_control_kind.h"

namespace kestrava {
namespace {

// Window class names compare without regard to case, as Windows compares them.
bool ClassIs(const char* actual, const char* expected) { return lstrcmpiA(actual, expected) == 0; }

Win32ControlKind KindOfButton(LONG style) {
  switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: return Win32ControlKind::CheckBox;
    case BS_OWNERDRAW: return Win32ControlKind::OwnerDrawn;
    default: return Win32ControlKind::PushButton;
  }
}

}  // namespace

Win32ControlKind KindOfControl(HWND control) {
  if (control == nullptr || !IsWindow(control)) return Win32ControlKind::None;
  char name[64] = {};
  GetClassNameA(control, name, sizeof name);
  if (ClassIs(name, "Button")) return KindOfButton(GetWindowLongA(control, GWL_STYLE));
  if (ClassIs(name, "Edit")) return Win32ControlKind::Edit;
  if (ClassIs(name, "ComboBox")) return Win32ControlKind::DropDown;
  if (ClassIs(name, "SysListView32")) return Win32ControlKind::ListView;
  if (ClassIs(name, "msctls_updown32")) return Win32ControlKind::UpDown;
  return Win32ControlKind::Other;
}

}  // namespace kestrava
