#include "simulator/site/loginpages.h"

#include "simulator/rest/appcredentials.h"
#include "simulator/site/html.h"

namespace sim {

PageReply LoginPages::refuse(std::string_view why) {
  PageReply reply;
  reply.status = 400;
  reply.body = Html::page("Login error", "<p>" + Html::escape(why) + "</p>");
  return reply;
}

PageReply LoginPages::loggedIn(const std::string& token) {
  state_.sessions.authorise(token);
  state_.changed();
  PageReply reply;
  reply.status = 302;
  reply.location = state_.baseUrl + "/desktopapp.php?api_key=" + std::string(kApiKey);
  reply.body = Html::page("Logged in", "<p>Logged in.</p>");
  return reply;
}

PageReply LoginPages::get(const FormFields& query) {
  std::lock_guard<std::mutex> lock(state_.mutex);
  const std::string* apiKey = findField(query, "api_key");
  if (!apiKey || *apiKey != kApiKey) return refuse("This application is not known.");
  const std::string* token = findField(query, "auth_token");
  if (!token || !state_.sessions.hasToken(*token)) return refuse("The login token is not valid.");
  if (state_.autoLogin) return loggedIn(*token);

  const std::string escapedToken = Html::escape(*token);
  std::string body =
      "<form method=\"post\" action=\"/login.php\">\n"
      "<input type=\"hidden\" name=\"api_key\" value=\"" +
      std::string(kApiKey) +
      "\">\n"
      "<input type=\"hidden\" name=\"v\" value=\"1.0\">\n"
      "<input type=\"hidden\" name=\"auth_token\" value=\"" +
      escapedToken +
      "\">\n"
      "<p>Email:<br><input type=\"text\" name=\"email\" id=\"email\"></p>\n"
      "<p>Password:<br><input type=\"password\" name=\"pass\" id=\"pass\"></p>\n"
      "<p><input type=\"submit\" name=\"login\" id=\"login\" value=\"Log in\"></p>\n"
      "</form>";
  PageReply reply;
  reply.body = Html::page("Log in", body);
  return reply;
}

PageReply LoginPages::post(const FormFields& form) {
  std::lock_guard<std::mutex> lock(state_.mutex);
  const std::string* token = findField(form, "auth_token");
  if (!token || !state_.sessions.hasToken(*token)) return refuse("The login token is not valid.");
  return loggedIn(*token);
}

}  // namespace sim
