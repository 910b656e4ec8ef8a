// The standard dialogs of the Windows backend (colour, file-save, validation message), answered
// by a hook that presses their buttons as a person would; and the same calls answered by an Env
// override from inside a running dialog, as the simulator answers them. Built only for Windows
// (run under Wine, with a display).
#include <gtest/gtest.h>
#include <windows.h>
// windows.h first: the common dialogs' header builds on it.
#include <commdlg.h>
#include <dlgs.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/module_resources.h"
#include "platform/win32/win32_common_dialogs.h"
#include "resources/dialog_ids.h"

namespace kestrava {
namespace {

// Hands each dialog box the calling thread activates to `answer` once (which presses one of its
// buttons), for as long as it lives.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(std::function<void(HWND)> answer) : answer_(std::move(answer)) {
    current_ = this;
    hook_ = SetWindowsHookExA(WH_CBT, &OnEvent, nullptr, GetCurrentThreadId());
  }
  ~BoxAnswerer() {
    UnhookWindowsHookEx(hook_);
    current_ = nullptr;
  }

 private:
  static LRESULT CALLBACK OnEvent(int code, WPARAM wparam, LPARAM lparam) {
    BoxAnswerer* self = current_;
    if (self != nullptr && code == HCBT_ACTIVATE) {
      HWND box = reinterpret_cast<HWND>(wparam);
      char name[16] = {};
      GetClassNameA(box, name, sizeof name);
      if (std::string(name) == "#32770" && box != self->last_) {
        self->last_ = box;
        self->answer_(box);
      }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
  }

  static inline BoxAnswerer* current_ = nullptr;
  std::function<void(HWND)> answer_;
  HHOOK hook_ = nullptr;
  HWND last_ = nullptr;
};

void Press(HWND box, int button) { PostMessageA(box, WM_COMMAND, button, 0); }

TEST(Win32CommonDialogs, ColourDialogStartsOnTheColourAndAnswersOkOrCancel) {
  int widths[2] = {};
  for (const bool full_open : {false, true}) {
    for (const int button : {IDOK, IDCANCEL}) {
      BoxAnswerer answerer([&](HWND box) {
        RECT frame;
        GetWindowRect(box, &frame);
        widths[full_open] = frame.right - frame.left;
        Press(box, button);
      });
      const auto chosen = Env::Default().ChooseColour({Rgb(12, 34, 56), full_open});
      if (button == IDOK) {
        EXPECT_EQ(chosen, Rgb(12, 34, 56));
      } else {
        EXPECT_EQ(chosen, std::nullopt);
      }
    }
  }
  EXPECT_GT(widths[1], widths[0]);  // the custom colour part shows at once
}

TEST(Win32CommonDialogs, SaveDialogAddsTheExtensionAndCutsALongInitialName) {
  std::string name;
  BoxAnswerer answerer([&](HWND box) {
    char text[1024] = {};
    GetDlgItemTextA(box, cmb13, text, sizeof text);  // the explorer style's file name field
    name = text;
    Press(box, name.size() < 100 ? IDOK : IDCANCEL);
  });
  SaveFileRequest request;
  request.initial = "kestrava-statistics";
  request.default_extension = "csv";
  request.filter = "CSV File (*.csv)|*.csv|";
  request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  const auto chosen = Env::Default().ChooseSaveFile(request);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_TRUE(chosen->ends_with("\\kestrava-statistics.csv")) << *chosen;

  request.initial = std::string(400, 'n');
  EXPECT_EQ(Env::Default().ChooseSaveFile(request), std::nullopt);
  EXPECT_EQ(name, std::string(MAX_PATH - 1, 'n'));
}

TEST(Win32CommonDialogs, SaveDialogFilterList) {
  using namespace std::string_literals;
  const std::pair<const char*, std::string> filters[] = {
      {"CSV File (*.csv)|*.csv|", "CSV File (*.csv)\0*.csv\0\0"s},
      {"CSV File (*.csv)|*.csv", "CSV File (*.csv)\0*.csv\0\0"s},
      {"A|*.a|B|*.b||", "A\0*.a\0B\0*.b\0\0"s},
      {"A|*.a|B", "A\0*.a\0\0"s},  // the incomplete pair is left out
      {"", ""},
  };
  for (const auto& [filter, list] : filters) EXPECT_EQ(SaveFileFilterList(filter), list) << filter;
}

// Asks for a colour, shows a validation message and asks for a file name, through `env`, when
// the statistics log dialog's Browse button is clicked.
class AskingHandler : public DialogHandler {
 public:
  explicit AskingHandler(Env& env) : env_(env) {}
  bool OnInitDialog(DialogControls&) override { return true; }
  void OnNotice(DialogControls& controls, const ControlNotice& notice) override {
    if (notice.id == IDC_LOG_BROWSE) {
      dialog = GetActiveWindow();
      answers.push_back(std::to_string(env_.ChooseColour({7, true}).value_or(0)));
      env_.ShowValidationMessage("Enter a whole number.");
      answers.push_back(env_.ChooseSaveFile({"x.csv", "csv", "", 0}).value_or("none"));
    } else if (notice.id == kIdOk || notice.id == kIdCancel) {
      controls.EndDialog(notice.id);
    }
  }
  void OnDrawItem(DialogControls&, const DrawItemInfo&) override {}
  std::optional<ColorRef> SwatchColour(int) const override { return std::nullopt; }
  std::vector<std::string> answers;
  HWND dialog = nullptr;

 private:
  Env& env_;
};

int RunLogDialog(Env& env, AskingHandler& handler) {
  const DialogScript script = [](DialogUser& user) { EXPECT_TRUE(user.Click(IDC_LOG_BROWSE)); };
  DialogRequest request;
  request.module = ThisModuleResources();
  request.template_id = IDD_STATISTICS_LOG;
  request.handler = &handler;
  request.script = &script;
  return env.RunModalDialog(request);
}

// The simulator's way: the three calls answered by an override while the real dialog runs.
class AnsweringEnv : public EnvWrapper {
 public:
  AnsweringEnv() : EnvWrapper(Env::Default()) {}
  std::optional<ColorRef> ChooseColour(const ColourRequest& request) override {
    asked.push_back("colour " + std::to_string(request.initial));
    return Rgb(1, 2, 3);
  }
  void ShowValidationMessage(const std::string& text) override {
    asked.push_back("message " + text);
  }
  std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) override {
    asked.push_back("save " + request.initial);
    return "C:\\logs\\" + request.initial;
  }
  std::vector<std::string> asked;
};

TEST(Win32CommonDialogs, CallsFromARunningDialogCanBeAnsweredByAnOverride) {
  AnsweringEnv env;
  AskingHandler handler(env);
  EXPECT_EQ(RunLogDialog(env, handler), kIdCancel);
  EXPECT_EQ(env.asked,
            (std::vector<std::string>{"colour 7", "message Enter a whole number.", "save x.csv"}));
  EXPECT_EQ(handler.answers, (std::vector<std::string>{"197121", "C:\\logs\\x.csv"}));
}

TEST(Win32CommonDialogs, ValidationMessageIsAnExclamationBoxOverTheRunningDialog) {
  AskingHandler handler(Env::Default());
  std::vector<std::string> message;
  HWND message_owner = nullptr;
  BoxAnswerer answerer([&](HWND box) {
    if (GetDlgItem(box, IDC_LOG_BROWSE) != nullptr) return;              // the dialog itself
    if (GetDlgItem(box, cmb13) != nullptr) return Press(box, IDCANCEL);  // the save dialog
    if (message.empty() && GetWindow(box, GW_OWNER) != nullptr) {
      char text[256] = {}, caption[64] = {};
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // a message box's text
      GetWindowTextA(box, caption, sizeof caption);
      message = {text, caption};
      message_owner = GetWindow(box, GW_OWNER);
    }
    Press(box, IDOK);
  });
  EXPECT_EQ(RunLogDialog(Env::Default(), handler), kIdCancel);
  EXPECT_EQ(handler.answers, (std::vector<std::string>{"7", "none"}));  // the colour as it was
  ASSERT_NE(handler.dialog, nullptr);
  EXPECT_EQ(message_owner, handler.dialog);
  EXPECT_EQ(message, (std::vector<std::string>{"Enter a whole number.", "Kestrava"}));
}

}  // namespace
}  // namespace kestrava
