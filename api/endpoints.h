#pragma once
// Where the program talks to. Built-in defaults, each replaced by an environment variable so
// the demo and the tests can point everything at a local server.
#include <string>

namespace api {

// VELTRANA_REST_URL: the REST server, path "/restserver.php".
std::string restUrl();
// VELTRANA_MOBILE_URL: the mobile site's root, without a trailing slash; page paths
// ("/home.php") are appended to it, and the network path test uses it.
std::string mobileUrl();
// VELTRANA_LOGIN_URL: the login start address; the auth token is appended to it.
std::string loginUrl();
// VELTRANA_AD_URL: the ad server's root.
std::string adUrl();
// VELTRANA_SITE_URL: the product web site's root.
std::string siteUrl();

}  // namespace api
