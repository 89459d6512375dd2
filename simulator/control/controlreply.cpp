#include "simulator/control/controlreply.h"

namespace sim {

PageReply ControlReply::json(const Json& value, int status) {
  PageReply reply;
  reply.status = status;
  reply.contentType = "application/json; charset=utf-8";
  reply.body = dumpJson(value);
  reply.body += '\n';
  return reply;
}

PageReply ControlReply::failure(int status, const std::string& why) {
  return json({{"error", why}}, status);
}

PageReply ControlReply::done(const Json& extra) {
  Json body = {{"ok", true}};
  for (const auto& [key, value] : extra.items()) body[key] = value;
  return json(body);
}

}  // namespace sim
