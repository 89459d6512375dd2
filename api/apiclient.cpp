#include "apiclient.h"

#include <atomic>
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
namespace {

// The transfer ended well and the server said the request succeeded.
bool transferredWhole(const CallResult& result) {
  return result.transferResult == kCurlOk && result.httpStatus >= 200 && result.httpStatus < 300;
}

std::atomic<std::thread::id> g_interfaceThread{};

}  // namespace

ApiClient::ApiClient(std::string apiKey, std::string applicationSecret, std::string restEndpoint)
    : apiKey_(std::move(apiKey)),
      applicationSecret_(std::move(applicationSecret)),
      restEndpoint_(std::move(restEndpoint)) {}

ApiClient::~ApiClient() = default;

void markInterfaceThread() { g_interfaceThread = std::this_thread::get_id(); }

std::unique_lock<std::timed_mutex> ApiClient::lockTransfers() const {
  constexpr auto kStep = std::chrono::milliseconds(100);
  std::unique_lock lock(transfers_, std::defer_lock);
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
  std::shared_ptr<TransferHandle> handle = TransferHandle::create(limits());
  const std::lock_guard guard(state_);
  handle_ = std::move(handle);
  interfaceHandle_.reset();
  sessionSecret_ = sessionSecret;
  sessionKey_ = sessionKey;
  hasSession_ = true;
}

void ApiClient::dropSession() {
  const std::lock_guard guard(state_);
  sessionSecret_ = applicationSecret_;
  sessionKey_.clear();
  hasSession_ = false;
}

std::string ApiClient::loginToken() const {
  const std::lock_guard guard(state_);
  return loginToken_;
}

bool ApiClient::createHandle() {
  std::shared_ptr<TransferHandle> handle = TransferHandle::create(limits());
  const std::lock_guard guard(state_);
  handle_ = std::move(handle);
  interfaceHandle_.reset();
  return handle_ != nullptr;
}

TransferLimits ApiClient::limits() const {
  const std::lock_guard guard(state_);
  return limits_;
}

void ApiClient::setTransferLimits(const TransferLimits& limits) {
  const std::lock_guard guard(state_);
  limits_ = limits;
  // A handle in use keeps its limits for that call; the next calls get fresh ones.
  if (handle_) handle_ = TransferHandle::create(limits_);
  interfaceHandle_.reset();
}

CallResult ApiClient::apiCall(const std::string& method, ParamList params, long seconds) {
  return apiCallUnlocked(method, std::move(params), seconds);
}

std::string ApiClient::signParams(const ParamList& params) const {
  const std::lock_guard guard(state_);
  return signLocked(params);
}

CallResult ApiClient::fqlQuery(const std::string& fql, ParamList params, long seconds) {
  params.add("query=" + fql);
  CallResult result = apiCallUnlocked(kMethodFqlQuery, std::move(params), seconds);
  if (result.body.empty()) result.outcome = CallOutcome::Failed;
  return result;
}

std::shared_ptr<TransferHandle> ApiClient::handleForThisThreadLocked() {
  // Without the shared handle there is none for the interface thread either: every call
  // fails as before.
  if (!handle_ || g_interfaceThread.load() != std::this_thread::get_id()) return handle_;
  if (!interfaceHandle_) interfaceHandle_ = TransferHandle::create(limits_);
  return interfaceHandle_;
}

ApiClient::Prepared ApiClient::prepare(const std::string& method, ParamList& params) {
  const std::lock_guard guard(state_);
  appendCallEntries(method, params);
  params.add("sig=" + signLocked(params));
  // Taken now, so a call that starts meanwhile on the other handle gets the next one.
  ++callCounter_;
  return {formBody(params.sortedEntries()), handleForThisThreadLocked()};
}

void ApiClient::record(CallResult& result) {
  const std::lock_guard guard(state_);
  lastResult_ = result.transferResult;
  timedOut_ = result.transferResult == kCurlTimedOut;
  result.timedOut = timedOut_;
}

CallResult ApiClient::apiCallUnlocked(const std::string& method, ParamList params, long seconds) {
  // The interface thread's own handle needs no transfer lock; the workers share theirs.
  const bool ownHandle = g_interfaceThread.load() == std::this_thread::get_id();
  std::unique_lock<std::timed_mutex> transfer;
  if (!ownHandle) transfer = lockTransfers();
  const Prepared request = prepare(method, params);
  // The line goes to the journal: the session key and the signature are not printed.
  std::printf("POST Data: %s\n", platform::printable(platform::hideSecrets(request.body)).c_str());

  // Without a handle every call fails as libcurl fails a call on a missing handle; the
  // call still uses up its number.
  CallResult result;
  result.transferResult = request.handle
                              ? request.handle->formPost(restEndpoint_, request.body, seconds,
                                                         result.body, &result.httpStatus)
                              : kCurlBadFunctionArgument;
  record(result);
  result.outcome = transferredWhole(result) ? CallOutcome::Done : CallOutcome::Failed;
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

  CallResult result;
  const std::optional<std::string> fileName = uploadFileName(picturePath);
  if (!fileName) return result;
  // A line break would end the part's header inside the name; quotes are escaped instead.
  if (fileName->find_first_of("\r\n") != std::string::npos) {
    result.outcome = CallOutcome::UploadNameRefused;
    return result;
  }

  const bool ownHandle = g_interfaceThread.load() == std::this_thread::get_id();
  std::unique_lock<std::timed_mutex> transfer;
  if (!ownHandle) transfer = lockTransfers();
  ParamList params;
  std::shared_ptr<TransferHandle> handle;
  {
    const std::lock_guard guard(state_);
    appendCallEntries(kMethodPhotosUpload, params);
    params.add("sig=" + signLocked(params));
    ++callCounter_;
    handle = handleForThisThreadLocked();
  }

  const MultipartRequest request =
      buildMultipartRequest(params.entries(), boundary, *fileName, picture);
  result.transferResult = handle
                              ? handle->multipartPost(restEndpoint_, request.headers, request.body,
                                                      result.body, &result.httpStatus)
                              : kCurlBadFunctionArgument;
  {
    const std::lock_guard guard(state_);
    lastResult_ = result.transferResult;
  }
  // Told in the result only: the client's flag belongs to the REST calls and is left alone.
  result.timedOut = result.transferResult == kCurlTimedOut;
  if (!transferredWhole(result)) return result;
  const bool uploaded = !result.document().child("photos_upload_response").isEmpty();
  result.outcome = uploaded ? CallOutcome::Done : CallOutcome::Failed;
  return result;
}

void ApiClient::setLoginToken(std::string token) {
  const std::lock_guard guard(state_);
  loginToken_ = std::move(token);
}

void ApiClient::adoptSession(std::string sessionKey, std::string sessionSecret,
                             std::string userId) {
  const std::lock_guard guard(state_);
  sessionKey_ = std::move(sessionKey);
  sessionSecret_ = std::move(sessionSecret);
  userId_ = std::move(userId);
  hasSession_ = true;
}

bool ApiClient::hasSession() const {
  const std::lock_guard guard(state_);
  return hasSession_;
}

std::string ApiClient::sessionKey() const {
  const std::lock_guard guard(state_);
  return sessionKey_;
}

std::string ApiClient::sessionSecret() const {
  const std::lock_guard guard(state_);
  return sessionSecret_;
}

std::string ApiClient::userId() const {
  const std::lock_guard guard(state_);
  return userId_;
}

bool ApiClient::timedOut() const {
  const std::lock_guard guard(state_);
  return timedOut_;
}

int ApiClient::lastResult() const {
  const std::lock_guard guard(state_);
  return lastResult_;
}

uint32_t ApiClient::callCounter() const {
  const std::lock_guard guard(state_);
  return callCounter_;
}

}  // namespace api
