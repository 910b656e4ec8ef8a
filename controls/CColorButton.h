// CColorButton: an owner-drawn push button whose face shows a colour, the swatch beside a label
// in the settings dialogs, and the colour choice its dialog runs when it is clicked.
//
// The button is a dialog member attached with DDX_Control to a template button that has the
// owner-draw style; the dialog hands it its drawing requests. It draws its face (the face colour,
// or the disabled face colour when disabled), a 3-D frame following the button's state (raised;
// with a black outline when focused or default; sunken outlines when pressed) and its caption if
// it has one.
//
// The colours at construction are the system's button colours, read through the Env
// (Env::SystemButtonColours; Windows' defaults where the system has none); the face colour is the
// system's until SetColour.
//
// Thread: the host's thread, inside its dialog's run (SetColour also before it).
#pragma once

#include <string>

#include "controls/dialog_control.h"
#include "platform/drawing.h"
#include "platform/env.h"

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

  // Takes the system's button colours from `env`.
  explicit CColorButton(Env& env);

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

  ColorRef m_TextColour;
  ColorRef m_FaceColour;
  ColorRef m_DisabledFaceColour;
  ColorRef m_LightColour;
  ColorRef m_HighlightColour;
  ColorRef m_ShadowColour;
  ColorRef m_DarkShadowColour;
};

}  // namespace kestrava
