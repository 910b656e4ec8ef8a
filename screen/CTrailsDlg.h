// CTrailsDlg: the history trails dialog of one radar display (template "History Trails").
//
// The screen object sets m_Show, m_TrailCount, m_Colour, m_Type, m_Degrading, m_AntiAliasing and
// m_Fade, runs the dialog and, after OK, reads them back with m_TypeIndex (the chosen shape's
// index: 0 circle, 1 diamond, 2 square; -1 when none). The trail count must be a whole number from
// 1 to 99 for OK to pass; the up-down control steps it from 0 to 99.
//
// Thread: the host's thread.
#pragma once

#include <cstdint>

#include "controls/CColorButton.h"
#include "controls/dialog.h"

namespace kestrava {

class CTrailsDlg : public CDialog {
 public:
  explicit CTrailsDlg(Env& env);

  std::int32_t m_Show = 0;
  std::int32_t m_TrailCount = 6;
  ColorRef m_Colour = 0;
  std::int32_t m_Type = 0;  // preselects the shape when from 1 to 3
  std::int32_t m_Degrading = 0;
  std::int32_t m_AntiAliasing = 0;
  std::int32_t m_Fade = 0;
  CColorButton m_ColourButton;
  CSpinButtonCtrl m_CountSpin;
  CComboBox m_TypeCombo;
  std::int32_t m_TypeIndex = 0;

 protected:
  void DoDataExchange(DataExchange& dx) override;
  bool OnInitDialog() override;
  void OnCommand(const ControlNotice& notice) override;

 private:
  void OnTrailColour();
};

}  // namespace kestrava
