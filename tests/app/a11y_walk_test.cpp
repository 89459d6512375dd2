// The real veltrana as a screen reader meets it over AT-SPI: on Xvfb, with the accessibility
// bus on this test's private session bus, on a stored session against socialsim with best
// friends who each have a status. a11y_walk.py walks the windows and drives them by their
// accessible actions alone (the board, the menu, All Friends, a friend page, the lists, the
// notifications window, "Exit"); orca_walk.py presses keys while the Orca screen reader runs
// and reads what it spoke from its debug log.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <chrono>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
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

// speech-dispatcher's configuration for HOME `root`: one output module that hands each text
// to a command writing it to `root`/spoken.txt, and libao's null device for the sound it
// opens anyway, so that speech needs no sound device.
bool writeSilentSpeech(const std::string& root) {
  const std::string folder = root + "/config/speech-dispatcher";
  if (!QDir().mkpath(QString::fromStdString(folder + "/modules"))) return false;
  std::ofstream conf(folder + "/speechd.conf");
  conf << "LogLevel 3\nLogDir \"" << root << "\"\n"
       << "AudioOutputMethod \"libao\"\n"
       << "AddModule \"silent\" \"sd_generic\" \"silent.conf\"\n"
       << "DefaultModule silent\nDefaultLanguage \"en\"\n";
  std::ofstream module(folder + "/modules/silent.conf");
  module << "GenericExecuteSynth \"echo \\'$DATA\\' >> " << root << "/spoken.txt\"\n"
         << "GenericLanguage \"en\" \"en\" \"utf-8\"\nAddVoice \"en\" \"MALE1\" \"en\"\n";
  std::ofstream sound(root + "/.libao");
  sound << "default_driver=null\n";
  return conf.good() && module.good() && sound.good();
}

class ScreenReader : public ::testing::Test {
 protected:
  // socialsim with `friends` friends, the first `best` of them best friends with kStatus,
  // Xvfb, the accessibility bus and veltrana showing its board (with `extraEnv`). Skips
  // without the tools.
  void start(int friends, int best, const std::map<std::string, std::string>& extraEnv = {}) {
    if (!testsupport::Xvfb::installed() || !QFile::exists(kBusLauncher))
      GTEST_SKIP() << "Xvfb or at-spi2-core is not installed (scripts/install-deps --tests)";
    if (QProcess::execute(kPython, {"-c", "import pyatspi"}) != 0)
      GTEST_SKIP() << "python3-pyatspi is not installed (scripts/install-deps --tests)";

    ASSERT_TRUE(sim_.start({"--friends", std::to_string(friends), "--session-lifetime", "0"}))
        << sim_.error();
    dataFolder_ = sandbox_.installStandIn();
    sandbox_.pointAt(sim_);
    {
      platform::SettingsStore settings(sandbox_.settingsPath());
      testsupport::SimSession session;
      ASSERT_TRUE(testsupport::logIn(sim_, settings, sandbox_.root(), session));
    }
    std::ofstream bestFile(dataFolder_ + "bf1.txt");
    const sim::Json all = testsupport::simFriends(sim_);
    ASSERT_GE(all.size(), static_cast<std::size_t>(best));
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    for (std::size_t i = 0; i < static_cast<std::size_t>(best); ++i) {
      const auto uid = all[i]["uid"].get<int64_t>();
      const std::string name =
          std::regex_replace(all[i]["name"].get<std::string>(), std::regex("[*\r\n]"), " ");
      bestFile << uid << '*' << name << "***#1\n";
      names_ << QString::fromStdString(name);
      const sim::Json status = {
          {"uid", uid},
          {"message", kStatus},
          {"time", std::chrono::duration_cast<std::chrono::seconds>(now).count()}};
      ASSERT_EQ(sim_.control("/status", status.dump()).status, 200);
    }
    bestFile.close();

    if (!xvfb_.start(QStringLiteral("320x400x24"))) GTEST_SKIP() << "Xvfb did not start";
    // The accessibility bus, announced on this test's session bus as org.a11y.Bus.
    bus_.process.setProcessEnvironment(environment());
    bus_.process.start(kBusLauncher, {"--launch-immediately"});
    ASSERT_TRUE(bus_.process.waitForStarted(kWaitMs));

    sandbox_.setEnv("DISPLAY", xvfb_.display());
    sandbox_.setEnv("QT_QPA_PLATFORM", "xcb");
    sandbox_.setEnv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    veltrana_ = std::make_unique<VeltranaProcess>(sandbox_, QStringList{}, extraEnv);
    ASSERT_TRUE(veltrana_->waitForOutput("main window shown\n", 30'000))
        << veltrana_->out() << veltrana_->err();
  }

  QProcessEnvironment environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromStdString(xvfb_.display()));
    return env;
  }

  // Runs tests/app/`script` with `args`; exit code 0 passes, 77 skips.
  void runScript(const char* script, QStringList args, int timeoutMs,
                 const QProcessEnvironment& env) {
    Child walk;
    walk.process.setProcessEnvironment(env);
    walk.process.setProcessChannelMode(QProcess::MergedChannels);
    args.prepend(QStringLiteral(VELTRANA_SOURCE_DIR "/tests/app/") + script);
    args.prepend(QStringLiteral("-B"));  // no byte-code files in the source tree
    walk.process.start(kPython, args);
    ASSERT_TRUE(walk.process.waitForFinished(timeoutMs)) << walk.process.readAll().toStdString();
    const std::string found = walk.process.readAll().toStdString();
    std::cout << found;
    if (walk.process.exitCode() == 77) GTEST_SKIP() << found;
    EXPECT_EQ(walk.process.exitCode(), 0) << found;
  }

  testsupport::SimServer sim_;
  VeltranaSandbox sandbox_;
  std::string dataFolder_;
  QStringList names_;
  testsupport::Xvfb xvfb_;
  Child bus_;
  std::unique_ptr<VeltranaProcess> veltrana_;
};

TEST_F(ScreenReader, EveryVisitedWindowNamesWhatItShows) {
  start(12, 5);  // the first generated names hold "&" and line breaks
  if (IsSkipped() || HasFatalFailure()) return;
  runScript("a11y_walk.py", QStringList{QString::fromStdString(kStatus)} + names_, 90'000,
            environment());
  // The walk ends with the menu's "Exit".
  EXPECT_EQ(veltrana_->waitForExit(kWaitMs), 0) << veltrana_->out() << veltrana_->err();
}

// Orca speaks to a silent speech-dispatcher module; its debug log holds every utterance.
TEST_F(ScreenReader, OrcaSpeaksTheFriendUnderTheBarAndTheListsByName) {
  if (QStandardPaths::findExecutable("orca").isEmpty())
    GTEST_SKIP() << "orca is not installed (scripts/install-deps --tests)";
  // Qt's AT-SPI bridge keeps a copy of each key event until the screen reader has answered
  // it, and never frees the copy when the key's window closed meanwhile (F1 closing the
  // further page does): the address sanitizer's build would report Qt's copy at the end.
  // The leak check of a whole run is the shutdown test's; the walk by actions above keeps it.
  start(30, 24, {{"ASAN_OPTIONS", "detect_leaks=0"}});  // more than the main page shows
  if (IsSkipped() || HasFatalFailure()) return;

  // Orca and the speech server it starts keep their settings and sockets in here.
  const QString root = QString::fromStdString(sandbox_.root() + "/orca");
  const QString log = root + "/debug.out";
  ASSERT_TRUE(QDir().mkpath(root + "/prefs") && QDir().mkpath(root + "/run"));
  QFile::setPermissions(root + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  ASSERT_TRUE(writeSilentSpeech(root.toStdString()));
  QProcessEnvironment env = environment();
  env.insert("HOME", root);
  env.insert("XDG_CONFIG_HOME", root + "/config");
  env.insert("XDG_RUNTIME_DIR", root + "/run");
  env.insert("GSETTINGS_BACKEND", "memory");

  runScript("orca_walk.py", QStringList{log, root + "/prefs"} + names_, 150'000, env);
  if (HasFailure()) {
    std::ifstream spoken(log.toStdString());
    std::string line;
    while (std::getline(spoken, line))
      if (line.find("SPEECH OUTPUT") != std::string::npos) std::cout << line << '\n';
  }
  EXPECT_EQ(veltrana_->waitForExit(kWaitMs), 0) << veltrana_->out() << veltrana_->err();
}

}  // namespace
