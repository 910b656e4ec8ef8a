#include "tags/EDTDlg.h"

#include <iterator>

#include "controls/data_exchange.h"
#include "resources/dialog_ids.h"

namespace kestrava {
namespace {

// The recorded-time formats in list order: entry i is format number i + 1.
constexpr const char* kFormats[] = {"MM:SS", "HH:MM:SS", "HH:MM", "MMSS", "HHMMSS", "HHMM", "MM"};
constexpr std::int32_t kFormatCount = static_cast<std::int32_t>(std::size(kFormats));

}  // namespace

const EDTDlg::Swatch EDTDlg::kSwatches[6] = {
    {IDC_TIME_EARLY, &EDTDlg::m_Early, &EDTDlg::m_EarlyButton},
    {IDC_TIME_LATE, &EDTDlg::m_Late, &EDTDlg::m_LateButton},
    {IDC_TIME_PUSH, &EDTDlg::m_Push, &EDTDlg::m_PushButton},
    {IDC_TIME_TAKEOFF, &EDTDlg::m_Takeoff, &EDTDlg::m_TakeoffButton},
    {IDC_TIME_LANDING, &EDTDlg::m_Landing, &EDTDlg::m_LandingButton},
    {IDC_TIME_MODIFIED, &EDTDlg::m_Modified, &EDTDlg::m_ModifiedButton},
};

EDTDlg::EDTDlg(Env& env)
    : CDialog(IDD_TIME_SETTINGS, env),
      m_EarlyButton(env),
      m_LateButton(env),
      m_PushButton(env),
      m_TakeoffButton(env),
      m_LandingButton(env),
      m_ModifiedButton(env) {}

void EDTDlg::DoDataExchange(DataExchange& dx) {
  DDX_Check(dx, IDC_TIME_SEPARATOR, m_TimeSep);
  DDX_Control(dx, IDC_TIME_ADT_TYPE, m_AdtCombo);
  DDX_CBIndex(dx, IDC_TIME_ADT_TYPE, m_AdtIndex);
  for (const Swatch& swatch : kSwatches) DDX_Control(dx, swatch.id, this->*swatch.button);
}

bool EDTDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  for (const Swatch& swatch : kSwatches) (this->*swatch.button).SetColour(this->*swatch.colour, 0);
  for (const char* format : kFormats) m_AdtCombo.AddString(format);
  if (m_AdtType >= 1 && m_AdtType <= kFormatCount) m_AdtCombo.SetCurSel(m_AdtType - 1);
  return true;
}

void EDTDlg::OnCommand(const ControlNotice& notice) {
  if (notice.event != ControlEvent::Clicked) return;
  for (const Swatch& swatch : kSwatches) {
    if (notice.id == swatch.id) {
      CColorButton::ChooseColour(*this, this->*swatch.colour, this->*swatch.button);
    }
  }
}

}  // namespace kestrava
