#pragma once
// The signature of a REST call: the MD5 of the raw name=value entries other than sig, sorted
// byte by byte and joined without separator, followed by the secret; 32 lower-case hex digits.
#include <string>
#include <string_view>

#include "simulator/http/formfield.h"

namespace sim {

class CallSignature {
 public:
  static std::string compute(const FormFields& fields, std::string_view secret);
  static std::string md5Hex(std::string_view bytes);
};

}  // namespace sim
