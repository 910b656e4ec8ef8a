#include "platform/headless/headless_dialog.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/headless/dialog_surface.h"
#include "platform/headless/dialog_template.h"
#include "platform/module_resources.h"

namespace kestrava {
namespace {

constexpr std::uint32_t kWsVisible = 0x10000000;
constexpr std::uint32_t kBsPushButton = 0x0000;
constexpr std::uint32_t kBs3State = 0x0005;
constexpr std::uint32_t kBsAuto3State = 0x0006;
constexpr std::uint32_t kUdsNoThousands = 0x0080;
constexpr int kDefaultEditLimit = 32767;
constexpr int kLargestEditLimit = 0x7FFFFFFE;
// Dialog base units of "MS Shell Dlg" 8 on a 96 dpi screen: 4 horizontal units are 6 pixels,
// 8 vertical units 13 pixels.
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;

enum class Kind {
  PushButton,
  CheckBox,
  OwnerDrawn,
  Label,
  Edit,
  DropDown,
  ListView,
  UpDown,
  Other
};

Kind KindOf(const DialogTemplateControl& control) {
  switch (ClassOf(control)) {
    case ControlClass::Button:
      switch (control.style & kBsTypeMask) {
        case kBsPushButton:
        case kBsDefPushButton: return Kind::PushButton;
        case kBsCheckBox:
        case kBsAutoCheckBox:
        case kBs3State:
        case kBsAuto3State: return Kind::CheckBox;
        case kBsOwnerDraw: return Kind::OwnerDrawn;
        default: return Kind::Other;
      }
    case ControlClass::Edit: return Kind::Edit;
    case ControlClass::Static: return Kind::Label;
    case ControlClass::ComboBox: return Kind::DropDown;
    case ControlClass::ListView: return Kind::ListView;
    case ControlClass::UpDown: return Kind::UpDown;
    default: return Kind::Other;
  }
}

// MulDiv: rounded to the nearest pixel, halves away from zero.
int Scale(int value, int numerator, int denominator) {
  return static_cast<int>(std::lround(static_cast<double>(value) * numerator / denominator));
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(AsciiLower(x)) < static_cast<unsigned char>(AsciiLower(y));
  });
}

// The number an up-down control reads from its buddy's text, as wcstol reads it after the
// thousands separators are taken out: nothing when characters are left over.
std::optional<long long> ReadBuddyNumber(const std::string& text) {
  std::string digits;
  for (char c : text) {
    if (c != ',') digits += c;
  }
  std::size_t at = 0;
  while (at < digits.size() && (digits[at] == ' ' || digits[at] == '\t')) ++at;
  bool negative = false;
  if (at < digits.size() && (digits[at] == '+' || digits[at] == '-')) {
    negative = digits[at] == '-';
    ++at;
  }
  long long value = 0;
  const std::size_t first_digit = at;
  while (at < digits.size() && digits[at] >= '0' && digits[at] <= '9') {
    value = std::min(value * 10 + (digits[at] - '0'), 1LL << 40);
    ++at;
  }
  if (at == first_digit) at = 0;  // no number: wcstol reads nothing at all
  if (at != digits.size()) return std::nullopt;
  return negative ? -value : value;
}

std::string BuddyText(int value, bool thousands) {
  const std::string digits = std::to_string(value < 0 ? -static_cast<long long>(value) : value);
  std::string text = value < 0 ? "-" : "";
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (thousands && i > 0 && (digits.size() - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return text;
}

struct ListRow {
  std::vector<std::string> texts;  // one per column at least for column 0
  std::uint32_t state = 0;         // kLvis* bits
};

struct Control {
  DialogTemplateControl source;
  Kind kind = Kind::Other;
  std::uint32_t style = 0;
  Rect pixels;  // in the client area
  std::string text;
  bool dirty = false;  // owner-drawn: to be drawn again
  int check = 0;
  // Edits.
  int limit = kDefaultEditLimit;
  std::size_t sel_start = 0;
  std::size_t sel_end = 0;
  // Drop-down lists.
  std::vector<std::string> items;
  int cur_sel = -1;
  // List views.
  std::uint32_t list_ex_style = 0;
  std::vector<DialogLook::Column> columns;
  std::vector<ListRow> rows;
  // Up-down controls.
  int low = 100;
  int high = 0;
  int position = 0;
  int buddy = -1;  // index of the buddy control

  int id() const { return source.id; }
  bool enabled() const { return (style & kWsDisabled) == 0; }
  bool InRange(long long value) const {
    return value >= std::min(low, high) && value <= std::max(low, high);
  }
};

class HeadlessDialog final : public DialogControls, public DialogUser {
 public:
  HeadlessDialog(const DialogTemplate& dialog, const DialogRequest& request)
      : dialog_(dialog), request_(request), handler_(*request.handler) {
    for (const DialogTemplateControl& source : dialog.controls) {
      Control control;
      control.source = source;
      control.kind = KindOf(source);
      control.style = source.style;
      control.text = source.text;
      control.pixels = ToPixels(source.x, source.y, source.cx, source.cy);
      if (control.kind == Kind::PushButton && (source.style & kBsTypeMask) == kBsDefPushButton &&
          default_id_ == 0) {
        default_id_ = source.id;
      }
      if (control.kind == Kind::Edit && (control.style & kEsUppercase)) {
        for (char& c : control.text) c = AsciiUpper(c);
      }
      controls_.push_back(std::move(control));
    }
    for (std::size_t i = 1; i < controls_.size(); ++i) {
      Control& control = controls_[i];
      if (control.kind != Kind::UpDown || (control.style & kUdsAutoBuddy) == 0) continue;
      control.buddy = static_cast<int>(i - 1);
      if (control.style & kUdsAlignRight) {
        // Windows narrows the buddy and puts the arrows over its right edge.
        Rect& buddy = controls_[i - 1].pixels;
        const int width = control.pixels.right - control.pixels.left;
        buddy.right -= width - 2;
        control.pixels = Rect{buddy.right - 2, buddy.top, buddy.right - 2 + width, buddy.bottom};
      }
    }
    const Rect client = ToPixels(0, 0, dialog.cx, dialog.cy);
    surface_ = MakeDialogSurface(client.right, client.bottom);
  }

  int Run() {
    const bool focus_first = handler_.OnInitDialog(*this);
    open_ = true;
    if (!ended_ && focus_first) {
      const int first = NextTabStop(-1);
      if (first >= 0) FocusFromDialog(first);
    }
    if (!ended_) {
      for (Control& control : controls_) control.dirty = control.kind == Kind::OwnerDrawn;
      AfterAction();
    }
    if (!ended_ && request_.on_open) {
      request_.on_open(*this);
    }
    if (!ended_ && request_.script != nullptr && *request_.script) (*request_.script)(*this);
    if (!ended_) Close();
    if (!ended_) {
      ended_ = true;
      result_ = kIdCancel;
    }
    CloseDown();
    return result_;
  }

  // --- DialogControls ---------------------------------------------------------------------------

  void EndDialog(int result) override {
    if (ended_) return;
    ended_ = true;
    result_ = result;
  }

  bool HasControl(int id) override { return Find(id) != nullptr; }

  std::string GetWindowText(int id) override {
    const Control* control = Find(id);
    if (control == nullptr) return "";
    if (control->kind == Kind::DropDown) {
      return control->cur_sel >= 0 ? control->items[static_cast<std::size_t>(control->cur_sel)]
                                   : "";
    }
    return control->text;
  }

  void SetWindowText(int id, const std::string& text) override {
    Control* control = Find(id);
    if (control == nullptr || control->kind == Kind::DropDown || control->kind == Kind::ListView ||
        control->kind == Kind::UpDown) {
      return;
    }
    if (control->kind != Kind::Edit) {
      control->text = text;
      control->dirty = control->kind == Kind::OwnerDrawn;
      return;
    }
    control->text = text;
    if (control->style & kEsUppercase) {
      for (char& c : control->text) c = AsciiUpper(c);
    }
    control->sel_start = control->sel_end = 0;
    Send({id, ControlEvent::TextChanged});
  }

  std::uint32_t GetStyle(int id) override {
    const Control* control = Find(id);
    return control != nullptr ? control->style : 0;
  }

  bool IsEnabled(int id) override {
    const Control* control = Find(id);
    return control != nullptr && control->enabled();
  }

  void SetFocus(int id) override {
    const Control* control = Find(id);
    if (control != nullptr) MoveFocus(IndexOf(*control));
  }

  int GetFocus() override {
    return focus_ >= 0 ? controls_[static_cast<std::size_t>(focus_)].id() : 0;
  }

  void Invalidate(int id) override {
    Control* control = Find(id);
    if (control != nullptr) control->dirty = true;
  }

  int GetCheck(int id) override {
    const Control* control = Find(id, Kind::CheckBox);
    return control != nullptr ? control->check : 0;
  }

  void SetCheck(int id, int state) override {
    Control* control = Find(id, Kind::CheckBox);
    if (control != nullptr) control->check = std::clamp(state, 0, 2);
  }

  void SetSel(int id, int start, int end) override {
    Control* edit = Find(id, Kind::Edit);
    if (edit == nullptr) return;
    const std::size_t length = edit->text.size();
    if (start < 0) {  // -1: no selection, the caret stays
      edit->sel_start = edit->sel_end;
      return;
    }
    std::size_t from = std::min(static_cast<std::size_t>(start), length);
    std::size_t to = end < 0 ? length : std::min(static_cast<std::size_t>(end), length);
    if (from > to) std::swap(from, to);
    edit->sel_start = from;
    edit->sel_end = to;
  }

  void LimitText(int id, int max) override {
    Control* edit = Find(id, Kind::Edit);
    if (edit != nullptr) edit->limit = max <= 0 ? kLargestEditLimit : max;
  }

  int AddString(int id, const std::string& text) override {
    Control* list = Find(id, Kind::DropDown);
    if (list == nullptr) return -1;
    auto at = list->items.end();
    if (list->style & kCbsSort) {
      at = std::lower_bound(list->items.begin(), list->items.end(), text, LessIgnoringCase);
    }
    const int index = static_cast<int>(at - list->items.begin());
    list->items.insert(at, text);
    if (list->cur_sel >= index) ++list->cur_sel;
    return index;
  }

  void ResetContent(int id) override {
    Control* list = Find(id, Kind::DropDown);
    if (list == nullptr) return;
    list->items.clear();
    list->cur_sel = -1;
  }

  int GetCount(int id) override {
    const Control* list = Find(id, Kind::DropDown);
    return list != nullptr ? static_cast<int>(list->items.size()) : 0;
  }

  int GetCurSel(int id) override {
    const Control* list = Find(id, Kind::DropDown);
    return list != nullptr ? list->cur_sel : -1;
  }

  void SetCurSel(int id, int index) override {
    Control* list = Find(id, Kind::DropDown);
    if (list == nullptr) return;
    list->cur_sel = index >= 0 && index < static_cast<int>(list->items.size()) ? index : -1;
  }

  std::string GetLBText(int id, int index) override {
    const Control* list = Find(id, Kind::DropDown);
    if (list == nullptr || index < 0 || index >= static_cast<int>(list->items.size())) return "";
    return list->items[static_cast<std::size_t>(index)];
  }

  void SetExtendedStyle(int id, std::uint32_t styles) override {
    Control* list = Find(id, Kind::ListView);
    if (list == nullptr) return;
    const bool had_boxes = (list->list_ex_style & kLvsExCheckBoxes) != 0;
    list->list_ex_style = styles;
    if ((styles & kLvsExCheckBoxes) && !had_boxes) {
      for (std::size_t row = 0; row < list->rows.size(); ++row) {
        SetRowState(id, static_cast<int>(row), kLvisUnchecked, kLvisStateImageMask);
        list = Find(id, Kind::ListView);
        if (list == nullptr) return;
      }
    } else if (!(styles & kLvsExCheckBoxes) && had_boxes) {
      for (ListRow& row : list->rows) row.state &= ~kLvisStateImageMask;
    }
  }

  int InsertColumn(int id, int column, const std::string& heading, int width) override {
    Control* list = Find(id, Kind::ListView);
    if (list == nullptr || column < 0) return -1;
    const std::size_t at = std::min(static_cast<std::size_t>(column), list->columns.size());
    list->columns.insert(list->columns.begin() + static_cast<std::ptrdiff_t>(at),
                         DialogLook::Column{heading, width});
    return static_cast<int>(at);
  }

  int InsertItem(int id, int row, const std::string& text) override {
    Control* list = Find(id, Kind::ListView);
    if (list == nullptr || row < 0) return -1;
    const std::size_t at = std::min(static_cast<std::size_t>(row), list->rows.size());
    list->rows.insert(list->rows.begin() + static_cast<std::ptrdiff_t>(at), ListRow{{text}, 0});
    const int index = static_cast<int>(at);
    if (list->list_ex_style & kLvsExCheckBoxes) {
      SetRowState(id, index, kLvisUnchecked, kLvisStateImageMask);
    }
    return index;
  }

  void SetItemText(int id, int row, int column, const std::string& text) override {
    ListRow* item = Row(id, row);
    const Control* list = Find(id, Kind::ListView);
    if (item == nullptr || column < 0 ||
        column >= std::max<int>(1, static_cast<int>(list->columns.size()))) {
      return;
    }
    if (item->texts.size() <= static_cast<std::size_t>(column)) {
      item->texts.resize(static_cast<std::size_t>(column) + 1);
    }
    item->texts[static_cast<std::size_t>(column)] = text;
  }

  std::string GetItemText(int id, int row, int column) override {
    const ListRow* item = Row(id, row);
    if (item == nullptr || column < 0 || static_cast<std::size_t>(column) >= item->texts.size()) {
      return "";
    }
    return item->texts[static_cast<std::size_t>(column)];
  }

  int GetItemCount(int id) override {
    const Control* list = Find(id, Kind::ListView);
    return list != nullptr ? static_cast<int>(list->rows.size()) : 0;
  }

  void DeleteItem(int id, int row) override {
    if (Row(id, row) == nullptr) return;
    SetRowState(id, row, 0, kLvisSelected | kLvisFocused);
    Control* list = Find(id, Kind::ListView);
    if (Row(id, row) == nullptr) return;
    list->rows.erase(list->rows.begin() + row);
  }

  void DeleteAllItems(int id) override {
    Control* list = Find(id, Kind::ListView);
    if (list != nullptr) list->rows.clear();
  }

  bool GetCheckState(int id, int row) override {
    const ListRow* item = Row(id, row);
    return item != nullptr && IsTicked(item->state);
  }

  void SetCheckState(int id, int row, bool ticked) override {
    SetRowState(id, row, ticked ? kLvisChecked : kLvisUnchecked, kLvisStateImageMask);
  }

  int GetNextSelected(int id, int after) override {
    const Control* list = Find(id, Kind::ListView);
    if (list == nullptr) return -1;
    for (int row = std::max(after + 1, 0); row < static_cast<int>(list->rows.size()); ++row) {
      if (list->rows[static_cast<std::size_t>(row)].state & kLvisSelected) return row;
    }
    return -1;
  }

  void SetItemSelected(int id, int row, bool selected) override {
    if (row == -1) {  // every row
      for (int each = 0; each < GetItemCount(id); ++each) SetItemSelected(id, each, selected);
      return;
    }
    SetRowState(id, row, selected ? kLvisSelected : 0, kLvisSelected);
  }

  void SetRange(int id, int low, int high) override {
    Control* updown = Find(id, Kind::UpDown);
    if (updown == nullptr) return;
    updown->low = low;
    updown->high = high;
  }

  int GetPos(int id) override {
    Control* updown = Find(id, Kind::UpDown);
    if (updown == nullptr) return 0;
    if (const std::optional<int> buddy = BuddyPosition(*updown)) updown->position = *buddy;
    return updown->position;
  }

  void SetPos(int id, int position) override {
    Control* updown = Find(id, Kind::UpDown);
    if (updown == nullptr) return;
    updown->position = std::clamp(position, std::min(updown->low, updown->high),
                                  std::max(updown->low, updown->high));
    WriteBuddy(id);
  }

  // --- DialogUser -------------------------------------------------------------------------------

  std::string Caption() override { return dialog_.caption; }

  bool IsOpen() override { return open_ && !ended_; }

  bool Type(int id, const std::string& text) override {
    Control* edit = Usable(id, Kind::Edit);
    if (edit == nullptr) return false;
    MoveFocus(IndexOf(*edit));
    SetSel(id, 0, -1);
    for (char c : text) {
      if (!IsOpen()) break;
      TypeCharacter(c);
    }
    return AfterAction();
  }

  bool Keys(const std::string& text) override {
    if (!IsOpen()) return false;
    for (char c : text) {
      if (!IsOpen()) break;
      TypeCharacter(c);
    }
    return AfterAction();
  }

  bool Paste(int id, const std::string& text) override {
    Control* edit = Usable(id, Kind::Edit);
    if (edit == nullptr) return false;
    MoveFocus(IndexOf(*edit));
    std::string taken = text.substr(0, static_cast<std::size_t>(std::max(edit->limit, 0)));
    if (edit->style & kEsUppercase) {
      for (char& c : taken) c = AsciiUpper(c);
    }
    edit->text = taken;
    edit->sel_start = edit->sel_end = taken.size();
    Send({id, ControlEvent::TextChanged});
    return AfterAction();
  }

  bool Check(int id, bool ticked) override {
    Control* box = Usable(id, Kind::CheckBox);
    if (box == nullptr) return false;
    if ((box->check != 0) != ticked) ClickControl(IndexOf(*box));
    return AfterAction();
  }

  bool Select(int id, int index) override {
    Control* list = Usable(id, Kind::DropDown);
    if (list == nullptr || index < -1 || index >= static_cast<int>(list->items.size())) {
      return false;
    }
    MoveFocus(IndexOf(*list));
    list->cur_sel = index;
    Send({id, ControlEvent::SelectionChanged});
    return AfterAction();
  }

  bool Spin(int id, int delta) override {
    Control* updown = Usable(id, Kind::UpDown);
    if (updown == nullptr) return false;
    // Clicking an arrow gives the buddy the focus (its text stays as selected).
    if (updown->buddy >= 0) MoveFocus(updown->buddy);
    for (int press = 0; press < std::abs(delta) && IsOpen(); ++press) {
      updown = Find(id, Kind::UpDown);
      if (const std::optional<int> buddy = BuddyPosition(*updown)) updown->position = *buddy;
      const int step = (delta > 0 ? 1 : -1) * (updown->high < updown->low ? -1 : 1);
      const int moved = std::clamp(updown->position + step, std::min(updown->low, updown->high),
                                   std::max(updown->low, updown->high));
      if (moved != updown->position) {
        updown->position = moved;
        WriteBuddy(id);
      }
    }
    return AfterAction();
  }

  bool SelectRow(int id, int row) override {
    Control* list = Usable(id, Kind::ListView);
    if (list == nullptr || row < -1 || row >= static_cast<int>(list->rows.size())) return false;
    MoveFocus(IndexOf(*list));
    ClickRow(id, row);
    return AfterAction();
  }

  bool Tick(int id, int row, bool ticked) override {
    Control* list = Usable(id, Kind::ListView);
    if (list == nullptr || (list->list_ex_style & kLvsExCheckBoxes) == 0 ||
        Row(id, row) == nullptr) {
      return false;
    }
    MoveFocus(IndexOf(*list));
    if (GetCheckState(id, row) != ticked) SetCheckState(id, row, ticked);
    return AfterAction();
  }

  bool DoubleClick(int id, int row) override {
    Control* list = Usable(id, Kind::ListView);
    if (list == nullptr || row < -1 || row >= static_cast<int>(list->rows.size())) return false;
    MoveFocus(IndexOf(*list));
    ClickRow(id, row);
    if (IsOpen()) Send({id, ControlEvent::DoubleClicked, row});
    return AfterAction();
  }

  bool Click(int id) override {
    Control* control = Find(id);
    if (!IsOpen() || control == nullptr || !control->enabled() ||
        (control->kind != Kind::PushButton && control->kind != Kind::CheckBox &&
         control->kind != Kind::OwnerDrawn)) {
      return false;
    }
    ClickControl(IndexOf(*control));
    return AfterAction();
  }

  bool PressEnter() override {
    if (!IsOpen()) return false;
    PressDefault();
    return AfterAction();
  }

  bool Close() override {
    if (!IsOpen()) return false;
    const Control* cancel = Find(kIdCancel);
    if (cancel == nullptr || cancel->enabled()) Send({kIdCancel, ControlEvent::Clicked});
    return AfterAction();
  }

  std::vector<ControlState> State() override {
    std::vector<ControlState> states;
    for (const Control& control : controls_) {
      ControlState state;
      state.id = control.id();
      switch (control.kind) {
        case Kind::CheckBox:
          state.kind = ControlState::Kind::CheckBox;
          state.checked = control.check != 0;
          break;
        case Kind::Edit:
          state.kind = ControlState::Kind::Edit;
          state.text = control.text;
          break;
        case Kind::DropDown:
          state.kind = ControlState::Kind::DropDown;
          state.items = control.items;
          state.selected = control.cur_sel;
          break;
        case Kind::ListView:
          state.kind = ControlState::Kind::ListView;
          for (const ListRow& row : control.rows) {
            ControlState::Row shown;
            shown.texts = row.texts;
            shown.texts.resize(std::max(row.texts.size(), control.columns.size()));
            shown.checked = IsTicked(row.state);
            shown.selected = (row.state & kLvisSelected) != 0;
            state.rows.push_back(std::move(shown));
          }
          break;
        case Kind::OwnerDrawn: {
          // Only colour swatches: other owner-drawn buttons are push buttons to a person.
          const std::optional<ColorRef> colour = handler_.SwatchColour(control.id());
          if (!colour) continue;
          state.kind = ControlState::Kind::ColourButton;
          state.colour = *colour;
          break;
        }
        case Kind::UpDown:
          state.kind = ControlState::Kind::UpDown;
          state.position = BuddyPosition(control).value_or(control.position);
          break;
        default: continue;
      }
      if (control.id() == -1) continue;
      states.push_back(std::move(state));
    }
    return states;
  }

  bool Snapshot(const std::string& png_path) override {
    if (surface_ == nullptr) return false;
    surface_->Paint(Look());
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      if (controls_[i].kind == Kind::OwnerDrawn) DrawItem(i);
    }
    return surface_->SavePng(png_path);
  }

 private:
  static Rect ToPixels(int x, int y, int cx, int cy) {
    const int left = Scale(x, kBaseUnitX, 4);
    const int top = Scale(y, kBaseUnitY, 8);
    return Rect{left, top, left + Scale(cx, kBaseUnitX, 4), top + Scale(cy, kBaseUnitY, 8)};
  }

  Control* Find(int id) {
    for (Control& control : controls_) {
      if (control.id() == id) return &control;
    }
    return nullptr;
  }

  Control* Find(int id, Kind kind) {
    Control* control = Find(id);
    return control != nullptr && control->kind == kind ? control : nullptr;
  }

  // The control a person can act on: the dialog open, the control enabled.
  Control* Usable(int id, Kind kind) {
    Control* control = Find(id, kind);
    return IsOpen() && control != nullptr && control->enabled() ? control : nullptr;
  }

  int IndexOf(const Control& control) const {
    return static_cast<int>(&control - controls_.data());
  }

  ListRow* Row(int id, int row) {
    Control* list = Find(id, Kind::ListView);
    if (list == nullptr || row < 0 || row >= static_cast<int>(list->rows.size())) return nullptr;
    return &list->rows[static_cast<std::size_t>(row)];
  }

  void Send(const ControlNotice& notice) { handler_.OnNotice(*this, notice); }

  // After a person's action (or the dialog's opening): owner-drawn controls asked to repaint are
  // drawn, and a dialog whose handler called EndDialog closes. Returns true (the action was
  // taken).
  bool AfterAction() {
    for (std::size_t i = 0; i < controls_.size() && !ended_; ++i) {
      if (controls_[i].dirty && controls_[i].kind == Kind::OwnerDrawn) DrawItem(i);
    }
    if (ended_) CloseDown();
    return true;
  }

  void CloseDown() {
    if (closed_) return;
    closed_ = true;
    if (request_.on_close) request_.on_close(*this, result_);
  }

  void DrawItem(std::size_t index) {
    Control& control = controls_[index];
    control.dirty = false;
    const Rect& at = control.pixels;
    DrawItemInfo item;
    item.id = control.id();
    item.rect = Rect{0, 0, at.right - at.left, at.bottom - at.top};
    item.state = (focus_ == static_cast<int>(index) ? kOdsFocus : 0) |
                 (control.enabled() ? 0 : kOdsDisabled);
    item.dc = surface_ != nullptr ? surface_->BeginItem(at) : nullptr;
    handler_.OnDrawItem(*this, item);
    if (surface_ != nullptr) surface_->EndItem();
  }

  void MoveFocus(int index) {
    if (index == focus_) return;
    for (int changed : {focus_, index}) {
      if (changed >= 0) controls_[static_cast<std::size_t>(changed)].dirty = true;
    }
    focus_ = index;
  }

  // The dialog manager's focus (first control, Tab): an edit gets its whole text selected.
  void FocusFromDialog(int index) {
    MoveFocus(index);
    Control& control = controls_[static_cast<std::size_t>(index)];
    if (control.kind == Kind::Edit) {
      control.sel_start = 0;
      control.sel_end = control.text.size();
    }
  }

  // The next enabled, visible tab stop after `index` (-1: the first), wrapping; -1 when none.
  int NextTabStop(int index) const {
    const int count = static_cast<int>(controls_.size());
    for (int step = 1; step <= count; ++step) {
      const int at = ((index < 0 ? -1 : index) + step) % count;
      const Control& control = controls_[static_cast<std::size_t>(at)];
      if ((control.style & kWsTabStop) && (control.style & kWsVisible) && control.enabled()) {
        return at;
      }
    }
    return -1;
  }

  void ClickControl(int index) {
    MoveFocus(index);
    Control& control = controls_[static_cast<std::size_t>(index)];
    const int id = control.id();
    if (control.kind == Kind::CheckBox) {
      const std::uint32_t type = control.style & kBsTypeMask;
      if (type == kBsAutoCheckBox) control.check = control.check != 0 ? 0 : 1;
      if (type == kBsAuto3State) control.check = (control.check + 1) % 3;
    }
    control.dirty = true;
    Send({id, ControlEvent::Clicked});
  }

  void PressDefault() {
    if (focus_ >= 0) {
      const Control& focused = controls_[static_cast<std::size_t>(focus_)];
      if (focused.kind == Kind::PushButton && (focused.style & kBsTypeMask) == kBsDefPushButton) {
        Send({focused.id(), ControlEvent::Clicked});
        return;
      }
    }
    if (default_id_ != 0) {
      const Control* button = Find(default_id_);
      if (button == nullptr || button->enabled()) Send({default_id_, ControlEvent::Clicked});
      return;
    }
    Send({kIdOk, ControlEvent::Clicked});
  }

  // One character typed into the focused control.
  void TypeCharacter(char c) {
    if (c == '\n' || c == '\r') {
      PressDefault();
      return;
    }
    if (c == '\t') {
      const int next = NextTabStop(focus_);
      if (next >= 0) FocusFromDialog(next);
      return;
    }
    if (focus_ < 0) return;
    Control& control = controls_[static_cast<std::size_t>(focus_)];
    if (c == ' ' && (control.kind == Kind::PushButton || control.kind == Kind::CheckBox ||
                     control.kind == Kind::OwnerDrawn)) {
      ClickControl(focus_);
      return;
    }
    if (control.kind != Kind::Edit) return;
    std::size_t from = control.sel_start;
    std::size_t to = control.sel_end;
    std::string insert;
    if (c == '\b') {
      if (from == to) {
        if (from == 0) return;
        --from;
      }
    } else {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return;
      if ((control.style & kEsNumber) && (c < '0' || c > '9')) return;
      if (control.text.size() - (to - from) + 1 > static_cast<std::size_t>(control.limit)) {
        return;  // EN_MAXTEXT: nothing typed
      }
      insert = std::string(1, (control.style & kEsUppercase) ? AsciiUpper(c) : c);
    }
    control.text = control.text.substr(0, from) + insert + control.text.substr(to);
    control.sel_start = control.sel_end = from + insert.size();
    Send({control.id(), ControlEvent::TextChanged});
  }

  // Sets the bits of `mask` of a list-view row to `state`, with the notices Windows sends.
  void SetRowState(int id, int row, std::uint32_t state, std::uint32_t mask) {
    ListRow* item = Row(id, row);
    if (item == nullptr) return;
    const std::uint32_t old_state = item->state;
    const std::uint32_t new_state = (old_state & ~mask) | (state & mask);
    if (new_state == old_state) return;
    item->state = new_state;
    const Control* list = Find(id, Kind::ListView);
    if ((state & mask & kLvisSelected) && (list->style & kLvsSingleSel)) {
      DeselectAllBut(id, row);
    }
    if ((state & mask & kLvisFocused)) {
      for (int other = 0; other < GetItemCount(id); ++other) {
        const ListRow* each = Row(id, other);
        if (other != row && (each->state & kLvisFocused)) {
          SetRowState(id, other, 0, kLvisFocused);
        }
      }
    }
    Send({id, ControlEvent::ItemChanged, row, old_state, new_state});
  }

  void DeselectAllBut(int id, int keep) {
    for (int other = 0; other < GetItemCount(id); ++other) {
      const ListRow* each = Row(id, other);
      if (other != keep && (each->state & kLvisSelected)) SetRowState(id, other, 0, kLvisSelected);
    }
  }

  // A click on a row (-1: on empty space) of a list view.
  void ClickRow(int id, int row) {
    DeselectAllBut(id, row);
    if (row >= 0) SetRowState(id, row, kLvisSelected | kLvisFocused, kLvisSelected | kLvisFocused);
  }

  std::optional<int> BuddyPosition(const Control& updown) const {
    if (updown.buddy < 0 || (updown.style & kUdsSetBuddyInt) == 0) return std::nullopt;
    const std::optional<long long> value =
        ReadBuddyNumber(controls_[static_cast<std::size_t>(updown.buddy)].text);
    if (!value || !updown.InRange(*value)) return std::nullopt;
    return static_cast<int>(*value);
  }

  void WriteBuddy(int id) {
    const Control* updown = Find(id, Kind::UpDown);
    if (updown->buddy < 0 || (updown->style & kUdsSetBuddyInt) == 0) return;
    const Control& buddy = controls_[static_cast<std::size_t>(updown->buddy)];
    const std::string text = BuddyText(updown->position, (updown->style & kUdsNoThousands) == 0);
    if (text != buddy.text) SetWindowText(buddy.id(), text);
  }

  DialogLook Look() const {
    DialogLook look;
    look.caption = dialog_.caption;
    look.close_box = (dialog_.style & kWsSysMenu) != 0;
    const Rect client = ToPixels(0, 0, dialog_.cx, dialog_.cy);
    look.width = client.right;
    look.height = client.bottom;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      const Control& control = controls_[i];
      if ((control.style & kWsVisible) == 0) continue;
      DialogLook::Item item;
      item.rect = control.pixels;
      item.text = control.text;
      item.focused = focus_ == static_cast<int>(i);
      item.enabled = control.enabled();
      switch (control.kind) {
        case Kind::PushButton:
          item.kind = DialogLook::Kind::PushButton;
          item.is_default = control.id() == default_id_;
          break;
        case Kind::CheckBox:
          item.kind = DialogLook::Kind::CheckBox;
          item.checked = control.check != 0;
          break;
        case Kind::OwnerDrawn: item.kind = DialogLook::Kind::OwnerDrawn; break;
        case Kind::Label: item.kind = DialogLook::Kind::Label; break;
        case Kind::Edit: item.kind = DialogLook::Kind::Edit; break;
        case Kind::DropDown:
          item.kind = DialogLook::Kind::DropDown;
          item.text =
              control.cur_sel >= 0 ? control.items[static_cast<std::size_t>(control.cur_sel)] : "";
          break;
        case Kind::ListView:
          item.kind = DialogLook::Kind::ListView;
          item.check_boxes = (control.list_ex_style & kLvsExCheckBoxes) != 0;
          item.columns = control.columns;
          for (const ListRow& row : control.rows) {
            item.rows.push_back(
                DialogLook::Row{row.texts, IsTicked(row.state), (row.state & kLvisSelected) != 0});
          }
          break;
        case Kind::UpDown: item.kind = DialogLook::Kind::UpDown; break;
        case Kind::Other: continue;
      }
      look.items.push_back(std::move(item));
    }
    return look;
  }

  const DialogTemplate& dialog_;
  const DialogRequest& request_;
  DialogHandler& handler_;
  std::vector<Control> controls_;
  std::unique_ptr<DialogSurface> surface_;
  int focus_ = -1;       // index of the focused control
  int default_id_ = 0;   // the default push button's id; 0 when none
  bool open_ = false;    // initialised
  bool ended_ = false;   // EndDialog called
  bool closed_ = false;  // on_close told
  int result_ = -1;
};

}  // namespace

int RunHeadlessDialog(const DialogRequest& request) {
  if (request.handler == nullptr) return -1;
  const std::optional<DialogTemplate> dialog =
      ParseDialogTemplate(FindDialogTemplate(request.module, request.template_id));
  if (!dialog) return -1;
  HeadlessDialog run(*dialog, request);
  return run.Run();
}

}  // namespace kestrava
