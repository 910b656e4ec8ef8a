// A person at a real Windows dialog (DialogUser), for scripts: every action is the window
// messages the person's keys and clicks would bring, so the real controls filter, clamp and
// notify as they do for a person. Acting on a control gives it the focus, as a click does (the
// up-down control's arrows give it to the buddy); disabled controls cannot be acted on. After each
// action the thread's pending messages (posted commands, repaints) are handled before it
// returns.
//
// Thread: the dialog's thread, inside its modal loop. No call throws.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/dialog.h"
#include "platform/win32/win32_dialog_controls.h"

namespace kestrava {

class Win32DialogUser final : public DialogUser {
 public:
  // `text_changes` counts the edits' change notifications the dialog has had; the dialog's
  // controls and handler outlive this object.
  Win32DialogUser(Win32DialogControls& controls, const DialogHandler& handler,
                  const int& text_changes)
      : controls_(controls), handler_(handler), text_changes_(text_changes) {}

  std::string Caption() override;
  bool IsOpen() override;
  bool Type(int id, const std::string& text) override;
  bool Keys(const std::string& text) override;
  bool Paste(int id, const std::string& text) override;
  bool Check(int id, bool ticked) override;
  bool Select(int id, int index) override;
  bool Spin(int id, int delta) override;
  bool SelectRow(int id, int row) override;
  bool Tick(int id, int row, bool ticked) override;
  bool DoubleClick(int id, int row) override;
  bool Click(int id) override;
  bool PressEnter() override;
  bool Close() override;
  std::vector<ControlState> State() override;
  bool Snapshot(const std::string& png_path) override;

  // Called once, at the end of the action during which the dialog was ended.
  void OnEnded(std::function<void()> told) { on_ended_ = std::move(told); }

 private:
  // The open dialog's control of that id and kind, or null.
  HWND OpenControl(int id, Win32ControlKind kind);
  // The open dialog's list view of that id when `row` is -1 or one of its rows, or null.
  HWND OpenListRow(int id, int row);
  bool Exists() const;
  // Ends an action: pending messages handled, the ending told.
  void Finish();
  void PressDialogKey(WPARAM key_code);
  void PressCharacter(char c);
  void SelectOnly(HWND list, int row);
  ControlState::Row ReadRow(HWND list, int row, int columns) const;

  Win32DialogControls& controls_;
  const DialogHandler& handler_;
  const int& text_changes_;
  std::function<void()> on_ended_;
};

// Handles the calling thread's pending messages, as the modal loop of `dialog` would (its
// keyboard messages through the dialog manager). A quit request is left in the queue.
void HandlePendingMessages(HWND dialog);

}  // namespace kestrava
