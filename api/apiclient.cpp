#include "apiclient.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "api/endpoints.h"
#include "api/formbody.h"
#include "api/md5hex.h"
#include "api/multipartbody.h"
#include "platform/exitwait.h"
#include "platform/secrettext.h"
#include "platform/terminaltext.h"

namespace api {

ApiClient::ApiClient(std::string apiKey, std::string applicationSecret, std::string restEndpoint)
    : apiKey_(std::move(apiKey)),
      applicationSecret_(std::move(applicationSecret)),
      restEndpoint_(std::move(restEndpoint)) {}

ApiClient::~ApiClient() = default;

std::unique_lock<std::timed_mutex> ApiClient::lockCalls() const {
  constexpr auto kStep = std::chrono::milliseconds(100);
  std::unique_lock lock(lock_, std::defer_lock);
  // A system-clock deadline takes the lock through pthread_mutex_timedlock, which the thread
  // sanitizer sees; a steady one goes through pthread_mutex_clocklock, which ours does not,
  // and every unlock then reads as the unlock of a free mutex. Each step rechecks anyway.
  while (!lock.try_lock_until(std::chrono::system_clock::now() + kStep))
    platform::endIfExitSignalPendingHere();
  return lock;
}

std::unique_ptr<ApiClient> ApiClient::createDefault() {
  return std::make_unique<ApiClient>(kApiKey, kApplicationSecret, restUrl());
}

void ApiClient::setSession(const std::string& sessionKey, const std::string& sessionSecret) {
  const auto guard = lockCalls();
  handle_ = TransferHandle::create(limits_);
  sessionSecret_ = sessionSecret;
  sessionKey_ = sessionKey;
  hasSession_ = true;
}

void ApiClient::dropSession() {
  const auto guard = lockCalls();
  sessionSecret_ = applicationSecret_;
  sessionKey_.clear();
  hasSession_ = false;
}

std::string ApiClient::loginToken() const {
  const auto guard = lockCalls();
  return loginToken_;
}

bool ApiClient::createHandle() {
  const auto guard = lockCalls();
  handle_ = TransferHandle::create(limits_);
  return handle_ != nullptr;
}

void ApiClient::setTransferLimits(const TransferLimits& limits) {
  const auto guard = lockCalls();
  limits_ = limits;
  if (handle_) handle_->setLimits(limits);
}

CallResult ApiClient::apiCall(const std::string& method, ParamList params, long seconds) {
  const auto guard = lockCalls();
  return apiCallLocked(method, std::move(params), seconds);
}

std::string ApiClient::signParams(const ParamList& params) const {
  const auto guard = lockCalls();
  return signLocked(params);
}

CallResult ApiClient::fqlQuery(const std::string& fql, ParamList params, long seconds) {
  params.add("query=" + fql);
  CallResult result;
  {
    const auto guard = lockCalls();
    result = apiCallLocked(kMethodFqlQuery, std::move(params), seconds);
  }
  if (result.body.empty()) result.outcome = kCallFailed;
  return result;
}

CallResult ApiClient::apiCallLocked(const std::string& method, ParamList params, long seconds) {
  timedOut_ = false;
  appendCallEntries(method, params);
  params.add("sig=" + signLocked(params));

  const std::string body = formBody(params.sortedEntries());
  // The line goes to the journal: the session key and the signature are not printed.
  std::printf("POST Data: %s\n", platform::printable(platform::hideSecrets(body)).c_str());

  // Without a handle every call fails as libcurl fails a call on a missing handle; the
  // call still uses up its number.
  CallResult result;
  result.transferResult = handle_ ? handle_->formPost(restEndpoint_, body, seconds, result.body)
                                  : kCurlBadFunctionArgument;
  lastResult_ = result.transferResult;
  ++callCounter_;
  if (result.transferResult == kCurlTimedOut) timedOut_ = true;
  result.timedOut = timedOut_;
  result.outcome = result.transferResult == kCurlOk ? kCallDone : kCallFailed;
  return result;
}

void ApiClient::appendCallEntries(const std::string& method, ParamList& params) const {
  params.add("api_key=" + apiKey_);
  params.add("v=1.0");
  params.add("method=" + method);
  if (hasSession_) params.add("session_key=" + sessionKey_);
  params.add("call_id=" + std::to_string(callCounter_));
}

std::string ApiClient::signLocked(const ParamList& params) const {
  std::string text;
  for (const std::string& entry : params.sortedEntries()) text.append(entry);
  text.append(hasSession_ ? sessionSecret_ : applicationSecret_);
  return md5Hex(text);
}

CallResult ApiClient::photosUpload(std::string_view picture, const std::string& picturePath) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const std::string boundary = uploadBoundary(local);

  const auto guard = lockCalls();
  ParamList params;
  appendCallEntries(kMethodPhotosUpload, params);
  params.add("sig=" + signLocked(params));

  CallResult result;
  const std::optional<std::string> fileName = uploadFileName(picturePath);
  if (!fileName) return result;
  // A line break would end the part's header inside the name; quotes are escaped instead.
  if (fileName->find_first_of("\r\n") != std::string::npos) {
    result.outcome = kUploadNameRefused;
    return result;
  }

  const MultipartRequest request =
      buildMultipartRequest(params.entries(), boundary, *fileName, picture);
  result.transferResult =
      handle_ ? handle_->multipartPost(restEndpoint_, request.headers, request.body, result.body)
              : kCurlBadFunctionArgument;
  lastResult_ = result.transferResult;
  ++callCounter_;
  // Told in the result only: the client's flag belongs to the REST calls and is left alone.
  result.timedOut = result.transferResult == kCurlTimedOut;
  if (result.transferResult != kCurlOk) return result;
  const bool uploaded = !result.document().child("photos_upload_response").isEmpty();
  result.outcome = uploaded ? kCallDone : kCallFailed;
  return result;
}

void ApiClient::setLoginToken(std::string token) {
  const auto guard = lockCalls();
  loginToken_ = std::move(token);
}

void ApiClient::adoptSession(std::string sessionKey, std::string sessionSecret,
                             std::string userId) {
  const auto guard = lockCalls();
  sessionKey_ = std::move(sessionKey);
  sessionSecret_ = std::move(sessionSecret);
  userId_ = std::move(userId);
  hasSession_ = true;
}

bool ApiClient::hasSession() const {
  const auto guard = lockCalls();
  return hasSession_;
}

std::string ApiClient::sessionKey() const {
  const auto guard = lockCalls();
  return sessionKey_;
}

std::string ApiClient::sessionSecret() const {
  const auto guard = lockCalls();
  return sessionSecret_;
}

std::string ApiClient::userId() const {
  const auto guard = lockCalls();
  return userId_;
}

bool ApiClient::timedOut() const {
  const auto guard = lockCalls();
  return timedOut_;
}

int ApiClient::lastResult() const {
  const auto guard = lockCalls();
  return lastResult_;
}

uint32_t ApiClient::callCounter() const {
  const auto guard = lockCalls();
  return callCounter_;
}

}  // namespace api
