// What kind of control a child window of a dialog is, from its window class and style, as the
// dialog calls and the scripted user need to know it.
//
// Thread: the window's thread. No call throws.
#pragma once

#include <windows.h>

namespace kestrava {

enum class Win32ControlKind {
  None,        // no window
  PushButton,  // push buttons (default or not), group boxes and other buttons
  CheckBox,    // check boxes and radio buttons, automatic or not
  OwnerDrawn,  // owner-drawn buttons
  Edit,
  DropDown,  // combo boxes
  ListView,
  UpDown,
  Other,  // labels and anything else
};

Win32ControlKind KindOfControl(HWND control);

}  // namespace kestrava
