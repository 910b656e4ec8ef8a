// Reading a dialog template as the resource compiler writes it (DLGTEMPLATEEX, or the older
// DLGTEMPLATE) into plain values: the dialog's caption, styles, position and font, and its
// controls in template (tab) order.
//
// Positions and sizes are in dialog units. Texts are converted from UTF-16 to UTF-8. A control's
// class is a predefined one (the atoms 0x80 to 0x85) or a name, kept as the template spells it
// (the resource compiler may have upper-cased it; window class names are compared without regard
// to case, see ClassOf).
//
// Pure and bounds-checked: truncated or malformed bytes give nothing, and nothing is read past
// the end of the span. Any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrava {

// Window style bits of dialogs and controls that the backends read (the Windows values).
inline constexpr std::uint32_t kWsTabStop = 0x00010000;
inline constexpr std::uint32_t kWsDisabled = 0x08000000;
inline constexpr std::uint32_t kWsSysMenu = 0x00080000;
inline constexpr std::uint32_t kDsSetFont = 0x0040;
inline constexpr std::uint32_t kDsSysModal = 0x0002;
inline constexpr std::uint32_t kDsModalFrame = 0x0080;
inline constexpr std::uint32_t kDsCenter = 0x0800;
inline constexpr std::uint32_t kBsTypeMask = 0x000F;
inline constexpr std::uint32_t kBsDefPushButton = 0x0001;
inline constexpr std::uint32_t kBsCheckBox = 0x0002;
inline constexpr std::uint32_t kBsAutoCheckBox = 0x0003;
inline constexpr std::uint32_t kBsOwnerDraw = 0x000B;
inline constexpr std::uint32_t kEsAutoHScroll = 0x0080;
inline constexpr std::uint32_t kCbsDropDownList = 0x0003;
inline constexpr std::uint32_t kCbsSort = 0x0100;
inline constexpr std::uint32_t kLvsReport = 0x0001;
inline constexpr std::uint32_t kLvsSingleSel = 0x0004;
inline constexpr std::uint32_t kUdsSetBuddyInt = 0x0002;
inline constexpr std::uint32_t kUdsAlignRight = 0x0004;
inline constexpr std::uint32_t kUdsAutoBuddy = 0x0010;
inline constexpr std::uint32_t kUdsArrowKeys = 0x0020;

// The predefined control classes' atoms.
inline constexpr std::uint16_t kAtomButton = 0x80;
inline constexpr std::uint16_t kAtomEdit = 0x81;
inline constexpr std::uint16_t kAtomStatic = 0x82;
inline constexpr std::uint16_t kAtomListBox = 0x83;
inline constexpr std::uint16_t kAtomScrollBar = 0x84;
inline constexpr std::uint16_t kAtomComboBox = 0x85;

struct DialogTemplateControl {
  int id = 0;                    // -1 (0xFFFF in an old template) for labels without an id
  std::uint16_t class_atom = 0;  // a predefined class, or 0 when the class is named
  std::string class_name;        // the named class, e.g. "SysListView32"
  std::string text;              // empty when the title is a resource number
  std::uint32_t style = 0;
  std::uint32_t ex_style = 0;
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;
};

struct DialogTemplate {
  bool extended = false;  // DLGTEMPLATEEX
  std::uint32_t style = 0;
  std::uint32_t ex_style = 0;
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;
  std::string caption;
  int point_size = 0;  // 0 when the template names no font (no DS_SETFONT)
  std::string font_face;
  int font_weight = 0;  // extended templates only
  bool italic = false;  // extended templates only
  std::vector<DialogTemplateControl> controls;
};

std::optional<DialogTemplate> ParseDialogTemplate(std::span<const std::uint8_t> bytes);

// The control classes the dialogs use, from the atom or the name (without regard to case).
enum class ControlClass {
  Button,
  Edit,
  Static,
  ListBox,
  ScrollBar,
  ComboBox,
  ListView,
  UpDown,
  Other
};
ControlClass ClassOf(const DialogTemplateControl& control);

}  // namespace kestrava
