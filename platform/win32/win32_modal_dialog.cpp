#include "platform/win32/win32_modal_dialog.h"

#include <windows.h>
// windows.h first: the common controls' header builds on it.
#include <commctrl.h>

#include "platform/module_resources.h"
#include "platform/win32/win32_control_kind.h"
#include "platform/win32/win32_dialog_controls.h"
#include "platform/win32/win32_dialog_user.h"

namespace kestrava {
namespace {

// Posted by the initialisation: runs the request's opening report and script inside the modal
// loop.
constexpr UINT kRunScriptMessage = WM_APP + 0x4B;

// The list views and up-down controls the templates name are registered once per process.
void RegisterCommonControls() {
  static const bool registered = [] {
    INITCOMMONCONTROLSEX classes = {};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES;
    if (InitCommonControlsEx(&classes)) return true;
    // Older common controls do not know the standard classes' flag (user32 has them anyway).
    classes.dwICC = ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS;
    return InitCommonControlsEx(&classes) != FALSE;
  }();
  (void)registered;
}

// One run of a modal dialog: the request, the dialog calls and the scripted user on it.
class ModalRun {
 public:
  explicit ModalRun(const DialogRequest& request)
      : request_(request), user_(controls_, *request.handler, text_changes_) {
    user_.OnEnded([this] { TellClosing(); });
  }

  INT_PTR Handle(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
      case WM_INITDIALOG: return Initialise(dialog);
      case kRunScriptMessage: RunScript(); return TRUE;
      case WM_COMMAND: return Command(LOWORD(wparam), HIWORD(wparam), lparam);
      case WM_NOTIFY: return Notify(*reinterpret_cast<const NMHDR*>(lparam));
      case WM_DRAWITEM: return DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      case WM_DESTROY:
        // Still whole: the controls go after their dialog.
        if (initialised_) TellClosing();
        initialised_ = false;
        return FALSE;
      default: return FALSE;
    }
  }

 private:
  INT_PTR Initialise(HWND dialog) {
    controls_.Attach(dialog);
    initialised_ = true;
    const bool default_focus = request_.handler->OnInitDialog(controls_);
    if (request_.on_open || request_.script != nullptr) {
      PostMessageA(dialog, kRunScriptMessage, 0, 0);
    }
    return default_focus ? TRUE : FALSE;
  }

  void RunScript() {
    if (!user_.IsOpen()) return;
    HWND dialog = controls_.dialog();
    // The modal loop shows the dialog once its queue is empty; the script sees it shown.
    if (!IsWindowVisible(dialog)) ShowWindow(dialog, SW_SHOWNORMAL);
    HandlePendingMessages(dialog);
    try {
      if (request_.on_open && user_.IsOpen()) request_.on_open(user_);
      if (request_.script != nullptr && *request_.script && user_.IsOpen()) {
        (*request_.script)(user_);
      }
    } catch (...) {
      // A failing script ends like one that returned.
    }
    if (request_.script == nullptr || !user_.IsOpen()) return;
    user_.Close();
    if (user_.IsOpen()) {
      controls_.EndDialog(kIdCancel);
      TellClosing();
    }
  }

  // The request's closing report: once, at the end of the person's action that ended the
  // dialog, or when the dialog is destroyed.
  void TellClosing() {
    if (told_closing_) return;
    told_closing_ = true;
    if (request_.on_close) request_.on_close(user_, controls_.result());
  }

  INT_PTR Command(int id, int code, LPARAM lparam) {
    if (!initialised_) return FALSE;
    const auto kind = KindOfControl(reinterpret_cast<HWND>(lparam));
    ControlNotice notice;
    notice.id = id;
    if (code == BN_CLICKED &&
        (lparam == 0 || kind == Win32ControlKind::PushButton ||
         kind == Win32ControlKind::CheckBox || kind == Win32ControlKind::OwnerDrawn)) {
      notice.event = ControlEvent::Clicked;
    } else if (code == CBN_SELCHANGE && kind == Win32ControlKind::DropDown) {
      notice.event = ControlEvent::SelectionChanged;
    } else if (code == EN_CHANGE && kind == Win32ControlKind::Edit) {
      ++text_changes_;
      notice.event = ControlEvent::TextChanged;
    } else {
      return FALSE;
    }
    request_.handler->OnNotice(controls_, notice);
    return TRUE;
  }

  INT_PTR Notify(const NMHDR& header) {
    if (!initialised_ || KindOfControl(header.hwndFrom) != Win32ControlKind::ListView) {
      return FALSE;
    }
    ControlNotice notice;
    notice.id = static_cast<int>(header.idFrom);
    if (header.code == LVN_ITEMCHANGED) {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      notice.event = ControlEvent::ItemChanged;
      notice.row = change.iItem;
      notice.old_state = change.uOldState;
      notice.new_state = change.uNewState;
    } else if (header.code == static_cast<UINT>(NM_DBLCLK)) {
      notice.event = ControlEvent::DoubleClicked;
      notice.row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
    } else {
      return FALSE;
    }
    request_.handler->OnNotice(controls_, notice);
    SetWindowLongPtrA(controls_.dialog(), DWLP_MSGRESULT, 0);
    return TRUE;
  }

  INT_PTR DrawItem(const DRAWITEMSTRUCT& item) {
    if (!initialised_ || item.CtlType != ODT_BUTTON) return FALSE;
    DrawItemInfo info;
    info.id = static_cast<int>(item.CtlID);
    info.dc = item.hDC;
    info.rect = Rect{item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom};
    info.state = item.itemState;
    request_.handler->OnDrawItem(controls_, info);
    return TRUE;
  }

  const DialogRequest& request_;
  Win32DialogControls controls_;
  int text_changes_ = 0;
  Win32DialogUser user_;
  bool initialised_ = false;
  bool told_closing_ = false;
};

INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lparam);
  auto* run = reinterpret_cast<ModalRun*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (run == nullptr) return FALSE;  // messages before the initialisation
  try {
    return run->Handle(dialog, message, wparam, lparam);
  } catch (...) {
    return FALSE;  // nothing unwinds through the dialog manager
  }
}

}  // namespace

int RunWin32ModalDialog(const DialogRequest& request) {
  if (request.handler == nullptr) return -1;
  const std::span<const std::uint8_t> bytes =
      FindDialogTemplate(request.module, request.template_id);
  if (bytes.empty()) return -1;
  RegisterCommonControls();
  ModalRun run(request);
  const INT_PTR result =
      DialogBoxIndirectParamA(static_cast<HINSTANCE>(const_cast<void*>(request.module.handle)),
                              reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()), GetActiveWindow(),
                              &DialogProcedure, reinterpret_cast<LPARAM>(&run));
  return static_cast<int>(result);
}

}  // namespace kestrava
