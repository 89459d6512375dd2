#pragma once
// HTTP transfers over libcurl's easy interface. Answers are collected into the caller's 8-bit
// string, up to a cap, so that a hostile server cannot make us spend memory.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace api {

// The largest answers kept. A REST answer is parsed whole, into a tree some twenty times its
// size, and workers parse in parallel; a picture is a small JPEG. A larger answer fails the
// transfer with kCurlTooLarge as soon as its length is announced or its bytes pass the cap,
// and nothing of it is kept.
inline constexpr std::size_t kMaxRestAnswerBytes = 8u << 20;
inline constexpr std::size_t kMaxPictureBytes = 2u << 20;

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
inline constexpr int kCurlTooLarge = 63;  // CURLE_FILESIZE_EXCEEDED

// What a transfer may take. The defaults are the program's; a test gives smaller ones to reach
// a cap by a few bytes or a time-out in a fraction of its real length.
struct TransferLimits {
  std::size_t maxRestAnswerBytes = kMaxRestAnswerBytes;
  std::size_t maxPictureBytes = kMaxPictureBytes;
  long connectSeconds = kConnectSeconds;
  long stallSeconds = kStallSeconds;
  // Divides the form POST's time-outs, as the schedule's divisor divides its periods.
  long timeoutDivisor = 1;
};

// One easy handle, created once and reset before every request; never shared between
// threads without the owner's lock.
class TransferHandle {
 public:
  // nullptr when libcurl cannot make a handle.
  static std::unique_ptr<TransferHandle> create(const TransferLimits& limits = {});
  ~TransferHandle();
  TransferHandle(const TransferHandle&) = delete;
  TransferHandle& operator=(const TransferHandle&) = delete;

  void setLimits(const TransferLimits& limits) { limits_ = limits; }

  // The REST call's form POST: reset; overall and connect time-outs = timeoutSeconds (divided
  // by the limits' divisor); URL;
  // POST with `body` (application/x-www-form-urlencoded); collect into `answer`; perform.
  // Both POSTs keep what arrived of a failed answer, except one past maxRestAnswerBytes.
  int formPost(const std::string& url, const std::string& body, long timeoutSeconds,
               std::string& answer);
  // The upload's multipart POST: reset; URL; `headers`; POST with the body delimited by its
  // length (it holds picture bytes); collect; perform. No overall time-out (a big picture on
  // a slow line takes its time), only the connect time-out and the stall limit.
  int multipartPost(const std::string& url, const std::vector<std::string>& headers,
                    const std::string& body, std::string& answer);

 private:
  TransferHandle(void* curl, const TransferLimits& limits) : curl_(curl), limits_(limits) {}
  void* curl_ = nullptr;
  TransferLimits limits_;
};

// What a plain fetch ended with: libcurl's code and the HTTP status of the answer (0 when
// none came).
struct FetchResult {
  int curlCode = kCurlOk;
  long httpStatus = 0;
  // A whole answer with a 2xx status: only then was anything appended.
  bool succeeded() const { return curlCode == kCurlOk && httpStatus >= 200 && httpStatus < 300; }
};

// Plain fetch of a picture on a fresh handle: appends the answer to `answer` when it
// succeeded(). Only http and https, also for redirects, since the address comes from the
// server; the connect time-out and the stall limit, no overall time-out; kMaxPictureBytes. A
// failed transfer or an error status leaves `answer` as it was, so an error page never passes
// for the content asked for.
FetchResult httpFetch(const std::string& url, std::string& answer,
                      const TransferLimits& limits = {});

}  // namespace api
