#pragma once
// The one object that talks to the REST server: credentials, the session, the transfer
// handle, and the lock that serialises every use of that handle, the call counter and the
// flags (worker threads run fql.query on the same client as the interface thread).
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "api/paramlist.h"

namespace api {

class TransferHandle;

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

// apiCall's and fql.query's results.
inline constexpr int kCallFailed = 0;
inline constexpr int kCallDone = 1;
// photosUpload only: the picture's file name holds a line break and cannot be sent. Nothing
// was sent; the upload window answers it as it answers a file it cannot read ("Veltrana
// can't access the image you selected. Try picking a different one.").
inline constexpr int kUploadNameRefused = 2;

// What one call ended with, captured while the call still holds the lock: reading
// timedOut() afterwards could see the flag of another thread's call that ran in between.
struct CallStatus {
  int transferResult = 0;
  bool timedOut = false;
};

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

  // One signed form POST; 1 when the transfer succeeded (whatever the answer says), else 0.
  // `answer` receives the response body. Holds the lock for the whole call.
  int apiCall(const std::string& method, ParamList params, std::string& answer, long seconds,
              CallStatus* status = nullptr);
  // The 32-digit signature over `params` with the current secret.
  std::string signParams(const ParamList& params) const;

  // facebook.fql.query with "query=" + fql appended to `params`: 1 when the transfer
  // succeeded and the answer is not empty, else 0. The lock is held for the whole call.
  int fqlQuery(const std::string& fql, ParamList params, std::string& answer, long seconds,
               CallStatus* status = nullptr);

  // facebook.photos.upload as one multipart POST with the stall limit and no overall
  // time-out: kCallDone when the server answered with a photos_upload_response; kCallFailed
  // when `picturePath` names no ".jpg" file (nothing is sent), the transfer failed or the
  // answer is anything else (an error, a proxy's page); kUploadNameRefused (nothing sent).
  int photosUpload(std::string_view picture, const std::string& picturePath, std::string& answer);

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
  // Takes lock_. Another thread's call may hold it for that call's whole time-out (an upload
  // has none): the wait looks for an exit signal meanwhile, which ends the program from the
  // thread whose loop the wait holds up.
  std::unique_lock<std::timed_mutex> lockCalls() const;
  // Callers hold lock_.
  int apiCallLocked(const std::string& method, ParamList params, std::string& answer, long seconds,
                    CallStatus* status);
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
  std::unique_ptr<TransferHandle> handle_;
  bool timedOut_ = false;
  mutable std::timed_mutex lock_;
  int lastResult_ = 0;
  uint32_t callCounter_ = 0;
};

}  // namespace api
