// The headless dialog backend on the module's own templates: what typing, clicking, ticking and
// spinning do to the controls, and the notices the dialog's logic hears, as from Windows.
#include "platform/headless/headless_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/module_resources.h"
#include "resources/dialog_ids.h"

namespace kestrava {
namespace {

std::string Describe(const ControlNotice& n) {
  static const char* const kNames[] = {"Clicked", "SelectionChanged", "TextChanged", "ItemChanged",
                                       "DoubleClicked"};
  std::string text = std::string(kNames[static_cast<int>(n.event)]) + " " + std::to_string(n.id);
  if (n.event == ControlEvent::ItemChanged) {
    char states[40];
    std::snprintf(states, sizeof states, " row %d %x>%x", n.row, n.old_state, n.new_state);
    text += states;
  } else if (n.event == ControlEvent::DoubleClicked) {
    text += " row " + std::to_string(n.row);
  }
  return text;
}

// Logs every notice; OK and Cancel end the dialog unless told otherwise.
class Handler : public DialogHandler {
 public:
  std::function<bool(DialogControls&)> init = [](DialogControls&) { return true; };
  std::function<void(DialogControls&, const ControlNotice&)> notice;
  bool ends_on_ok_cancel = true;
  std::vector<std::string> log;
  std::vector<DrawItemInfo> drawn;
  DialogControls* controls = nullptr;

  bool OnInitDialog(DialogControls& c) override {
    controls = &c;
    return init(c);
  }
  void OnNotice(DialogControls& c, const ControlNotice& n) override {
    log.push_back(Describe(n));
    if (notice) notice(c, n);
    if (ends_on_ok_cancel && n.event == ControlEvent::Clicked && (n.id == 1 || n.id == 2)) {
      c.EndDialog(n.id);
    }
  }
  void OnDrawItem(DialogControls& /*c*/, const DrawItemInfo& item) override {
    drawn.push_back(item);
  }
  std::optional<ColorRef> SwatchColour(int id) const override {
    return id == IDC_TRAILS_COLOUR ? std::optional<ColorRef>(0x123456) : std::nullopt;
  }
};

int RunDialog(int template_id, Handler& handler, const DialogScript& script) {
  DialogRequest request;
  request.module = ThisModuleResources();
  request.template_id = template_id;
  request.handler = &handler;
  request.script = &script;
  return RunHeadlessDialog(request);
}

using Log = std::vector<std::string>;

TEST(HeadlessEdits, TypingFiltersLimitsAndNotices) {
  struct Case {
    int dialog;
    int edit;
    int limit;  // 0: none set
    const char* before;
    const char* typed;
    const char* after;
    int changes;
  };
  const Case cases[] = {
      {IDD_SQUAWK_AIRPORTS, IDC_SQK_ICAO, 4, "", "egll1", "EGLL", 4},  // upper case, 4 at most
      {IDD_INITIAL_ALTITUDES, IDC_ALT_ALTITUDE, 0, "5000", "12a3", "123", 3},  // digits only
      {IDD_STATISTICS_LOG, IDC_LOG_PATH, 0, "old", "c:\\Ab", "c:\\Ab", 5},     // replaces all
      {IDD_SQUAWK_AIRPORTS, IDC_SQK_ICAO, 4, "", "ab\bc", "AC", 4},            // backspace
      {IDD_SQUAWK_AIRPORTS, IDC_SQK_ICAO, 2, "WXYZ", "q", "Q", 1},  // the selection goes first
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Handler handler;
    handler.init = [&](DialogControls& controls) {
      controls.SetWindowText(c.edit, c.before);
      if (c.limit > 0) controls.LimitText(c.edit, c.limit);
      return true;
    };
    std::string text;
    RunDialog(c.dialog, handler, [&](DialogUser& user) {
      handler.log.clear();
      EXPECT_TRUE(user.Type(c.edit, c.typed));
      text = handler.controls->GetWindowText(c.edit);
    });
    EXPECT_EQ(text, c.after);
    EXPECT_EQ(
        std::count(handler.log.begin(), handler.log.end(), "TextChanged " + std::to_string(c.edit)),
        c.changes);
  }
}

TEST(HeadlessEdits, SettingAndPastingTextNotifiesEvenWithoutFilters) {
  Handler handler;
  std::string pasted;
  RunDialog(IDD_HISTORY_TRAILS, handler, [&](DialogUser& user) {
    handler.controls->SetWindowText(IDC_TRAILS_COUNT, "6");
    handler.controls->SetWindowText(IDC_TRAILS_COUNT, "6");
    EXPECT_TRUE(user.Paste(IDC_TRAILS_COUNT, "1x"));  // digits-only does not apply to pasting
    pasted = handler.controls->GetWindowText(IDC_TRAILS_COUNT);
    EXPECT_EQ(handler.log, Log(3, "TextChanged 3026"));
  });
  EXPECT_EQ(pasted, "1x");
}

// How the dialog ends: Enter, the close box, OK, a script that returns, no script at all.
TEST(HeadlessRun, EnterCloseAndEndResults) {
  struct Case {
    const char* name;
    int dialog;
    DialogScript script;
    Log log;
    int result;
  };
  const std::vector<Case> cases = {
      {"enter in an edit presses the default button",
       IDD_SQUAWK_AIRPORTS,
       [](DialogUser& u) { u.Type(IDC_SQK_ICAO, "\n"); },
       {"Clicked 3002", "Clicked 2"},
       2},
      {"enter on the focused OK",
       IDD_HISTORY_TRAILS,
       [](DialogUser& u) { u.Keys("\n"); },
       {"Clicked 1"},
       1},
      {"enter on a focused check box",
       IDD_TIME_SETTINGS,
       [](DialogUser& u) { u.Keys("\n"); },
       {"Clicked 1"},
       1},
      {"enter after another button was clicked",
       IDD_STATISTICS_LOG,
       [](DialogUser& u) {
         u.Click(IDC_LOG_BROWSE);
         u.PressEnter();
       },
       {"Clicked 3034", "Clicked 1"},
       1},
      {"close box", IDD_TIME_SETTINGS, [](DialogUser& u) { u.Close(); }, {"Clicked 2"}, 2},
      {"script returns", IDD_STATISTICS_LOG, [](DialogUser&) {}, {"Clicked 2"}, 2},
      {"no script", IDD_STATISTICS_LOG, nullptr, {"Clicked 2"}, 2},
      {"nothing after the end",
       IDD_STATISTICS_LOG,
       [](DialogUser& u) {
         u.Click(1);
         EXPECT_FALSE(u.Click(2));
         EXPECT_FALSE(u.IsOpen());
       },
       {"Clicked 1"},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Handler handler;
    EXPECT_EQ(RunDialog(c.dialog, handler, c.script), c.result);
    EXPECT_EQ(handler.log, c.log);
  }
}

TEST(HeadlessRun, AHandlerThatStaysOpenIsCancelledAtTheEndAndOpenCloseAreTold) {
  Handler handler;
  handler.ends_on_ok_cancel = false;
  DialogRequest request;
  request.module = ThisModuleResources();
  request.template_id = IDD_STATISTICS_LOG;
  request.handler = &handler;
  Log told;
  request.on_open = [&](DialogUser& user) { told.push_back("open " + user.Caption()); };
  request.on_close = [&](DialogUser& user, int result) {
    told.push_back("close " + std::to_string(result) + " " +
                   std::to_string(user.State().size()));  // controls still readable
  };
  EXPECT_EQ(RunHeadlessDialog(request), kIdCancel);
  EXPECT_EQ(told, (Log{"open CSV Log File", "close 2 2"}));

  request.template_id = 2999;
  EXPECT_EQ(RunHeadlessDialog(request), -1);
  request.template_id = IDD_STATISTICS_LOG;
  request.handler = nullptr;
  EXPECT_EQ(RunHeadlessDialog(request), -1);
}

TEST(HeadlessButtons, CheckBoxesToggleOnClickOnlyWhenTheStateDiffers) {
  Handler handler;
  RunDialog(IDD_HISTORY_TRAILS, handler, [&](DialogUser& user) {
    DialogControls& c = *handler.controls;
    c.SetCheck(IDC_TRAILS_SHOW, 1);  // no notice
    EXPECT_TRUE(user.Check(IDC_TRAILS_SHOW, true));
    EXPECT_TRUE(user.Check(IDC_TRAILS_FADE, true));
    EXPECT_TRUE(user.Click(IDC_TRAILS_FADE));
    EXPECT_FALSE(user.Check(4242, true));
    EXPECT_EQ(handler.log, (Log{"Clicked 3031", "Clicked 3031"}));
    EXPECT_EQ(c.GetCheck(IDC_TRAILS_SHOW), 1);
    EXPECT_EQ(c.GetCheck(IDC_TRAILS_FADE), 0);
    EXPECT_EQ(c.GetFocus(), IDC_TRAILS_FADE);
  });
}

TEST(HeadlessDropDowns, SortedAndUnsortedListsAndSelection) {
  Handler handler;
  RunDialog(IDD_HISTORY_TRAILS, handler, [&](DialogUser& user) {
    DialogControls& c = *handler.controls;
    EXPECT_EQ(c.AddString(IDC_TRAILS_TYPE, "Square"), 0);
    EXPECT_EQ(c.AddString(IDC_TRAILS_TYPE, "circle"), 0);
    c.SetCurSel(IDC_TRAILS_TYPE, 1);  // Square, no notice
    EXPECT_EQ(c.AddString(IDC_TRAILS_TYPE, "Diamond"), 1);
    EXPECT_EQ(c.GetCurSel(IDC_TRAILS_TYPE), 2);  // still Square
    EXPECT_EQ(c.GetLBText(IDC_TRAILS_TYPE, 0) + c.GetLBText(IDC_TRAILS_TYPE, 1), "circleDiamond");
    EXPECT_TRUE(user.Select(IDC_TRAILS_TYPE, 0));
    EXPECT_EQ(c.GetWindowText(IDC_TRAILS_TYPE), "circle");
    c.SetCurSel(IDC_TRAILS_TYPE, 7);
    EXPECT_EQ(c.GetCurSel(IDC_TRAILS_TYPE), -1);
    EXPECT_FALSE(user.Select(IDC_TRAILS_TYPE, 3));
    EXPECT_EQ(handler.log, Log{"SelectionChanged 3029"});
  });
  Handler unsorted;
  RunDialog(IDD_TIME_SETTINGS, unsorted, [&](DialogUser&) {
    DialogControls& c = *unsorted.controls;
    for (const char* entry : {"MM:SS", "HH:MM:SS", "HH:MM"}) c.AddString(IDC_TIME_ADT_TYPE, entry);
    EXPECT_EQ(c.GetLBText(IDC_TIME_ADT_TYPE, 2), "HH:MM");
    EXPECT_EQ(c.GetCount(IDC_TIME_ADT_TYPE), 3);
  });
}

// List-view notices: each case starts from rows "A", "B", "C" (ticked, unticked, unticked).
TEST(HeadlessListViews, ItemChangedSequences) {
  using Action = std::function<void(DialogControls&, DialogUser&, int list)>;
  struct Case {
    const char* name;
    int dialog;
    int list;
    Action action;
    Log log;
  };
  const std::vector<Case> cases = {
      {"insert with check boxes",
       IDD_SQUAWK_AIRPORTS,
       IDC_SQK_LIST,
       [](DialogControls& c, DialogUser&, int l) { c.InsertItem(l, 9, "D"); },
       {"ItemChanged 3000 row 3 0>1000"}},
      {"tick by code twice",
       IDD_SQUAWK_AIRPORTS,
       IDC_SQK_LIST,
       [](DialogControls& c, DialogUser&, int l) {
         c.SetCheckState(l, 1, true);
         c.SetCheckState(l, 1, true);
       },
       {"ItemChanged 3000 row 1 1000>2000"}},
      {"click one row then another",
       IDD_SQUAWK_AIRPORTS,
       IDC_SQK_LIST,
       [](DialogControls&, DialogUser& u, int l) {
         u.SelectRow(l, 0);
         u.SelectRow(l, 2);
       },
       {"ItemChanged 3000 row 0 2000>2003", "ItemChanged 3000 row 0 2003>2001",
        "ItemChanged 3000 row 0 2001>2000", "ItemChanged 3000 row 2 1000>1003"}},
      {"several selected by code, then a click",
       IDD_SQUAWK_AIRPORTS,
       IDC_SQK_LIST,
       [](DialogControls& c, DialogUser& u, int l) {
         c.SetItemSelected(l, 0, true);
         c.SetItemSelected(l, 1, true);
         u.SelectRow(l, -1);
       },
       {"ItemChanged 3000 row 0 2000>2002", "ItemChanged 3000 row 1 1000>1002",
        "ItemChanged 3000 row 0 2002>2000", "ItemChanged 3000 row 1 1002>1000"}},
      {"single selection deselects first",
       IDD_INITIAL_ALTITUDES,
       IDC_ALT_LIST,
       [](DialogControls& c, DialogUser&, int l) {
         c.SetItemSelected(l, 0, true);
         c.SetItemSelected(l, 1, true);
       },
       {"ItemChanged 3006 row 0 2000>2002", "ItemChanged 3006 row 0 2002>2000",
        "ItemChanged 3006 row 1 1000>1002"}},
      {"user ticks and double-clicks",
       IDD_INITIAL_ALTITUDES,
       IDC_ALT_LIST,
       [](DialogControls&, DialogUser& u, int l) {
         u.Tick(l, 2, true);
         u.DoubleClick(l, 2);
       },
       {"ItemChanged 3006 row 2 1000>2000", "ItemChanged 3006 row 2 2000>2003",
        "DoubleClicked 3006 row 2"}},
      {"deleting a selected row, then all",
       IDD_INITIAL_ALTITUDES,
       IDC_ALT_LIST,
       [](DialogControls& c, DialogUser& u, int l) {
         u.SelectRow(l, 1);
         c.DeleteItem(l, 1);
         u.SelectRow(l, 0);
         c.DeleteAllItems(l);
       },
       {"ItemChanged 3006 row 1 1000>1003", "ItemChanged 3006 row 1 1003>1000",
        "ItemChanged 3006 row 0 2000>2003"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Handler handler;
    handler.init = [&](DialogControls& controls) {
      controls.SetExtendedStyle(c.list, kLvsExCheckBoxes | kLvsExFullRowSelect);
      controls.InsertColumn(c.list, 0, "", 25);
      controls.InsertColumn(c.list, 1, "ICAO", 50);
      for (const char* text : {"A", "B", "C"}) {
        const int row = controls.InsertItem(c.list, 99, "");
        controls.SetItemText(c.list, row, 1, text);
      }
      controls.SetCheckState(c.list, 0, true);
      return true;
    };
    RunDialog(c.dialog, handler, [&](DialogUser& user) {
      EXPECT_EQ(handler.log.size(), 4u);  // three insertions, one tick
      handler.log.clear();
      c.action(*handler.controls, user, c.list);
      EXPECT_EQ(handler.log, c.log);
      handler.log.clear();
    });
  }
}

TEST(HeadlessListViews, RowsTextsAndStateReport) {
  Handler handler;
  std::vector<ControlState> state;
  RunDialog(IDD_INITIAL_ALTITUDES, handler, [&](DialogUser& user) {
    DialogControls& c = *handler.controls;
    c.SetExtendedStyle(IDC_ALT_LIST, kLvsExCheckBoxes);
    for (int column = 0; column < 4; ++column) c.InsertColumn(IDC_ALT_LIST, column, "", 50);
    c.InsertItem(IDC_ALT_LIST, 0, "");
    c.SetItemText(IDC_ALT_LIST, 0, 2, "BPK7F");
    c.SetItemText(IDC_ALT_LIST, 0, 7, "nowhere");
    c.SetCheckState(IDC_ALT_LIST, 0, true);
    user.SelectRow(IDC_ALT_LIST, 0);
    EXPECT_EQ(c.GetNextSelected(IDC_ALT_LIST, -1), 0);
    EXPECT_EQ(c.GetNextSelected(IDC_ALT_LIST, 0), -1);
    EXPECT_EQ(c.GetItemText(IDC_ALT_LIST, 0, 2), "BPK7F");
    state = user.State();
  });
  ASSERT_EQ(state.size(), 5u);  // check box, list, three edits
  const ControlState& list = state[1];
  EXPECT_EQ(list.kind, ControlState::Kind::ListView);
  ASSERT_EQ(list.rows.size(), 1u);
  EXPECT_EQ(list.rows[0].texts, (std::vector<std::string>{"", "", "BPK7F", ""}));
  EXPECT_TRUE(list.rows[0].checked);
  EXPECT_TRUE(list.rows[0].selected);
}

TEST(HeadlessUpDown, ArrowsReadTheBuddyStepAndClamp) {
  struct Case {
    int high;  // the range is 0 to high; -1: Windows' default, 100 to 0
    const char* buddy;
    int presses;
    const char* after;
    int changes;
  };
  const Case cases[] = {
      {99, "98", 3, "99", 1},       {99, "1", -3, "0", 1},        {99, "0", -1, "0", 0},
      {99, "", 2, "2", 2},          {99, "abc", 1, "7", 1},  // not a number: from the position
      {99, "150", 1, "7", 1},       {-1, "50", 1, "49", 1},  // default range: up counts down
      {5000, "999", 1, "1,000", 1}, {5000, "1,000", -1, "999", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.buddy);
    Handler handler;
    std::string text;
    int position = 0;
    int focus = 0;
    std::size_t changes = 0;
    RunDialog(IDD_HISTORY_TRAILS, handler, [&](DialogUser& user) {
      DialogControls& controls = *handler.controls;
      if (c.high >= 0) controls.SetRange(IDC_TRAILS_COUNT_SPIN, 0, c.high);
      controls.SetPos(IDC_TRAILS_COUNT_SPIN, 6);
      controls.SetWindowText(IDC_TRAILS_COUNT, c.buddy);
      handler.log.clear();
      EXPECT_TRUE(user.Spin(IDC_TRAILS_COUNT_SPIN, c.presses));
      changes = handler.log.size();
      text = controls.GetWindowText(IDC_TRAILS_COUNT);
      position = controls.GetPos(IDC_TRAILS_COUNT_SPIN);
      focus = controls.GetFocus();
    });
    EXPECT_EQ(text, c.after);
    EXPECT_EQ(focus, IDC_TRAILS_COUNT);  // an arrow click focuses the buddy
    std::string digits = c.after;
    digits.erase(std::remove(digits.begin(), digits.end(), ','), digits.end());
    EXPECT_EQ(std::to_string(position), digits);
    EXPECT_EQ(changes, static_cast<std::size_t>(c.changes));
  }
}

TEST(HeadlessOwnerDraw, ButtonsDrawWhenShownInvalidatedAndSnapped) {
  Handler handler;
  handler.notice = [](DialogControls& c, const ControlNotice& n) {
    if (n.id == IDC_TIME_LATE) c.Invalidate(IDC_TIME_LATE);
  };
  bool snapped = false;
  const std::string png = ::testing::TempDir() + "headless_dialog_snapshot.png";
  std::remove(png.c_str());
  RunDialog(IDD_TIME_SETTINGS, handler, [&](DialogUser& user) {
    EXPECT_EQ(handler.drawn.size(), 6u);  // each swatch once when the dialog opened
    handler.drawn.clear();
    user.Click(IDC_TIME_LATE);
    ASSERT_EQ(handler.drawn.size(), 1u);  // the clicked swatch, now focused
    // Owner-drawn buttons the handler names no colour for are no swatches.
    const std::vector<ControlState> state = user.State();
    EXPECT_EQ(std::count_if(
                  state.begin(), state.end(),
                  [](const ControlState& s) { return s.kind == ControlState::Kind::ColourButton; }),
              1);
    snapped = user.Snapshot(png);
  });
  EXPECT_EQ(handler.drawn[0].id, IDC_TIME_LATE);
  EXPECT_EQ(handler.drawn[0].state, kOdsFocus);
  EXPECT_EQ(handler.drawn[0].rect.right, 15);  // 10 dialog units
  EXPECT_EQ(handler.drawn[0].rect.bottom, 16);
  EXPECT_NE(handler.drawn[0].dc, nullptr);
#ifdef _WIN32
  EXPECT_FALSE(snapped);
#else
  EXPECT_TRUE(snapped);
  EXPECT_EQ(handler.drawn.size(), 1u + 6u);
  std::FILE* file = std::fopen(png.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  unsigned char signature[4] = {};
  EXPECT_EQ(std::fread(signature, 1, 4, file), 4u);
  std::fclose(file);
  EXPECT_EQ(signature[1], 'P');
#endif
}

TEST(HeadlessState, ControlsInTemplateOrderAndFocusAfterInit) {
  Handler handler;
  std::vector<ControlState> state;
  int focus = -1;
  RunDialog(IDD_HISTORY_TRAILS, handler, [&](DialogUser& user) {
    DialogControls& c = *handler.controls;
    c.SetRange(IDC_TRAILS_COUNT_SPIN, 0, 99);
    c.SetPos(IDC_TRAILS_COUNT_SPIN, 12);
    c.SetCheck(IDC_TRAILS_ANTIALIAS, 1);
    c.AddString(IDC_TRAILS_TYPE, "Circle");
    c.SetCurSel(IDC_TRAILS_TYPE, 0);
    focus = c.GetFocus();
    state = user.State();
  });
  EXPECT_EQ(focus, kIdOk);  // the first tab stop
  using K = ControlState::Kind;
  const std::vector<std::pair<int, K>> expected = {
      {3019, K::CheckBox}, {3026, K::Edit},     {3027, K::UpDown},   {3016, K::ColourButton},
      {3028, K::CheckBox}, {3029, K::DropDown}, {3030, K::CheckBox}, {3031, K::CheckBox}};
  ASSERT_EQ(state.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(state[i].id, expected[i].first);
    EXPECT_EQ(state[i].kind, expected[i].second);
  }
  EXPECT_EQ(state[1].text, "12");
  EXPECT_EQ(state[2].position, 12);
  EXPECT_EQ(state[3].colour, 0x123456u);
  EXPECT_TRUE(state[4].checked);
  EXPECT_EQ(state[5].items, std::vector<std::string>{"Circle"});
  EXPECT_EQ(state[5].selected, 0);

  Handler no_focus;
  no_focus.init = [](DialogControls&) { return false; };
  RunDialog(IDD_HISTORY_TRAILS, no_focus,
            [&](DialogUser&) { focus = no_focus.controls->GetFocus(); });
  EXPECT_EQ(focus, 0);
}

}  // namespace
}  // namespace kestrava
