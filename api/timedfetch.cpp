#include "api/timedfetch.h"

#include <algorithm>

#include "api/curlhandle.h"

namespace api {
namespace {

constexpr long kMaxRedirects = 10;

struct Sink {
  std::string received;
  std::size_t cap = 0;
  bool overflowed = false;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* userdata) {
  auto* sink = static_cast<Sink*>(userdata);
  const std::size_t bytes = size * count;
  if (bytes > sink->cap - sink->received.size()) {
    sink->overflowed = true;
    return 0;  // ends the transfer at once
  }
  sink->received.append(data, bytes);
  return bytes;
}

// The options both requests share; `post` null for a GET.
TimedOutcome perform(const std::string& url, const std::string* post, const TimedLimits& limits,
                     std::string& answer) {
  CURL* curl = newEasyHandle();
  if (!curl) return {CURLE_FAILED_INIT, 0};
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
  const long divisor = limits.timeoutDivisor > 0 ? limits.timeoutDivisor : 1;
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, limits.connectSeconds * 1000 / divisor);
  // 0 would mean no deadline at all: the shortest one there is instead.
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, std::max(1L, limits.totalSeconds * 1000 / divisor));
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, kStallBytesPerSecond);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, std::max(1L, limits.stallSeconds / divisor));
  if (post) {
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(post->size()));
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, post->data());
  }
  Sink sink;
  sink.cap = limits.maxBytes;
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
  // A longer answer announced is refused before its first byte.
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(sink.cap));
  TimedOutcome outcome;
  outcome.curlCode = curl_easy_perform(curl);
  if (sink.overflowed) outcome.curlCode = CURLE_FILESIZE_EXCEEDED;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &outcome.httpStatus);
  curl_easy_cleanup(curl);
  if (outcome.kept()) answer.append(sink.received);
  return outcome;
}

}  // namespace

TimedOutcome timedGet(const std::string& url, const TimedLimits& limits, std::string& answer) {
  return perform(url, nullptr, limits, answer);
}

TimedOutcome timedFormPost(const std::string& url, const std::string& body,
                           const TimedLimits& limits, std::string& answer) {
  return perform(url, &body, limits, answer);
}

}  // namespace api
