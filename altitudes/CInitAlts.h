// CInitAlts: the initial altitudes dialog (template "Initial Altitudes").
//
// Works on its own copy of the table: the caller fills m_Entries with AddEntry and sets
// m_EnableAltitudes, runs the dialog and, after OK, takes m_EnableAltitudes and m_Entries. In the
// dialog the controller adds rows from the airport, SID and altitude fields (a row of the same
// airport and SID is overwritten), deletes the selected row or every row, copies a row into the
// fields by double-clicking it, and ticks or unticks rows. The altitude must be a whole number
// from 500 to 60000: otherwise every action shows the framework's message once and puts the focus
// on the field, Add adds nothing and OK does not close the dialog.
//
// Thread: the host's thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "altitudes/CAltEntry.h"
#include "controls/dialog.h"

namespace kestrava {

class CInitAlts : public CDialog {
 public:
  explicit CInitAlts(Env& env);

  // Appends a copy of `row` unless a row of the same airport and SID is there already.
  void AddEntry(const CAltEntry& row);

  CListCtrl m_List;
  CEdit m_SidEdit;  // focused after Add
  std::string m_Icao;
  std::string m_Sid;
  std::int32_t m_Altitude = 5000;
  std::int32_t m_EnableAltitudes = 0;
  std::vector<CAltEntry> m_Entries;

 protected:
  void DoDataExchange(DataExchange& dx) override;
  bool OnInitDialog() override;
  void OnCommand(const ControlNotice& notice) override;

 private:
  void OnAdd();
  void OnDeleteSelected();
  void OnDeleteAll();
  void OnRowDoubleClicked();
  void OnRowChanged();
  // Rebuilds the rows from m_Entries (their flags unchanged) and shows the members.
  void RefreshList();

  bool rebuilding_ = false;  // the list's own notices while it is rebuilt are not the user's
};

}  // namespace kestrava
