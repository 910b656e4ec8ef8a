// CColorButton: an owner-drawn push button whose face shows a colour, the swatch beside a label
// in the settings dialogs, and the colour choice its dialog runs when it is clicked.
//
// The button is a dialog member attached with DDX_Control to a template button that has the
// owner-draw style; the dialog hands it its drawing requests. It draws its face (the face colour,
// or the disabled face colour when disabled), a 3-D frame following the button's state (raised;
// with a black outline when focused or default; sunken outlines when pressed) and its caption if
// it has one.
//
// The colours at construction are Windows' default system colours since Vista, as constants
// (the logic reads no system settings): button face 0xF0F0F0, 3-D light 0xE3E3E3, highlight
// 0xFFFFFF, shadow 0xA0A0A0, dark shadow 0x696969, button text black.
//
// Thread: the host's thread, inside its dialog's run (SetColour also before it).
#pragma once

#include <string>

#include "controls/dialog_control.h"
#include "platform/drawing.h"

namespace kestrava {

// A device context being drawn on, with the drawing service that makes its pens and brushes.
struct PaintDC {
  Drawing& drawing;
  DeviceContextWrapper& dc;
};

class CColorButton : public CButton {
 public:
  // Frame codes of DrawFrame, combinable.
  static constexpr int kFramePressed = 1;
  static constexpr int kFrameRaised = 2;
  static constexpr int kFrameOutline = 4;

  static constexpr ColorRef kSysButtonText = 0x000000;
  static constexpr ColorRef kSysButtonFace = 0xF0F0F0;
  static constexpr ColorRef kSys3dLight = 0xE3E3E3;
  static constexpr ColorRef kSysHighlight = 0xFFFFFF;
  static constexpr ColorRef kSysShadow = 0xA0A0A0;
  static constexpr ColorRef kSysDarkShadow = 0x696969;

  // Stores the face and text colours; repaints the button when its dialog runs.
  void SetColour(ColorRef face, ColorRef text);

  void DrawItem(const DrawItemInfo& item) override;
  std::optional<ColorRef> SwatchColour() const override { return m_FaceColour; }

  // Outlines and edges for `code` (kFrame* bits) on `rect`, from the outside in.
  void DrawFrame(PaintDC& paint, int code, Rect rect) const;
  // A one-pixel line from `from` to `to`, the end point excluded.
  static void DrawEdgeLine(PaintDC& paint, ColorRef colour, int from_x, int from_y, int to_x,
                           int to_y);
  // The caption in `rect`, aligned by the button's style (lines split at line feeds when it is
  // multi-line), in `colour` on a transparent background.
  void DrawCaption(PaintDC& paint, const std::string& caption, ColorRef colour,
                   const Rect& rect) const;

  // The click handler of a dialog's colour button: reads the controls into the members (a failed
  // validation shows its message and the choice goes on), opens the standard colour dialog, fully
  // open, on `colour`; after OK `colour` and the button's face take the chosen colour; finally the
  // members are written back to the controls.
  static void ChooseColour(CDialog& dialog, ColorRef& colour, CColorButton& button);

  ColorRef m_TextColour = kSysButtonText;
  ColorRef m_FaceColour = kSysButtonFace;
  ColorRef m_DisabledFaceColour = kSysButtonFace;
  ColorRef m_LightColour = kSys3dLight;
  ColorRef m_HighlightColour = kSysHighlight;
  ColorRef m_ShadowColour = kSysShadow;
  ColorRef m_DarkShadowColour = kSysDarkShadow;
};

}  // namespace kestrava
