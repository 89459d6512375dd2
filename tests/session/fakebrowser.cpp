// A stand-in for the companion browser in the hand-off tests: it registers the browser's
// window class, reports readiness, and answers the navigate and destroy messages the way the
// test asks through FAKE_BROWSER_MODE:
//   login     fetch the handed-over address (a real login at the simulator), then "DESKSTOP"
//   deskstop  "DESKSTOP" without fetching anything
//   goodbye   "GOODBYE", as when the user chooses Exit
//   silent    nothing: the login never arrives
//   notready  never reports readiness
//   late      "DESKSTOP" 300 ms after answering the navigate message (recorded as "deskstop")
//   crash     dies by SIGKILL 100 ms after answering the navigate message, setting nothing
//   gone      ends at once, handing nothing over and reporting nothing
//   exit      sets the events named in FAKE_BROWSER_LEAVE (a comma list; default "GOODBYE"),
//             as a resize, a finished page and the user's Exit would, and ends
// A second copy hands over to the first (which then reports readiness again) and ends.
// FAKE_BROWSER_MODE_FILE names a file whose text, when it exists, replaces FAKE_BROWSER_MODE
// (a test changes the mode of a running program's later starts).
// Every message received is appended to FAKE_BROWSER_RECORD, one line each.
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "api/httptransport.h"
#include "platform/namedevent.h"
#include "platform/sharedblock.h"
#include "platform/windowdirectory.h"

namespace {

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

void record(const std::string& line) {
  const std::string path = env("FAKE_BROWSER_RECORD");
  if (path.empty()) return;
  std::ofstream(path, std::ios::app) << line << '\n';
}

std::string readAddress() {
  auto block = platform::SharedBlock::open("MMF_FB", 1024);
  if (!block) return {};
  const char* text = reinterpret_cast<const char*>(block->data());
  return std::string(text, strnlen(text, 1024));
}

}  // namespace

int main() {
  std::string mode = env("FAKE_BROWSER_MODE");
  if (std::ifstream file{env("FAKE_BROWSER_MODE_FILE")}; file) std::getline(file, mode);
  if (mode == "gone") return 0;
  // Never outlive the test that started us, whatever happens to it.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() == 1) return 4;
  if (platform::findWindow("VoraRUR.MainWindow")) {
    platform::activateWindow("VoraRUR.MainWindow");
    return 0;
  }
  auto endpoint = platform::WindowEndpoint::registerClass("VoraRUR.MainWindow");
  if (!endpoint) return 3;
  if (mode != "notready") platform::NamedEvent::setByName("IE_READY");

  bool running = true;
  std::optional<std::chrono::steady_clock::time_point> lateLogin, crash;
  const auto handle = [&](const platform::WindowMessage& message) -> int64_t {
    if (message.id == platform::kMsgNavigate) {
      const std::string address = readAddress();
      record("navigate " + address);
      if (mode == "login") {
        std::string page;
        api::httpFetch(address, page);
        platform::NamedEvent::setByName("DESKSTOP");
      } else if (mode == "deskstop") {
        platform::NamedEvent::setByName("DESKSTOP");
      } else if (mode == "goodbye") {
        platform::NamedEvent::setByName("GOODBYE");
      } else if (mode == "late") {
        lateLogin = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
      } else if (mode == "crash") {
        crash = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
      } else if (mode == "exit") {
        std::stringstream events(env("FAKE_BROWSER_LEAVE").empty() ? "GOODBYE"
                                                                   : env("FAKE_BROWSER_LEAVE"));
        for (std::string event; std::getline(events, event, ',');)
          platform::NamedEvent::setByName(event);
        record("exit");
        running = false;
      }
    } else if (message.id == platform::kMsgActivate) {
      record("activate");
      platform::NamedEvent::setByName("IE_READY");
    } else if (message.id == platform::kMsgDestroy) {
      record("destroy");
      running = false;
    }
    return 0;
  };
  while (running) {
    pollfd fd{endpoint->fd(), POLLIN, 0};
    if (poll(&fd, 1, lateLogin || crash ? 20 : 1000) > 0) endpoint->dispatchPending(handle);
    if (crash && std::chrono::steady_clock::now() >= *crash) {
      record("crash");
      raise(SIGKILL);
    }
    if (lateLogin && std::chrono::steady_clock::now() >= *lateLogin) {
      lateLogin.reset();
      record("deskstop");
      platform::NamedEvent::setByName("DESKSTOP");
    }
  }
  return 0;
}
