// Data exchange on its own: length limits both ways, and where a failed read leaves the focus.
#include "controls/data_exchange.h"

#include <gtest/gtest.h>

#include <string>

#include "controls/dialog.h"
#include "tests/support/fake_env.h"
#include "tests/support/stub_dialog_controls.h"

namespace kestrava::testing {
namespace {

constexpr int kFlag = 1;
constexpr int kCode = 2;
constexpr int kCount = 3;

class FieldsDialog : public CDialog {
 public:
  explicit FieldsDialog(Env& env) : CDialog(0, env) {}
  std::int32_t flag = 0;
  std::string code = "EGLL";
  std::int32_t count = 5;

 protected:
  void DoDataExchange(DataExchange& dx) override {
    DDX_Check(dx, kFlag, flag);
    DDX_Text(dx, kCode, code);
    DDV_MaxChars(dx, code, 4);
    DDX_Text(dx, kCount, count);
  }
};

TEST(DataExchange, LengthLimitOnBothWays) {
  FakeEnv env;
  StubDialogControls controls;
  FieldsDialog dialog(env);
  dialog.OnInitDialog(controls);
  EXPECT_EQ(controls.limits[kCode], 4);
  EXPECT_EQ(controls.texts[kCode], "EGLL");

  const struct {
    std::string code;
    bool read;
    std::string message;
  } cases[] = {{"EGKK", true, ""},
               {"", true, ""},
               {"EGKKX", false, "Please enter no more than 4 characters."}};
  for (const auto& c : cases) {
    env.validation_messages.clear();
    controls.focused = controls.selected_all = 0;
    controls.texts[kCode] = c.code;
    controls.texts[kCount] =
        std::string("9");  // moved in: GCC 12 -O3 reports a false overlap otherwise
    dialog.count = 5;
    EXPECT_EQ(dialog.UpdateData(true), c.read) << c.code;
    if (c.read) {
      EXPECT_EQ(dialog.code, c.code);
      EXPECT_EQ(dialog.count, 9);
      EXPECT_TRUE(env.validation_messages.empty());
    } else {
      EXPECT_EQ(dialog.count, 5);  // after the failing field: not read
      EXPECT_EQ(env.validation_messages, std::vector<std::string>{c.message});
      EXPECT_EQ(controls.focused, kCode);
      EXPECT_EQ(controls.selected_all, kCode);
    }
  }
}

}  // namespace
}  // namespace kestrava::testing
