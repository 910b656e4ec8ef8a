// SqkIcaos: the squawk airport list dialog (template "QEX Squawk").
//
// Works on its own copy of the list: the caller fills m_Entries with AddEntry and sets
// m_EnableSquawk, runs the dialog and, after OK, takes m_EnableSquawk and m_Entries. In the dialog
// the controller adds airports by their four-letter code (ticked; a code already listed is not
// added twice), removes the first selected row or every row, and ticks or unticks rows.
//
// Thread: the host's thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "controls/dialog.h"
#include "squawk/CICAOEntry.h"

namespace kestrava {

class SqkIcaos : public CDialog {
 public:
  explicit SqkIcaos(Env& env);

  // Appends a copy of `entry` unless an entry of the same airport is listed already.
  void AddEntry(const CICAOEntry& entry);

  std::string m_Icao;
  std::int32_t m_EnableSquawk = 0;
  CListCtrl m_List;
  std::vector<CICAOEntry> m_Entries;

 protected:
  void DoDataExchange(DataExchange& dx) override;
  bool OnInitDialog() override;
  void OnCommand(const ControlNotice& notice) override;

 private:
  void OnAdd();
  void OnRemove();
  void OnRemoveAll();
  void OnRowChanged();
  // Rebuilds the rows from m_Entries (their flags unchanged) and shows the members.
  void RefreshList();

  bool rebuilding_ = false;  // the list's own notices while it is rebuilt are not the user's
};

}  // namespace kestrava
