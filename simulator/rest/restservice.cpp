#include "simulator/rest/restservice.h"

#include <algorithm>
#include <array>

#include "simulator/fql/fqlevaluator.h"
#include "simulator/rest/appcredentials.h"
#include "simulator/rest/callsignature.h"
#include "simulator/rest/resterror.h"
#include "simulator/rest/restxml.h"
#include "simulator/rest/xmlwriter.h"

namespace sim {
namespace {

constexpr std::array<std::string_view, 6> kMethods = {
    "facebook.auth.createToken", "facebook.auth.getSession",   "facebook.fql.query",
    "facebook.users.setStatus",  "facebook.notifications.get", "facebook.photos.upload",
};

bool isTrue(const std::string* value) { return value && (*value == "1" || *value == "true"); }

void writeCounter(XmlWriter& xml, std::string_view name, const MessageCounter& counter) {
  xml.open(name);
  xml.element("unread", counter.unread);
  xml.element("most_recent", counter.mostRecent);
  xml.close();
}

void writeIdList(XmlWriter& xml, std::string_view name, std::string_view item,
                 const std::vector<int64_t>& ids) {
  if (ids.empty()) {
    xml.empty(name, restxml::kList);
    return;
  }
  xml.open(name, restxml::kList);
  for (const int64_t id : ids) xml.element(item, id);
  xml.close();
}

}  // namespace

struct RestService::Context {
  const RestCall& call;
  const Session* session;
  int64_t now;
  const std::string* param(const std::string& name) const { return findField(call.params, name); }
};

RestReply RestService::handle(const RestCall& call, int64_t now, std::string& out) {
  std::lock_guard<std::mutex> lock(state_.mutex);
  RestReply reply;
  const auto fail = [&](int code) {
    reply.errorCode = code;
    out = RestError::document(code, call.params);
    return reply;
  };
  const FormFields& params = call.params;
  const std::string* apiKey = findField(params, "api_key");
  if (!apiKey || *apiKey != kApiKey) return fail(kErrorInvalidApiKey);
  const std::string* method = findField(params, "method");
  if (!method || std::find(kMethods.begin(), kMethods.end(), *method) == kMethods.end())
    return fail(kErrorUnknownMethod);
  const std::string* version = findField(params, "v");
  if (!version || *version != "1.0") return fail(kErrorInvalidParameter);

  const Session* session = nullptr;
  if (const std::string* key = findField(params, "session_key")) {
    session = state_.sessions.find(*key, now);
    if (!session) return fail(kErrorSessionInvalid);
  }
  const std::string* sig = findField(params, "sig");
  const std::string expected = CallSignature::compute(
      params, session ? std::string_view(session->secret) : kApplicationSecret);
  reply.signatureValid = sig && *sig == expected;
  if (!*reply.signatureValid) return fail(kErrorIncorrectSignature);

  const bool needsSession =
      *method != "facebook.auth.createToken" && *method != "facebook.auth.getSession";
  if (needsSession && !session) return fail(kErrorSessionInvalid);

  const Context context{call, session, now};
  int error = 0;
  bool answered = true;
  out.clear();
  if (*method == "facebook.auth.createToken")
    createToken(out);
  else if (*method == "facebook.auth.getSession")
    answered = getSession(context, out, error);
  else if (*method == "facebook.fql.query")
    answered = fqlQuery(context, out, error, reply.detail);
  else if (*method == "facebook.users.setStatus")
    answered = setStatus(context, out, error);
  else if (*method == "facebook.notifications.get")
    notifications(out);
  else
    answered = uploadPhoto(context, out, error);
  if (!answered) return fail(error);
  const bool changes = *method == "facebook.auth.createToken" ||
                       *method == "facebook.auth.getSession" ||
                       *method == "facebook.users.setStatus";
  if (changes) state_.changed();
  return reply;
}

void RestService::createToken(std::string& out) {
  XmlWriter xml(out);
  xml.declaration();
  xml.textRoot("auth_createToken_response", restxml::kRootAttributes,
               state_.sessions.createToken());
}

bool RestService::getSession(const Context& c, std::string& out, int& error) {
  const std::string* token = c.param("auth_token");
  const Session* session =
      token ? state_.sessions.sessionForToken(*token, state_.world.user().uid, c.now) : nullptr;
  if (!session) {
    error = kErrorInvalidParameter;
    return false;
  }
  XmlWriter xml(out);
  xml.declaration();
  xml.open("auth_getSession_response", restxml::kRootAttributes);
  xml.element("session_key", session->key);
  xml.element("uid", session->uid);
  xml.element("expires", session->expires);
  xml.element("secret", session->secret);
  xml.close();
  return true;
}

bool RestService::fqlQuery(const Context& c, std::string& out, int& error, std::string& detail) {
  const std::string* query = c.param("query");
  if (!query) {
    error = kErrorInvalidParameter;
    return false;
  }
  const FqlEvaluator evaluator(state_.world, state_.baseUrl, c.now);
  if (evaluator.write(*query, out, detail)) return true;
  error = kErrorFqlParser;
  return false;
}

bool RestService::setStatus(const Context& c, std::string& out, int& error) {
  if (!state_.world.statusPermission()) {
    error = kErrorStatusPermission;
    return false;
  }
  PersonStatus& status = state_.world.user().status;
  const std::string* text = c.param("status");
  if (isTrue(c.param("clear")) || (text && text->empty())) {
    status = PersonStatus{};
  } else if (text) {
    // Without status_includes_verb the server puts the verb in front, as the real one did.
    status.message = isTrue(c.param("status_includes_verb")) ? *text : "is " + *text;
    status.time = c.now;
    status.statusId = status.statusId + 1;
  } else {
    error = kErrorInvalidParameter;
    return false;
  }
  XmlWriter xml(out);
  xml.declaration();
  xml.textRoot("users_setStatus_response", restxml::kRootAttributes, "1");
  return true;
}

void RestService::notifications(std::string& out) {
  const Notifications& n = state_.world.notifications();
  XmlWriter xml(out);
  xml.declaration();
  xml.open("notifications_get_response", restxml::kRootAttributes);
  writeCounter(xml, "messages", n.messages);
  writeCounter(xml, "pokes", n.pokes);
  writeCounter(xml, "shares", n.shares);
  writeIdList(xml, "friend_requests", "uid", n.friendRequests);
  writeIdList(xml, "group_invites", "gid", n.groupInvites);
  writeIdList(xml, "event_invites", "eid", n.eventInvites);
  xml.close();
}

bool RestService::uploadPhoto(const Context& c, std::string& out, int& error) {
  if (c.call.files.empty()) {
    error = kErrorUploadFile;
    return false;
  }
  const MultipartPart& file = c.call.files.front();
  Upload upload;
  upload.owner = c.session->uid;
  upload.aid = 1000000000000 + c.session->uid;
  upload.filename = file.filename;
  upload.contentType = file.contentType;
  upload.bytes = file.data;
  upload.created = c.now;
  const Upload& stored = state_.uploads.add(std::move(upload));
  const std::string src = state_.baseUrl + "/photos/" + std::to_string(stored.pid) + ".jpg";
  const std::string* caption = c.param("caption");

  XmlWriter xml(out);
  xml.declaration();
  xml.open("photos_upload_response", restxml::kRootAttributes);
  xml.element("pid", stored.pid);
  xml.element("aid", stored.aid);
  xml.element("owner", stored.owner);
  xml.element("src", src);
  xml.element("src_big", src);
  xml.element("src_small", src);
  xml.element("link", state_.baseUrl + "/photo.php?pid=" + std::to_string(stored.pid) +
                          "&id=" + std::to_string(stored.owner));
  xml.element("caption", caption ? *caption : std::string());
  xml.element("created", stored.created);
  xml.close();
  return true;
}

}  // namespace sim
