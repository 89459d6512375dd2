// How a running veltrana ends: a logout, `kill` or Ctrl-C ends it as "Exit" does, with every
// line it printed in the file its output was sent to; and work still running when the loop
// ends finds what it uses in place.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include <QElapsedTimer>
#include <QThread>

#include "support/simserver.h"
#include "support/simsession.h"
#include "support/veltranasandbox.h"

namespace {

namespace fs = std::filesystem;

bool includes(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Installs the program with the stand-in browser that logs in at `sim`; the DataFolder.
std::string installLoggingIn(VeltranaSandbox& sandbox, const testsupport::SimServer& sim) {
  const std::string folder = sandbox.install();
  fs::remove(folder + "orbisview");
  fs::create_symlink(FAKE_BROWSER, folder + "orbisview");
  sandbox.setEnv("FAKE_BROWSER_MODE", "login");
  sandbox.pointAt(sim);
  return folder;
}

TEST(Shutdown, ASignalWhileIdleEndsAsExitDoesAndKeepsEveryLine) {
  testsupport::SimServer sim;
  ASSERT_TRUE(sim.start({"--friends", "12", "--auto-login"})) << sim.error();
  VeltranaSandbox sandbox;
  const std::string folder = sandbox.install();
  // The stand-in browser logs in at the simulator, so the first run gets a session.
  fs::remove(folder + "orbisview");
  fs::create_symlink(FAKE_BROWSER, folder + "orbisview");
  sandbox.setEnv("FAKE_BROWSER_MODE", "login");
  sandbox.setEnv("VELTRANA_REST_URL", sim.restUrl());
  sandbox.setEnv("VELTRANA_MOBILE_URL", sim.url());
  sandbox.setEnv("VELTRANA_LOGIN_URL", sim.loginUrl());
  sandbox.setEnv("VELTRANA_AD_URL", sim.url());
  sandbox.setEnv("VELTRANA_SITE_URL", sim.url());

  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    const std::string out = sandbox.root() + "/out." + std::to_string(signal) + ".txt";
    VeltranaProcess veltrana(sandbox, {}, {}, kProgram, out);
    // Each line reaches the file as it is printed, not when a buffer fills.
    ASSERT_TRUE(veltrana.waitForOutput("main window shown\n", 60'000))
        << veltrana.out() << veltrana.err();
    ASSERT_TRUE(veltrana.waitForOutput("PrepareMainWindowPictures()\n", 10'000));
    veltrana.signal(signal);
    EXPECT_EQ(veltrana.waitForExit(), 0) << veltrana.err();
    const std::string lines = veltrana.out();
    EXPECT_TRUE(includes(lines, "Getting friend list\n") || includes(lines, "Session in registry."))
        << lines;
    EXPECT_TRUE(includes(lines, "LastUpdate was written to registry => ")) << lines;
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), '\n');
    // The window class is free again, as after "Exit".
    EXPECT_FALSE(platform::findWindow("Veltrana"));
    // The store was closed, not left to the end of the process: its log is gone.
    EXPECT_FALSE(fs::exists(sandbox.settingsPath() + "-wal"));
  }
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kLeakChecked = true;
#elif defined(__has_feature)
constexpr bool kLeakChecked = __has_feature(address_sanitizer);
#else
constexpr bool kLeakChecked = false;
#endif

// Built with the address sanitizer, the program is leak-checked as it ends, which it does by
// returning from main: a login, the synchronisation, the board, a friend page still open at
// "Exit". Leaks inside the libraries below us are suppressed by tests/lsan.supp; any other
// fails the run.
TEST(Shutdown, ARunFromTheLoginToExitLeaksNothing) {
  if (!kLeakChecked) GTEST_SKIP() << "only the address sanitizer's build (asan-ubsan) checks leaks";
  testsupport::SimServer sim;
  ASSERT_TRUE(sim.start({"--friends", "12", "--auto-login"})) << sim.error();
  VeltranaSandbox sandbox;
  const std::string folder = installLoggingIn(sandbox, sim);
  std::ofstream(folder + "bf1.txt") << testsupport::friendUids(sim)[0] << "*Best***#1\n";

  VeltranaProcess veltrana(sandbox, {}, {{"ASAN_OPTIONS", "detect_leaks=1"}});
  ASSERT_TRUE(veltrana.waitForOutput("PrepareMainWindowPictures()\n", 120'000))
      << veltrana.out() << veltrana.err();
  EXPECT_TRUE(includes(veltrana.out(), "Getting session key\n")) << veltrana.out();
  ASSERT_TRUE(postCommand(37106));  // the selected friend's page
  ASSERT_TRUE(veltrana.waitForOutput("you clicked on ", 30'000)) << veltrana.out();
  veltrana.waitForOutput("\x01", 3000);  // its pictures are asked for meanwhile
  ASSERT_TRUE(postCommand(32853));       // "Exit"
  EXPECT_EQ(veltrana.waitForExit(60'000), 0) << veltrana.err();
  EXPECT_FALSE(includes(veltrana.err(), "LeakSanitizer")) << veltrana.err();
  // The end ran the destructors (so the leak check ran too): the store was closed.
  EXPECT_FALSE(fs::exists(sandbox.settingsPath() + "-wal"));
}

// A DataFolder handed over on a volume may hold a FIFO or a device in a file's place: the
// start reads none of them by name, the window comes, and SIGTERM ends the program at once.
// Only the writers' own leftovers go at the start, never a user's copy.
TEST(Shutdown, FifosAndDevicesInTheDataFolderHoldNothingUp) {
  testsupport::SimServer sim;
  ASSERT_TRUE(sim.start({"--friends", "12", "--auto-login"})) << sim.error();
  VeltranaSandbox sandbox;
  const std::string folder = installLoggingIn(sandbox, sim);
  {
    // A first run stores the session, so that the edition wipe leaves the files below alone.
    VeltranaProcess first(sandbox);
    ASSERT_TRUE(first.waitForOutput("PrepareMainWindowPictures()\n", 60'000)) << first.err();
    first.signal(SIGTERM);
    ASSERT_EQ(first.waitForExit(), 0);
  }
  // The start removes its writers' leftovers and nothing of the user's.
  std::ofstream(folder + "bf1.txt.backup") << "1*A***#1\n";
  std::ofstream(folder + ".bf1.txt.tmp-a1B2c3") << "cut";
  std::ofstream(folder + "pic_square/.7.jpg.tmp-a1B2c3") << "cut";
  struct Case {
    const char* name;
    const char* file;
    bool fifo;  // else a link to /dev/zero
  };
  const Case cases[] = {
      {"a FIFO at pic_square/body.jpg", "pic_square/body.jpg", true},
      {"a FIFO at bf1.txt", "bf1.txt", true},
      {"bf1.txt linked to /dev/zero", "bf1.txt", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder + c.file;
    fs::create_directories(fs::path(path).parent_path());
    fs::remove(path);
    if (c.fifo) {
      ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    } else {
      fs::create_symlink("/dev/zero", path);
    }
    VeltranaProcess veltrana(sandbox);
    EXPECT_TRUE(veltrana.waitForOutput("PrepareMainWindowPictures()\n", 60'000))
        << veltrana.out() << veltrana.err();
    QElapsedTimer elapsed;
    elapsed.start();
    veltrana.signal(SIGTERM);
    EXPECT_EQ(veltrana.waitForExit(3000), 0) << veltrana.err();
    EXPECT_LT(elapsed.elapsed(), 3000);
    fs::remove(path);
  }
  EXPECT_TRUE(fs::exists(folder + "bf1.txt.backup"));
  EXPECT_FALSE(fs::exists(folder + ".bf1.txt.tmp-a1B2c3"));
  EXPECT_FALSE(fs::exists(folder + "pic_square/.7.jpg.tmp-a1B2c3"));
}

// Timer 1 asks for the best friends' statuses on the interface thread, and the server takes
// its time: a signal meanwhile ends the program with 0 at once, not when the call (or the
// worker's call it waits behind) gives up.
TEST(Shutdown, ASignalDuringASlowCallEndsWith0AtOnce) {
  testsupport::SimServer sim;
  ASSERT_TRUE(sim.start({"--friends", "12", "--auto-login"})) << sim.error();
  VeltranaSandbox sandbox;
  const std::string folder = installLoggingIn(sandbox, sim);
  std::ofstream(folder + "bf1.txt") << testsupport::friendUids(sim)[0] << "*Best***#1\n";

  // Timer 1 every 3 s.
  VeltranaProcess veltrana(sandbox, {"--test-timer-divisor=600"});
  ASSERT_TRUE(veltrana.waitForOutput("PrepareMainWindowPictures()\n", 60'000))
      << veltrana.out() << veltrana.err();
  const std::string slowStatuses =
      R"({"fql": "select uid, status from user where uid in", "count": -1, "delay_ms": 20000})";
  ASSERT_EQ(sim.control("/faults", slowStatuses).status, 200);
  // Meanwhile timer 1 fires: the interface thread waits for its call, or for a worker's
  // call (the statuses of all friends, just as slow) that holds the client.
  QThread::msleep(5000);
  QElapsedTimer elapsed;
  elapsed.start();
  veltrana.signal(SIGTERM);
  EXPECT_EQ(veltrana.waitForExit(), 0) << veltrana.err();
  EXPECT_LT(elapsed.elapsed(), 2000) << veltrana.err();
}

// The probe starts workers when the loop ends that keep using the message boxes and the
// store, one of them stuck in a long call: the process must end cleanly rather than pull them
// from under it, and soon rather than when the call ends.
TEST(Shutdown, WorkStillRunningWhenTheLoopEndsFindsEverythingInPlace) {
  VeltranaSandbox sandbox;
  sandbox.install();
  for (int run = 0; run < 5; ++run) {
    SCOPED_TRACE(run);
    VeltranaProcess veltrana(sandbox, {}, {}, kShutdownProbe);
    ASSERT_TRUE(veltrana.waitForWindow()) << veltrana.err();
    QElapsedTimer elapsed;
    elapsed.start();
    ASSERT_TRUE(postCommand(32853));  // "Exit"
    EXPECT_EQ(veltrana.waitForExit(), 0) << veltrana.err();
    EXPECT_LT(elapsed.elapsed(), 5000);
  }
}

// "Exit" or a signal while a timer's worker waits for a server that does not answer: the end
// waits a moment for it, then ends without it, with 0 and the window class free.
TEST(Shutdown, AWorkerStuckInACallHoldsTheEndUpOnlyAMoment) {
  for (const int signal : {0, SIGTERM}) {
    SCOPED_TRACE(signal);
    testsupport::SimServer sim;
    ASSERT_TRUE(sim.start({"--friends", "12", "--auto-login"})) << sim.error();
    // The status check of all friends, which runs on a worker soon after the window shows.
    const std::string stalled = R"({"fql": "select uid, status from user where uid in (SELECT",)"
                                R"( "count": -1, "delay_ms": 60000})";
    ASSERT_EQ(sim.control("/faults", stalled).status, 200);
    VeltranaSandbox sandbox;
    installLoggingIn(sandbox, sim);
    VeltranaProcess veltrana(sandbox, {"--test-timer-divisor=600"});
    ASSERT_TRUE(
        veltrana.waitForOutput("status%20from%20user%20where%20uid%20in%20%28SELECT", 60'000))
        << veltrana.out() << veltrana.err();
    QThread::msleep(500);  // until the call is under way
    QElapsedTimer elapsed;
    elapsed.start();
    if (signal == 0) {
      ASSERT_TRUE(postCommand(32853));  // "Exit"
    } else {
      veltrana.signal(signal);
    }
    EXPECT_EQ(veltrana.waitForExit(30'000), 0) << veltrana.err();
    EXPECT_LT(elapsed.elapsed(), 5000);
    EXPECT_FALSE(platform::findWindow("Veltrana"));
  }
}

}  // namespace
