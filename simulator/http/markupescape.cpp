#include "simulator/http/markupescape.h"

namespace sim {

void appendEscaped(std::string& out, std::string_view text, Markup markup) {
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += markup == Markup::Html ? "&#39;" : "'";
        break;
      default:
        if (markup == Markup::Xml && static_cast<unsigned char>(c) < 0x20 && c != '\t' &&
            c != '\n' && c != '\r')
          break;
        out += c;
    }
  }
}

}  // namespace sim
