#include "api/curlhandle.h"

#include <mutex>

namespace api {

CURL* newEasyHandle() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  return curl_easy_init();
}

}  // namespace api
