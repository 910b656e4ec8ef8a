// The Windows dialog backend on the real templates, driven through window messages: what the
// real controls do with typed and pasted text, the up-down control's steps, the list view's own
// notifications, Enter and the close box, owner drawing and the snapshot's pixels. Built only for
// Windows (run under Wine, with a display).
#include <gtest/gtest.h>
#include <windows.h>
// windows.h first: the GDI+ headers build on it.
#include <gdiplus.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/module_resources.h"
#include "resources/dialog_ids.h"

namespace kestrava {
namespace {

std::string Describe(const ControlNotice& n) {
  switch (n.event) {
    case ControlEvent::Clicked: return "click " + std::to_string(n.id);
    case ControlEvent::SelectionChanged: return "select " + std::to_string(n.id);
    case ControlEvent::TextChanged: return "text " + std::to_string(n.id);
    case ControlEvent::DoubleClicked:
      return "double " + std::to_string(n.id) + " row " + std::to_string(n.row);
    case ControlEvent::ItemChanged: {
      char states[32];
      std::snprintf(states, sizeof states, " %X>%X", static_cast<unsigned>(n.old_state),
                    static_cast<unsigned>(n.new_state));
      return "item " + std::to_string(n.id) + " row " + std::to_string(n.row) + states;
    }
  }
  return "?";
}

// Records what the dialog's logic hears; ends on OK and Cancel as the framework's dialog does.
// Owner-drawn buttons are filled with their swatch colour.
class RecordingHandler : public DialogHandler {
 public:
  std::function<void(DialogControls&)> init;
  std::function<void(DialogControls&, const ControlNotice&)> react;
  bool ends_on_ok_and_cancel = true;
  std::map<int, ColorRef> swatches;
  std::vector<std::string> notices;
  std::vector<DrawItemInfo> drawn;

  bool OnInitDialog(DialogControls& controls) override {
    if (init) init(controls);
    notices.push_back("--");  // what follows came after the initialisation
    return true;
  }
  void OnNotice(DialogControls& controls, const ControlNotice& notice) override {
    notices.push_back(Describe(notice));
    if (react) react(controls, notice);
    if (ends_on_ok_and_cancel && notice.event == ControlEvent::Clicked &&
        (notice.id == kIdOk || notice.id == kIdCancel)) {
      controls.EndDialog(notice.id);
    }
  }
  void OnDrawItem(DialogControls& /*controls*/, const DrawItemInfo& item) override {
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
  // The notices after the initialisation.
  std::vector<std::string> After() const {
    auto start = std::find(notices.begin(), notices.end(), "--");
    return {start == notices.end() ? start : start + 1, notices.end()};
  }
};

// Runs template `id` of the test program with the build's own backend.
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

const ControlState* Find(const std::vector<ControlState>& states, int id) {
  for (const ControlState& state : states) {
    if (state.id == id) return &state;
  }
  return nullptr;
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

  RecordingHandler handler;
  DialogRequest missing;
  missing.module = here;
  missing.template_id = 2999;
  missing.handler = &handler;
  EXPECT_EQ(Env::Default().RunModalDialog(missing), -1);
  EXPECT_TRUE(handler.notices.empty());
}

struct TypingCase {
  int dialog;
  int edit;
  int limit;  // 0: none set
  const char* initial;
  const char* typed;
  const char* shown;
  int changes;  // change notices while typing
  const char* pasted;
};

TEST(Win32Dialog, TypingGoesThroughTheEditsFiltersAndPastingThroughAllButDigitsOnly) {
  // Wine's edits report a change for each character refused at the length limit too (not for
  // those refused as non-digits).
  const TypingCase cases[] = {
      {IDD_SQUAWK_AIRPORTS, IDC_SQK_ICAO, 4, "", "egll1", "EGLL", 5, "PAST"},
      {IDD_INITIAL_ALTITUDES, IDC_ALT_SID, 10, "OLD", "bpk7f-x.12345", "BPK7F-X.12", 13,
       "PASTED TEX"},
      {IDD_INITIAL_ALTITUDES, IDC_ALT_ALTITUDE, 0, "5000", "6a00 0", "6000", 4, "pasted text 1"},
      {IDD_HISTORY_TRAILS, IDC_TRAILS_COUNT, 0, "6", "x12", "12", 2, "pasted text 1"},
  };
  for (const TypingCase& c : cases) {
    SCOPED_TRACE(c.typed);
    RecordingHandler handler;
    handler.init = [&](DialogControls& controls) {
      if (c.limit != 0) controls.LimitText(c.edit, c.limit);
      controls.SetWindowText(c.edit, c.initial);
    };
    std::string typed, pasted;
    const DialogScript script = [&](DialogUser& user) {
      EXPECT_TRUE(user.Type(c.edit, c.typed));
      typed = Find(user.State(), c.edit)->text;
      EXPECT_TRUE(user.Paste(c.edit, "pasted text 1"));
      pasted = Find(user.State(), c.edit)->text;
      EXPECT_FALSE(user.Type(IDOK, "x"));  // not an edit
    };
    EXPECT_EQ(RunDialog(c.dialog, handler, script), kIdCancel);
    EXPECT_EQ(typed, c.shown);
    EXPECT_EQ(pasted, c.pasted);
    std::vector<std::string> expected(c.changes + 1, "text " + std::to_string(c.edit));
    expected.push_back("click 2");
    EXPECT_EQ(handler.After(), expected);
  }
}

TEST(Win32Dialog, UpDownArrowsStepTheBuddyAndStopAtTheRange) {
  RecordingHandler handler;
  handler.init = [](DialogControls& controls) {
    controls.SetRange(IDC_TRAILS_COUNT_SPIN, 0, 99);
    controls.SetPos(IDC_TRAILS_COUNT_SPIN, 97);
  };
  std::vector<std::pair<int, std::string>> seen;
  const DialogScript script = [&](DialogUser& user) {
    for (int delta : {5, -2, -100, 1}) {
      EXPECT_TRUE(user.Spin(IDC_TRAILS_COUNT_SPIN, delta));
      const auto state = user.State();
      seen.emplace_back(Find(state, IDC_TRAILS_COUNT_SPIN)->position,
                        Find(state, IDC_TRAILS_COUNT)->text);
    }
    EXPECT_FALSE(user.Spin(IDC_TRAILS_COUNT, 1));  // the buddy is no up-down control
  };
  RunDialog(IDD_HISTORY_TRAILS, handler, script);
  const std::vector<std::pair<int, std::string>> expected = {
      {99, "99"}, {97, "97"}, {0, "0"}, {1, "1"}};
  EXPECT_EQ(seen, expected);
  // 98, 99; 98, 97; 96 down to 0; 1: one change per step that moved.
  const auto changes = std::count(handler.notices.begin(), handler.notices.end(),
                                  "text " + std::to_string(IDC_TRAILS_COUNT));
  EXPECT_EQ(changes, 1 + 2 + 2 + 97 + 1);  // the initial position included
}

TEST(Win32Dialog, ListViewSendsItsOwnItemChangesForTicksAndSelections) {
  RecordingHandler handler;
  handler.init = [](DialogControls& controls) {
    controls.SetExtendedStyle(IDC_SQK_LIST, kLvsExCheckBoxes | kLvsExFullRowSelect);
    controls.InsertColumn(IDC_SQK_LIST, 0, "", 25);
    controls.InsertColumn(IDC_SQK_LIST, 1, "ICAO", 50);
    for (const char* icao : {"EGLL", "EGKK"}) {
      const int row = controls.InsertItem(IDC_SQK_LIST, controls.GetItemCount(IDC_SQK_LIST), "");
      controls.SetItemText(IDC_SQK_LIST, row, 1, icao);
    }
    controls.SetCheckState(IDC_SQK_LIST, 0, true);
  };
  std::vector<ControlState::Row> rows;
  int selected = -2;
  const DialogScript script = [&](DialogUser& user) {
    EXPECT_TRUE(user.Tick(IDC_SQK_LIST, 1, true));
    EXPECT_TRUE(user.Tick(IDC_SQK_LIST, 0, false));
    EXPECT_TRUE(user.SelectRow(IDC_SQK_LIST, 0));
    EXPECT_TRUE(user.DoubleClick(IDC_SQK_LIST, 1));
    EXPECT_FALSE(user.Tick(IDC_SQK_LIST, 2, true));
    EXPECT_FALSE(user.SelectRow(IDC_SQK_LIST, 2));
    rows = Find(user.State(), IDC_SQK_LIST)->rows;
    EXPECT_TRUE(user.Close());
  };
  handler.react = [&](DialogControls& controls, const ControlNotice& notice) {
    if (notice.event == ControlEvent::DoubleClicked) {
      selected = controls.GetNextSelected(IDC_SQK_LIST, -1);
    }
  };
  EXPECT_EQ(RunDialog(IDD_SQUAWK_AIRPORTS, handler, script), kIdCancel);
  // Wine's list view reports no change for an inserted row (its check box starts unticked) nor
  // for a column's text; it reports each row whose state bits change, the state image included.
  EXPECT_EQ(handler.notices, (std::vector<std::string>{
                                 "item 3000 row 0 1000>2000",  // the initial tick
                                 "--",
                                 "item 3000 row 1 1000>2000",
                                 "item 3000 row 0 2000>1000",
                                 "item 3000 row 0 1000>1003",  // selected and focused
                                 "item 3000 row 0 1003>1001",  // the double click's row...
                                 "item 3000 row 0 1001>1000",
                                 "item 3000 row 1 2000>2003",  // ...takes selection and focus
                                 "double 3000 row 1",
                                 "click 2",
                             }));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].texts, (std::vector<std::string>{"", "EGLL"}));
  EXPECT_EQ(rows[1].texts, (std::vector<std::string>{"", "EGKK"}));
  EXPECT_FALSE(rows[0].checked);
  EXPECT_TRUE(rows[1].checked);
  EXPECT_FALSE(rows[0].selected);
  EXPECT_TRUE(rows[1].selected);
  EXPECT_EQ(selected, 1);
}

struct EndingCase {
  const char* name;
  int dialog;
  std::function<void(DialogUser&)> act;
  bool ends_on_ok_and_cancel;
  int result;
  std::vector<std::string> notices;
};

TEST(Win32Dialog, EnterPressesTheDefaultButtonAndCloseCancels) {
  const EndingCase cases[] = {
      {"enter", IDD_TIME_SETTINGS, [](DialogUser& u) { u.PressEnter(); }, true, kIdOk, {"click 1"}},
      {"close box",
       IDD_TIME_SETTINGS,
       [](DialogUser& u) { u.Close(); },
       true,
       kIdCancel,
       {"click 2"}},
      {"return key",
       IDD_TIME_SETTINGS,
       [](DialogUser& u) { u.Keys("\r"); },
       true,
       kIdOk,
       {"click 1"}},
      // The squawk list's default button is Add; the script's end then closes it.
      {"enter in an edit",
       IDD_SQUAWK_AIRPORTS,
       [](DialogUser& u) {
         u.Type(IDC_SQK_ICAO, "eg");
         u.Keys("ll\n");
       },
       true,
       kIdCancel,
       {"text 3001", "text 3001", "text 3001", "text 3001", "click 3002", "click 2"}},
      {"script returns", IDD_HISTORY_TRAILS, [](DialogUser&) {}, true, kIdCancel, {"click 2"}},
      {"cancel ignored", IDD_HISTORY_TRAILS, [](DialogUser&) {}, false, kIdCancel, {"click 2"}},
  };
  for (const EndingCase& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingHandler handler;
    handler.ends_on_ok_and_cancel = c.ends_on_ok_and_cancel;
    bool open_after = true;
    int closing_result = 0;
    const DialogScript script = [&](DialogUser& user) {
      c.act(user);
      open_after = user.IsOpen();
    };
    EXPECT_EQ(RunDialog(c.dialog, handler, script,
                        [&](DialogUser& user, int result) {
                          closing_result = result;
                          EXPECT_FALSE(user.IsOpen());
                          EXPECT_FALSE(user.Click(kIdOk));
                          EXPECT_FALSE(user.State().empty());  // still readable
                        }),
              c.result);
    EXPECT_EQ(closing_result, c.result);
    EXPECT_EQ(handler.After(), c.notices);
  }
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
  RecordingHandler handler;
  for (int i = 0; i < 6; ++i)
    handler.swatches[swatch_ids[i]] =
        Rgb(static_cast<std::uint8_t>(40 * i), 200, static_cast<std::uint8_t>(255 - 30 * i));
  const std::string png =
      (std::filesystem::temp_directory_path() / "kestrava-dialog-snapshot.png").string();
  std::filesystem::remove(png);
  std::vector<ControlState> state;
  std::optional<ColorRef> pixel;
  std::uint32_t clicked_state = 0;
  const DialogScript script = [&](DialogUser& user) {
    state = user.State();
    ASSERT_TRUE(user.Snapshot(png));
    HWND dialog = GetActiveWindow();
    pixel = SnapshotPixel(png, dialog, GetDlgItem(dialog, IDC_TIME_LANDING));
    handler.drawn.clear();
    EXPECT_TRUE(user.Click(IDC_TIME_LANDING));
    if (!handler.drawn.empty()) clicked_state = handler.drawn.back().state;
  };
  RunDialog(IDD_TIME_SETTINGS, handler, script);
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

TEST(Win32Dialog, ClicksTicksAndSelectionsReachTheHandler) {
  RecordingHandler handler;
  handler.init = [](DialogControls& controls) {
    for (const char* shape : {"Square", "Circle", "Diamond"}) {
      controls.AddString(IDC_TRAILS_TYPE, shape);  // a sorted list
    }
    controls.SetCheck(IDC_TRAILS_FADE, 1);
  };
  std::vector<ControlState> state;
  const DialogScript script = [&](DialogUser& user) {
    EXPECT_TRUE(user.Check(IDC_TRAILS_SHOW, true));
    EXPECT_TRUE(user.Check(IDC_TRAILS_SHOW, true));  // already ticked: nothing happens
    EXPECT_TRUE(user.Check(IDC_TRAILS_FADE, false));
    EXPECT_TRUE(user.Select(IDC_TRAILS_TYPE, 2));
    EXPECT_FALSE(user.Select(IDC_TRAILS_TYPE, 3));
    EXPECT_TRUE(user.Click(IDC_TRAILS_COLOUR));
    EXPECT_FALSE(user.Check(IDC_TRAILS_COLOUR, true));  // not a check box
    EXPECT_FALSE(user.Click(4242));
    state = user.State();
    EXPECT_TRUE(user.Click(kIdOk));
    EXPECT_FALSE(user.Click(kIdOk));  // closed
  };
  EXPECT_EQ(RunDialog(IDD_HISTORY_TRAILS, handler, script), kIdOk);
  EXPECT_EQ(handler.After(), (std::vector<std::string>{"click 3019", "click 3031", "select 3029",
                                                       "click 3016", "click 1"}));
  std::vector<int> ids;
  for (const ControlState& s : state) ids.push_back(s.id);
  // Template order, push buttons and labels left out (the swatch has no colour here).
  EXPECT_EQ(ids, (std::vector<int>{3019, 3026, 3027, 3028, 3029, 3030, 3031}));
  EXPECT_TRUE(Find(state, IDC_TRAILS_SHOW)->checked);
  EXPECT_FALSE(Find(state, IDC_TRAILS_FADE)->checked);
  EXPECT_EQ(Find(state, IDC_TRAILS_TYPE)->items,
            (std::vector<std::string>{"Circle", "Diamond", "Square"}));
  EXPECT_EQ(Find(state, IDC_TRAILS_TYPE)->selected, 2);
}

}  // namespace
}  // namespace kestrava
