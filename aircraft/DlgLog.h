// DlgLog: the statistics log dialog (template "CSV Log File"): whether take-offs and landings are
// logged, and the file they are appended to.
//
// The caller sets m_EnableLog and m_FilePath, runs the dialog and, after OK, takes them. The path
// is kept exactly as typed or chosen with Browse (blanks and all) and never checked. Browse reads
// the controls, then opens the standard save-file dialog on the current path; a chosen file
// replaces the path, a cancelled choice changes nothing.
//
// Thread: the host's thread.
#pragma once

#include <cstdint>
#include <string>

#include "controls/dialog.h"

namespace kestrava {

class DlgLog : public CDialog {
 public:
  explicit DlgLog(Env& env);

  std::string m_FilePath;
  std::int32_t m_EnableLog = 0;

 protected:
  void DoDataExchange(DataExchange& dx) override;
  void OnCommand(const ControlNotice& notice) override;

 private:
  void OnBrowse();
};

}  // namespace kestrava
