#include "controls/dialog.h"

#include "controls/data_exchange.h"
#include "platform/module_resources.h"

namespace kestrava {

CDialog::CDialog(int template_id, Env& env) : template_id_(template_id), env_(env) {}

int CDialog::DoModal() {
  DialogRequest request;
  request.module = ThisModuleResources();
  request.template_id = template_id_;
  request.handler = this;
  const int result = env_.RunModalDialog(request);
  controls_ = nullptr;
  return result;
}

void CDialog::EndDialog(int result) {
  if (controls_ != nullptr) controls_->EndDialog(result);
}

bool CDialog::UpdateData(bool save_and_validate) {
  if (controls_ == nullptr) return false;
  DataExchange dx(*this, save_and_validate);
  DoDataExchange(dx);
  return !dx.failed();
}

template <class Action>
void CDialog::RunAction(DialogControls& controls, Action&& action) {
  controls_ = &controls;
  // A handler may make the backend send further notices (setting an edit's text does): they
  // belong to the same action.
  if (action_depth_++ == 0) message_shown_ = false;
  action();
  --action_depth_;
}

bool CDialog::OnInitDialog(DialogControls& controls) {
  bool focus_first = true;
  RunAction(controls, [&] { focus_first = OnInitDialog(); });
  return focus_first;
}

void CDialog::OnNotice(DialogControls& controls, const ControlNotice& notice) {
  RunAction(controls, [&] {
    if (notice.event == ControlEvent::Clicked && notice.id == kIdOk) {
      OnOK();
    } else if (notice.event == ControlEvent::Clicked && notice.id == kIdCancel) {
      OnCancel();
    } else {
      OnCommand(notice);
    }
  });
}

void CDialog::OnDrawItem(DialogControls& controls, const DrawItemInfo& item) {
  controls_ = &controls;
  for (CWnd* control : attached_) {
    if (control->GetDlgCtrlID() == item.id) control->DrawItem(item);
  }
}

std::optional<ColorRef> CDialog::SwatchColour(int id) const {
  for (const CWnd* control : attached_) {
    if (control->GetDlgCtrlID() == id) return control->SwatchColour();
  }
  return std::nullopt;
}

void CDialog::Register(CWnd& control) { attached_.push_back(&control); }

void CDialog::ShowValidationMessage(const std::string& text) {
  if (message_shown_) return;
  message_shown_ = true;
  env_.ShowValidationMessage(text);
}

void CDialog::DoDataExchange(DataExchange& /*dx*/) {}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::OnCommand(const ControlNotice& /*notice*/) {}

void CDialog::OnOK() {
  if (UpdateData(true)) EndDialog(kIdOk);
}

void CDialog::OnCancel() { EndDialog(kIdCancel); }

}  // namespace kestrava
