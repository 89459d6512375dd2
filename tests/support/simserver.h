#pragma once
// Runs the real socialsim program for a test: on a free port of 127.0.0.1, found from the
// address line it prints (after its control token), and stopped with SIGTERM when the test
// is done. Requests to the control API carry the token.
//
//   testsupport::SimServer sim;
//   ASSERT_TRUE(sim.start({"--friends", "25", "--auto-login"})) << sim.error();
//   sim.exportEndpoints();                 // VELTRANA_REST_URL and the four others
//   sim.control("/wall_count", R"({"count": 7})");
#include <sys/types.h>

#include <string>
#include <vector>

#include "scopedenv.h"

namespace testsupport {

struct HttpResult {
  int status = 0;  // 0: no answer
  std::string headers;
  std::string body;
};

// Runs socialsim to its end (at most 20 s) with the arguments, a shell word list: the exit
// code (-1 when it did not exit) and what it wrote to standard output and error.
struct ProgramRun {
  int code = -1;
  std::string output;
};
ProgramRun runSocialsim(const std::string& arguments);

class SimServer {
 public:
  SimServer() = default;
  ~SimServer();
  SimServer(const SimServer&) = delete;
  SimServer& operator=(const SimServer&) = delete;

  // The socialsim executable this build made.
  static std::string binaryPath();

  // Starts socialsim with "--port 0" and the extra arguments, and waits up to 10 s for its
  // address line. False, with the reason in error(), when it does not come up.
  bool start(const std::vector<std::string>& args = {});
  // SIGTERM, then up to 5 s for the program to end (SIGKILL after that). The wait status as
  // waitpid gives it, or -1 when nothing was running.
  int stop();
  bool running() const { return pid_ > 0; }

  int port() const { return port_; }
  pid_t pid() const { return pid_; }
  // "http://127.0.0.1:PORT"
  std::string url() const;
  // What it printed, up to and with the address line.
  const std::vector<std::string>& announced() const { return announced_; }
  // What control calls send as X-Socialsim-Token: the printed one, or --control-token's.
  const std::string& controlToken() const { return controlToken_; }
  const std::string& error() const { return error_; }

  // The addresses Veltrana's endpoint variables take for this server.
  std::string restUrl() const { return url() + "/restserver.php"; }
  std::string loginUrl() const;
  // Sets VELTRANA_REST_URL, VELTRANA_MOBILE_URL, VELTRANA_LOGIN_URL, VELTRANA_AD_URL and
  // VELTRANA_SITE_URL in this process's environment until this server object is destroyed.
  void exportEndpoints() const;

  // One HTTP/1.1 request to the server with "Connection: close" (and the control token when
  // the path is under /_sim/); status 0 when no answer came.
  HttpResult request(const std::string& method, const std::string& path,
                     const std::string& body = {},
                     const std::string& contentType = "application/json") const;
  // A POST to the control API: control("/status", R"({"uid": 5, "message": "hi"})").
  HttpResult control(const std::string& path, const std::string& json = "{}") const {
    return request("POST", "/_sim" + path, json);
  }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  std::vector<std::string> announced_;
  std::string controlToken_;
  std::string error_;
  mutable ScopedEnv exported_;
};

}  // namespace testsupport
