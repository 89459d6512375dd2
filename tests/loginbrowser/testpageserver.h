#pragma once
// A small web server on 127.0.0.1 (port 0) for the browser tests. Every GET answers a page
// titled "Page <path>"; "/slow/..." answers after a delay, so that a load can be caught
// while it runs; "/login.php" is a login form; "/titled?t=T" is titled T; "/link?href=H"
// (and &target=T) is one link over the whole page; "/redirect?to=A" sends the browser on to
// A; "/cookie/set" sets kKeptCookie for an hour and "/cookie/show" is titled with the
// cookies it received.
#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

class TestPageServer {
 public:
  TestPageServer();
  ~TestPageServer();

  std::string url(const std::string& pathAndQuery) const;
  static std::string titleOf(const std::string& path) { return "Page " + path; }
  static constexpr char kKeptCookie[] = "orbisview_test=kept";
  static std::string cookieTitle(const std::string& cookies) { return "Cookies: " + cookies; }

 private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
};
