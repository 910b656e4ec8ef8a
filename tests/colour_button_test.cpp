// The colour button's drawing: frames by state, caption placement by style, and the face's
// pixels on the build's own drawing backend.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/CColorButton.h"
#include "controls/data_exchange.h"
#include "controls/dialog.h"
#include "host/display_canvas.h"
#include "tests/support/fake_env.h"
#include "tests/support/stub_dialog_controls.h"

namespace kestrava::testing {
namespace {

constexpr int kButton = 7;
constexpr ColorRef kSwatch = 0x3366CC;

// A dialog holding one colour button, opened on stub controls.
class ButtonDialog : public CDialog {
 public:
  explicit ButtonDialog(Env& env) : CDialog(0, env), button(env) {}
  CColorButton button;

 protected:
  void DoDataExchange(DataExchange& dx) override { DDX_Control(dx, kButton, button); }
};

class ColourButtonDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog.OnInitDialog(controls);
    dialog.button.SetColour(kSwatch, 0x000001);
  }

  // Draws the button on a 20 x 12 rectangle with the recording starting afresh.
  void Draw(std::uint32_t state) {
    env.drawing.Clear();
    dialog.OnDrawItem(controls, DrawItemInfo{kButton, &controls, Rect{0, 0, 20, 12}, state});
    EXPECT_EQ(env.drawing.LiveObjects(), 0);
  }

  // Each edge line as "colour:x,y-x,y", in drawing order.
  std::vector<std::string> Edges() const {
    std::vector<std::string> edges;
    std::string colour;
    std::string from;
    for (const DrawingCall& call : env.drawing.calls) {
      const auto at = [&] {
        return std::to_string(int(call.args[0])) + "," + std::to_string(int(call.args[1]));
      };
      if (call.name == "CreatePen") colour = std::to_string(int(call.args[2]));
      if (call.name == "MoveTo") from = at();
      if (call.name == "LineTo") edges.push_back(colour + ":" + from + "-" + at());
    }
    return edges;
  }

  // Each DrawTextA as "text@left,top,right,bottom/format".
  std::vector<std::string> Captions() const {
    std::vector<std::string> out;
    for (const DrawingCall& call : env.drawing.Named("DrawTextA")) {
      std::string text = call.text + "@";
      for (int i = 0; i < 4; ++i) text += std::to_string(int(call.args[i])) + (i < 3 ? "," : "");
      out.push_back(text + "/" + std::to_string(int(call.args[4])));
    }
    return out;
  }

  FakeEnv env;
  StubDialogControls controls;
  ButtonDialog dialog{env};
};

// Colours as the recording writes them.
TEST(ColourButtonColours, AreTheSystemsAtConstruction) {
  class ThemedEnv : public FakeEnv {
   public:
    ButtonColours SystemButtonColours() override { return {1, 2, 3, 4, 5, 6}; }
  } env;
  const CColorButton button(env);
  EXPECT_EQ(
      (std::vector<ColorRef>{button.m_TextColour, button.m_FaceColour, button.m_DisabledFaceColour,
                             button.m_LightColour, button.m_HighlightColour, button.m_ShadowColour,
                             button.m_DarkShadowColour}),
      (std::vector<ColorRef>{1, 2, 2, 3, 4, 5, 6}));
}

const std::string kHigh = std::to_string(kDefaultButtonColours.highlight);
const std::string kLight = std::to_string(kDefaultButtonColours.light);
const std::string kShadow = std::to_string(kDefaultButtonColours.shadow);
const std::string kDark = std::to_string(kDefaultButtonColours.dark_shadow);

TEST_F(ColourButtonDrawing, FrameFollowsTheState) {
  const std::vector<std::string> raised = {
      kHigh + ":0,0-20,0",  kHigh + ":0,0-0,12",  kDark + ":0,11-20,11",   kDark + ":19,0-19,12",
      kLight + ":1,1-19,1", kLight + ":1,1-1,11", kShadow + ":1,10-19,10", kShadow + ":18,1-18,11",
  };
  const std::vector<std::string> raised_inside_outline = {
      "0:0,0-20,0",         "0:0,0-0,12",         "0:0,11-20,11",        "0:19,0-19,12",
      kHigh + ":1,1-19,1",  kHigh + ":1,1-1,11",  kDark + ":1,10-19,10", kDark + ":18,1-18,11",
      kLight + ":2,2-18,2", kLight + ":2,2-2,10", kShadow + ":2,9-18,9", kShadow + ":17,2-17,10",
  };
  const struct {
    const char* name;
    std::uint32_t state;
    ColorRef face;
    std::vector<std::string> edges;
  } cases[] = {
      {"normal", 0, kSwatch, raised},
      {"focused", kOdsFocus, kSwatch, raised_inside_outline},
      {"default", kOdsDefault, kSwatch, raised_inside_outline},
      {"pressed",
       kOdsSelected | kOdsFocus,
       kSwatch,
       {kDark + ":0,0-20,0", kDark + ":0,0-0,12", kDark + ":0,11-20,11", kDark + ":19,0-19,12",
        kShadow + ":1,1-19,1", kShadow + ":1,1-1,11", kShadow + ":1,10-19,10",
        kShadow + ":18,1-18,11"}},
      {"disabled", kOdsDisabled, kDefaultButtonColours.face, raised},
  };
  for (const auto& c : cases) {
    Draw(c.state);
    const std::vector<DrawingCall> brushes = env.drawing.Named("CreateSolidBrush");
    ASSERT_EQ(brushes.size(), 1u) << c.name;
    EXPECT_EQ(brushes[0].args[0], c.face) << c.name;
    EXPECT_EQ(env.drawing.Named("FillRect")[0].args[2], 20) << c.name;
    EXPECT_EQ(Edges(), c.edges) << c.name;
  }
}

TEST_F(ColourButtonDrawing, CaptionIsPlacedByTheStyle) {
  // One line is 13 pixels high; the normal caption rectangle is the item's moved up and left.
  const struct {
    std::uint32_t style;
    std::uint32_t state;
    std::string caption;
    std::vector<std::string> drawn;
  } cases[] = {
      {0, 0, "Ab", {"Ab@2,-2,16,11/37"}},
      {kBsTop, 0, "Ab", {"Ab@2,1,16,14/37"}},
      {kBsBottom, 0, "Ab", {"Ab@2,-4,16,9/37"}},
      {kBsTop | kBsBottom, 0, "Ab", {"Ab@2,-2,16,11/37"}},
      {kBsLeft, 0, "Ab", {"Ab@2,-2,16,11/0"}},
      {kBsRight, 0, "Ab", {"Ab@2,-2,16,11/2"}},
      {kBsLeft | kBsRight, 0, "Ab", {"Ab@2,-2,16,11/1"}},
      // Pressed: one pixel right and down.
      {0, kOdsSelected, "Ab", {"Ab@3,-1,17,12/37"}},
      // Multi-line: lines of equal height around the middle; otherwise the feed stays.
      {kBsMultiline, 0, "A\nBC", {"A@2,-9,16,4/37", "BC@2,4,16,17/37"}},
      {0, 0, "A\nBC", {"A\nBC@2,-2,16,11/37"}},
      // Disabled: engraved, white one pixel below the grey.
      {0, kOdsDisabled, "Ab", {"Ab@3,-1,17,12/37", "Ab@2,-2,16,11/37"}},
  };
  for (const auto& c : cases) {
    controls.styles[kButton] = c.style;
    controls.texts[kButton] = c.caption;
    Draw(c.state);
    EXPECT_EQ(Captions(), c.drawn) << c.caption << " style " << c.style << " state " << c.state;
  }
  const std::vector<DrawingCall> colours = env.drawing.Named("SetTextColor");
  ASSERT_EQ(colours.size(), 4u);  // disabled: grey and white, each restored afterwards
  EXPECT_EQ(colours[0].args[0], 0xFFFFFF);
  EXPECT_EQ(colours[2].args[0], 0x808080);
  EXPECT_EQ(env.drawing.Named("SetBkMode").size(), 2u);
}

TEST_F(ColourButtonDrawing, CaptionTextColourIsRestored) {
  controls.texts[kButton] = "Ab";
  Draw(0);
  const std::vector<DrawingCall> colours = env.drawing.Named("SetTextColor");
  ASSERT_EQ(colours.size(), 2u);
  EXPECT_EQ(colours[0].args[0], 0x000001);
  EXPECT_EQ(colours[1].args[0], 0);  // the device context's colour before
  EXPECT_EQ(env.drawing.Named("SetBkMode")[0].args[0], int(BackgroundMode::Transparent));
}

// Records the order of the validation messages and colour dialogs.
class OrderEnv : public FakeEnv {
 public:
  std::vector<std::string> order;
  void ShowValidationMessage(const std::string& text) override { order.push_back(text); }
  std::optional<ColorRef> ChooseColour(const ColourRequest& request) override {
    order.push_back("colour " + std::to_string(request.initial) +
                    (request.full_open ? " full" : ""));
    return FakeEnv::ChooseColour(request);
  }
};

// A count from 1 to 99 before the swatch.
class CountDialog : public ButtonDialog {
 public:
  using ButtonDialog::ButtonDialog;
  static constexpr int kCount = 3;
  std::int32_t count = 5;

 protected:
  void DoDataExchange(DataExchange& dx) override {
    DDX_Text(dx, kCount, count);
    DDV_MinMaxInt(dx, count, 1, 99);
    ButtonDialog::DoDataExchange(dx);
  }
};

TEST(ColourChoice, MessageFirstThenTheColourDialogThenTheMembersShown) {
  const struct {
    const char* typed;
    std::optional<ColorRef> answer;
    std::vector<std::string> order;
    ColorRef colour;
    const char* shown;  // the count field afterwards
  } cases[] = {
      {"7", 0x00FF00, {"colour 255 full"}, 0x00FF00, "7"},
      {"7", std::nullopt, {"colour 255 full"}, 255, "7"},
      {"x", 0x00FF00, {"Please enter an integer.", "colour 255 full"}, 0x00FF00, "5"},
      {"0",
       std::nullopt,
       {"Please enter an integer between 1 and 99.", "colour 255 full"},
       255,
       "0"},
  };
  for (const auto& c : cases) {
    OrderEnv env;
    StubDialogControls controls;
    CountDialog dialog(env);
    dialog.OnInitDialog(controls);
    ColorRef colour = 255;
    dialog.button.SetColour(colour, 0);
    controls.texts[CountDialog::kCount] = c.typed;
    env.colour_answers = {c.answer};
    CColorButton::ChooseColour(dialog, colour, dialog.button);
    EXPECT_EQ(env.order, c.order) << c.typed;
    EXPECT_EQ(colour, c.colour) << c.typed;
    EXPECT_EQ(dialog.SwatchColour(kButton), c.colour) << c.typed;
    EXPECT_EQ(controls.texts[CountDialog::kCount], c.shown) << c.typed;
  }
}

// The FakeEnv with the platform's real drawing.
class PlatformDrawingEnv : public FakeEnv {
 public:
  Drawing& DrawingService() override { return Env::Default().DrawingService(); }
};

TEST(ColourButtonPixels, FaceShowsTheSwatchUnlessDisabled) {
  PlatformDrawingEnv env;
  StubDialogControls controls;
  ButtonDialog dialog(env);
  dialog.OnInitDialog(controls);
  dialog.button.SetColour(Rgb(200, 40, 90), 0);
  constexpr standin::Pixel kWhite{255, 255, 255};
  const struct {
    std::uint32_t state;
    standin::Pixel centre;
    standin::Pixel corner;  // the outer frame: highlight, or black when focused
  } cases[] = {
      {0, {200, 40, 90}, kWhite},
      {kOdsFocus, {200, 40, 90}, {0, 0, 0}},
      {kOdsDisabled, {0xF0, 0xF0, 0xF0}, kWhite},
  };
  for (const auto& c : cases) {
    standin::DisplayCanvas canvas(16, 16);
    dialog.OnDrawItem(controls, DrawItemInfo{kButton, canvas.dc(), Rect{0, 0, 16, 16}, c.state});
    EXPECT_EQ(canvas.PixelAt(8, 8), c.centre) << c.state;
    EXPECT_EQ(canvas.PixelAt(0, 0), c.corner) << c.state;
  }
}

}  // namespace
}  // namespace kestrava::testing
