#include "simulator/control/sitecontrol.h"

#include "simulator/control/controlreply.h"

namespace sim {

std::optional<PageReply> SiteControl::post(const std::string& route, const ControlInput& input) {
  if (route == "/ad") return setAd(input);
  if (route == "/ip") return setAddress(input);
  return std::nullopt;
}

PageReply SiteControl::setAd(const ControlInput& input) {
  const auto html = input.text("html");
  const auto status = input.integer("status");
  if (!html && !status && !input.has("status"))
    return ControlReply::failure(400, "html or status is missing");
  if (input.has("status") && (!status || *status < 200 || *status > 599))
    return ControlReply::failure(400, "status must be an HTTP status from 200 to 599");
  SiteAnswers& answers = state_.answers;
  // An empty text gives the rotation back.
  if (html) answers.adHtml = html->empty() ? std::nullopt : std::optional<std::string>(*html);
  if (status) answers.adStatus = static_cast<int>(*status);
  return ControlReply::done();
}

PageReply SiteControl::setAddress(const ControlInput& input) {
  // Without an answer the service tells the caller's own address again.
  state_.answers.ipAnswer = input.text("answer");
  return ControlReply::done();
}

}  // namespace sim
