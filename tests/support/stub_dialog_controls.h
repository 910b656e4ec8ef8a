// Dialog controls that do nothing but answer a test's styles, window texts and enabled states:
// for driving a control object's drawing directly, without a dialog backend.
#pragma once

#include <map>
#include <string>

#include "platform/dialog.h"

namespace kestrava::testing {

class StubDialogControls : public DialogControls {
 public:
  std::map<int, std::uint32_t> styles;
  std::map<int, std::string> texts;

  void EndDialog(int) override {}
  bool HasControl(int) override { return true; }
  std::string GetWindowText(int id) override { return texts[id]; }
  void SetWindowText(int id, const std::string& text) override { texts[id] = text; }
  std::uint32_t GetStyle(int id) override { return styles[id]; }
  bool IsEnabled(int) override { return true; }
  void SetFocus(int) override {}
  int GetFocus() override { return 0; }
  void Invalidate(int) override {}
  int GetCheck(int) override { return 0; }
  void SetCheck(int, int) override {}
  void SetSel(int, int, int) override {}
  void LimitText(int, int) override {}
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
