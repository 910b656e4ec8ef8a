#include "platform/win32/win32_desktop.h"

#include <windows.h>

#include <cstring>

namespace kestrava {

namespace {

// How often a notice box looks whether it is to be closed.
constexpr UINT kStopPollMs = 50;

// The notice box shown by the calling thread. Everything happens on that thread: a hook notes
// the box when it is activated, and a thread timer, dispatched by the box's own message loop,
// closes it once stop is requested. (No callback runs on the thread that requests the stop.)
struct NoticeBox {
  std::stop_token stop;
  HWND window = nullptr;
  HHOOK hook = nullptr;
};

thread_local NoticeBox* t_notice = nullptr;

void CloseIfStopped(const NoticeBox& box) {
  if (box.window != nullptr && box.stop.stop_requested()) {
    PostMessageA(box.window, WM_COMMAND, IDOK, 0);
  }
}

LRESULT CALLBACK OnWindowEvent(int code, WPARAM wparam, LPARAM lparam) {
  NoticeBox* box = t_notice;
  if (box != nullptr && code == HCBT_ACTIVATE && box->window == nullptr) {
    box->window = reinterpret_cast<HWND>(wparam);
    CloseIfStopped(*box);
  }
  return CallNextHookEx(box != nullptr ? box->hook : nullptr, code, wparam, lparam);
}

void CALLBACK OnStopPoll(HWND, UINT, UINT_PTR, DWORD) {
  if (t_notice != nullptr) CloseIfStopped(*t_notice);
}

}  // namespace

void ShowSystemModalNotice(const std::string& caption, const std::string& text,
                           std::stop_token stop) {
  if (stop.stop_requested()) return;
  NoticeBox box;
  box.stop = std::move(stop);
  box.hook = SetWindowsHookExA(WH_CBT, &OnWindowEvent, nullptr, GetCurrentThreadId());
  t_notice = &box;
  const UINT_PTR timer = SetTimer(nullptr, 0, kStopPollMs, &OnStopPoll);
  MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL);
  if (timer != 0) KillTimer(nullptr, timer);
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
