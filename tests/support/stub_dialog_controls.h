// Dialog controls that do nothing but keep styles, window texts, length limits, the focus and
// the selected edit: for driving a dialog's logic directly, without a dialog backend.
#pragma once

#include <map>
#include <string>

#include "platform/dialog.h"

namespace kestrava::testing {

class StubDialogControls : public DialogControls {
 public:
  std::map<int, std::uint32_t> styles;
  std::map<int, std::string> texts;
  std::map<int, int> limits;
  int focused = 0;
  int selected_all = 0;  // the edit whose whole text was selected last

  void EndDialog(int) override {}
  bool HasControl(int) override { return true; }
  std::string GetWindowText(int id) override { return texts[id]; }
  void SetWindowText(int id, const std::string& text) override { texts[id] = text; }
  std::uint32_t GetStyle(int id) override { return styles[id]; }
  bool IsEnabled(int) override { return true; }
  void SetFocus(int id) override { focused = id; }
  int GetFocus() override { return focused; }
  void Invalidate(int) override {}
  int GetCheck(int) override { return 0; }
  void SetCheck(int, int) override {}
  void SetSel(int id, int start, int end) override {
    if (start == 0 && end == -1) selected_all = id;
  }
  void LimitText(int id, int max) override { limits[id] = max; }
  int AddString(int, const std::string&) override { return -1; }
  void ResetContent(int) override {}
  int GetCount(int) override { return 0; }
  int GetCurSel(int) override { return -1; }
  void SetCurSel(int, int) override {}
  std::string GetLBText(int, int) override { return {}; }
  void SetExtendedStyle(int, std::uint32_t) override {}
  int InsertColumn(int, int, const std::string&, int) override { return -1; }
  int InsertItem(int, int, const std::string&) override { return -1; }
  void SetItemText(int, int, int, const std::string&) override {}
  std::string GetItemText(int, int, int) override { return {}; }
  int GetItemCount(int) override { return 0; }
  void DeleteItem(int, int) override {}
  void DeleteAllItems(int) override {}
  bool GetCheckState(int, int) override { return false; }
  void SetCheckState(int, int, bool) override {}
  int GetNextSelected(int, int) override { return -1; }
  void SetItemSelected(int, int, bool) override {}
  void SetRange(int, int, int) override {}
  int GetPos(int) override { return 0; }
  void SetPos(int, int) override {}
};

}  // namespace kestrava::testing
