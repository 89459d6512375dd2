#include "httptransport.h"

#include <algorithm>

#include "api/curlhandle.h"

namespace api {
namespace {

// Collects one transfer's answer; the cap counts only what this transfer appended.
struct AnswerSink {
  AnswerSink(std::string& target, std::size_t limit)
      : answer(&target), before(target.size()), cap(limit) {}
  std::string* answer;
  std::size_t before;
  std::size_t cap;
  std::size_t received = 0;
  bool overflowed = false;
};

std::size_t appendAnswer(char* data, std::size_t size, std::size_t count, void* userdata) {
  auto* sink = static_cast<AnswerSink*>(userdata);
  const std::size_t bytes = size * count;
  if (bytes > sink->cap - sink->received) {
    sink->overflowed = true;
    return 0;  // ends the transfer at once
  }
  sink->answer->append(data, bytes);
  sink->received += bytes;
  return bytes;
}

// An answer whose announced length passes the cap is refused before its first byte.
void collectInto(CURL* curl, AnswerSink& sink) {
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendAnswer);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(sink.cap));
}

// The transfer's code; an answer past the cap is kCurlTooLarge and leaves nothing behind.
int finish(AnswerSink& sink, CURLcode code) {
  if (!sink.overflowed && code != CURLE_FILESIZE_EXCEEDED) return code;
  sink.answer->resize(sink.before);
  sink.answer->shrink_to_fit();
  return kCurlTooLarge;
}

// Worker threads transfer too; libcurl must not use signals for its time-outs then.
void resetForRequest(CURL* curl) {
  curl_easy_reset(curl);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  endOnExitSignal(curl);
}

long divided(long value, const TransferLimits& limits) {
  return limits.timeoutDivisor > 0 ? value / limits.timeoutDivisor : value;
}

// libcurl keeps its time-outs in milliseconds whatever unit they are set in, so the
// program's undivided seconds give the same limit as before.
long timeoutMilliseconds(long seconds, const TransferLimits& limits) {
  return divided(seconds * 1000, limits);
}

void limitStalls(CURL* curl, const TransferLimits& limits) {
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                   timeoutMilliseconds(limits.connectSeconds, limits));
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, kStallBytesPerSecond);
  // Whole seconds; 0 would turn the floor off.
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME,
                   std::max(1L, divided(limits.stallSeconds, limits)));
}

// The status of the answer just transferred, 0 when none came.
long responseStatus(CURL* curl) {
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  return status;
}

}  // namespace

std::unique_ptr<TransferHandle> TransferHandle::create(const TransferLimits& limits) {
  CURL* curl = newEasyHandle();
  if (!curl) return nullptr;
  return std::unique_ptr<TransferHandle>(new TransferHandle(curl, limits));
}

TransferHandle::~TransferHandle() { curl_easy_cleanup(static_cast<CURL*>(curl_)); }

long uploadDeadlineMs(std::size_t bodyBytes, const TransferLimits& limits) {
  const auto bodySeconds = static_cast<long>(bodyBytes / kUploadBytesPerSecond);
  return timeoutMilliseconds(std::min(kUploadBaseSeconds + bodySeconds, kUploadMaxSeconds), limits);
}

int TransferHandle::formPost(const std::string& url, const std::string& body, long timeoutSeconds,
                             std::string& answer, long* httpStatus) {
  CURL* curl = static_cast<CURL*>(curl_);
  resetForRequest(curl);
  const long timeoutMs = timeoutMilliseconds(timeoutSeconds, limits_);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeoutMs);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_POST, 1L);
  // The size is given, not taken from a terminator, so a body never reads past its end.
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
  AnswerSink sink(answer, limits_.maxRestAnswerBytes);
  collectInto(curl, sink);
  const int result = finish(sink, curl_easy_perform(curl));
  if (httpStatus) *httpStatus = responseStatus(curl);
  return result;
}

int TransferHandle::multipartPost(const std::string& url, const std::vector<std::string>& headers,
                                  const std::string& body, std::string& answer, long* httpStatus) {
  CURL* curl = static_cast<CURL*>(curl_);
  resetForRequest(curl);
  limitStalls(curl, limits_);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, uploadDeadlineMs(body.size(), limits_));
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_slist* headerList = nullptr;
  for (const auto& header : headers) {
    curl_slist* grown = curl_slist_append(headerList, header.c_str());
    if (!grown) {
      curl_slist_free_all(headerList);
      return CURLE_OUT_OF_MEMORY;
    }
    headerList = grown;
  }
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headerList);
  curl_easy_setopt(curl, CURLOPT_POST, 1L);
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
  AnswerSink sink(answer, limits_.maxRestAnswerBytes);
  collectInto(curl, sink);
  const int result = finish(sink, curl_easy_perform(curl));
  if (httpStatus) *httpStatus = responseStatus(curl);
  // Detached before it is freed, so the handle never points at freed memory.
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
  curl_slist_free_all(headerList);
  return result;
}

FetchResult httpFetch(const std::string& url, std::string& answer, const TransferLimits& limits) {
  CURL* curl = newEasyHandle();
  if (!curl) return {CURLE_FAILED_INIT, 0};
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  // The address is the server's word: never a local file or another scheme libcurl knows.
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  limitStalls(curl, limits);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeoutMilliseconds(limits.plainFetchSeconds, limits));
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HEADER, 0L);
  const std::size_t before = answer.size();
  AnswerSink sink(answer, limits.maxPictureBytes);
  collectInto(curl, sink);
  FetchResult result;
  result.curlCode = finish(sink, curl_easy_perform(curl));
  result.httpStatus = responseStatus(curl);
  curl_easy_cleanup(curl);
  // Neither half a picture nor a server's error page is left for the caller to store.
  if (!result.succeeded()) answer.resize(before);
  return result;
}

}  // namespace api
