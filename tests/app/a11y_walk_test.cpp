// The real veltrana as a screen reader meets it over AT-SPI: on Xvfb, with the accessibility
// bus on this test's private session bus, on a stored session against socialsim with five
// best friends. a11y_walk.py walks the windows and drives them by their accessible actions
// alone (the board, the menu, All Friends, a friend page, the notifications window, "Exit").
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include <chrono>
#include <fstream>
#include <iostream>
#include <regex>

#include "platform/settingsstore.h"
#include "support/simfriends.h"
#include "support/simserver.h"
#include "support/simsession.h"
#include "support/veltranasandbox.h"
#include "support/xvfb.h"

namespace {

constexpr int kWaitMs = 10'000;
const QString kBusLauncher = QStringLiteral("/usr/libexec/at-spi-bus-launcher");
const QString kPython = QStringLiteral("/usr/bin/python3");
// With an "&", which a label's or a button's own accessible name would drop.
const std::string kStatus = "is out & about";

struct Child {
  QProcess process;
  ~Child() {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(2000)) process.kill();
    process.waitForFinished(2000);
  }
};

TEST(AccessibilityWalk, EveryVisitedWindowNamesWhatItShows) {
  if (!testsupport::Xvfb::installed() || !QFile::exists(kBusLauncher))
    GTEST_SKIP() << "Xvfb or at-spi2-core is not installed (scripts/install-deps)";
  if (QProcess::execute(kPython, {"-c", "import pyatspi"}) != 0)
    GTEST_SKIP() << "python3-pyatspi is not installed (scripts/install-deps)";

  testsupport::SimServer sim;
  ASSERT_TRUE(sim.start({"--friends", "12", "--session-lifetime", "0"})) << sim.error();
  VeltranaSandbox sandbox;
  const std::string dataFolder = sandbox.installStandIn();
  sandbox.pointAt(sim);
  {
    platform::SettingsStore settings(sandbox.settingsPath());
    testsupport::SimSession session;
    ASSERT_TRUE(testsupport::logIn(sim, settings, sandbox.root(), session));
  }

  // Five best friends with a status each; the first generated names hold "&" and line breaks.
  QStringList walkArgs = {QStringLiteral(VELTRANA_SOURCE_DIR "/tests/app/a11y_walk.py"),
                          QString::fromStdString(kStatus)};
  {
    std::ofstream best(dataFolder + "bf1.txt");
    const sim::Json friends = testsupport::simFriends(sim);
    ASSERT_GE(friends.size(), 5u);
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    for (std::size_t i = 0; i < 5; ++i) {
      const auto uid = friends[i]["uid"].get<int64_t>();
      const std::string name =
          std::regex_replace(friends[i]["name"].get<std::string>(), std::regex("[*\r\n]"), " ");
      best << uid << '*' << name << "***#1\n";
      walkArgs << QString::fromStdString(name);
      const sim::Json status = {
          {"uid", uid},
          {"message", kStatus},
          {"time", std::chrono::duration_cast<std::chrono::seconds>(now).count()}};
      ASSERT_EQ(sim.control("/status", status.dump()).status, 200);
    }
  }

  testsupport::Xvfb xvfb;
  if (!xvfb.start(QStringLiteral("320x400x24"))) GTEST_SKIP() << "Xvfb did not start";
  const std::string display = xvfb.display();

  // The accessibility bus, announced on this test's session bus as org.a11y.Bus.
  Child bus;
  QProcessEnvironment busEnv = QProcessEnvironment::systemEnvironment();
  busEnv.insert("DISPLAY", QString::fromStdString(display));
  bus.process.setProcessEnvironment(busEnv);
  bus.process.start(kBusLauncher, {"--launch-immediately"});
  ASSERT_TRUE(bus.process.waitForStarted(kWaitMs));

  sandbox.setEnv("DISPLAY", display);
  sandbox.setEnv("QT_QPA_PLATFORM", "xcb");
  sandbox.setEnv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
  VeltranaProcess veltrana(sandbox);
  ASSERT_TRUE(veltrana.waitForOutput("main window shown\n", 30'000))
      << veltrana.out() << veltrana.err();

  Child walk;
  QProcessEnvironment walkEnv = QProcessEnvironment::systemEnvironment();
  walkEnv.insert("DISPLAY", QString::fromStdString(display));
  walk.process.setProcessEnvironment(walkEnv);
  walk.process.setProcessChannelMode(QProcess::MergedChannels);
  walk.process.start(kPython, walkArgs);
  ASSERT_TRUE(walk.process.waitForFinished(45'000)) << walk.process.readAll().toStdString();
  const std::string found = walk.process.readAll().toStdString();
  std::cout << found;
  if (walk.process.exitCode() == 77) GTEST_SKIP() << found;
  EXPECT_EQ(walk.process.exitCode(), 0) << found;
  // The walk ends with the menu's "Exit".
  EXPECT_EQ(veltrana.waitForExit(kWaitMs), 0) << veltrana.out() << veltrana.err();
}

}  // namespace
