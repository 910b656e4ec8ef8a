#include "aircraft/DlgLog.h"

#include "controls/data_exchange.h"
#include "resources/dialog_ids.h"

namespace kestrava {

DlgLog::DlgLog(Env& env) : CDialog(IDD_STATISTICS_LOG, env) {}

void DlgLog::DoDataExchange(DataExchange& dx) {
  DDX_Check(dx, IDC_LOG_ENABLE, m_EnableLog);
  DDX_Text(dx, IDC_LOG_PATH, m_FilePath);
}

void DlgLog::OnCommand(const ControlNotice& notice) {
  if (notice.event == ControlEvent::Clicked && notice.id == IDC_LOG_BROWSE) OnBrowse();
}

void DlgLog::OnBrowse() {
  UpdateData(true);
  const std::optional<std::string> chosen = env().ChooseSaveFile(SaveFileRequest{
      .initial = m_FilePath,
      .default_extension = "csv",
      .filter = "CSV File (*.csv)|*.csv",
      .flags = 0,
  });
  if (!chosen) return;
  m_FilePath = *chosen;
  UpdateData(false);
}

}  // namespace kestrava
