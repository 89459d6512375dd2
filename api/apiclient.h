#pragma once
// The one object that talks to the REST server: credentials, the session and the transfer
// handles (worker threads run fql.query on the same client as the interface thread).
//
// Two locks: a short one over the session, the call counter and the flags, never held
// through a transfer; and the workers' transfer lock, which serialises the workers' calls on
// their shared handle for a call's whole time-out. The interface thread (see
// markInterfaceThread) has a handle of its own and never takes the transfer lock, so its call
// never waits behind a worker's 60 s or 75 s one; at most one worker call and one interface
// call are on the line at once. Each call takes its call_id when its request is built, so
// the numbers still rise in the order the requests go out.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "api/httptransport.h"
#include "api/paramlist.h"
#include "api/responsedocument.h"

namespace api {

// The application's built-in credentials.
inline constexpr const char* kApiKey = "8c2e5b1f07d94a3e96b0c4d2a7f13e68";
inline constexpr const char* kApplicationSecret = "3f9a0c27d5e84b16a2c7f0e9d41b8a53";

// Method names.
inline constexpr const char* kMethodCreateToken = "facebook.auth.createToken";
inline constexpr const char* kMethodGetSession = "facebook.auth.getSession";
inline constexpr const char* kMethodFqlQuery = "facebook.fql.query";
inline constexpr const char* kMethodSetStatus = "facebook.users.setStatus";
inline constexpr const char* kMethodNotificationsGet = "facebook.notifications.get";
inline constexpr const char* kMethodPhotosUpload = "facebook.photos.upload";

// How a call ended.
enum class CallOutcome {
  Failed = 0,
  Done = 1,
  // photosUpload only: the picture's file name holds a line break and cannot be sent. Nothing
  // was sent; the upload window answers it as it answers a file it cannot read ("Veltrana
  // can't access the image you selected. Try picking a different one.").
  UploadNameRefused = 2,
};

// What one call ended with, captured while the call still holds the lock: reading
// timedOut() afterwards could see the flag of another thread's call that ran in between.
struct CallResult {
  CallOutcome outcome = CallOutcome::Failed;
  // The answer as it arrived, also of a failed transfer (see TransferHandle).
  std::string body;
  // libcurl's code (httptransport.h); kCurlOk when nothing was sent.
  int transferResult = 0;
  // The answer's HTTP status, 0 when none came. Only a 2xx answer makes a call done: a
  // server's error page is no answer, whole or not.
  long httpStatus = 0;
  bool timedOut = false;

  bool done() const { return outcome == CallOutcome::Done; }
  explicit operator bool() const { return done(); }
  // The body parsed; its isWhole() tells a cut answer from a whole one.
  ResponseDocument document() const { return ResponseDocument::parse(body); }
};

// Names the calling thread as the one whose event loop draws the windows: its calls use their
// own transfer handle. Called once by the program on that thread; until then every thread
// shares the workers' handle and lock.
void markInterfaceThread();

class ApiClient {
 public:
  ApiClient(std::string apiKey, std::string applicationSecret, std::string restEndpoint);
  ~ApiClient();
  ApiClient(const ApiClient&) = delete;
  ApiClient& operator=(const ApiClient&) = delete;

  // The built-in key and secret, the endpoint of restUrl().
  static std::unique_ptr<ApiClient> createDefault();

  // Installs a stored session: creates the transfer handle, sets key, secret and the flag.
  void setSession(const std::string& sessionKey, const std::string& sessionSecret);
  // Back to signing with the application secret and sending no session key.
  void dropSession();
  std::string loginToken() const;

  // Creates the transfer handle (replacing an earlier one); false when libcurl cannot.
  bool createHandle();
  // The caps and time-outs of this client's transfers, from now on (the program keeps the
  // defaults).
  void setTransferLimits(const TransferLimits& limits);

  // One signed form POST; done when the transfer succeeded with a 2xx status (whatever the
  // answer says). Holds the lock for the whole call.
  CallResult apiCall(const std::string& method, ParamList params, long seconds);
  // The 32-digit signature over `params` with the current secret.
  std::string signParams(const ParamList& params) const;

  // facebook.fql.query with "query=" + fql appended to `params`: done when the transfer
  // succeeded and the answer is not empty. The lock is held for the whole call.
  CallResult fqlQuery(const std::string& fql, ParamList params, long seconds);

  // facebook.photos.upload as one multipart POST with the stall limit and a deadline that
  // follows the body's size: Done when the server answered with a 2xx
  // photos_upload_response; Failed when `picturePath` names no ".jpg" file (nothing is
  // sent), the transfer failed or the answer is anything else (an error, a proxy's page);
  // UploadNameRefused (nothing sent).
  CallResult photosUpload(std::string_view picture, const std::string& picturePath);

  // Used by the login operations.
  void setLoginToken(std::string token);
  // Stores a session obtained by auth.getSession (the handle exists already).
  void adoptSession(std::string sessionKey, std::string sessionSecret, std::string userId);

  bool hasSession() const;
  std::string sessionKey() const;
  std::string sessionSecret() const;
  std::string userId() const;
  bool timedOut() const;
  int lastResult() const;
  uint32_t callCounter() const;
  const std::string& restEndpoint() const { return restEndpoint_; }

 private:
  // A call's request as built under the state lock: its number is taken then.
  struct Prepared {
    std::string body;
    std::shared_ptr<TransferHandle> handle;
  };
  // Takes the workers' transfer lock. Another worker's call may hold it for that call's whole
  // time-out: the wait looks for an exit signal meanwhile.
  std::unique_lock<std::timed_mutex> lockTransfers() const;
  TransferLimits limits() const;
  // The calling thread's handle, made when first needed (callers hold state_).
  std::shared_ptr<TransferHandle> handleForThisThreadLocked();
  // Signs `params` for `method`, takes the call's number and the handle (takes state_).
  Prepared prepare(const std::string& method, ParamList& params);
  // The transfer's end in the flags (takes state_).
  void record(CallResult& result);
  CallResult apiCallUnlocked(const std::string& method, ParamList params, long seconds);
  void appendCallEntries(const std::string& method, ParamList& params) const;
  std::string signLocked(const ParamList& params) const;

  const std::string apiKey_;
  const std::string applicationSecret_;
  std::string loginToken_;
  const std::string restEndpoint_;
  std::string sessionKey_;
  std::string sessionSecret_;
  std::string userId_;
  bool hasSession_ = false;
  TransferLimits limits_;
  // Shared with the call that is using one, so a new session may replace them meanwhile.
  std::shared_ptr<TransferHandle> handle_;
  std::shared_ptr<TransferHandle> interfaceHandle_;
  bool timedOut_ = false;
  mutable std::mutex state_;
  mutable std::timed_mutex transfers_;
  int lastResult_ = 0;
  uint32_t callCounter_ = 0;
};

}  // namespace api
