#pragma once
// Direct HTTP requests with their own limits, on a fresh handle each: the ad request and the
// client-address request. Only http and https are spoken (redirects included), redirects are
// followed, and an answer is kept only when the final status is 2xx, so an error page never
// passes for content.
#include <cstddef>
#include <string>

#include "api/httptransport.h"

namespace api {

struct TimedLimits {
  long connectSeconds = 0;
  // The overall deadline; never left without one.
  long totalSeconds = kPlainFetchSeconds;
  // Larger answers fail the transfer with CURLE_FILESIZE_EXCEEDED, announced or received
  // (nothing is kept).
  std::size_t maxBytes = 1u << 20;
  // Below kStallBytesPerSecond for this long fails the transfer as a time-out does.
  long stallSeconds = kStallSeconds;
  // Divides the time-outs, for tests (the stall time stays at least a second).
  long timeoutDivisor = 1;
};

// What a transfer ended with: libcurl's code and the final HTTP status (0 without an answer).
struct TimedOutcome {
  int curlCode = 0;
  long httpStatus = 0;
  bool kept() const { return curlCode == 0 && httpStatus >= 200 && httpStatus < 300; }
};

// GET `url`; the body is appended to `answer` only when kept().
TimedOutcome timedGet(const std::string& url, const TimedLimits& limits, std::string& answer);
// An ordinary form POST of `body` (already URL-encoded); the answer as for timedGet.
TimedOutcome timedFormPost(const std::string& url, const std::string& body,
                           const TimedLimits& limits, std::string& answer);

}  // namespace api
