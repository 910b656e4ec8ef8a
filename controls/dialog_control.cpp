#include "controls/dialog_control.h"

#include "controls/dialog.h"

namespace kestrava {

void CWnd::Attach(CDialog& dialog, int id) {
  if (dialog_ != nullptr) return;
  dialog_ = &dialog;
  id_ = id;
  dialog.Register(*this);
}

DialogControls* CWnd::Controls() const {
  return dialog_ != nullptr ? dialog_->controls() : nullptr;
}

std::string CWnd::GetWindowText() const {
  DialogControls* c = Controls();
  return c != nullptr ? c->GetWindowText(id_) : std::string();
}

std::uint32_t CWnd::GetStyle() const {
  DialogControls* c = Controls();
  return c != nullptr ? c->GetStyle(id_) : 0;
}

void CWnd::SetFocus() {
  if (DialogControls* c = Controls()) c->SetFocus(id_);
}

void CWnd::Invalidate() {
  if (DialogControls* c = Controls()) c->Invalidate(id_);
}

void CWnd::DrawItem(const DrawItemInfo& /*item*/) {}

std::optional<ColorRef> CWnd::SwatchColour() const { return std::nullopt; }

int CComboBox::AddString(const std::string& text) {
  DialogControls* c = Controls();
  return c != nullptr ? c->AddString(GetDlgCtrlID(), text) : -1;
}

void CComboBox::SetCurSel(int index) {
  if (DialogControls* c = Controls()) c->SetCurSel(GetDlgCtrlID(), index);
}

void CListCtrl::SetExtendedStyle(std::uint32_t styles) {
  if (DialogControls* c = Controls()) c->SetExtendedStyle(GetDlgCtrlID(), styles);
}

int CListCtrl::InsertColumn(int column, const std::string& heading, int width) {
  DialogControls* c = Controls();
  return c != nullptr ? c->InsertColumn(GetDlgCtrlID(), column, heading, width) : -1;
}

int CListCtrl::InsertItem(int row, const std::string& text) {
  DialogControls* c = Controls();
  return c != nullptr ? c->InsertItem(GetDlgCtrlID(), row, text) : -1;
}

void CListCtrl::SetItemText(int row, int column, const std::string& text) {
  if (DialogControls* c = Controls()) c->SetItemText(GetDlgCtrlID(), row, column, text);
}

std::string CListCtrl::GetItemText(int row, int column) const {
  DialogControls* c = Controls();
  return c != nullptr ? c->GetItemText(GetDlgCtrlID(), row, column) : std::string();
}

int CListCtrl::GetItemCount() const {
  DialogControls* c = Controls();
  return c != nullptr ? c->GetItemCount(GetDlgCtrlID()) : 0;
}

void CListCtrl::DeleteAllItems() {
  if (DialogControls* c = Controls()) c->DeleteAllItems(GetDlgCtrlID());
}

bool CListCtrl::GetCheck(int row) const {
  DialogControls* c = Controls();
  return c != nullptr && c->GetCheckState(GetDlgCtrlID(), row);
}

void CListCtrl::SetCheck(int row, bool ticked) {
  if (DialogControls* c = Controls()) c->SetCheckState(GetDlgCtrlID(), row, ticked);
}

int CListCtrl::GetFirstSelected() const {
  DialogControls* c = Controls();
  return c != nullptr ? c->GetNextSelected(GetDlgCtrlID(), -1) : -1;
}

void CSpinButtonCtrl::SetRange(int low, int high) {
  if (DialogControls* c = Controls()) c->SetRange(GetDlgCtrlID(), low, high);
}

}  // namespace kestrava
