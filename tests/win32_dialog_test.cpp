// The Windows dialog backend where it has no headless counterpart to be compared with (see
// win32_dialog_parity_test.cpp for the controls' behaviour): templates found in the module that
// holds them, owner drawing on the real device context and the snapshot's pixels, a dialog its
// handler will not close. Built only for Windows (run under Wine, with a display).
#include <gtest/gtest.h>
#include <windows.h>
// windows.h first: the GDI+ headers build on it.
#include <gdiplus.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/module_resources.h"
#include "resources/dialog_ids.h"

namespace kestrava {
namespace {

// Fills owner-drawn buttons with their swatch colour on the device context it is handed, and
// keeps what it was asked to draw; counts the clicks it hears and ends on OK and Cancel unless
// told to stay open.
class SwatchHandler : public DialogHandler {
 public:
  std::map<int, ColorRef> swatches;
  bool stays_open = false;
  std::vector<DrawItemInfo> drawn;
  int clicks = 0;

  bool OnInitDialog(DialogControls&) override { return true; }
  void OnNotice(DialogControls& controls, const ControlNotice& notice) override {
    if (notice.event != ControlEvent::Clicked) return;
    ++clicks;
    if (!stays_open && (notice.id == kIdOk || notice.id == kIdCancel)) {
      controls.EndDialog(notice.id);
    }
  }
  void OnDrawItem(DialogControls&, const DrawItemInfo& item) override {
    drawn.push_back(item);
    const RECT area{item.rect.left, item.rect.top, item.rect.right, item.rect.bottom};
    HBRUSH brush = CreateSolidBrush(swatches.count(item.id) ? swatches.at(item.id) : 0);
    FillRect(static_cast<HDC>(item.dc), &area, brush);
    DeleteObject(brush);
  }
  std::optional<ColorRef> SwatchColour(int id) const override {
    if (!swatches.count(id)) return std::nullopt;
    return swatches.at(id);
  }
};

int RunDialog(int id, DialogHandler& handler, const DialogScript& script,
              std::function<void(DialogUser&, int)> on_close = {}) {
  DialogRequest request;
  request.module = ThisModuleResources();
  request.template_id = id;
  request.handler = &handler;
  request.script = &script;
  request.on_close = std::move(on_close);
  return Env::Default().RunModalDialog(request);
}

TEST(Win32Dialog, TemplatesAreFoundInTheModuleThatHoldsThem) {
  const ModuleResources here = ThisModuleResources();
  EXPECT_EQ(here.handle, GetModuleHandleA(nullptr));
  HMODULE library = LoadLibraryA(KESTRAVA_MODULE);
  ASSERT_NE(library, nullptr);
  for (int id : {IDD_SQUAWK_AIRPORTS, IDD_INITIAL_ALTITUDES, IDD_TIME_SETTINGS, IDD_HISTORY_TRAILS,
                 IDD_STATISTICS_LOG}) {
    EXPECT_GT(FindDialogTemplate(here, id).size(), 20u) << id;
    EXPECT_GT(FindDialogTemplate(ModuleResources{library}, id).size(), 20u) << id;
  }
  EXPECT_TRUE(FindDialogTemplate(here, 3005).empty());  // the sound, not a dialog
  EXPECT_TRUE(FindDialogTemplate(here, 2999).empty());
  EXPECT_TRUE(FindDialogTemplate(ModuleResources{}, IDD_TIME_SETTINGS).empty());
  FreeLibrary(library);

  SwatchHandler handler;
  EXPECT_EQ(RunDialog(2999, handler, [](DialogUser&) {}), -1);
  EXPECT_EQ(handler.clicks, 0);
}

// The colour of the snapshot's pixel at the centre of `control`.
std::optional<ColorRef> SnapshotPixel(const std::string& png, HWND dialog, HWND control) {
  RECT frame, area;
  GetWindowRect(dialog, &frame);
  GetWindowRect(control, &area);
  const std::wstring path(png.begin(), png.end());
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  std::optional<ColorRef> colour;
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (Gdiplus::DllExports::GdipCreateBitmapFromFile(path.c_str(), &bitmap) == Gdiplus::Ok) {
    Gdiplus::ARGB argb = 0;
    if (Gdiplus::DllExports::GdipBitmapGetPixel(bitmap, (area.left + area.right) / 2 - frame.left,
                                                (area.top + area.bottom) / 2 - frame.top,
                                                &argb) == Gdiplus::Ok) {
      colour = Rgb(static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
                   static_cast<std::uint8_t>(argb));
    }
    Gdiplus::DllExports::GdipDisposeImage(bitmap);
  }
  Gdiplus::GdiplusShutdown(token);
  return colour;
}

TEST(Win32Dialog, OwnerDrawnSwatchesAreDrawnOnTheDeviceContextAndShowInTheSnapshot) {
  const int swatch_ids[] = {IDC_TIME_EARLY,   IDC_TIME_LATE,    IDC_TIME_PUSH,
                            IDC_TIME_TAKEOFF, IDC_TIME_LANDING, IDC_TIME_MODIFIED};
  SwatchHandler handler;
  for (int i = 0; i < 6; ++i) {
    handler.swatches[swatch_ids[i]] =
        Rgb(static_cast<std::uint8_t>(40 * i), 200, static_cast<std::uint8_t>(255 - 30 * i));
  }
  const std::string png =
      (std::filesystem::temp_directory_path() / "kestrava-dialog-snapshot.png").string();
  std::filesystem::remove(png);
  std::vector<ControlState> state;
  std::vector<int> drawn_at_opening;
  std::optional<ColorRef> pixel;
  std::uint32_t clicked_state = 0;
  const DialogScript script = [&](DialogUser& user) {
    for (const DrawItemInfo& item : handler.drawn) {
      EXPECT_NE(item.dc, nullptr);
      EXPECT_EQ(item.rect.left, 0);
      drawn_at_opening.push_back(item.id);
    }
    state = user.State();
    ASSERT_TRUE(user.Snapshot(png));
    HWND dialog = GetActiveWindow();
    pixel = SnapshotPixel(png, dialog, GetDlgItem(dialog, IDC_TIME_LANDING));
    handler.drawn.clear();
    EXPECT_TRUE(user.Click(IDC_TIME_LANDING));
    if (!handler.drawn.empty()) clicked_state = handler.drawn.back().state;
  };
  RunDialog(IDD_TIME_SETTINGS, handler, script);
  std::sort(drawn_at_opening.begin(), drawn_at_opening.end());
  drawn_at_opening.erase(std::unique(drawn_at_opening.begin(), drawn_at_opening.end()),
                         drawn_at_opening.end());
  EXPECT_EQ(drawn_at_opening, std::vector<int>(std::begin(swatch_ids), std::end(swatch_ids)));
  EXPECT_EQ(pixel, handler.swatches[IDC_TIME_LANDING]);
  EXPECT_NE(clicked_state & kOdsFocus, 0u);  // the clicked swatch has the focus
  std::vector<int> colour_buttons;
  for (const ControlState& s : state) {
    if (s.kind != ControlState::Kind::ColourButton) continue;
    colour_buttons.push_back(s.id);
    EXPECT_EQ(s.colour, handler.swatches[s.id]);
  }
  EXPECT_EQ(colour_buttons, std::vector<int>(std::begin(swatch_ids), std::end(swatch_ids)));
  std::filesystem::remove(png);
}

TEST(Win32Dialog, ADialogItsHandlerKeepsOpenIsCancelledWhenTheScriptEnds) {
  SwatchHandler handler;
  handler.stays_open = true;
  bool open_after_close_box = false;
  int closing_result = 0;
  std::size_t controls_at_closing = 0;
  const DialogScript script = [&](DialogUser& user) {
    EXPECT_TRUE(user.Close());
    open_after_close_box = user.IsOpen();
  };
  EXPECT_EQ(RunDialog(IDD_HISTORY_TRAILS, handler, script,
                      [&](DialogUser& user, int result) {
                        closing_result = result;
                        EXPECT_FALSE(user.IsOpen());
                        EXPECT_FALSE(user.Click(kIdOk));
                        controls_at_closing = user.State().size();  // still readable
                      }),
            kIdCancel);
  EXPECT_TRUE(open_after_close_box);
  EXPECT_EQ(handler.clicks, 2);  // the script's close box, then the one after the script
  EXPECT_EQ(closing_result, kIdCancel);
  EXPECT_EQ(controls_at_closing, 7u);
}

}  // namespace
}  // namespace kestrava
