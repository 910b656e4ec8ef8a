// EDTDlg: the time settings dialog (template "QEX Time Settings"): the time separator, the format
// of the recorded times and the six time colours.
//
// The caller sets m_TimeSep, m_AdtType and the six colours, runs the dialog and, after OK, reads
// m_TimeSep, m_AdtIndex (the chosen format's index, -1 when none; the format number is index + 1)
// and the colours. The dialog itself touches nothing but its members and controls; a colour
// chosen with a swatch lives in the member until the caller takes it after OK.
//
// Thread: the host's thread.
#pragma once

#include <cstdint>

#include "controls/CColorButton.h"
#include "controls/dialog.h"

namespace kestrava {

class EDTDlg : public CDialog {
 public:
  explicit EDTDlg(Env& env);

  std::int32_t m_TimeSep = 0;
  ColorRef m_Early = 0;
  ColorRef m_Late = 0;
  ColorRef m_Push = 0;
  ColorRef m_Takeoff = 0;
  ColorRef m_Landing = 0;
  ColorRef m_Modified = 0;
  CColorButton m_EarlyButton;
  CColorButton m_LateButton;
  CColorButton m_PushButton;
  CColorButton m_TakeoffButton;
  CColorButton m_LandingButton;
  CColorButton m_ModifiedButton;
  CComboBox m_AdtCombo;
  std::int32_t m_AdtIndex = 0;
  std::int32_t m_AdtType = 0;  // preselects the format list when from 1 to 7

 protected:
  void DoDataExchange(DataExchange& dx) override;
  bool OnInitDialog() override;
  void OnCommand(const ControlNotice& notice) override;

 private:
  struct Swatch {
    int id;
    ColorRef EDTDlg::*colour;
    CColorButton EDTDlg::*button;
  };
  static const Swatch kSwatches[6];
};

}  // namespace kestrava
