// The system's colours for 3-D push buttons: what an owner-drawn button paints its frame, face and
// caption with. Plain values; any thread.
#pragma once

#include "platform/drawing.h"

namespace kestrava {

struct ButtonColours {
  ColorRef text = 0;         // button text
  ColorRef face = 0;         // button face
  ColorRef light = 0;        // 3-D light: the inner top and left edge of a raised frame
  ColorRef highlight = 0;    // 3-D highlight: the outer top and left edge
  ColorRef shadow = 0;       // 3-D shadow: the inner bottom and right edge
  ColorRef dark_shadow = 0;  // 3-D dark shadow: the outer bottom and right edge

  friend bool operator==(const ButtonColours&, const ButtonColours&) = default;
};

// Windows' default system colours since Vista: what backends without system colours give.
inline constexpr ButtonColours kDefaultButtonColours = {
    0x000000, 0xF0F0F0, 0xE3E3E3, 0xFFFFFF, 0xA0A0A0, 0x696969,
};

}  // namespace kestrava
