#pragma once
// An in-process socialsim with a plain HTTP client for the simulator's tests, and a REST
// caller that signs its calls with code of its own (not the server's).
#include <httplib.h>
#include <pugixml.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "simulator/control/json.h"
#include "simulator/simoptions.h"
#include "simulator/simulator.h"
#include "support/requestsigner.h"

namespace simtest {

using testsupport::clientSignature;
using testsupport::kApiKey;
using testsupport::kAppSecret;
using testsupport::md5Hex;
using testsupport::Params;

// Every byte but the unreserved ones as %XX, as the client sends form values.
std::string urlEncode(const std::string& text);

struct Answer {
  bool transferred = false;  // an HTTP answer arrived
  int status = 0;
  std::string body;
};

// Makes requests to one server as the client makes them, and control calls with the
// server's control token. One caller per thread.
class RestCaller {
 public:
  explicit RestCaller(int port, std::string controlToken = {});

  Answer get(const std::string& path);
  Answer post(const std::string& path, const std::string& body,
              const std::string& contentType = "application/x-www-form-urlencoded");
  // A REST call made as the client makes it: the caller's parameters, then api_key, v, method,
  // session_key (once logged in), call_id; signed; the form body percent-encoded.
  Answer call(const std::string& method, Params params = {});
  // The same, with a signature of the caller's choice (or none when `sig` is empty).
  Answer callWithSignature(const std::string& method, Params params, const std::string& sig);
  Params lastParams() const { return lastParams_; }

  void setSession(const std::string& key, const std::string& secret) {
    sessionKey_ = key;
    secret_ = secret;
  }
  const std::string& sessionKey() const { return sessionKey_; }
  const std::string& secret() const { return secret_; }

 private:
  Params completeParams(const std::string& method, Params params);
  Answer send(const Params& params);

  // The token header on a path under /_sim/.
  httplib::Headers headersFor(const std::string& path) const;

  std::unique_ptr<httplib::Client> client_;
  std::string controlToken_;
  std::string sessionKey_, secret_;
  unsigned callId_ = 0;
  Params lastParams_;
};

// An in-process server with a caller of its own.
class SimHarness {
 public:
  explicit SimHarness(sim::SimOptions options = defaultOptions(), sim::Clock clock = sim::unixNow);
  ~SimHarness();

  static sim::SimOptions defaultOptions();
  std::string url() const;
  int port() const { return simulator_->port(); }
  const std::string& controlToken() const { return simulator_->controlToken(); }

  Answer get(const std::string& path) { return caller_->get(path); }
  Answer post(const std::string& path, const std::string& body,
              const std::string& contentType = "application/x-www-form-urlencoded") {
    return caller_->post(path, body, contentType);
  }
  Answer call(const std::string& method, Params params = {}) {
    return caller_->call(method, std::move(params));
  }
  Answer callWithSignature(const std::string& method, Params params, const std::string& sig) {
    return caller_->callWithSignature(method, std::move(params), sig);
  }
  Params lastParams() const { return caller_->lastParams(); }
  // Another caller with this one's session, for another thread.
  RestCaller caller() const;

  // Token, login form, session. False when any step fails.
  bool login();

  // The answer's JSON, or an empty object when it is not JSON.
  sim::Json control(const std::string& path, const std::string& json = "{}");
  sim::Json controlGet(const std::string& path);

  int64_t userUid() const { return userUid_; }
  const std::string& sessionKey() const { return caller_->sessionKey(); }
  const std::string& secret() const { return caller_->secret(); }
  // The uids of the friends in the order the server keeps them.
  std::vector<int64_t> friendUids();

 private:
  std::unique_ptr<sim::Simulator> simulator_;
  std::unique_ptr<RestCaller> caller_;
  int64_t userUid_ = 0;
};

// The answer's top element, or an empty node when the text is not XML.
pugi::xml_node topElement(pugi::xml_document& doc, const std::string& xml);
// Sends `request` as it is on a fresh connection and returns every byte that comes back
// before the server closes it (or 10 s pass).
std::string rawExchange(int port, const std::string& request);
// The error code of an error_response, or 0.
int errorCode(const std::string& xml);

}  // namespace simtest
