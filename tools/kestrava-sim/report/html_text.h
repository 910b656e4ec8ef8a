// Text put into an HTML page: escaped so that it shows as written.
#pragma once

#include <ostream>
#include <string_view>

namespace kestrava::sim::report {

// Writes `text` with &, <, >, " and ' as character references.
inline void WriteEscaped(std::ostream& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '&': out << "&amp;"; break;
      case '<': out << "&lt;"; break;
      case '>': out << "&gt;"; break;
      case '"': out << "&quot;"; break;
      case '\'': out << "&#39;"; break;
      default: out << c;
    }
  }
}

}  // namespace kestrava::sim::report
