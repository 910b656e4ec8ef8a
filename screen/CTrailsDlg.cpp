#include "screen/CTrailsDlg.h"

#include "controls/data_exchange.h"
#include "resources/dialog_ids.h"

namespace kestrava {
namespace {

constexpr std::int32_t kFewestMarks = 1;
constexpr std::int32_t kMostMarks = 99;
// The shapes, added to a sorted list in which they keep this order: index + 1 is the trail type.
constexpr const char* kShapes[] = {"Circle", "Diamond", "Square"};
constexpr std::int32_t kShapeCount = 3;

}  // namespace

CTrailsDlg::CTrailsDlg(Env& env) : CDialog(IDD_HISTORY_TRAILS, env), m_ColourButton(env) {}

void CTrailsDlg::DoDataExchange(DataExchange& dx) {
  DDX_Control(dx, IDC_TRAILS_COUNT_SPIN, m_CountSpin);
  DDX_Text(dx, IDC_TRAILS_COUNT, m_TrailCount);
  DDV_MinMaxInt(dx, m_TrailCount, kFewestMarks, kMostMarks);
  DDX_Control(dx, IDC_TRAILS_COLOUR, m_ColourButton);
  DDX_Check(dx, IDC_TRAILS_SHOW, m_Show);
  DDX_Control(dx, IDC_TRAILS_TYPE, m_TypeCombo);
  DDX_CBIndex(dx, IDC_TRAILS_TYPE, m_TypeIndex);
  DDX_Check(dx, IDC_TRAILS_DEGRADING, m_Degrading);
  DDX_Check(dx, IDC_TRAILS_ANTIALIAS, m_AntiAliasing);
  DDX_Check(dx, IDC_TRAILS_FADE, m_Fade);
}

bool CTrailsDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_CountSpin.SetRange(0, kMostMarks);
  m_ColourButton.SetColour(m_Colour, 0);
  for (const char* shape : kShapes) m_TypeCombo.AddString(shape);
  if (m_Type >= 1 && m_Type <= kShapeCount) m_TypeCombo.SetCurSel(m_Type - 1);
  return true;
}

void CTrailsDlg::OnCommand(const ControlNotice& notice) {
  if (notice.event == ControlEvent::Clicked && notice.id == IDC_TRAILS_COLOUR) OnTrailColour();
}

void CTrailsDlg::OnTrailColour() { CColorButton::ChooseColour(*this, m_Colour, m_ColourButton); }

}  // namespace kestrava
