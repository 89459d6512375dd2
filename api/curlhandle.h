#pragma once
// A fresh libcurl easy handle, with the library's global set-up done once before the first
// one on any thread (that set-up is not thread-safe).
#include <curl/curl.h>

namespace api {

// nullptr when libcurl cannot make a handle. Set up as endOnExitSignal says.
CURL* newEasyHandle();
// A transfer may wait up to its time-out (75 s) for the server, on the interface thread too:
// an exit signal meanwhile ends the program as the blocking waits do (see exitwait.h). Set
// again after each curl_easy_reset.
void endOnExitSignal(CURL* curl);

}  // namespace api
