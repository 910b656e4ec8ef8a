// Dialog data exchange: moving a dialog's members to its controls and back, with the framework's
// validations on the way in.
//
// A dialog's DoDataExchange calls the functions below in order, one call per field. When the
// exchange runs towards the members (saving), each DDX_ call reads its control and each DDV_ call
// checks the value just read. The first failure shows the framework's message (through the dialog,
// once per user action), puts the focus on the control last exchanged (selecting an edit's whole
// text) and stops the exchange: every later call of that pass does nothing, so the members before
// the failing field hold what was read and the others keep their values. Towards the controls
// (loading) nothing is validated; DDV_MaxChars limits the edit's length instead.
//
// Messages: "Please enter an integer." for text that is not a whole number of the 32-bit range;
// "Please enter an integer between LOW and HIGH."; "Please enter no more than N characters.".
//
// Thread: the host's thread, inside the dialog's run.
#pragma once

#include <cstdint>
#include <string>

namespace kestrava {

class CDialog;
class CWnd;

class DataExchange {
 public:
  DataExchange(CDialog& dialog, bool save_and_validate);

  // True while reading the controls into the members.
  bool saving() const { return save_and_validate_; }
  // True once a validation failed; the rest of the pass is skipped.
  bool failed() const { return failed_; }

  CDialog& dialog() const { return dialog_; }

  // Records the control the next validation refers to (an edit gets its text selected on
  // failure). Returns false when the pass has failed already.
  bool Prepare(int id, bool edit);
  // The last prepared control's id.
  int control() const { return control_; }
  // Fails the pass: shows `message`, focuses the last prepared control.
  void Fail(const std::string& message);

 private:
  CDialog& dialog_;
  bool save_and_validate_;
  bool failed_ = false;
  int control_ = 0;
  bool control_is_edit_ = false;
};

// Attaches `control` to control `id` (once; both directions).
void DDX_Control(DataExchange& dx, int id, CWnd& control);
// A check box's state (0 unticked, 1 ticked).
void DDX_Check(DataExchange& dx, int id, std::int32_t& value);
// An edit's text as a whole number: optional blanks, an optional sign, digits, optional blanks.
void DDX_Text(DataExchange& dx, int id, std::int32_t& value);
// An edit's text as it is.
void DDX_Text(DataExchange& dx, int id, std::string& value);
// A drop-down list's selected index (-1: none).
void DDX_CBIndex(DataExchange& dx, int id, std::int32_t& index);

// The value just read lies from `low` to `high`.
void DDV_MinMaxInt(DataExchange& dx, std::int32_t value, std::int32_t low, std::int32_t high);
// The text just read has at most `max` characters; loading limits the edit to `max`.
void DDV_MaxChars(DataExchange& dx, const std::string& value, int max);

}  // namespace kestrava
