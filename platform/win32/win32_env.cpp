// The Windows backend: GetSystemTime, Win32 files, std::thread, a message-only window for the
// hand-over to the host's thread, WinINet, the volume serial number, MessageBoxA, the clipboard,
// PlaySoundA, GDI+ and GDI for drawing, and modal dialogs from the module's resources with the
// standard colour and file-save dialogs.
#include <windows.h>

#include <array>
#include <chrono>
#include <string>

#include "platform/env.h"
#include "platform/file_append.h"
#include "platform/interruptible_sleep.h"
#include "platform/win32/alarm_sound.h"
#include "platform/win32/gdi_drawing.h"
#include "platform/win32/host_thread_window.h"
#include "platform/win32/win32_common_dialogs.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_modal_dialog.h"
#include "platform/win32/wininet_http.h"

namespace kestrava {
namespace {

std::int64_t UnixMillisNow() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  ULARGE_INTEGER ticks;
  ticks.LowPart = ft.dwLowDateTime;
  ticks.HighPart = ft.dwHighDateTime;
  // 100 ns ticks since 1601-01-01.
  return static_cast<std::int64_t>(ticks.QuadPart / 10000ULL) - 11644473600000LL;
}

class Win32Env final : public Env {
 public:
  SystemTime NowUtc() override {
    SYSTEMTIME st;
    GetSystemTime(&st);
    return SystemTime{st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
                      st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
  }

  std::int64_t NowUnixSeconds() override { return UnixMillisNow() / 1000; }

  bool SleepUntil(std::int64_t deadline, std::stop_token stop) override {
    for (;;) {
      const std::int64_t left_ms = deadline * 1000 - UnixMillisNow();
      if (left_ms <= 0) return true;
      if (!InterruptibleSleepFor(std::chrono::milliseconds(left_ms), stop)) return false;
    }
  }

  bool SleepFor(std::chrono::milliseconds duration, std::stop_token stop) override {
    return InterruptibleSleepFor(duration, std::move(stop));
  }

  AppendResult AppendLine(const std::string& path, std::string_view line) override {
    std::string whole(line);
    whole += "\r\n";
    return AppendToFile(path, whole);
  }

  std::thread StartThread(std::function<void()> body) override {
    return std::thread(std::move(body));
  }

  void PostToHostThread(std::function<void()> task) override { window_.Post(std::move(task)); }

  HttpResult HttpGet(const std::string& url, std::size_t max_body_bytes,
                     std::stop_token stop) override {
    return WinInetHttpGet(url, max_body_bytes, std::move(stop));
  }

  std::uint32_t MachineId() override {
    char volume[256] = {};
    char file_system[256] = {};
    DWORD serial = 0;
    if (!GetVolumeInformationA("C:\\", volume, 255, &serial, nullptr, nullptr, file_system, 255))
      return 0;
    return serial;
  }

  void ShowNotice(const std::string& caption, const std::string& text,
                  std::stop_token stop) override {
    ShowSystemModalNotice(caption, text, std::move(stop));
  }

  bool SetClipboardText(const std::string& text) override { return PutTextOnClipboard(text); }

  void PlayAlarmSound(const std::string& /*display*/) override { PlayAlarmResource(); }

  Drawing& DrawingService() override { return drawing_; }

  ButtonColours SystemButtonColours() override {
    const auto colour = [](int index) { return static_cast<ColorRef>(GetSysColor(index)); };
    return {colour(COLOR_BTNTEXT),     colour(COLOR_3DFACE),   colour(COLOR_3DLIGHT),
            colour(COLOR_3DHIGHLIGHT), colour(COLOR_3DSHADOW), colour(COLOR_3DDKSHADOW)};
  }
  int RunModalDialog(const DialogRequest& request) override { return RunWin32ModalDialog(request); }

  std::optional<ColorRef> ChooseColour(const ColourRequest& request) override {
    return ChooseColourWithDialog(request, custom_colours_);
  }

  void ShowValidationMessage(const std::string& text) override {
    ShowExclamationBox(kMessageCaption, text);
  }

  std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) override {
    return ChooseSaveFileWithDialog(request);
  }

 private:
  // The caption of the messages the framework shows for the plug-in: the library's name.
  static constexpr const char* kMessageCaption = "Kestrava";

  HostThreadWindow window_;
  GdiDrawing drawing_;
  std::array<COLORREF, 16> custom_colours_ = {};  // the colour dialog's custom row, kept
};

}  // namespace

Env& Env::Default() {
  static Win32Env env;
  return env;
}

}  // namespace kestrava
