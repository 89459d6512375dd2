#pragma once
// Small HTML pages for a phone screen.
#include <string>
#include <string_view>

namespace sim {

class Html {
 public:
  static std::string escape(std::string_view text);
  // A whole page; `title` is escaped here, `body` is HTML already.
  static std::string page(std::string_view title, std::string_view body);
};

}  // namespace sim
