#pragma once
// The REST server's error codes with their messages, and the error_response document.
#include <string>
#include <string_view>

#include "simulator/http/formfield.h"

namespace sim {

enum RestErrorCode : int {
  kErrorUnknown = 1,
  kErrorUnknownMethod = 3,
  kErrorInvalidParameter = 100,
  kErrorInvalidApiKey = 101,
  kErrorSessionInvalid = 102,
  kErrorIncorrectSignature = 104,
  kErrorStatusPermission = 250,
  kErrorUploadFile = 324,
  kErrorFqlParser = 601,
};

class RestError {
 public:
  static std::string_view message(int code);
  // error_response with the code, its message and the call's arguments in their order.
  static std::string document(int code, const FormFields& requestArgs);
};

}  // namespace sim
