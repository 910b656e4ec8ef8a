// The Windows clipboard, read back through Win32: the backend's text placement and the clearance
// command reaching it. Built only for Windows (run under Wine, with a display).
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "aircraft/AircraftRegistry.h"
#include "host/world.h"
#include "platform/win32/win32_desktop.h"
#include "plugin/QEXPlugin.h"
#include "tests/support/fake_env.h"

namespace kestrava {
namespace {

// The clipboard's text, up to its terminating zero; nothing when it holds no text.
std::optional<std::string> ReadClipboardText() {
  if (!OpenClipboard(nullptr)) return std::nullopt;
  std::optional<std::string> text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
      text.emplace(bytes, strnlen(bytes, GlobalSize(data)));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

TEST(Win32Clipboard, TextIsPlacedWholeInTheTextFormat) {
  const std::string lines = "CLD 0705 04032026 EGLL PDC 000\r\nATIS TEST";
  ASSERT_TRUE(PutTextOnClipboard(lines));
  EXPECT_EQ(ReadClipboardText(), lines);

  std::string long_text(20000, 'X');
  long_text.replace(1020, 10, "\r\nMIDDLE\r\n");
  ASSERT_TRUE(PutTextOnClipboard(long_text));
  EXPECT_EQ(ReadClipboardText(), long_text);

  ASSERT_TRUE(PutTextOnClipboard(""));
  EXPECT_EQ(ReadClipboardText(), "");
}

// The test clock and records, with the clipboard of the Windows backend.
class WindowsClipboardEnv : public testing::FakeEnv {
 public:
  bool SetClipboardText(const std::string& text) override {
    return Env::Default().SetClipboardText(text);
  }
};

TEST(Win32Clipboard, ClearanceCommandPutsItsTextThere) {
  WindowsClipboardEnv env;
  env.SetUtc(2026, 3, 4, 7, 5, 9);
  AircraftRegistry registry;
  standin::World world;
  standin::Aircraft& a = world.AddOrGetAircraft("BAW1");
  a.flight_plan.origin = "EGLL";
  a.flight_plan.destination = "LFPG";
  a.flight_plan.departure_rwy = "27R";
  a.flight_plan.sid = std::string(1500, 'S');  // beyond any fixed-size buffer
  a.flight_plan.estimated_departure_time = "1230";
  a.flight_plan.actual_departure_time = "1234";
  a.squawk = "4621";
  QEXPlugin plugin(env, registry);
  world.AttachPlugIn(&plugin);

  const std::string clearance =
      "CLD 0705 04032026 EGLL PDC 000\r\n"
      "BAW1 CLRD TO LFPG OFF 27R VIA " +
      a.flight_plan.sid + "\r\nSQUAWK 4621 ADT 1230/1234 NEXT FREQ UNK\r\nATIS TEST";
  ASSERT_TRUE(PutTextOnClipboard("before"));
  EXPECT_TRUE(world.CompileCommand(".pdc BAW1"));
  EXPECT_EQ(ReadClipboardText(), clearance);
  // A declined command leaves the clipboard as it was.
  EXPECT_FALSE(world.CompileCommand(".pdc NOBODY"));
  EXPECT_EQ(ReadClipboardText(), clearance);
}

}  // namespace
}  // namespace kestrava
