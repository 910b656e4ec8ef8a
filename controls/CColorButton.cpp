#include "controls/CColorButton.h"

#include <vector>

#include "controls/dialog.h"

namespace kestrava {
namespace {

constexpr ColorRef kWhite = 0xFFFFFF;
constexpr ColorRef kGrey = 0x808080;
constexpr ColorRef kBlack = 0x000000;

// The caption's lines: split at every line feed on a multi-line button, else the whole text.
std::vector<std::string> CaptionLines(const std::string& caption, bool multiline) {
  if (!multiline) return {caption};
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t feed; (feed = caption.find('\n', start)) != std::string::npos;
       start = feed + 1) {
    lines.push_back(caption.substr(start, feed - start));
  }
  lines.push_back(caption.substr(start));
  return lines;
}

int Count(const std::string& text) { return static_cast<int>(text.size()); }

}  // namespace

CColorButton::CColorButton(Env& env) {
  const ButtonColours system = env.SystemButtonColours();
  m_TextColour = system.text;
  m_FaceColour = system.face;
  m_DisabledFaceColour = system.face;
  m_LightColour = system.light;
  m_HighlightColour = system.highlight;
  m_ShadowColour = system.shadow;
  m_DarkShadowColour = system.dark_shadow;
}

void CColorButton::SetColour(ColorRef face, ColorRef text) {
  m_FaceColour = face;
  m_TextColour = text;
  Invalidate();
}

void CColorButton::DrawItem(const DrawItemInfo& item) {
  if (GetParent() == nullptr) return;
  Drawing& drawing = GetParent()->env().DrawingService();
  const std::unique_ptr<DeviceContextWrapper> dc = drawing.AttachDC(item.dc);
  if (dc == nullptr) return;
  PaintDC paint{drawing, *dc};

  const Rect& rect = item.rect;
  const Rect normal_caption{rect.left - 1, rect.top - 1, rect.right - 1, rect.bottom - 1};
  const Rect& pressed_caption = rect;
  const bool disabled = (item.state & kOdsDisabled) != 0;
  const bool selected = (item.state & kOdsSelected) != 0;

  if (GdiObject brush = drawing.CreateSolidBrush(disabled ? m_DisabledFaceColour : m_FaceColour)) {
    dc->FillRect(rect, brush);
    drawing.DeleteObject(brush);
  }

  int code = kFrameRaised;
  if (selected) {
    code = kFramePressed;
  } else if ((item.state & (kOdsFocus | kOdsDefault)) != 0) {
    code = kFrameOutline | kFrameRaised;
  }
  DrawFrame(paint, code, rect);

  const std::string caption = GetWindowText();
  if (disabled) {
    // White below and grey above: an engraved caption.
    DrawCaption(paint, caption, kWhite, pressed_caption);
    DrawCaption(paint, caption, kGrey, normal_caption);
  } else {
    DrawCaption(paint, caption, m_TextColour, selected ? pressed_caption : normal_caption);
  }
}

void CColorButton::DrawFrame(PaintDC& paint, int code, Rect r) const {
  const auto edges = [&](ColorRef top_left, ColorRef bottom_right) {
    DrawEdgeLine(paint, top_left, r.left, r.top, r.right, r.top);
    DrawEdgeLine(paint, top_left, r.left, r.top, r.left, r.bottom);
    DrawEdgeLine(paint, bottom_right, r.left, r.bottom - 1, r.right, r.bottom - 1);
    DrawEdgeLine(paint, bottom_right, r.right - 1, r.top, r.right - 1, r.bottom);
  };
  const auto shrink = [&] { r = Rect{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}; };

  if ((code & kFrameOutline) != 0) {
    edges(kBlack, kBlack);
    shrink();
  }
  if ((code & kFrameRaised) != 0) {
    edges(m_HighlightColour, m_DarkShadowColour);
    shrink();
    edges(m_LightColour, m_ShadowColour);
  }
  if ((code & kFramePressed) != 0) {
    edges(m_DarkShadowColour, m_DarkShadowColour);
    shrink();
    edges(m_ShadowColour, m_ShadowColour);
  }
}

void CColorButton::DrawEdgeLine(PaintDC& paint, ColorRef colour, int from_x, int from_y, int to_x,
                                int to_y) {
  GdiObject pen = paint.drawing.CreatePen(PenStyle::Solid, 1, colour);
  if (pen == nullptr) return;
  GdiObject previous = paint.dc.SelectObject(pen);
  paint.dc.MoveTo(from_x, from_y);
  paint.dc.LineTo(to_x, to_y);
  paint.dc.SelectObject(previous);
  paint.drawing.DeleteObject(pen);
}

void CColorButton::DrawCaption(PaintDC& paint, const std::string& caption, ColorRef colour,
                               const Rect& rect) const {
  const std::uint32_t style = GetStyle();
  const std::vector<std::string> lines = CaptionLines(caption, (style & kBsMultiline) != 0);
  const int count = static_cast<int>(lines.size());
  const int height = paint.dc.GetTextExtent(lines.back().c_str(), Count(lines.back())).cy;

  const ColorRef previous_colour = paint.dc.SetTextColor(colour);
  paint.dc.SetBkMode(BackgroundMode::Transparent);

  int y = rect.top + (rect.bottom - rect.top - count * height) / 2 - 1;
  const std::uint32_t vertical = style & (kBsTop | kBsBottom);
  if (vertical == kBsTop) {
    y = rect.top + 2;
  } else if (vertical == kBsBottom) {
    y = rect.bottom - count * height - 2;
  }

  std::uint32_t format = kDtCenter | kDtVCenter | kDtSingleLine;
  const std::uint32_t horizontal = style & (kBsLeft | kBsRight);
  if (horizontal == (kBsLeft | kBsRight)) {
    format = kDtCenter;
  } else if (horizontal == kBsLeft) {
    format = kDtLeft;
  } else if (horizontal == kBsRight) {
    format = kDtRight;
  }

  for (const std::string& line : lines) {
    paint.dc.DrawTextA(line.c_str(), Count(line),
                       Rect{rect.left + 3, y, rect.right - 3, y + height}, format);
    y += height;
  }
  paint.dc.SetTextColor(previous_colour);
}

void CColorButton::ChooseColour(CDialog& dialog, ColorRef& colour, CColorButton& button) {
  // A failed validation has shown its message; the choice goes on regardless.
  dialog.UpdateData(true);
  const std::optional<ColorRef> chosen =
      dialog.env().ChooseColour(ColourRequest{.initial = colour, .full_open = true});
  if (chosen) {
    colour = *chosen;
    button.SetColour(*chosen, kBlack);
  }
  dialog.UpdateData(false);
}

}  // namespace kestrava
