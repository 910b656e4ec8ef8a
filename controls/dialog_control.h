// The controls of a running dialog as objects: a member of a dialog class attached to one of the
// dialog's controls by DDX_Control (controls/data_exchange.h), in the shape of the framework's
// control classes.
//
// A control object is attached to its dialog and control id once, the first time the dialog's
// data exchange runs, and stays attached for the dialog object's life; its calls reach the
// control only while the dialog runs (Env::RunModalDialog). Outside that, every call does nothing
// and returns the empty value of its kind (0, -1, "", false), so a dialog can set up its members
// before it runs and read them afterwards.
//
// The control object belongs to the dialog class that holds it and must not outlive it. Thread:
// the host's thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/dialog.h"

namespace kestrava {

class CDialog;

class CWnd {
 public:
  CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  virtual ~CWnd() = default;

  // Binds the object to control `id` of `dialog`; a second call changes nothing.
  void Attach(CDialog& dialog, int id);
  int GetDlgCtrlID() const { return id_; }
  CDialog* GetParent() const { return dialog_; }

  std::string GetWindowText() const;
  std::uint32_t GetStyle() const;
  void SetFocus();
  // Repaints the control (an owner-drawn one draws again).
  void Invalidate();

  // Owner drawing: the dialog hands the control's drawing requests to the attached object.
  virtual void DrawItem(const DrawItemInfo& item);
  // The colour the control shows as its face, for a colour swatch; nothing for other controls.
  virtual std::optional<ColorRef> SwatchColour() const;

 protected:
  // The running dialog's controls; null while the dialog is not running.
  DialogControls* Controls() const;

 private:
  CDialog* dialog_ = nullptr;
  int id_ = 0;
};

class CButton : public CWnd {};

class CEdit : public CWnd {};

class CComboBox : public CWnd {
 public:
  int AddString(const std::string& text);
  void SetCurSel(int index);
};

class CListCtrl : public CWnd {
 public:
  void SetExtendedStyle(std::uint32_t styles);
  int InsertColumn(int column, const std::string& heading, int width);
  int InsertItem(int row, const std::string& text);
  void SetItemText(int row, int column, const std::string& text);
  std::string GetItemText(int row, int column) const;
  int GetItemCount() const;
  void DeleteAllItems();
  bool GetCheck(int row) const;
  void SetCheck(int row, bool ticked);
  // The first selected row, -1 when none.
  int GetFirstSelected() const;
};

class CSpinButtonCtrl : public CWnd {
 public:
  void SetRange(int low, int high);
};

}  // namespace kestrava
