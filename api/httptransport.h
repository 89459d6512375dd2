#pragma once
// HTTP transfers over libcurl's easy interface. Answers are collected into the caller's 8-bit
// string; an answer larger than kMaxAnswerBytes fails the transfer (CURLE_WRITE_ERROR), so a
// hostile server cannot exhaust memory.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace api {

inline constexpr std::size_t kMaxAnswerBytes = 64u << 20;

// Transfers without an overall limit (a picture, the upload) still end on a dead peer: a
// connection that is not made within kConnectSeconds, or that moves fewer than
// kStallBytesPerSecond for kStallSeconds, fails with CURLE_OPERATION_TIMEDOUT.
inline constexpr long kConnectSeconds = 20;
inline constexpr long kStallBytesPerSecond = 1;
inline constexpr long kStallSeconds = 30;

// Result codes are libcurl's (0 = CURLE_OK, 28 = CURLE_OPERATION_TIMEDOUT).
inline constexpr int kCurlOk = 0;
inline constexpr int kCurlBadFunctionArgument = 43;
inline constexpr int kCurlTimedOut = 28;

// One easy handle, created once and reset before every request; never shared between
// threads without the owner's lock.
class TransferHandle {
 public:
  // nullptr when libcurl cannot make a handle.
  static std::unique_ptr<TransferHandle> create();
  ~TransferHandle();
  TransferHandle(const TransferHandle&) = delete;
  TransferHandle& operator=(const TransferHandle&) = delete;

  // The REST call's form POST: reset; overall and connect time-outs = timeoutSeconds; URL;
  // POST with `body` (application/x-www-form-urlencoded); collect into `answer`; perform.
  int formPost(const std::string& url, const std::string& body, long timeoutSeconds,
               std::string& answer);
  // The upload's multipart POST: reset; URL; `headers`; POST with the body delimited by its
  // length (it holds picture bytes); collect; perform. No overall time-out (a big picture on
  // a slow line takes its time), only the connect time-out and the stall limit.
  int multipartPost(const std::string& url, const std::vector<std::string>& headers,
                    const std::string& body, std::string& answer);

 private:
  explicit TransferHandle(void* curl) : curl_(curl) {}
  void* curl_ = nullptr;
};

// What a plain fetch ended with: libcurl's code and the HTTP status of the answer (0 when
// none came).
struct FetchResult {
  int curlCode = kCurlOk;
  long httpStatus = 0;
  // A whole answer with a 2xx status: only then was anything appended.
  bool succeeded() const { return curlCode == kCurlOk && httpStatus >= 200 && httpStatus < 300; }
};

// Plain fetch on a fresh handle: appends the answer to `answer` when it succeeded(). Only
// http and https, also for redirects, since the address comes from the server; the connect
// time-out and the stall limit, no overall time-out. A failed transfer or an error status
// leaves `answer` as it was, so an error page never passes for the content asked for.
FetchResult HttpFetch(const std::string& url, std::string& answer);

// Test only: replaces kMaxAnswerBytes (0 restores it) so that a test server need not send
// 64 MiB to reach the cap.
void setMaxAnswerBytesForTest(std::size_t bytes);
// Test only: replaces kConnectSeconds and kStallSeconds (0 restores them) so that a
// stalled peer is given up on in a second.
void setStallSecondsForTest(long seconds);

}  // namespace api
