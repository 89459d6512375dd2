// Starting and killing a companion program (ipcpeer started with an empty command line).
#include "platform/process.h"
#include "support/scopedenv.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

// The state letter of /proc/<pid>/stat, or 0 when there is no such process any more.
char processState(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  if (!std::getline(stat, text)) return 0;
  const auto close = text.rfind(')');
  return close != std::string::npos && close + 2 < text.size() ? text[close + 2] : 0;
}

bool waitForState(pid_t pid, char state) {
  for (int i = 0; i < 1000; ++i) {
    if (processState(pid) == state) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

std::string processTestRoot() {
  const char* root = std::getenv("VELTRANA_TEST_ROOT");
  return root ? root : "/tmp";
}

// The peer's report of what it was started with, once it is whole (within 2 s).
std::string peerReport(const std::string& report) {
  std::string text;
  for (int i = 0; i < 1000 && text.find('\n', text.find("argv0")) == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::ifstream in(report);
    std::stringstream all;
    all << in.rdbuf();
    text = all.str();
  }
  return text;
}

}  // namespace

TEST(ProcessTest, WhatCannotBeStartedGivesMinusOne) {
  const std::string plainFile = processTestRoot() + "/not-a-program";
  std::ofstream(plainFile) << "text\n";
  ::chmod(plainFile.c_str(), 0644);
  const std::string folder = processTestRoot() + "/a-folder";
  ::mkdir(folder.c_str(), 0755);
  for (const std::string& path :
       {std::string(), processTestRoot() + "/missing/orbisview", plainFile, folder}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(platform::startProcess(path), -1);
  }
}

TEST(ProcessTest, StartsWithAnEmptyCommandLineAndOurEnvironmentAndKillReaps) {
  const std::string report = processTestRoot() + "/peer-report.txt";
  std::remove(report.c_str());  // an older run's report is no answer
  pid_t pid = 0;
  {
    testsupport::ScopedEnv env;
    env.set("VELTRANA_IPCPEER_REPORT", report);
    // The desktop's start-up tokens were given to us, not to the child.
    env.set("XDG_ACTIVATION_TOKEN", "ours");
    env.set("DESKTOP_STARTUP_ID", "ours");
    pid = platform::startProcess(VELTRANA_IPCPEER);
  }
  ASSERT_GT(pid, 0);

  const std::string text = peerReport(report);
  EXPECT_EQ(text, std::string("argc=1\nargv0=") + VELTRANA_IPCPEER + "\n");

  EXPECT_TRUE(platform::killProcess(pid));
  EXPECT_EQ(processState(pid), 0) << "killed and reaped: not even a zombie is left";
  int status = 0;
  EXPECT_EQ(::waitpid(pid, &status, WNOHANG), -1);
  // Ended now: a second kill finds nothing.
  EXPECT_FALSE(platform::killProcess(pid));
}

// What the browser is told of the phone is added to our environment, and replaces a
// variable of ours with the same name rather than following it.
TEST(ProcessTest, ExtraEnvironmentIsAddedOrReplacesOurs) {
  const std::string report = processTestRoot() + "/peer-report-env.txt";
  std::remove(report.c_str());
  pid_t pid = 0;
  {
    testsupport::ScopedEnv env;
    env.set("VELTRANA_IPCPEER_REPORT", report);
    env.set("VELTRANA_PHONE_SCREEN", "240x320");
    env.set("VELTRANA_PHONE_DPI", std::nullopt);
    pid = platform::startProcess(VELTRANA_IPCPEER,
                                 {"VELTRANA_PHONE_SCREEN=480x640", "VELTRANA_PHONE_DPI=192"});
  }
  ASSERT_GT(pid, 0);
  const std::string text = peerReport(report);
  EXPECT_EQ(text, std::string("VELTRANA_PHONE_SCREEN=480x640\nVELTRANA_PHONE_DPI=192\nargc=1\n"
                              "argv0=") +
                      VELTRANA_IPCPEER + "\n");
  EXPECT_TRUE(platform::killProcess(pid));
}

TEST(ProcessTest, AChildThatEndsByItselfIsReapedAndNotKilledLater) {
  testsupport::ScopedEnv env;
  env.set("VELTRANA_IPCPEER_MODE", "exit");
  const pid_t pid = platform::startProcess(VELTRANA_IPCPEER);
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(waitForState(pid, 'Z'));
  EXPECT_FALSE(platform::killProcess(pid));
  EXPECT_EQ(processState(pid), 0);

  // The next start also reaps what ended before it.
  const pid_t second = platform::startProcess(VELTRANA_IPCPEER);
  ASSERT_GT(second, 0);
  ASSERT_TRUE(waitForState(second, 'Z'));
  // One that stays until it is killed: one that ended by itself first could not be.
  env.set("VELTRANA_IPCPEER_MODE", std::nullopt);
  const pid_t third = platform::startProcess(VELTRANA_IPCPEER);
  ASSERT_GT(third, 0);
  EXPECT_EQ(processState(second), 0);
  EXPECT_TRUE(platform::killProcess(third));
}

TEST(ProcessTest, KillRefusesPidsThatAddressGroups) {
  for (const pid_t pid : {0, -1, -12345}) EXPECT_FALSE(platform::killProcess(pid)) << pid;
}

TEST(ProcessTest, KillEndsAProcessThatIsNotOurChild) {
  // A grandchild: our child starts it and ends, so it is not ours to reap.
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const pid_t grandchild = ::fork();
    if (grandchild == 0) {
      ::execl(VELTRANA_IPCPEER, VELTRANA_IPCPEER, static_cast<char*>(nullptr));
      _exit(127);
    }
    (void)!::write(fds[1], &grandchild, sizeof grandchild);
    _exit(0);
  }
  ::close(fds[1]);
  pid_t grandchild = -1;
  ASSERT_EQ(::read(fds[0], &grandchild, sizeof grandchild),
            static_cast<ssize_t>(sizeof grandchild));
  ::close(fds[0]);
  ::waitpid(child, nullptr, 0);
  ASSERT_GT(grandchild, 0);
  ASSERT_NE(processState(grandchild), 0);
  EXPECT_TRUE(platform::killProcess(grandchild));
  // Its new parent reaps it; until then it shows as a zombie.
  for (int i = 0; i < 1000 && processState(grandchild) != 0 && processState(grandchild) != 'Z'; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  const char state = processState(grandchild);
  EXPECT_TRUE(state == 0 || state == 'Z') << state;
}

TEST(ProcessTest, ThreadsStartAndKillSideBySide) {
  std::vector<std::thread> threads;
  threads.reserve(2);
  std::atomic<int> killed{0};
  for (int t = 0; t < 2; ++t) {
    threads.emplace_back([&killed] {
      for (int i = 0; i < 4; ++i) {
        const pid_t pid = platform::startProcess(VELTRANA_IPCPEER);
        if (pid > 0 && platform::killProcess(pid) && processState(pid) == 0) ++killed;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(killed.load(), 8);
}
