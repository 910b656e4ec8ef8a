#include "altitudes/CInitAlts.h"

#include <algorithm>

#include "controls/data_exchange.h"
#include "plugin/text_rules.h"
#include "resources/dialog_ids.h"

namespace kestrava {
namespace {

constexpr int kIcaoLength = 4;
constexpr int kLongestSid = 10;
constexpr std::int32_t kLowestAltitude = 500;
constexpr std::int32_t kHighestAltitude = 60000;

enum Column { kCheckColumn = 0, kIcaoColumn = 1, kSidColumn = 2, kAltitudeColumn = 3 };

}  // namespace

CInitAlts::CInitAlts(Env& env) : CDialog(IDD_INITIAL_ALTITUDES, env) {}

void CInitAlts::AddEntry(const CAltEntry& row) {
  const bool listed = std::any_of(m_Entries.begin(), m_Entries.end(), [&](const CAltEntry& e) {
    return e.m_Icao == row.m_Icao && e.m_Sid == row.m_Sid;
  });
  if (!listed) m_Entries.push_back(row);
}

void CInitAlts::DoDataExchange(DataExchange& dx) {
  DDX_Control(dx, IDC_ALT_LIST, m_List);
  DDX_Control(dx, IDC_ALT_SID, m_SidEdit);
  // The check box before the fields, so that an invalid altitude never undoes its state.
  DDX_Check(dx, IDC_ALT_ENABLE, m_EnableAltitudes);
  DDX_Text(dx, IDC_ALT_ICAO, m_Icao);
  DDV_MaxChars(dx, m_Icao, kIcaoLength);
  DDX_Text(dx, IDC_ALT_SID, m_Sid);
  DDV_MaxChars(dx, m_Sid, kLongestSid);
  DDX_Text(dx, IDC_ALT_ALTITUDE, m_Altitude);
  DDV_MinMaxInt(dx, m_Altitude, kLowestAltitude, kHighestAltitude);
}

bool CInitAlts::OnInitDialog() {
  CDialog::OnInitDialog();
  m_List.SetExtendedStyle(kLvsExCheckBoxes | kLvsExFullRowSelect);
  m_List.InsertColumn(kCheckColumn, "", 25);
  m_List.InsertColumn(kIcaoColumn, "ICAO", 50);
  m_List.InsertColumn(kSidColumn, "SID", 68);
  m_List.InsertColumn(kAltitudeColumn, "Init Alt", 50);
  RefreshList();
  UpdateData(false);
  return true;
}

void CInitAlts::OnCommand(const ControlNotice& notice) {
  if (notice.event == ControlEvent::Clicked) {
    switch (notice.id) {
      case IDC_ALT_ADD: OnAdd(); break;
      case IDC_ALT_DELETE_SELECTED: OnDeleteSelected(); break;
      case IDC_ALT_DELETE_ALL: OnDeleteAll(); break;
      default: break;
    }
  } else if (notice.id == IDC_ALT_LIST && notice.event == ControlEvent::DoubleClicked) {
    OnRowDoubleClicked();
  } else if (notice.id == IDC_ALT_LIST && IsTickChange(notice) && !rebuilding_) {
    OnRowChanged();
  }
}

void CInitAlts::OnAdd() {
  if (!UpdateData(true)) return;
  const bool complete = m_Icao.size() == kIcaoLength && !m_Sid.empty() &&
                        m_Sid.size() <= kLongestSid && m_Altitude > 0;
  if (!complete) return;
  // Typing upper-cases airport and SID; text put in otherwise is upper-cased here.
  const CAltEntry row{AsciiUpper(m_Icao), AsciiUpper(m_Sid), m_Altitude, true};
  bool overwritten = false;
  for (CAltEntry& entry : m_Entries) {
    if (entry.m_Icao == row.m_Icao && entry.m_Sid == row.m_Sid) {
      entry = row;
      overwritten = true;
    }
  }
  if (!overwritten) m_Entries.push_back(row);
  // Airport and altitude stay, so the next SID of the airport can be typed at once.
  m_Sid.clear();
  m_SidEdit.SetFocus();
  UpdateData(false);
  RefreshList();
}

void CInitAlts::OnDeleteSelected() {
  UpdateData(true);
  const int row = m_List.GetFirstSelected();
  if (row < 0) return;
  const std::string icao = m_List.GetItemText(row, kIcaoColumn);
  const std::string sid = m_List.GetItemText(row, kSidColumn);
  const auto found = std::find_if(m_Entries.begin(), m_Entries.end(), [&](const CAltEntry& e) {
    return e.m_Icao == icao && e.m_Sid == sid;
  });
  if (found != m_Entries.end()) m_Entries.erase(found);
  RefreshList();
}

void CInitAlts::OnDeleteAll() {
  UpdateData(true);
  m_Entries.clear();
  RefreshList();
}

void CInitAlts::OnRowDoubleClicked() {
  UpdateData(true);
  const int row = m_List.GetFirstSelected();
  if (row < 0) return;
  m_Icao = m_List.GetItemText(row, kIcaoColumn);
  m_Sid = m_List.GetItemText(row, kSidColumn);
  m_Altitude = LeadingInteger(m_List.GetItemText(row, kAltitudeColumn));
  UpdateData(false);
}

void CInitAlts::OnRowChanged() {
  UpdateData(true);
  for (int row = 0, rows = m_List.GetItemCount(); row < rows; ++row) {
    const std::string icao = m_List.GetItemText(row, kIcaoColumn);
    const std::string sid = m_List.GetItemText(row, kSidColumn);
    const auto found = std::find_if(m_Entries.begin(), m_Entries.end(), [&](const CAltEntry& e) {
      return e.m_Icao == icao && e.m_Sid == sid;
    });
    if (found != m_Entries.end()) found->m_Enabled = m_List.GetCheck(row);
  }
}

void CInitAlts::RefreshList() {
  UpdateData(true);
  rebuilding_ = true;
  m_List.DeleteAllItems();
  int row = 0;
  for (const CAltEntry& entry : m_Entries) {
    const int inserted = m_List.InsertItem(row++, "");
    m_List.SetItemText(inserted, kIcaoColumn, entry.m_Icao);
    m_List.SetItemText(inserted, kSidColumn, entry.m_Sid);
    m_List.SetItemText(inserted, kAltitudeColumn,
                       UnsignedText(static_cast<std::uint32_t>(entry.m_Altitude)));
    m_List.SetCheck(inserted, entry.m_Enabled);
  }
  rebuilding_ = false;
  UpdateData(false);
}

}  // namespace kestrava
