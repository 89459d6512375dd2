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

// Every transfer ends on a dead or crawling peer: a connection that is not made within
// kConnectSeconds, or that moves fewer than kStallBytesPerSecond for kStallSeconds, fails with
// CURLE_OPERATION_TIMEDOUT. The floor is what any real line reaches; a server that drips a
// few bytes a second stays below it and is cut.
inline constexpr long kConnectSeconds = 20;
inline constexpr long kStallBytesPerSecond = 1024;
inline constexpr long kStallSeconds = 10;
// A plain fetch (a picture, an ad, the address service) also has an overall deadline: a
// picture of the largest size kept takes a few seconds on a slow line.
inline constexpr long kPlainFetchSeconds = 30;
// The upload's deadline grows with its body: kUploadBaseSeconds for the connection and the
// server's answer, plus one second per kUploadBytesPerSecond of body, the stall floor's rate,
// so an upload that never falls below the floor finishes in time, up to a photo of some 530 KiB.
inline constexpr long kUploadBaseSeconds = 60;
inline constexpr long kUploadBytesPerSecond = kStallBytesPerSecond;
// ... and never more than this: the upload holds the interface thread, and a server that
// reads just above the stall floor would otherwise hold it for hours.
inline constexpr long kUploadMaxSeconds = 600;

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
  long plainFetchSeconds = kPlainFetchSeconds;
  // Divides every time-out (the form POST's, the plain fetch's and the upload's deadlines,
  // the stall time), as the schedule's divisor divides its periods. The stall time stays at
  // least a second: libcurl counts it in whole seconds.
  long timeoutDivisor = 1;
};

// The upload's overall deadline in milliseconds for a body of `bodyBytes` (divided as above).
long uploadDeadlineMs(std::size_t bodyBytes, const TransferLimits& limits = {});

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
  // `httpStatus`, when given, receives the answer's status (0 when none came).
  int formPost(const std::string& url, const std::string& body, long timeoutSeconds,
               std::string& answer, long* httpStatus = nullptr);
  // The upload's multipart POST: reset; URL; `headers`; POST with the body delimited by its
  // length (it holds picture bytes); collect; perform. The connect time-out, the stall limit
  // and uploadDeadlineMs(body.size()).
  int multipartPost(const std::string& url, const std::vector<std::string>& headers,
                    const std::string& body, std::string& answer, long* httpStatus = nullptr);

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
// server; the connect time-out, the stall limit and plainFetchSeconds; kMaxPictureBytes. A
// failed transfer or an error status leaves `answer` as it was, so an error page never passes
// for the content asked for.
FetchResult httpFetch(const std::string& url, std::string& answer,
                      const TransferLimits& limits = {});

}  // namespace api
