// Reading an open dialog's controls from a test's script.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dialog.h"

namespace kestrava::testing {

// The state of control `id`; a test failure and an empty state when the dialog lacks it.
inline ControlState StateOf(DialogUser& user, int id) {
  for (ControlState& state : user.State()) {
    if (state.id == id) return state;
  }
  ADD_FAILURE() << "no control " << id;
  return {};
}

// A list view's rows as "TEXT1/TEXT2.../ticked" ("+" ticked, "-" not), from column 1 on.
inline std::vector<std::string> RowsOf(DialogUser& user, int id) {
  std::vector<std::string> rows;
  for (const ControlState::Row& row : StateOf(user, id).rows) {
    std::string text;
    for (std::size_t column = 1; column < row.texts.size(); ++column) {
      text += row.texts[column] + "/";
    }
    rows.push_back(text + (row.checked ? "+" : "-"));
  }
  return rows;
}

}  // namespace kestrava::testing
