#include "squawk/SqkIcaos.h"

#include <algorithm>

#include "controls/data_exchange.h"
#include "plugin/text_rules.h"
#include "resources/dialog_ids.h"

namespace kestrava {
namespace {

constexpr int kIcaoLength = 4;
constexpr int kIcaoColumn = 1;

}  // namespace

SqkIcaos::SqkIcaos(Env& env) : CDialog(IDD_SQUAWK_AIRPORTS, env) {}

void SqkIcaos::AddEntry(const CICAOEntry& entry) {
  const bool listed = std::any_of(m_Entries.begin(), m_Entries.end(),
                                  [&](const CICAOEntry& e) { return e.m_Icao == entry.m_Icao; });
  if (!listed) m_Entries.push_back(entry);
}

void SqkIcaos::DoDataExchange(DataExchange& dx) {
  DDX_Control(dx, IDC_SQK_LIST, m_List);
  // The check box before the code, so that a code too long to read never undoes its state.
  DDX_Check(dx, IDC_SQK_ENABLE, m_EnableSquawk);
  DDX_Text(dx, IDC_SQK_ICAO, m_Icao);
  DDV_MaxChars(dx, m_Icao, kIcaoLength);
}

bool SqkIcaos::OnInitDialog() {
  CDialog::OnInitDialog();
  m_List.SetExtendedStyle(kLvsExCheckBoxes | kLvsExFullRowSelect);
  m_List.InsertColumn(0, "", 25);
  m_List.InsertColumn(kIcaoColumn, "ICAO", 50);
  RefreshList();
  UpdateData(false);
  return true;
}

void SqkIcaos::OnCommand(const ControlNotice& notice) {
  if (notice.event == ControlEvent::Clicked) {
    switch (notice.id) {
      case IDC_SQK_ADD: OnAdd(); break;
      case IDC_SQK_REMOVE: OnRemove(); break;
      case IDC_SQK_REMOVE_ALL: OnRemoveAll(); break;
      default: break;
    }
  } else if (IsTickChange(notice) && notice.id == IDC_SQK_LIST && !rebuilding_) {
    OnRowChanged();
  }
}

void SqkIcaos::OnAdd() {
  if (!UpdateData(true)) return;
  if (m_Icao.size() == kIcaoLength) {
    // Typing upper-cases the code; text put in otherwise is upper-cased here.
    AddEntry(CICAOEntry{AsciiUpper(m_Icao), true});
    m_Icao.clear();
    UpdateData(false);
  }
  RefreshList();
}

void SqkIcaos::OnRemove() {
  UpdateData(true);
  const int row = m_List.GetFirstSelected();
  if (row < 0) return;
  const std::string icao = m_List.GetItemText(row, kIcaoColumn);
  const auto found = std::find_if(m_Entries.begin(), m_Entries.end(),
                                  [&](const CICAOEntry& e) { return e.m_Icao == icao; });
  if (found != m_Entries.end()) m_Entries.erase(found);
  RefreshList();
}

void SqkIcaos::OnRemoveAll() {
  UpdateData(true);
  m_Entries.clear();
  RefreshList();
}

void SqkIcaos::OnRowChanged() {
  UpdateData(true);
  for (int row = 0, rows = m_List.GetItemCount(); row < rows; ++row) {
    const std::string icao = m_List.GetItemText(row, kIcaoColumn);
    const auto found = std::find_if(m_Entries.begin(), m_Entries.end(),
                                    [&](const CICAOEntry& e) { return e.m_Icao == icao; });
    if (found != m_Entries.end()) found->m_Enabled = m_List.GetCheck(row);
  }
}

void SqkIcaos::RefreshList() {
  UpdateData(true);
  rebuilding_ = true;
  m_List.DeleteAllItems();
  int row = 0;
  for (const CICAOEntry& entry : m_Entries) {
    const int inserted = m_List.InsertItem(row++, "");
    m_List.SetItemText(inserted, kIcaoColumn, entry.m_Icao);
    m_List.SetCheck(inserted, entry.m_Enabled);
  }
  rebuilding_ = false;
  UpdateData(false);
}

}  // namespace kestrava
