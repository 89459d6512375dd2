#include "api/curlhandle.h"

#include <mutex>

#include "platform/exitwait.h"

namespace api {
namespace {

// Called about once a second even while nothing arrives.
int onProgress(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  // A transfer on the thread whose loop reads the exit signals holds them back: looked at
  // here, without waiting, one ends the program now rather than after the time-out.
  platform::endIfExitSignalPendingHere();
  return 0;
}

}  // namespace

CURL* newEasyHandle() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  CURL* curl = curl_easy_init();
  if (curl) endOnExitSignal(curl);
  return curl;
}

void endOnExitSignal(CURL* curl) {
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
}

}  // namespace api
