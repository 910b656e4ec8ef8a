#include "platform/win32/host_thread_window.h"

#include <memory>

namespace kestrava {
namespace {

constexpr UINT kRunTask = WM_APP + 1;
constexpr char kClassName[] = "KestravaHostThreadWindow";

}  // namespace

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

HostThreadWindow::HostThreadWindow() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &HostThreadWindow::WindowProc;
  wc.hInstance = ThisModule();
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);
  hwnd_ = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                          nullptr);
}

HostThreadWindow::~HostThreadWindow() {
  if (hwnd_ != nullptr) {
    // Drop tasks still queued: their owner is gone.
    MSG msg;
    while (PeekMessageA(&msg, hwnd_, kRunTask, kRunTask, PM_REMOVE)) {
      delete reinterpret_cast<std::function<void()>*>(msg.lParam);
    }
    DestroyWindow(hwnd_);
  }
  UnregisterClassA(kClassName, ThisModule());
}

void HostThreadWindow::Post(std::function<void()> task) {
  auto owned = std::make_unique<std::function<void()>>(std::move(task));
  if (hwnd_ != nullptr && PostMessageA(hwnd_, kRunTask, 0, reinterpret_cast<LPARAM>(owned.get()))) {
    owned.release();
  }
}

LRESULT CALLBACK HostThreadWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
  if (message == kRunTask) {
    std::unique_ptr<std::function<void()>> task(reinterpret_cast<std::function<void()>*>(lparam));
    if (*task) (*task)();
    return 0;
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

}  // namespace kestrava
