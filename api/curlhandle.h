#pragma once
// A fresh libcurl easy handle, with the library's global set-up done once before the first
// one on any thread (that set-up is not thread-safe).
#include <curl/curl.h>

namespace api {

// nullptr when libcurl cannot make a handle.
CURL* newEasyHandle();

}  // namespace api
