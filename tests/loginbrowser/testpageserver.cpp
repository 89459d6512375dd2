#include "testpageserver.h"

#include <httplib.h>

#include <chrono>

namespace {

constexpr auto kSlowAnswer = std::chrono::milliseconds(2500);

const char kLoginPage[] =
    "<html><head><title>Log In</title>"
    "<meta name='viewport' content='width=device-width'></head>"
    "<body style='font-family:sans-serif;margin:6px'>"
    "<h3 style='background:#3b5998;color:white;padding:4px'>Log in</h3>"
    "<form method='post' action='/login.php'>"
    "Email:<br><input name='email' size='18'><br>"
    "Password:<br><input name='pass' type='password' size='18'><br><br>"
    "<input type='submit' value='Log In'></form></body></html>";

// Enough escaping for the values the tests put into a page: titles and link addresses.
std::string htmlEscaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '\'':
        out += "&#39;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string pageTitled(const std::string& title, const std::string& body = "") {
  return "<html><head><title>" + htmlEscaped(title) + "</title></head><body>" + body +
         "</body></html>";
}

}  // namespace

TestPageServer::TestPageServer() : server_(std::make_unique<httplib::Server>()) {
  // One request per connection: a browser's idle keep-alive would hold up stop().
  server_->set_keep_alive_max_count(1);
  server_->Get("/login.php", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(kLoginPage, "text/html");
  });
  server_->Get("/slow/.*", [this](const httplib::Request& req, httplib::Response& res) {
    const auto until = std::chrono::steady_clock::now() + kSlowAnswer;
    while (!stopping_ && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    res.set_content("<html><head><title>" + titleOf(req.path) + "</title></head></html>",
                    "text/html");
  });
  server_->Get("/titled", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(pageTitled(req.get_param_value("t")), "text/html");
  });
  // One link that covers the whole page, so that a click anywhere follows it.
  server_->Get("/link", [](const httplib::Request& req, httplib::Response& res) {
    const std::string target = req.get_param_value("target");
    const std::string link = "<a id='link' href='" + htmlEscaped(req.get_param_value("href")) +
                             "'" + (target.empty() ? "" : " target='" + htmlEscaped(target) + "'") +
                             " style='position:fixed;left:0;top:0;width:100%;height:100%'>link</a>";
    res.set_content(pageTitled(titleOf(req.path), link), "text/html");
  });
  // A page titled after its path whose body is `body`, as given.
  server_->Get("/body/.*", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(pageTitled(titleOf(req.path), req.get_param_value("body")), "text/html");
  });
  server_->Get("/redirect", [](const httplib::Request& req, httplib::Response& res) {
    res.set_redirect(req.get_param_value("to"));
  });
  server_->Get("/cookie/set", [](const httplib::Request& req, httplib::Response& res) {
    res.set_header("Set-Cookie", kKeptCookie + std::string("; Max-Age=3600; Path=/"));
    res.set_content(pageTitled(titleOf(req.path)), "text/html");
  });
  server_->Get("/cookie/show", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(pageTitled(cookieTitle(req.get_header_value("Cookie"))), "text/html");
  });
  server_->Get(".*", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content("<html><head><title>" + titleOf(req.path) +
                        "</title></head><body><a id='next' href='/linked'>next</a></body></html>",
                    "text/html");
  });
  port_ = server_->bind_to_any_port("127.0.0.1");
  // The socket already listens: requests made before the thread runs wait in its backlog.
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  // cpp-httplib forgets a stop() that comes before its accept loop runs, and the join in
  // the destructor would then wait for ever.
  while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TestPageServer::~TestPageServer() {
  stopping_ = true;
  server_->stop();
  thread_.join();
}

std::string TestPageServer::url(const std::string& pathAndQuery) const {
  return "http://127.0.0.1:" + std::to_string(port_) + pathAndQuery;
}
