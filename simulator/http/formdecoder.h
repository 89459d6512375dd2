#pragma once
// Decodes application/x-www-form-urlencoded text (a POST body or a query string).
#include <string>
#include <string_view>

#include "simulator/http/formfield.h"

namespace sim {

class FormDecoder {
 public:
  // Fields in their order; "+" is a blank and "%XX" a byte. A "%" that is not followed by two
  // hexadecimal digits stays as it is. Empty pieces ("a=1&&b=2") are skipped.
  static FormFields decode(std::string_view text);
  static std::string percentDecode(std::string_view text);
};

}  // namespace sim
