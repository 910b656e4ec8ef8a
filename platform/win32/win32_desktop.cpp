#include "platform/win32/win32_desktop.h"

#include <windows.h>

#include <cstring>
#include <mutex>

namespace kestrava {

namespace {

// The notice box of the calling thread, and whether it is to be closed. The box is found with a
// hook on the thread that shows it, so that a stop request that comes before the box exists
// closes it as soon as it appears.
struct NoticeBox {
  std::mutex mutex;
  HWND window = nullptr;  // guarded by mutex
  bool close = false;     // guarded by mutex
  HHOOK hook = nullptr;   // used on the showing thread only
};

thread_local NoticeBox* t_notice = nullptr;

void CloseBox(HWND window) { PostMessageA(window, WM_COMMAND, IDOK, 0); }

LRESULT CALLBACK OnWindowEvent(int code, WPARAM wparam, LPARAM lparam) {
  NoticeBox* box = t_notice;
  if (box != nullptr && code == HCBT_ACTIVATE) {
    std::lock_guard lock(box->mutex);
    if (box->window == nullptr) {
      box->window = reinterpret_cast<HWND>(wparam);
      if (box->close) CloseBox(box->window);
    }
  }
  return CallNextHookEx(box != nullptr ? box->hook : nullptr, code, wparam, lparam);
}

}  // namespace

void ShowSystemModalNotice(const std::string& caption, const std::string& text,
                           std::stop_token stop) {
  if (stop.stop_requested()) return;
  NoticeBox box;
  box.hook = SetWindowsHookExA(WH_CBT, &OnWindowEvent, nullptr, GetCurrentThreadId());
  t_notice = &box;
  {
    std::stop_callback close_on_stop(stop, [&box] {
      std::lock_guard lock(box.mutex);
      box.close = true;
      if (box.window != nullptr) CloseBox(box.window);
    });
    MessageBoxA(nullptr, text.c_str(), caption.c_str(),
                MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL);
    std::lock_guard lock(box.mutex);
    box.window = nullptr;
    box.close = true;  // the box is gone; nothing is posted to it any more
  }
  t_notice = nullptr;
  if (box.hook != nullptr) UnhookWindowsHookEx(box.hook);
}

bool PutTextOnClipboard(const std::string& text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1);
  if (memory == nullptr) return false;
  void* bytes = GlobalLock(memory);
  if (bytes == nullptr) {
    GlobalFree(memory);
    return false;
  }
  std::memcpy(bytes, text.c_str(), text.size() + 1);
  GlobalUnlock(memory);
  if (!OpenClipboard(nullptr)) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  const bool placed = SetClipboardData(CF_TEXT, memory) != nullptr;
  CloseClipboard();
  if (!placed) GlobalFree(memory);  // the clipboard owns the memory only once it took it
  return placed;
}

}  // namespace kestrava
