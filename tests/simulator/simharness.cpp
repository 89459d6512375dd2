#include "simharness.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace simtest {

std::string urlEncode(const std::string& text) {
  std::string out;
  char three[4];
  for (const unsigned char c : text) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      std::snprintf(three, sizeof three, "%%%02X", c);
      out += three;
    }
  }
  return out;
}

sim::SimOptions SimHarness::defaultOptions() {
  sim::SimOptions options;
  options.friends = 30;
  options.seed = 77;
  return options;
}

SimHarness::SimHarness(sim::SimOptions options, sim::Clock clock)
    : simulator_(std::make_unique<sim::Simulator>(options, std::move(clock))) {
  if (!simulator_->start()) std::abort();
  caller_ = std::make_unique<RestCaller>(simulator_->port(), simulator_->controlToken());
}

SimHarness::~SimHarness() {
  caller_.reset();
  simulator_->stop();
}

std::string SimHarness::url() const { return simulator_->baseUrl(); }

RestCaller SimHarness::caller() const {
  RestCaller other(simulator_->port(), simulator_->controlToken());
  other.setSession(caller_->sessionKey(), caller_->secret());
  return other;
}

RestCaller::RestCaller(int port, std::string controlToken)
    : client_(std::make_unique<httplib::Client>("127.0.0.1", port)),
      controlToken_(std::move(controlToken)) {
  client_->set_read_timeout(10, 0);
  client_->set_decompress(false);  // as the client's libcurl: answers are not compressed
  client_->set_tcp_nodelay(true);
}

httplib::Headers RestCaller::headersFor(const std::string& path) const {
  if (path.rfind("/_sim/", 0) != 0) return {};
  return {{"X-Socialsim-Token", controlToken_}};
}

Answer RestCaller::get(const std::string& path) {
  Answer answer;
  if (auto res = client_->Get(path.c_str(), headersFor(path))) {
    answer.transferred = true;
    answer.status = res->status;
    answer.body = res->body;
  }
  return answer;
}

Answer RestCaller::post(const std::string& path, const std::string& body,
                        const std::string& contentType) {
  Answer answer;
  if (auto res = client_->Post(path.c_str(), headersFor(path), body, contentType.c_str())) {
    answer.transferred = true;
    answer.status = res->status;
    answer.body = res->body;
  }
  return answer;
}

Params RestCaller::completeParams(const std::string& method, Params params) {
  params.emplace_back("api_key", kApiKey);
  params.emplace_back("v", "1.0");
  params.emplace_back("method", method);
  if (!sessionKey_.empty()) params.emplace_back("session_key", sessionKey_);
  params.emplace_back("call_id", std::to_string(callId_++));
  return params;
}

Answer RestCaller::send(const Params& params) {
  lastParams_ = params;
  std::string body;
  for (const auto& [name, value] : params) {
    if (!body.empty()) body += '&';
    body += name + "=" + urlEncode(value);
  }
  return post("/restserver.php", body);
}

Answer RestCaller::callWithSignature(const std::string& method, Params params,
                                     const std::string& sig) {
  params = completeParams(method, std::move(params));
  if (!sig.empty()) params.emplace_back("sig", sig);
  return send(params);
}

Answer RestCaller::call(const std::string& method, Params params) {
  params = completeParams(method, std::move(params));
  params.emplace_back("sig", clientSignature(params, sessionKey_.empty() ? kAppSecret : secret_));
  return send(params);
}

bool SimHarness::login() {
  caller_->setSession({}, {});
  pugi::xml_document doc;
  const Answer token = call("facebook.auth.createToken");
  const std::string tokenText = topElement(doc, token.body).text().get();
  if (tokenText.empty()) return false;
  const Answer form = post("/login.php", "email=me%40example.com&pass=x&auth_token=" + tokenText);
  if (form.status != 302) return false;
  const Answer session = call("facebook.auth.getSession", {{"auth_token", tokenText}});
  const pugi::xml_node top = topElement(doc, session.body);
  caller_->setSession(top.child("session_key").text().get(), top.child("secret").text().get());
  userUid_ = top.child("uid").text().as_llong();
  return !sessionKey().empty() && !secret().empty() && userUid_ != 0;
}

namespace {

sim::Json objectOf(const std::string& text) {
  sim::Json value = sim::Json::parse(text, nullptr, false);
  return value.is_discarded() ? sim::Json::object() : value;
}

}  // namespace

sim::Json SimHarness::control(const std::string& path, const std::string& json) {
  return objectOf(post("/_sim" + path, json, "application/json").body);
}

sim::Json SimHarness::controlGet(const std::string& path) {
  return objectOf(get("/_sim" + path).body);
}

std::vector<int64_t> SimHarness::friendUids() {
  std::vector<int64_t> uids;
  const sim::Json list = controlGet("/friends")["friends"];
  for (const sim::Json& f : list) uids.push_back(f["uid"].get<int64_t>());
  return uids;
}

pugi::xml_node topElement(pugi::xml_document& doc, const std::string& xml) {
  if (!doc.load_buffer(xml.data(), xml.size())) return {};
  return doc.document_element();
}

std::string rawExchange(int port, const std::string& request) {
  std::string answer;
  const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
  timeval timeout{10, 0};
  ::setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      ::send(sock, request.data(), request.size(), MSG_NOSIGNAL) ==
          static_cast<ssize_t>(request.size())) {
    char buffer[8192];
    for (;;) {
      const ssize_t n = ::recv(sock, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      answer.append(buffer, static_cast<size_t>(n));
    }
  }
  ::close(sock);
  return answer;
}

int errorCode(const std::string& xml) {
  pugi::xml_document doc;
  const pugi::xml_node top = topElement(doc, xml);
  if (std::string(top.name()) != "error_response") return 0;
  return top.child("error_code").text().as_int();
}

}  // namespace simtest
