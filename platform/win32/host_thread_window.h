// A message-only window created on the host's thread; tasks posted to it from any thread run on
// that thread when the host dispatches its messages.
#pragma once

#include <windows.h>

#include <functional>

namespace kestrava {

class HostThreadWindow {
 public:
  // Must be constructed on the host's thread.
  HostThreadWindow();
  ~HostThreadWindow();
  HostThreadWindow(const HostThreadWindow&) = delete;
  HostThreadWindow& operator=(const HostThreadWindow&) = delete;

  // Any thread. A task posted after the window is gone is dropped.
  void Post(std::function<void()> task);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  HWND hwnd_ = nullptr;
};

// The module this code is linked into (the plug-in library), for window classes and resources.
HMODULE ThisModule();

}  // namespace kestrava
