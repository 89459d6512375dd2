// A window class served from Qt's event loop, messaged by another process.
#include "platform/qtwindowendpoint.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include "ipcpeerprotocol.h"
#include "peerprocess.h"
#include "qtapplication.h"

using platform::WindowMessage;

namespace {

// Runs the event loop until the peer ends; its exit code.
std::optional<int> runUntilExit(PeerProcess& peer) {
  for (int round = 0; round < 1000; ++round) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (auto code = peer.waitExit(5)) return code;
  }
  return std::nullopt;
}

}  // namespace

TEST(QtWindowEndpointTest, MessagesFromAnotherProcessReachTheHandlerOnTheUiThread) {
  qtTestApplication();
  std::vector<WindowMessage> seen;
  bool onUiThread = true;
  auto endpoint = QtWindowEndpoint::create("VoraRUR.MainWindow", [&](const WindowMessage& m) {
    onUiThread = onUiThread && QThread::currentThread() == qtTestApplication().thread();
    seen.push_back(m);
    return ipcpeer::replyFor(m);
  });
  ASSERT_TRUE(endpoint);

  const WindowMessage sent{platform::kMsgNavigate, 7, -9};
  PeerProcess sender({"send", "VoraRUR.MainWindow", "1025", "7", "-9", "5000"});
  EXPECT_EQ(runUntilExit(sender), 0);
  EXPECT_EQ(sender.readLine(), std::to_string(ipcpeer::replyFor(sent)));

  PeerProcess poster({"post", "VoraRUR.MainWindow", "2", "0", "0"});
  EXPECT_EQ(runUntilExit(poster), 0);
  for (int i = 0; i < 200 && seen.size() < 2; ++i)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);

  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].id, sent.id);
  EXPECT_EQ(seen[0].wParam, sent.wParam);
  EXPECT_EQ(seen[0].lParam, sent.lParam);
  EXPECT_EQ(seen[1].id, platform::kMsgDestroy);
  EXPECT_TRUE(onUiThread);

  std::string error;
  EXPECT_FALSE(QtWindowEndpoint::create("VoraRUR.MainWindow", {}, &error));
  EXPECT_FALSE(error.empty());
}

// The destroy message typically ends the window that owns the endpoint, from inside the
// handler; what is still queued must not reach the deleted window.
TEST(QtWindowEndpointTest, AHandlerMayDeleteTheEndpoint) {
  qtTestApplication();
  std::unique_ptr<QtWindowEndpoint> endpoint;
  int calls = 0;
  endpoint = QtWindowEndpoint::create("Doomed", [&](const WindowMessage& m) {
    ++calls;
    if (m.id == platform::kMsgDestroy) endpoint.reset();
    return int64_t{1};
  });
  ASSERT_TRUE(endpoint);
  ASSERT_EQ(runPeer({"post", "Doomed", "2", "0", "0"}), 0);
  PeerProcess late({"send", "Doomed", "1025", "0", "0", "2000"});
  for (int i = 0; i < 400 && endpoint; ++i)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  EXPECT_FALSE(endpoint);
  const auto code = runUntilExit(late);
  ASSERT_TRUE(code);
  EXPECT_EQ(calls, 1);
  // The late sender got either nothing (the class was gone) or the dead window's 0.
  const std::string answer = late.readLine().value_or("");
  EXPECT_TRUE(answer == "none" || answer == "0") << answer;
  EXPECT_FALSE(platform::findWindow("Doomed"));
}
