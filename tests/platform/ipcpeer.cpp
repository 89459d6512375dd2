// The other process of the inter-process tests. Each command does what one side of the
// hand-off does (hold or set an event, write or read the address block, serve or message a
// window class); the interactive ones print "ready" and then obey lines on standard input,
// answering on standard output, and end when their input ends.
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ipcpeerprotocol.h"
#include "platform/namedevent.h"
#include "platform/sharedblock.h"
#include "platform/windowdirectory.h"

namespace {

void say(const std::string& line) {
  const std::string data = line + "\n";
  std::size_t sent = 0;
  while (sent < data.size()) {
    const ssize_t n = ::write(1, data.data() + sent, data.size() - sent);
    if (n <= 0) return;
    sent += static_cast<std::size_t>(n);
  }
}

// Lines from standard input, with a time-out; nullopt at its end or on time-out.
class InputLines {
 public:
  std::optional<std::string> next(int timeoutMs = -1) {
    for (;;) {
      const auto newline = buffered_.find('\n');
      if (newline != std::string::npos) {
        std::string line = buffered_.substr(0, newline);
        buffered_.erase(0, newline + 1);
        return line;
      }
      if (ended_) return std::nullopt;
      pollfd pfd{0, POLLIN, 0};
      if (::poll(&pfd, 1, timeoutMs) <= 0) return std::nullopt;
      readMore();
    }
  }
  bool hasLine() const { return buffered_.find('\n') != std::string::npos; }
  bool ended() const { return ended_ && !hasLine(); }
  // Never blocks: the handler of a held message may have taken what poll announced.
  void readMore() {
    pollfd pfd{0, POLLIN, 0};
    if (::poll(&pfd, 1, 0) <= 0) return;
    char chunk[4096];
    const ssize_t got = ::read(0, chunk, sizeof chunk);
    if (got <= 0) {
      ended_ = true;
      return;
    }
    buffered_.append(chunk, static_cast<std::size_t>(got));
  }

 private:
  std::string buffered_;
  bool ended_ = false;
};

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

const char* waitText(platform::WaitResult r) {
  switch (r) {
    case platform::WaitResult::Signalled:
      return "signalled";
    case platform::WaitResult::TimedOut:
      return "timeout";
    default:
      return "failed";
  }
}

int holdEvents(const std::vector<std::string>& names) {
  std::vector<std::unique_ptr<platform::NamedEvent>> events;
  std::string ready = "ready";
  for (const auto& name : names) {
    bool existed = false;
    events.push_back(platform::NamedEvent::create(name, &existed));
    if (!events.back()) {
      say("create-failed " + name);
      return 2;
    }
    ready += existed ? " 1" : " 0";
  }
  say(ready);
  InputLines input;
  while (auto line = input.next()) {
    const auto w = words(*line);
    if (w.empty()) continue;
    if (w[0] == "quit") return 0;
    if (w[0] == "set" && w.size() == 2) {
      say(events.at(std::stoul(w[1]))->set() ? "ok" : "fail");
    } else if (w[0] == "wait" && w.size() == 3) {
      say(waitText(events.at(std::stoul(w[1]))->wait(std::stoi(w[2]))));
    } else if (w[0] == "either" && w.size() == 4) {
      say(std::to_string(platform::NamedEvent::waitEither(
          *events.at(std::stoul(w[1])), *events.at(std::stoul(w[2])), std::stoi(w[3]))));
    } else {
      say("bad-command");
    }
  }
  return 0;
}

int holdBlock(const std::string& name, std::size_t size) {
  bool existed = false;
  auto block = platform::SharedBlock::createOrOpen(name, size, &existed);
  if (!block) {
    say("create-failed");
    return 2;
  }
  say(std::string("ready existed=") + (existed ? "1" : "0"));
  InputLines input;
  while (auto line = input.next()) {
    if (*line == "quit") return 0;
    if (line->rfind("write ", 0) == 0) {
      ipcpeer::writeAddress(*block, line->substr(6));
      say("ok");
    } else if (line->rfind("fill ", 0) == 0) {
      std::memset(block->data(), line->at(5), block->size());
      say("ok");
    } else {
      say("bad-command");
    }
  }
  return 0;
}

int readBlock(const std::string& name) {
  auto block = platform::SharedBlock::open(name, ipcpeer::kAddressArea);
  if (!block) {
    say("missing");
    return 3;
  }
  const auto read = ipcpeer::readAddress(*block);
  say("len=" + std::to_string(read.address.size()) +
      (read.tailZero ? " tail=zero" : " tail=dirty"));
  say(read.address);
  return 0;
}

int holdLock(const std::string& name) {
  bool exists = false;
  auto lock = platform::InstanceLock::acquire(name, &exists);
  if (!lock) {
    say("lock-failed");
    return 2;
  }
  say(std::string("ready exists=") + (exists ? "1" : "0"));
  InputLines input;
  while (auto line = input.next()) {
    if (*line == "quit") break;
  }
  return 0;
}

int serve(const std::string& className) {
  std::string error;
  auto endpoint = platform::WindowEndpoint::registerClass(className, &error);
  if (!endpoint) {
    say("refused " + error);
    return 4;
  }
  say("ready");
  InputLines input;
  bool quit = false;
  const auto handler = [&](const platform::WindowMessage& m) -> int64_t {
    say("got " + std::to_string(m.id) + " " + std::to_string(m.wParam) + " " +
        std::to_string(m.lParam) + (m.text.empty() ? "" : " text=" + m.text));
    if (m.id == ipcpeer::kHoldMessage) {
      const auto line = input.next(3000);
      say(line && *line == "release" ? "released" : "not-released");
    }
    return ipcpeer::replyFor(m);
  };
  while (!quit) {
    pollfd pfds[2] = {{endpoint->fd(), POLLIN, 0}, {0, POLLIN, 0}};
    if (::poll(pfds, 2, -1) < 0) continue;
    if (pfds[0].revents & POLLIN) endpoint->dispatchPending(handler);
    if (pfds[1].revents & (POLLIN | POLLHUP)) {
      input.readMore();
      while (input.hasLine()) {
        if (*input.next(0) == "quit") quit = true;
      }
      if (input.ended()) quit = true;
    }
  }
  return 0;
}

platform::WindowMessage messageFrom(const std::vector<std::string>& args, std::size_t first) {
  platform::WindowMessage m;
  m.id = static_cast<uint32_t>(std::stoul(args.at(first)));
  m.wParam = std::stoull(args.at(first + 1));
  m.lParam = std::stoll(args.at(first + 2));
  return m;
}

// Started by the process tests with an empty command line: the mode comes by environment.
int noArguments(const char* program, int argc) {
  const char* mode = std::getenv("VELTRANA_IPCPEER_MODE");
  const std::string m = mode ? mode : "";
  if (m == "exit") return 0;
  if (const char* report = std::getenv("VELTRANA_IPCPEER_REPORT")) {
    std::string tokens;
    for (const char* name : {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID", "VELTRANA_PHONE_SCREEN",
                             "VELTRANA_PHONE_DPI"}) {
      if (const char* value = std::getenv(name)) tokens += std::string(name) + "=" + value + "\n";
    }
    std::ofstream(report) << tokens << "argc=" << argc << "\nargv0=" << program << "\n";
  }
  // Bounded, so a test that forgets us cannot leave us behind for long.
  std::this_thread::sleep_for(std::chrono::seconds(30));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return noArguments(argv[0], argc);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const std::string& command = args[0];
  try {
    if (command == "set" && args.size() == 2)
      return platform::NamedEvent::setByName(args[1]) ? 0 : 1;
    if (command == "events" && args.size() >= 2)
      return holdEvents(std::vector<std::string>(args.begin() + 1, args.end()));
    if (command == "create-set-exit" && args.size() == 2) {
      auto event = platform::NamedEvent::create(args[1]);
      return event && event->set() ? 0 : 2;
    }
    if (command == "block" && args.size() == 3) return holdBlock(args[1], std::stoul(args[2]));
    if (command == "read-block" && args.size() == 2) return readBlock(args[1]);
    if (command == "lock" && args.size() == 2) return holdLock(args[1]);
    if (command == "serve" && args.size() == 2) return serve(args[1]);
    if (command == "send" && args.size() == 6) {
      const auto reply = platform::sendMessage(args[1], messageFrom(args, 2), std::stoi(args[5]));
      say(reply ? std::to_string(*reply) : "none");
      return reply ? 0 : 1;
    }
    if (command == "post" && args.size() == 5)
      return platform::postMessage(args[1], messageFrom(args, 2)) ? 0 : 1;
    if (command == "find" && args.size() == 2) return platform::findWindow(args[1]) ? 0 : 1;
  } catch (const std::exception& e) {
    say(std::string("error ") + e.what());
    return 9;
  }
  say("usage: ipcpeer <command> ...");
  return 9;
}
