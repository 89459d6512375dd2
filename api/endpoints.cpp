#include "endpoints.h"

#include <cstdlib>

namespace api {
namespace {

std::string fromEnv(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return (value && *value) ? std::string(value) : std::string(fallback);
}

std::string withoutTrailingSlash(std::string url) {
  while (!url.empty() && url.back() == '/') url.pop_back();
  return url;
}

}  // namespace

std::string restUrl() {
  return fromEnv("VELTRANA_REST_URL", "http://api.facebook.com/restserver.php");
}

std::string mobileUrl() {
  return withoutTrailingSlash(fromEnv("VELTRANA_MOBILE_URL", "http://m.facebook.com"));
}

std::string loginUrl() {
  return fromEnv("VELTRANA_LOGIN_URL",
                 "http://www.facebook.com/login.php?api_key=8c2e5b1f07d94a3e96b0c4d2a7f13e68"
                 "&v=1.0&auth_token=");
}

std::string adUrl() {
  return withoutTrailingSlash(fromEnv("VELTRANA_AD_URL", "http://r.admob.com"));
}

std::string siteUrl() {
  return withoutTrailingSlash(fromEnv("VELTRANA_SITE_URL", "http://www.corvanta.com"));
}

}  // namespace api
