// The window directory between this test and ipcpeer processes.
#include "platform/windowdirectory.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <climits>

#include "ipcpeerprotocol.h"
#include "peerprocess.h"
#include "platform/runtimedir.h"

using platform::WindowMessage;

namespace {

std::string gotLine(const WindowMessage& m) {
  return "got " + std::to_string(m.id) + " " + std::to_string(m.wParam) + " " +
         std::to_string(m.lParam) + (m.text.empty() ? "" : " text=" + m.text);
}

// Serves `endpoint` here until `peer` ends; the peer's exit code.
std::optional<int> serveUntilExit(platform::WindowEndpoint& endpoint, PeerProcess& peer,
                                  const platform::WindowEndpoint::Handler& handler) {
  for (int round = 0; round < 500; ++round) {
    pollfd pfd{endpoint.fd(), POLLIN, 0};
    if (::poll(&pfd, 1, 10) > 0) endpoint.dispatchPending(handler);
    if (auto code = peer.waitExit(0)) return code;
  }
  return std::nullopt;
}

// The wire format, written independently of the library: u32 magic, u32 id, u64 wParam,
// i64 lParam, u32 flags, little-endian.
std::string frameBytes(const WindowMessage& m, uint32_t flags) {
  std::string out;
  const auto put = [&out](uint64_t v, int n) {
    for (int i = 0; i < n; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  put(0x31574D56, 4);
  put(m.id, 4);
  put(m.wParam, 8);
  put(static_cast<uint64_t>(m.lParam), 8);
  put(flags, 4);
  return out;
}

int connectRaw(const std::string& className) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string path = *platform::runtimeDir() + "/win." + className + ".sock";
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

class ServedWindow : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(server_.readLine(), "ready"); }
  const std::string className_ = "VoraRUR.MainWindow";
  PeerProcess server_{{"serve", "VoraRUR.MainWindow"}};
};

}  // namespace

TEST_F(ServedWindow, ASentMessageCarriesEveryFieldAndTheReplyComesBack) {
  const std::vector<WindowMessage> cases = {
      {platform::kMsgNavigate, 0, 0},      {platform::kMsgCommand, 40001, 0},
      {platform::kMsgDestroy, 0, -1},      {0x7FFF, ULLONG_MAX, LLONG_MIN},
      {0xFFFFFFFF, 1ULL << 40, LLONG_MAX},
  };
  EXPECT_TRUE(platform::findWindow(className_));
  for (const auto& m : cases) {
    SCOPED_TRACE(gotLine(m));
    EXPECT_EQ(platform::sendMessage(className_, m, 5000), ipcpeer::replyFor(m));
    EXPECT_EQ(server_.readLine(), gotLine(m));
  }
}

// The served handler waits for "release", which is written only after post returned: a
// post that waited for the handler would leave it unreleased.
TEST_F(ServedWindow, APostDoesNotWaitForTheHandler) {
  const WindowMessage hold{ipcpeer::kHoldMessage, 1, 2};
  ASSERT_TRUE(platform::postMessage(className_, hold));
  ASSERT_TRUE(server_.writeLine("release"));
  EXPECT_EQ(server_.readLine(), gotLine(hold));
  EXPECT_EQ(server_.readLine(), "released");
  EXPECT_TRUE(platform::activateWindow(className_));
  EXPECT_EQ(server_.readLine(), gotLine({platform::kMsgActivate, 0, 0}));
}

// A second start's activation token reaches the running window whole; one too long to
// send still raises the window, without a token.
TEST_F(ServedWindow, AnActivationCarriesTheStartsToken) {
  const struct {
    std::string token;
    std::string received;
  } cases[] = {
      {"", ""},
      {"weston-token_12:34", "weston-token_12:34"},
      {std::string(platform::kMaxMessageText, 't'), std::string(platform::kMaxMessageText, 't')},
      {std::string(platform::kMaxMessageText + 1, 't'), ""},
      {"tok\nXDG_ACTIVATION_TOKEN=x", ""},
      {std::string("tok\0en", 6), ""},
      {"t\x1b[2Jk", ""},
      {"tok en", ""},
      {"t\xc3\xa9", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.token.size());
    ASSERT_TRUE(platform::activateWindow(className_, c.token));
    EXPECT_EQ(server_.readLine(), gotLine({platform::kMsgActivate, 0, 0, c.received}));
  }
  // A sent message with a text gets its reply as one without.
  const WindowMessage withText{platform::kMsgNavigate, 3, 4, "abc"};
  EXPECT_EQ(platform::sendMessage(className_, withText, 5000), ipcpeer::replyFor(withText));
  EXPECT_EQ(server_.readLine(), gotLine(withText));
}

// What the receiving window hands on as a token: printable ASCII only, never too long.
TEST(WindowDirectoryTest, OnlyPrintableTextIsAnActivationToken) {
  const struct {
    std::string text;
    std::string token;
  } cases[] = {
      {"", ""},
      {"weston-token_12:34", "weston-token_12:34"},
      {std::string(platform::kMaxMessageText, '~'), std::string(platform::kMaxMessageText, '~')},
      {std::string(platform::kMaxMessageText + 1, 't'), ""},
      {"a\rb", ""},
      {std::string("a\0b", 3), ""},
      {"a\x7f", ""},
      {"\xff", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.size());
    EXPECT_EQ(platform::activationTokenOf(c.text), c.token);
  }
}

TEST_F(ServedWindow, ASendGivesUpAfterItsTimeOutAndTheWindowGoesOn) {
  const WindowMessage hold{ipcpeer::kHoldMessage, 0, 0};
  EXPECT_EQ(platform::sendMessage(className_, hold, 50), std::nullopt);
  EXPECT_EQ(server_.readLine(), gotLine(hold));
  ASSERT_TRUE(server_.writeLine("release"));
  EXPECT_EQ(server_.readLine(), "released");
  const WindowMessage next{platform::kMsgNavigate, 0, 0};
  EXPECT_EQ(platform::sendMessage(className_, next, 5000), ipcpeer::replyFor(next));
}

TEST_F(ServedWindow, ALiveClassCannotBeRegisteredTwice) {
  std::string error;
  EXPECT_FALSE(platform::WindowEndpoint::registerClass(className_, &error));
  EXPECT_NE(error.find("already registered"), std::string::npos) << error;
  PeerProcess second({"serve", className_});
  EXPECT_EQ(second.readLine().value_or("").rfind("refused", 0), 0u);
  EXPECT_EQ(second.waitExit(), 4);
  // The first registration is untouched.
  EXPECT_TRUE(platform::findWindow(className_));
}

TEST(WindowDirectoryTest, NoWindowOfAnUnknownClass) {
  const WindowMessage m{platform::kMsgNavigate, 0, 0};
  EXPECT_FALSE(platform::findWindow("NoSuchClass"));
  EXPECT_EQ(platform::sendMessage("NoSuchClass", m, 100), std::nullopt);
  EXPECT_FALSE(platform::postMessage("NoSuchClass", m));
  EXPECT_FALSE(platform::activateWindow("NoSuchClass"));
  EXPECT_EQ(runPeer({"send", "NoSuchClass", "1025", "0", "0", "100"}), 1);
  EXPECT_FALSE(platform::findWindow(""));
}

TEST(WindowDirectoryTest, ClassNamesThatLookAlikeStayApart) {
  struct Case {
    std::string served, lookedUp;
    bool found;
  };
  const std::vector<Case> cases = {
      {"Veltrana", "Veltrana", true},
      {"Veltrana", "veltrana", false},
      {"a b", "a_b", false},
      {"a/b", "a_2Fb", false},
      {"../escape", "../escape", true},
      {"with space/and:colon", "with space/and:colon", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.served + " / " + c.lookedUp);
    std::string error;
    auto endpoint = platform::WindowEndpoint::registerClass(c.served, &error);
    ASSERT_TRUE(endpoint) << error;
    EXPECT_EQ(runPeer({"find", c.lookedUp}), c.found ? 0 : 1);
  }
}

// A window whose process died leaves its socket behind; the next registration replaces it.
TEST(WindowDirectoryTest, AStaleSocketIsReplaced) {
  const std::string name = "Veltrana";
  {
    PeerProcess crashed({"serve", name});
    ASSERT_EQ(crashed.readLine(), "ready");
    crashed.kill();
  }
  struct stat st {};
  ASSERT_EQ(::stat((*platform::runtimeDir() + "/win.Veltrana.sock").c_str(), &st), 0);
  EXPECT_FALSE(platform::findWindow(name));

  std::string error;
  auto endpoint = platform::WindowEndpoint::registerClass(name, &error);
  ASSERT_TRUE(endpoint) << error;
  PeerProcess sender({"send", name, "273", "40001", "-5", "5000"});
  WindowMessage seen;
  const auto code = serveUntilExit(*endpoint, sender, [&](const WindowMessage& m) {
    seen = m;
    return int64_t{42};
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(sender.readLine(), "42");
  EXPECT_EQ(gotLine(seen), "got 273 40001 -5");

  endpoint.reset();
  EXPECT_NE(::stat((*platform::runtimeDir() + "/win.Veltrana.sock").c_str(), &st), 0);
}

// Broken clients must neither reach the handler nor hold up the owner's event loop.
TEST(WindowDirectoryTest, BrokenClientsAreDroppedQuickly) {
  struct Case {
    const char* title;
    std::string bytes;
  };
  const std::string valid = frameBytes({platform::kMsgNavigate, 0, 0}, 1);
  const std::vector<Case> cases = {
      {"connects and closes without a byte", ""},
      {"sends garbage", std::string(28, 'A')},
      {"sends half a frame and stays silent", valid.substr(0, 10)},
      {"sends an unknown kind of frame", frameBytes({platform::kMsgNavigate, 0, 0}, 7)},
      {"sends a frame of another version", "VMW2" + valid.substr(4)},
  };
  auto endpoint = platform::WindowEndpoint::registerClass("Broken");
  ASSERT_TRUE(endpoint);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    const int fd = connectRaw("Broken");
    ASSERT_GE(fd, 0);
    if (!c.bytes.empty()) {
      ASSERT_EQ(::send(fd, c.bytes.data(), c.bytes.size(), MSG_NOSIGNAL),
                static_cast<ssize_t>(c.bytes.size()));
    }
    if (c.bytes.size() != 10) ::shutdown(fd, SHUT_WR);
    int calls = 0;
    const auto start = std::chrono::steady_clock::now();
    endpoint->dispatchPending([&](const WindowMessage&) { return int64_t{++calls}; });
    // A hang guard, not a speed goal: the bound is many times the design's wait.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(calls, 0);
    char reply[8];
    EXPECT_LE(::recv(fd, reply, sizeof reply, MSG_DONTWAIT), 0);
    ::close(fd);
  }
  // The well-formed frame, by hand, is served.
  const int fd = connectRaw("Broken");
  ASSERT_EQ(::send(fd, valid.data(), valid.size(), MSG_NOSIGNAL), 28);
  endpoint->dispatchPending([](const WindowMessage& m) { return int64_t{m.id} + 1; });
  unsigned char reply[8] = {};
  ASSERT_EQ(::recv(fd, reply, sizeof reply, MSG_WAITALL), 8);
  EXPECT_EQ(reply[0] | (reply[1] << 8), platform::kMsgNavigate + 1);
  ::close(fd);
}
