// The dialog templates built into the module, read back through the template parser: captions,
// sizes, fonts, styles and the controls in tab order; and malformed bytes refused.
#include "platform/headless/dialog_template.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/headless/resource_file.h"
#include "platform/module_resources.h"
#include "resources/dialog_ids.h"

namespace kestrava {
namespace {

using Kind = ControlClass;

std::optional<DialogTemplate> Load(int id) {
  return ParseDialogTemplate(FindDialogTemplate(ThisModuleResources(), id));
}

constexpr std::uint32_t kPopupCaption = 0x80C00000;  // WS_POPUP | WS_CAPTION

struct TemplateCase {
  int id;
  const char* caption;
  int cx;
  int cy;
  std::uint32_t style;  // besides WS_POPUP, WS_CAPTION and DS_SETFONT
  std::vector<std::pair<int, Kind>> controls;
};

TEST(DialogTemplates, CaptionSizeFontStyleAndControlsInTabOrder) {
  const Kind B = Kind::Button, E = Kind::Edit, S = Kind::Static, C = Kind::ComboBox,
             L = Kind::ListView, U = Kind::UpDown;
  const std::uint32_t modal_menu = kDsModalFrame | kWsSysMenu;
  const std::vector<TemplateCase> cases = {
      {IDD_SQUAWK_AIRPORTS,
       "QEX Squawk",
       122,
       147,
       modal_menu,
       {{3014, B},
        {3000, L},
        {3008, S},
        {3001, E},
        {3002, B},
        {3003, B},
        {3004, B},
        {1, B},
        {2, B}}},
      {IDD_INITIAL_ALTITUDES,
       "Initial Altitudes",
       264,
       180,
       modal_menu,
       {{3013, B},
        {3006, L},
        {3008, S},
        {3001, E},
        {3009, S},
        {3002, E},
        {3010, S},
        {3003, E},
        {3011, B},
        {3012, B},
        {3014, B},
        {1, B},
        {2, B}}},
      {IDD_TIME_SETTINGS,
       "QEX Time Settings",
       122,
       96,
       kDsModalFrame | kDsCenter,
       {{3015, B},
        {-1, S},
        {3031, C},
        {3016, B},
        {-1, S},
        {3018, B},
        {-1, S},
        {3019, B},
        {-1, S},
        {3020, B},
        {-1, S},
        {3021, B},
        {-1, S},
        {3022, B},
        {-1, S},
        {1, B},
        {2, B}}},
      {IDD_HISTORY_TRAILS,
       "History Trails",
       121,
       129,
       modal_menu | kDsSysModal | kDsCenter,
       {{1, B},
        {2, B},
        {3019, B},
        {3026, E},
        {3027, U},
        {-1, S},
        {3016, B},
        {-1, S},
        {3028, B},
        {-1, S},
        {3029, C},
        {3030, B},
        {3031, B}}},
      {IDD_STATISTICS_LOG,
       "CSV Log File",
       220,
       82,
       modal_menu | kDsCenter,
       {{3032, B}, {-1, S}, {3033, E}, {3034, B}, {1, B}, {2, B}}},
  };
  for (const TemplateCase& c : cases) {
    SCOPED_TRACE(c.caption);
    const std::optional<DialogTemplate> dialog = Load(c.id);
    ASSERT_TRUE(dialog.has_value());
    EXPECT_EQ(dialog->caption, c.caption);
    EXPECT_EQ(dialog->cx, c.cx);
    EXPECT_EQ(dialog->cy, c.cy);
    EXPECT_EQ(dialog->style, kPopupCaption | kDsSetFont | c.style);
    EXPECT_EQ(dialog->point_size, 8);
    EXPECT_EQ(dialog->font_face, "MS Shell Dlg");
    ASSERT_EQ(dialog->controls.size(), c.controls.size());
    for (std::size_t i = 0; i < c.controls.size(); ++i) {
      EXPECT_EQ(dialog->controls[i].id, c.controls[i].first) << "control " << i;
      EXPECT_EQ(ClassOf(dialog->controls[i]), c.controls[i].second) << "control " << i;
    }
  }
}

// Control styles (low word and tab stop) and positions the dialogs' behaviour depends on.
TEST(DialogTemplates, ControlStylesAndPositions) {
  struct Case {
    int dialog;
    int control;
    std::uint32_t style_bits;  // of the low word and WS_TABSTOP
    int x, y, cx, cy;
  };
  const std::uint32_t edit = kWsTabStop | kEsAutoHScroll;
  const std::uint32_t combo = kWsTabStop | kCbsDropDownList;
  const std::uint32_t updown = kUdsSetBuddyInt | kUdsAlignRight | kUdsAutoBuddy | kUdsArrowKeys;
  const Case cases[] = {
      {IDD_SQUAWK_AIRPORTS, 3014, kWsTabStop | kBsAutoCheckBox, 7, 7, 86, 10},
      {IDD_SQUAWK_AIRPORTS, 3000, kWsTabStop | kLvsReport | 0x0808, 7, 20, 64, 120},
      {IDD_SQUAWK_AIRPORTS, 3001, edit | kEsUppercase, 75, 32, 40, 14},
      {IDD_SQUAWK_AIRPORTS, 3002, kWsTabStop | kBsDefPushButton, 75, 50, 40, 14},
      {IDD_SQUAWK_AIRPORTS, 1, kWsTabStop, 75, 109, 40, 14},
      {IDD_INITIAL_ALTITUDES, 3006, kWsTabStop | kLvsReport | kLvsSingleSel | 0x0808, 7, 7, 143,
       166},
      {IDD_INITIAL_ALTITUDES, 3002, edit | kEsUppercase, 154, 66, 52, 14},
      {IDD_INITIAL_ALTITUDES, 3003, edit | kEsNumber, 154, 97, 52, 14},
      {IDD_INITIAL_ALTITUDES, 3011, kWsTabStop | kBsDefPushButton, 154, 114, 50, 14},
      {IDD_TIME_SETTINGS, 3031, combo, 45, 19, 57, 30},
      {IDD_TIME_SETTINGS, 3022, kWsTabStop | kBsOwnerDraw, 60, 60, 10, 10},
      {IDD_TIME_SETTINGS, 1, kWsTabStop | kBsDefPushButton, 7, 75, 50, 14},
      {IDD_HISTORY_TRAILS, 3026, edit | kEsNumber, 49, 74, 37, 14},
      {IDD_HISTORY_TRAILS, 3027, updown, 90, 74, 11, 14},
      {IDD_HISTORY_TRAILS, 3029, combo | kCbsSort, 45, 19, 57, 30},
      {IDD_HISTORY_TRAILS, 3016, kWsTabStop | kBsOwnerDraw, 7, 92, 10, 10},
      {IDD_STATISTICS_LOG, 3033, edit, 7, 34, 160, 14},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dialog << "/" << c.control);
    const std::optional<DialogTemplate> dialog = Load(c.dialog);
    ASSERT_TRUE(dialog.has_value());
    const DialogTemplateControl* found = nullptr;
    for (const DialogTemplateControl& control : dialog->controls) {
      if (control.id == c.control) found = &control;
    }
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->style & (0xFFFF | kWsTabStop), c.style_bits);
    EXPECT_EQ((std::vector<int>{found->x, found->y, found->cx, found->cy}),
              (std::vector<int>{c.x, c.y, c.cx, c.cy}));
  }
}

TEST(DialogTemplates, LabelsAndCaptionsKeepTheirTexts) {
  const std::optional<DialogTemplate> trails = Load(IDD_HISTORY_TRAILS);
  ASSERT_TRUE(trails.has_value());
  EXPECT_EQ(trails->controls[8].text, "Anti-Aliasing (smooth edges)");
  EXPECT_EQ(trails->controls[5].text, "Trail Count:");
  const std::optional<DialogTemplate> squawk = Load(IDD_SQUAWK_AIRPORTS);
  ASSERT_TRUE(squawk.has_value());
  EXPECT_EQ(squawk->controls[6].text, "Re&move All");
}

TEST(DialogTemplates, UnknownTemplatesAndModulesFindNothing) {
  EXPECT_TRUE(FindDialogTemplate(ThisModuleResources(), 2999).empty());
  EXPECT_TRUE(FindDialogTemplate(ModuleResources{}, IDD_TIME_SETTINGS).empty());
}

// Every truncation of a real template, and a control count beyond the data, is refused.
TEST(DialogTemplateParser, TruncatedOrOverlongTemplatesGiveNothing) {
  const std::span<const std::uint8_t> whole =
      FindDialogTemplate(ThisModuleResources(), IDD_HISTORY_TRAILS);
  ASSERT_FALSE(whole.empty());
  for (std::size_t size = 0; size < whole.size(); ++size) {
    EXPECT_FALSE(ParseDialogTemplate(whole.first(size)).has_value()) << size;
  }
  std::vector<std::uint8_t> more(whole.begin(), whole.end());
  more[16] = static_cast<std::uint8_t>(more[16] + 1);  // one more control than the bytes hold
  EXPECT_FALSE(ParseDialogTemplate(more).has_value());
}

// The older template format: a dialog without font, one button with a numbered class.
TEST(DialogTemplateParser, ReadsTheOlderFormat) {
  const std::vector<std::uint8_t> bytes = {
      0x80, 0x00, 0xC0, 0x80, 0,  0, 0,  0,  // WS_POPUP | WS_CAPTION | DS_MODALFRAME, no ex-style
      1,    0,                               // one control
      1,    0,    2,    0,    30, 0, 20, 0,  // 1, 2, 30 x 20
      0,    0,    0,    0,                   // no menu, no class
      'H',  0,    'i',  0,    0,  0,         // "Hi", ending on a DWORD boundary
      0x01, 0x00, 0x01, 0x50, 0,  0, 0,  0,  // style, ex-style
      4,    0,    5,    0,    40, 0, 14, 0,  // 4, 5, 40 x 14
      0xFF, 0xFF,                            // id -1
      0xFF, 0xFF, 0x80, 0x00,                // class Button
      'O',  0,    'K',  0,    0,  0,         // "OK"
      0,    0};                              // no creation data
  const std::optional<DialogTemplate> dialog = ParseDialogTemplate(bytes);
  ASSERT_TRUE(dialog.has_value());
  EXPECT_FALSE(dialog->extended);
  EXPECT_EQ(dialog->style, 0x80C00080u);
  EXPECT_EQ(dialog->caption, "Hi");
  EXPECT_EQ(dialog->point_size, 0);
  ASSERT_EQ(dialog->controls.size(), 1u);
  EXPECT_EQ(dialog->controls[0].id, -1);
  EXPECT_EQ(dialog->controls[0].text, "OK");
  EXPECT_EQ(ClassOf(dialog->controls[0]), Kind::Button);
}

TEST(ResourceFile, MalformedRecordsEndTheSearch) {
  // An empty marker record, then a dialog 7 whose data size runs past the end.
  std::vector<std::uint8_t> file = {0, 0, 0, 0, 32, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0};
  file.resize(32, 0);
  const std::vector<std::uint8_t> record = {4,    0,    0, 0, 32,   0,    0, 0,
                                            0xFF, 0xFF, 5, 0, 0xFF, 0xFF, 7, 0};
  file.insert(file.end(), record.begin(), record.end());
  file.resize(64, 0);
  file.insert(file.end(), {1, 2, 3, 4});
  EXPECT_EQ(FindResourceInFile(file, 5, 7).size(), 4u);
  EXPECT_TRUE(FindResourceInFile(file, 5, 8).empty());
  file.pop_back();  // data cut short
  EXPECT_TRUE(FindResourceInFile(file, 5, 7).empty());
  file[36] = 7;  // header size below its fields
  EXPECT_TRUE(FindResourceInFile(file, 5, 7).empty());
}

}  // namespace
}  // namespace kestrava
