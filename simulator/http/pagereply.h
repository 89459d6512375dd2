#pragma once
// An HTTP answer made by one of the site's handlers.
#include <string>

namespace sim {

struct PageReply {
  int status = 200;
  std::string body;
  std::string contentType = "text/html; charset=utf-8";
  std::string location;  // for a redirect
};

}  // namespace sim
