// Headless dialogs drawn with cairo in a plain classic look: a grey face inside a raised frame, a
// dark caption bar with the title in white, and 3-D edges for buttons, edits, drop-down lists,
// list views and up-down arrows. The owner-drawn controls draw themselves through the handler on
// the same image, each with the origin at its own top-left corner. The image is a stand-in host's
// canvas, which also releases the font caches that drawing text fills when the process ends.
#include <cairo.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "host/display_canvas.h"
#include "platform/headless/dialog_surface.h"

namespace kestrava {
namespace {

constexpr int kFrame = 3;     // a dialog frame's width
constexpr int kCaption = 18;  // the caption bar's height
constexpr double kFontSize = 10.5;
constexpr const char* kFontFamily = "DejaVu Sans Condensed";  // near the width of the Windows one
constexpr ColorRef kFace = Rgb(212, 208, 200);
constexpr ColorRef kHighlight = Rgb(255, 255, 255);
constexpr ColorRef kShadow = Rgb(128, 128, 128);
constexpr ColorRef kDarkShadow = Rgb(64, 64, 64);
constexpr ColorRef kWindow = Rgb(255, 255, 255);
constexpr ColorRef kText = Rgb(0, 0, 0);
constexpr ColorRef kGreyText = Rgb(128, 128, 128);
constexpr ColorRef kSelection = Rgb(10, 36, 106);
constexpr ColorRef kCaptionText = Rgb(255, 255, 255);

// "&Add" as shown: the mnemonic marks taken out ("&&" is one "&").
std::string WithoutMnemonics(const std::string& text) {
  std::string shown;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    shown += text[i];
  }
  return shown;
}

class Painter {
 public:
  explicit Painter(cairo_t* cr) : cr_(cr) {
    cairo_select_font_face(cr_, kFontFamily, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr_, kFontSize);
  }

  void Colour(ColorRef colour) {
    cairo_set_source_rgb(cr_, (colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
                         ((colour >> 16) & 0xFF) / 255.0);
  }

  void Fill(int left, int top, int right, int bottom, ColorRef colour) {
    Colour(colour);
    cairo_rectangle(cr_, left, top, right - left, bottom - top);
    cairo_fill(cr_);
  }

  // One-pixel lines along the inside of the rectangle: top and left in one colour, bottom and
  // right in the other.
  void Edge(int left, int top, int right, int bottom, ColorRef top_left, ColorRef bottom_right) {
    Fill(left, top, right, top + 1, top_left);
    Fill(left, top, left + 1, bottom, top_left);
    Fill(left, bottom - 1, right, bottom, bottom_right);
    Fill(right - 1, top, right, bottom, bottom_right);
  }

  void Raised(const Rect& r) {
    Fill(r.left, r.top, r.right, r.bottom, kFace);
    Edge(r.left, r.top, r.right, r.bottom, kHighlight, kDarkShadow);
    Edge(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1, kFace, kShadow);
  }

  void Sunken(const Rect& r, ColorRef inside) {
    Fill(r.left, r.top, r.right, r.bottom, inside);
    Edge(r.left, r.top, r.right, r.bottom, kShadow, kHighlight);
    Edge(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1, kDarkShadow, kFace);
  }

  // Text in the box, clipped to it; `centre`: centred across, else from the left edge.
  void Text(const std::string& text, const Rect& box, ColorRef colour, bool centre) {
    if (text.empty() || box.right <= box.left) return;
    cairo_save(cr_);
    cairo_rectangle(cr_, box.left, box.top, box.right - box.left, box.bottom - box.top);
    cairo_clip(cr_);
    cairo_text_extents_t extents;
    cairo_text_extents(cr_, text.c_str(), &extents);
    cairo_font_extents_t font;
    cairo_font_extents(cr_, &font);
    const double x = centre ? box.left + (box.right - box.left - extents.x_advance) / 2 : box.left;
    const double y = box.top + (box.bottom - box.top - font.height) / 2 + font.ascent;
    Colour(colour);
    cairo_move_to(cr_, x, y);
    cairo_show_text(cr_, text.c_str());
    cairo_restore(cr_);
  }

  void Triangle(double centre_x, double centre_y, bool up) {
    Colour(kText);
    const double tip = up ? -2 : 2;
    cairo_move_to(cr_, centre_x - 3.5, centre_y - tip);
    cairo_line_to(cr_, centre_x + 3.5, centre_y - tip);
    cairo_line_to(cr_, centre_x, centre_y + tip + (up ? -0.5 : 0.5));
    cairo_close_path(cr_);
    cairo_fill(cr_);
  }

  void Tick(int left, int top) {
    Colour(kText);
    cairo_set_line_width(cr_, 2);
    cairo_move_to(cr_, left + 3, top + 6);
    cairo_line_to(cr_, left + 5.5, top + 9);
    cairo_line_to(cr_, left + 10, top + 3.5);
    cairo_stroke(cr_);
  }

  void CheckBoxSquare(int left, int top, bool checked) {
    Sunken(Rect{left, top, left + 13, top + 13}, kWindow);
    if (checked) Tick(left, top);
  }

  void Item(const DialogLook::Item& item) {
    const Rect& r = item.rect;
    const ColorRef text_colour = item.enabled ? kText : kGreyText;
    switch (item.kind) {
      case DialogLook::Kind::PushButton: {
        Rect face = r;
        if (item.is_default) {
          Fill(r.left, r.top, r.right, r.bottom, kText);
          face = Rect{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
        }
        Raised(face);
        Text(WithoutMnemonics(item.text), face, text_colour, true);
        break;
      }
      case DialogLook::Kind::CheckBox: {
        const int top = r.top + (r.bottom - r.top - 13) / 2;
        CheckBoxSquare(r.left, top, item.checked);
        Text(WithoutMnemonics(item.text), Rect{r.left + 17, r.top, r.right, r.bottom}, text_colour,
             false);
        break;
      }
      case DialogLook::Kind::Label:
        Text(WithoutMnemonics(item.text), Rect{r.left, r.top, r.right, r.top + 13}, text_colour,
             false);
        break;
      case DialogLook::Kind::Edit:
        Sunken(r, item.enabled ? kWindow : kFace);
        Text(item.text, Rect{r.left + 4, r.top + 2, r.right - 3, r.bottom - 2}, text_colour, false);
        break;
      case DialogLook::Kind::DropDown: {
        const Rect field{r.left, r.top, r.right, r.top + std::min(21, r.bottom - r.top)};
        Sunken(field, kWindow);
        const Rect button{field.right - 19, field.top + 2, field.right - 2, field.bottom - 2};
        Raised(button);
        Triangle((button.left + button.right) / 2.0, (button.top + button.bottom) / 2.0, false);
        Text(item.text, Rect{field.left + 4, field.top + 2, button.left - 1, field.bottom - 2},
             text_colour, false);
        break;
      }
      case DialogLook::Kind::ListView: ListView(item); break;
      case DialogLook::Kind::UpDown: {
        const int middle = (r.top + r.bottom) / 2;
        Raised(Rect{r.left, r.top, r.right, middle});
        Raised(Rect{r.left, middle, r.right, r.bottom});
        const double centre = (r.left + r.right) / 2.0;
        Triangle(centre, (r.top + middle) / 2.0, true);
        Triangle(centre, (middle + r.bottom) / 2.0, false);
        break;
      }
      case DialogLook::Kind::OwnerDrawn: break;
    }
  }

  void ListView(const DialogLook::Item& item) {
    const Rect& r = item.rect;
    Sunken(r, kWindow);
    const int inner_left = r.left + 2;
    const int inner_right = r.right - 2;
    cairo_save(cr_);
    cairo_rectangle(cr_, inner_left, r.top + 2, inner_right - inner_left, r.bottom - r.top - 4);
    cairo_clip(cr_);
    constexpr int kHeader = 17;
    constexpr int kRow = 16;
    int x = inner_left;
    for (const DialogLook::Column& column : item.columns) {
      Raised(Rect{x, r.top + 2, x + column.width, r.top + 2 + kHeader});
      Text(column.heading, Rect{x + 6, r.top + 2, x + column.width - 2, r.top + 2 + kHeader}, kText,
           false);
      x += column.width;
    }
    if (x < inner_right) Raised(Rect{x, r.top + 2, inner_right, r.top + 2 + kHeader});
    int y = r.top + 2 + kHeader;
    for (const DialogLook::Row& row : item.rows) {
      const ColorRef colour = row.selected ? kCaptionText : kText;
      if (row.selected) Fill(inner_left, y, std::max(x, inner_left), y + kRow, kSelection);
      int cell = inner_left;
      for (std::size_t c = 0; c < std::max<std::size_t>(item.columns.size(), 1); ++c) {
        const int width = c < item.columns.size() ? item.columns[c].width : inner_right - cell;
        int text_left = cell + 6;
        if (c == 0 && item.check_boxes) {
          CheckBoxSquare(cell + 4, y + 1, row.checked);
          text_left = cell + 21;
        }
        if (c < row.texts.size()) {
          Text(row.texts[c], Rect{text_left, y, cell + width - 2, y + kRow}, colour, false);
        }
        cell += width;
      }
      y += kRow;
    }
    cairo_restore(cr_);
  }

  void Window(const DialogLook& look, int width, int height) {
    Fill(0, 0, width, height, kFace);
    Edge(0, 0, width, height, kFace, kDarkShadow);
    Edge(1, 1, width - 1, height - 1, kHighlight, kShadow);
    const Rect bar{kFrame, kFrame, width - kFrame, kFrame + kCaption};
    Fill(bar.left, bar.top, bar.right, bar.bottom, kSelection);
    cairo_save(cr_);
    cairo_select_font_face(cr_, kFontFamily, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    Text(look.caption, Rect{bar.left + 4, bar.top, bar.right - 22, bar.bottom}, kCaptionText,
         false);
    cairo_restore(cr_);
    if (look.close_box) {
      const Rect box{bar.right - 18, bar.top + 2, bar.right - 2, bar.bottom - 2};
      Raised(box);
      Colour(kText);
      cairo_set_line_width(cr_, 1.5);
      cairo_move_to(cr_, box.left + 4.5, box.top + 3.5);
      cairo_line_to(cr_, box.right - 4.5, box.bottom - 3.5);
      cairo_move_to(cr_, box.right - 4.5, box.top + 3.5);
      cairo_line_to(cr_, box.left + 4.5, box.bottom - 3.5);
      cairo_stroke(cr_);
    }
  }

 private:
  cairo_t* cr_;
};

class CairoDialogSurface final : public DialogSurface {
 public:
  // Throws std::runtime_error when the image cannot be made.
  CairoDialogSurface(int width, int height)
      : width_(width + 2 * kFrame),
        height_(height + 2 * kFrame + kCaption),
        canvas_(width_, height_),
        cr_(static_cast<cairo_t*>(canvas_.dc())) {
    Painter(cr_).Fill(0, 0, width_, height_, kFace);
  }

  DeviceContext BeginItem(const Rect& item) override {
    cairo_save(cr_);
    cairo_translate(cr_, kFrame + item.left, kFrame + kCaption + item.top);
    cairo_rectangle(cr_, 0, 0, item.right - item.left, item.bottom - item.top);
    cairo_clip(cr_);
    cairo_new_path(cr_);
    return cr_;
  }

  void EndItem() override { cairo_restore(cr_); }

  void Paint(const DialogLook& look) override {
    cairo_save(cr_);
    Painter painter(cr_);
    painter.Window(look, width_, height_);
    cairo_translate(cr_, kFrame, kFrame + kCaption);
    for (const DialogLook::Item& item : look.items) painter.Item(item);
    cairo_restore(cr_);
  }

  bool SavePng(const std::string& path) override { return canvas_.SavePng(path); }

 private:
  int width_;
  int height_;
  standin::DisplayCanvas canvas_;
  cairo_t* cr_;
};

}  // namespace

std::unique_ptr<DialogSurface> MakeDialogSurface(int width, int height) {
  try {
    return std::make_unique<CairoDialogSurface>(std::max(width, 1), std::max(height, 1));
  } catch (const std::runtime_error&) {
    return nullptr;
  }
}

}  // namespace kestrava
