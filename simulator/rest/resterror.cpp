#include "simulator/rest/resterror.h"

#include "simulator/rest/restxml.h"
#include "simulator/rest/xmlwriter.h"

namespace sim {

std::string_view RestError::message(int code) {
  switch (code) {
    case 1:
      return "An unknown error occurred";
    case 2:
      return "Service temporarily unavailable";
    case 3:
      return "Unknown method";
    case 4:
      return "Application request limit reached";
    case 100:
      return "Invalid parameter";
    case 101:
      return "Invalid API key";
    case 102:
      return "Session key invalid or no longer valid";
    case 103:
      return "Invalid call_id";
    case 104:
      return "Incorrect signature";
    case 250:
      return "Updating status requires the extended permission status_update";
    case 324:
      return "Requires upload file";
    case 601:
      return "FQL: Parser Error";
    default:
      return "An unknown error occurred";
  }
}

std::string RestError::document(int code, const FormFields& requestArgs) {
  std::string out;
  XmlWriter xml(out);
  xml.declaration();
  xml.open("error_response", restxml::kRootAttributes);
  xml.element("error_code", code);
  xml.element("error_msg", message(code));
  if (requestArgs.empty()) {
    xml.empty("request_args", restxml::kList);
  } else {
    xml.open("request_args", restxml::kList);
    for (const FormField& f : requestArgs) {
      xml.open("arg");
      xml.element("key", f.name);
      xml.element("value", f.value);
      xml.close();
    }
    xml.close();
  }
  xml.close();
  return out;
}

}  // namespace sim
