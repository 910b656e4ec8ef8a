// CDialog: the framework's modal dialog, built from one of the module's dialog templates and run
// through Env::RunModalDialog, whichever backend the build has.
//
// A dialog class derives from CDialog, names its template, moves its members to and from the
// controls in DoDataExchange (controls/data_exchange.h) and handles control notices in
// OnCommand. The framework's defaults:
// - OnInitDialog() moves the members to the controls (UpdateData(false)) and returns true, so the
//   first control in tab order takes the focus;
// - a click on OK (id 1) runs OnOK(): the controls are read and validated (UpdateData(true)); the
//   dialog ends with kIdOk only when that passes, else it stays open;
// - a click on Cancel (id 2; also the close box) runs OnCancel(): the dialog ends with kIdCancel
//   and nothing is read;
// - owner-drawn controls attached with DDX_Control draw themselves (CWnd::DrawItem), and
//   SwatchColour reports their face colours.
//
// Validation failures show their message once per user action: whatever a handler reads and
// re-reads while it handles one notice, the person sees at most one message.
//
// Lifetime: the dialog object lives for one command; it may be run once. Its control objects are
// attached the first time the data exchange runs and reach the controls only during DoModal.
// Thread: the host's thread. Nothing here throws.
#pragma once

#include <optional>
#include <vector>

#include "controls/dialog_control.h"
#include "platform/dialog.h"
#include "platform/env.h"

namespace kestrava {

class DataExchange;

class CDialog : public DialogHandler {
 public:
  // `env` must outlive the dialog.
  CDialog(int template_id, Env& env);
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;
  ~CDialog() override = default;

  // Runs the dialog modally from this module's templates: kIdOk, kIdCancel, or -1 when it could
  // not be made.
  int DoModal();
  // Ends the modal run with `result` once the current handler returns.
  void EndDialog(int result);

  // Moves the members to the controls (`save_and_validate` false) or reads and validates the
  // controls into the members (true). Returns false when a validation failed: the fields before
  // the failing one were read, the failing control has the focus, and the message was shown
  // (once per user action). False also when the dialog is not running.
  bool UpdateData(bool save_and_validate = true);

  Env& env() const { return env_; }
  // The running dialog's controls; null outside DoModal.
  DialogControls* controls() const { return controls_; }

  // DialogHandler: the backend's side.
  bool OnInitDialog(DialogControls& controls) final;
  void OnNotice(DialogControls& controls, const ControlNotice& notice) final;
  void OnDrawItem(DialogControls& controls, const DrawItemInfo& item) final;
  std::optional<ColorRef> SwatchColour(int id) const final;

  // For CWnd::Attach: keeps `control` to receive its drawing requests.
  void Register(CWnd& control);
  // For DataExchange: shows a validation message unless one was shown during the current action.
  void ShowValidationMessage(const std::string& text);

 protected:
  virtual void DoDataExchange(DataExchange& dx);
  virtual bool OnInitDialog();
  // A notice other than the clicks on OK and Cancel; ignored by default.
  virtual void OnCommand(const ControlNotice& notice);
  virtual void OnOK();
  virtual void OnCancel();

 private:
  // Runs one action of the person (a notice or the initialisation) with `controls` current.
  template <class Action>
  void RunAction(DialogControls& controls, Action&& action);

  int template_id_;
  Env& env_;
  DialogControls* controls_ = nullptr;
  std::vector<CWnd*> attached_;
  int action_depth_ = 0;
  bool message_shown_ = false;  // during the current action
};

}  // namespace kestrava
