#include "controls/data_exchange.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "controls/dialog.h"

namespace kestrava {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A whole number with optional blanks around it and an optional sign; nothing when the text is
// anything else or lies outside the 32-bit range.
std::optional<std::int32_t> ParseWholeNumber(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  if (text.empty()) return std::nullopt;
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

DataExchange::DataExchange(CDialog& dialog, bool save_and_validate)
    : dialog_(dialog), save_and_validate_(save_and_validate) {}

bool DataExchange::Prepare(int id, bool edit) {
  if (failed_) return false;
  control_ = id;
  control_is_edit_ = edit;
  return true;
}

void DataExchange::Fail(const std::string& message) {
  if (failed_) return;
  failed_ = true;
  dialog_.ShowValidationMessage(message);
  if (DialogControls* controls = dialog_.controls()) {
    controls->SetFocus(control_);
    if (control_is_edit_) controls->SetSel(control_, 0, -1);
  }
}

void DDX_Control(DataExchange& dx, int id, CWnd& control) {
  if (!dx.Prepare(id, false)) return;
  control.Attach(dx.dialog(), id);
}

void DDX_Check(DataExchange& dx, int id, std::int32_t& value) {
  if (!dx.Prepare(id, false)) return;
  DialogControls* controls = dx.dialog().controls();
  if (controls == nullptr) return;
  if (dx.saving()) {
    value = controls->GetCheck(id);
  } else {
    controls->SetCheck(id, value);
  }
}

void DDX_Text(DataExchange& dx, int id, std::int32_t& value) {
  if (!dx.Prepare(id, true)) return;
  DialogControls* controls = dx.dialog().controls();
  if (controls == nullptr) return;
  if (!dx.saving()) {
    controls->SetWindowText(id, std::to_string(value));
    return;
  }
  if (const std::optional<std::int32_t> read = ParseWholeNumber(controls->GetWindowText(id))) {
    value = *read;
  } else {
    dx.Fail("Please enter an integer.");
  }
}

void DDX_Text(DataExchange& dx, int id, std::string& value) {
  if (!dx.Prepare(id, true)) return;
  DialogControls* controls = dx.dialog().controls();
  if (controls == nullptr) return;
  if (dx.saving()) {
    value = controls->GetWindowText(id);
  } else {
    controls->SetWindowText(id, value);
  }
}

void DDX_CBIndex(DataExchange& dx, int id, std::int32_t& index) {
  if (!dx.Prepare(id, false)) return;
  DialogControls* controls = dx.dialog().controls();
  if (controls == nullptr) return;
  if (dx.saving()) {
    index = controls->GetCurSel(id);
  } else {
    controls->SetCurSel(id, index);
  }
}

void DDV_MinMaxInt(DataExchange& dx, std::int32_t value, std::int32_t low, std::int32_t high) {
  if (dx.failed() || !dx.saving()) return;
  if (value < low || value > high) {
    dx.Fail("Please enter an integer between " + std::to_string(low) + " and " +
            std::to_string(high) + ".");
  }
}

void DDV_MaxChars(DataExchange& dx, const std::string& value, int max) {
  if (dx.failed()) return;
  if (!dx.saving()) {
    if (DialogControls* controls = dx.dialog().controls()) controls->LimitText(dx.control(), max);
    return;
  }
  if (value.size() > static_cast<std::size_t>(max)) {
    dx.Fail("Please enter no more than " + std::to_string(max) + " characters.");
  }
}

}  // namespace kestrava
