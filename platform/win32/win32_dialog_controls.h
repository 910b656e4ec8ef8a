// The dialog calls (DialogControls) on a real Windows dialog: each call is the window message the
// framework's control classes send to the control of that id.
//
// The object is made before the dialog exists and attached to it when the dialog initialises;
// it remembers how the dialog was ended.
//
// Thread: the dialog's thread. No call throws.
#pragma once

#include <windows.h>

#include "platform/dialog.h"
#include "platform/win32/win32_control_kind.h"

namespace kestrava {

class Win32DialogControls final : public DialogControls {
 public:
  void Attach(HWND dialog) { dialog_ = dialog; }
  HWND dialog() const { return dialog_; }
  // EndDialog has been called; result() is what it was given.
  bool ended() const { return ended_; }
  int result() const { return result_; }

  // The control of that id (null when the dialog has none); with a kind, only a control of
  // that kind.
  HWND Control(int id) const;
  HWND Control(int id, Win32ControlKind kind) const;

  void EndDialog(int result) override;

  bool HasControl(int id) override;
  std::string GetWindowText(int id) override;
  void SetWindowText(int id, const std::string& text) override;
  std::uint32_t GetStyle(int id) override;
  bool IsEnabled(int id) override;
  void SetFocus(int id) override;
  int GetFocus() override;
  void Invalidate(int id) override;

  int GetCheck(int id) override;
  void SetCheck(int id, int state) override;

  void SetSel(int id, int start, int end) override;
  void LimitText(int id, int max) override;

  int AddString(int id, const std::string& text) override;
  void ResetContent(int id) override;
  int GetCount(int id) override;
  int GetCurSel(int id) override;
  void SetCurSel(int id, int index) override;
  std::string GetLBText(int id, int index) override;

  void SetExtendedStyle(int id, std::uint32_t styles) override;
  int InsertColumn(int id, int column, const std::string& heading, int width) override;
  int InsertItem(int id, int row, const std::string& text) override;
  void SetItemText(int id, int row, int column, const std::string& text) override;
  std::string GetItemText(int id, int row, int column) override;
  int GetItemCount(int id) override;
  void DeleteItem(int id, int row) override;
  void DeleteAllItems(int id) override;
  bool GetCheckState(int id, int row) override;
  void SetCheckState(int id, int row, bool ticked) override;
  int GetNextSelected(int id, int after) override;
  void SetItemSelected(int id, int row, bool selected) override;

  void SetRange(int id, int low, int high) override;
  int GetPos(int id) override;
  void SetPos(int id, int position) override;

 private:
  // The list view of that id when `row` is one of its rows.
  HWND ListRow(int id, int row) const;

  HWND dialog_ = nullptr;
  bool ended_ = false;
  int result_ = kIdCancel;
};

// Readings shared with the scripted user.
std::string WindowTextOf(HWND window);
std::string ListItemText(HWND list, int row, int column);
bool ListRowChecked(HWND list, int row);
// The window's child of `dialog` that holds the keyboard focus, or null.
HWND FocusedControl(HWND dialog);

}  // namespace kestrava
