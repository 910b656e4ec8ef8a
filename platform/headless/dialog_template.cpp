#include "platform/headless/dialog_template.h"

#include <cstddef>

namespace kestrava {
namespace {

// Reads little-endian fields from the template; the first read past the end marks the reader
// failed, and every later read then gives zeros.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool failed() const { return failed_; }

  std::uint16_t U16() {
    if (!Need(2)) return 0;
    const auto value = static_cast<std::uint16_t>(bytes_[at_] | (bytes_[at_ + 1] << 8));
    at_ += 2;
    return value;
  }
  std::uint32_t U32() {
    const std::uint32_t low = U16();
    return low | (static_cast<std::uint32_t>(U16()) << 16);
  }
  int I16() { return static_cast<std::int16_t>(U16()); }
  std::uint8_t U8() {
    if (!Need(1)) return 0;
    return bytes_[at_++];
  }
  void Skip(std::size_t count) {
    if (Need(count)) at_ += count;
  }
  void AlignToDword() { Skip(((at_ + 3) & ~static_cast<std::size_t>(3)) - at_); }

  // A zero-ended UTF-16 text, as UTF-8.
  std::string Text() {
    std::string out;
    for (;;) {
      std::uint32_t unit = U16();
      if (failed_ || unit == 0) return out;
      if (unit >= 0xD800 && unit < 0xDC00 && Need(2)) {
        const std::uint32_t low = static_cast<std::uint32_t>(bytes_[at_] | (bytes_[at_ + 1] << 8));
        if (low >= 0xDC00 && low < 0xE000) {
          at_ += 2;
          unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
      }
      AppendUtf8(out, unit);
    }
  }

  // A number (0xFFFF then the number) or a zero-ended text; 0x0000 alone is an empty text.
  struct NameOrNumber {
    std::uint16_t number = 0;
    std::string text;
  };
  NameOrNumber Name() {
    NameOrNumber result;
    if (!Need(2)) return result;
    if (bytes_[at_] == 0xFF && bytes_[at_ + 1] == 0xFF) {
      at_ += 2;
      result.number = U16();
      return result;
    }
    result.text = Text();
    return result;
  }

 private:
  bool Need(std::size_t count) {
    if (failed_ || bytes_.size() - at_ < count) {
      failed_ = true;
      return false;
    }
    return true;
  }

  static void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
  bool failed_ = false;
};

void ReadPosition(Reader& in, int& x, int& y, int& cx, int& cy) {
  x = in.I16();
  y = in.I16();
  cx = in.I16();
  cy = in.I16();
}

DialogTemplateControl ReadControl(Reader& in, bool extended) {
  DialogTemplateControl control;
  in.AlignToDword();
  if (extended) {
    in.U32();  // help id
    control.ex_style = in.U32();
    control.style = in.U32();
    ReadPosition(in, control.x, control.y, control.cx, control.cy);
    control.id = static_cast<std::int32_t>(in.U32());
  } else {
    control.style = in.U32();
    control.ex_style = in.U32();
    ReadPosition(in, control.x, control.y, control.cx, control.cy);
    control.id = static_cast<std::int16_t>(in.U16());
  }
  Reader::NameOrNumber window_class = in.Name();
  control.class_atom = window_class.number;
  control.class_name = std::move(window_class.text);
  control.text = in.Name().text;
  in.Skip(in.U16());  // creation data
  return control;
}

bool EqualsIgnoringCase(const std::string& text, const char* ascii) {
  std::size_t i = 0;
  for (; ascii[i] != '\0'; ++i) {
    if (i == text.size()) return false;
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    char d = ascii[i];
    if (d >= 'a' && d <= 'z') d = static_cast<char>(d - 'a' + 'A');
    if (c != d) return false;
  }
  return i == text.size();
}

}  // namespace

std::optional<DialogTemplate> ParseDialogTemplate(std::span<const std::uint8_t> bytes) {
  Reader in(bytes);
  DialogTemplate dialog;
  const std::uint16_t version = in.U16();
  const std::uint16_t signature = in.U16();
  dialog.extended = version == 1 && signature == 0xFFFF;
  int count = 0;
  if (dialog.extended) {
    in.U32();  // help id
    dialog.ex_style = in.U32();
    dialog.style = in.U32();
  } else {
    dialog.style = version | (static_cast<std::uint32_t>(signature) << 16);
    dialog.ex_style = in.U32();
  }
  count = in.U16();
  ReadPosition(in, dialog.x, dialog.y, dialog.cx, dialog.cy);
  in.Name();  // menu
  in.Name();  // window class
  dialog.caption = in.Text();
  if (dialog.style & kDsSetFont) {
    dialog.point_size = in.U16();
    if (dialog.extended) {
      dialog.font_weight = in.U16();
      dialog.italic = in.U8() != 0;
      in.U8();  // character set
    }
    dialog.font_face = in.Text();
  }
  for (int i = 0; i < count && !in.failed(); ++i) {
    dialog.controls.push_back(ReadControl(in, dialog.extended));
  }
  if (in.failed()) return std::nullopt;
  return dialog;
}

ControlClass ClassOf(const DialogTemplateControl& control) {
  switch (control.class_atom) {
    case kAtomButton: return ControlClass::Button;
    case kAtomEdit: return ControlClass::Edit;
    case kAtomStatic: return ControlClass::Static;
    case kAtomListBox: return ControlClass::ListBox;
    case kAtomScrollBar: return ControlClass::ScrollBar;
    case kAtomComboBox: return ControlClass::ComboBox;
    default: break;
  }
  if (control.class_atom != 0) return ControlClass::Other;
  static constexpr struct {
    const char* name;
    ControlClass kind;
  } kNames[] = {
      {"Button", ControlClass::Button},          {"Edit", ControlClass::Edit},
      {"Static", ControlClass::Static},          {"ListBox", ControlClass::ListBox},
      {"ScrollBar", ControlClass::ScrollBar},    {"ComboBox", ControlClass::ComboBox},
      {"SysListView32", ControlClass::ListView}, {"msctls_updown32", ControlClass::UpDown}};
  for (const auto& entry : kNames) {
    if (EqualsIgnoringCase(control.class_name, entry.name)) return entry.kind;
  }
  return ControlClass::Other;
}

}  // namespace kestrava
