// The real veltrana under a Wayland compositor: a headless weston with its pixman renderer,
// at output scale 1 and 2. The main window, a friend page and the notifications window are
// shown and photographed (weston-screenshooter), and a second start hands its activation
// token to the running copy; without a token the window is raised as before. Orbisview's
// login runs there too; both programs name their windows after the desktop entry (app_id).
// With VELTRANA_FIGURES_DIR set, the screenshots are kept there.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <filesystem>
#include <fstream>
#include <regex>

#include "platform/settingsstore.h"
#include "support/simfriends.h"
#include "support/simserver.h"
#include "support/simsession.h"
#include "support/tempfolder.h"
#include "support/veltranasandbox.h"

namespace {

namespace fs = std::filesystem;

constexpr int kExitCommand = 32853;
constexpr int kFocusButtonCommand = 37106;  // opens the selected friend's page
constexpr int kNotificationsCommand = 32841;
constexpr int kSecondStartExit = 255;

// A headless weston on a socket of its own in this test's runtime folder.
class Weston {
 public:
  static bool installed() {
    return !QStandardPaths::findExecutable("weston").isEmpty() &&
           !QStandardPaths::findExecutable("weston-screenshooter").isEmpty();
  }
  bool start(int scale, const std::string& socket) {
    socket_ = socket;
    runtime_ = qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString();
    process_.start("weston",
                   {"--backend=headless-backend.so", "--use-pixman", "--debug", "--idle-time=0",
                    "--width=720", "--height=720", QString("--scale=%1").arg(scale),
                    QString::fromStdString("--socket=" + socket)});
    if (!process_.waitForStarted(5000)) return false;
    for (QDeadlineTimer deadline(10'000); !deadline.hasExpired(); QThread::msleep(50)) {
      if (fs::exists(runtime_ + "/" + socket)) {
        QThread::msleep(500);  // the shell's own clients come up
        return true;
      }
    }
    return false;
  }
  ~Weston() {
    process_.terminate();
    process_.waitForFinished(5000);
  }
  // The whole output as a PNG in `path`.
  bool screenshot(const std::string& path) const {
    const QString folder = QString::fromStdString(fs::path(path).parent_path());
    QDir(folder).mkpath(".");
    const QString shots = folder + "/.shots";
    QDir(shots).removeRecursively();
    QDir(shots).mkpath(".");
    QProcess shooter;
    shooter.setWorkingDirectory(shots);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("WAYLAND_DISPLAY", QString::fromStdString(socket_));
    shooter.setProcessEnvironment(env);
    shooter.start("weston-screenshooter", {});
    if (!shooter.waitForFinished(10'000) || shooter.exitCode() != 0) return false;
    const QStringList taken = QDir(shots).entryList({"*.png"});
    if (taken.isEmpty()) return false;
    fs::rename((shots + "/" + taken.first()).toStdString(), path);
    QDir(shots).removeRecursively();
    return true;
  }

 private:
  QProcess process_;
  std::string socket_, runtime_;
};

class WaylandTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    if (!Weston::installed()) GTEST_SKIP() << "weston or weston-screenshooter is missing";
    const QString plugins = QString::fromUtf8(QT_PLUGIN_FOLDER);
    if (!fs::exists((plugins + "/platforms/libqwayland-generic.so").toStdString()))
      GTEST_SKIP() << "Qt's wayland platform (qt6-wayland) is missing";
    socket_ = "veltrana-weston-" + std::to_string(GetParam());
    ASSERT_TRUE(weston_.start(GetParam(), socket_));
    ASSERT_TRUE(sim_.start({"--friends", "12", "--session-lifetime", "0"})) << sim_.error();
    const std::string dataFolder = sandbox_.installStandIn();
    sandbox_.pointAt(sim_);
    sandbox_.setEnv("QT_QPA_PLATFORM", "wayland");
    sandbox_.setEnv("WAYLAND_DISPLAY", socket_);
    sandbox_.setEnv("XDG_RUNTIME_DIR", qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString());
    sandbox_.setEnv("QT_WAYLAND_DISABLE_WINDOWDECORATION", "1");
    platform::SettingsStore settings(sandbox_.settingsPath());
    testsupport::SimSession session;
    ASSERT_TRUE(testsupport::logIn(sim_, settings, sandbox_.root(), session));
    // The placeholders, as an installation sets the DataFolder up with them.
    fs::create_directories(dataFolder + "pic_square");
    for (const auto& entry : fs::directory_iterator(VELTRANA_SOURCE_DIR "/resources/pic_square"))
      fs::copy_file(entry.path(), dataFolder + "pic_square/" + entry.path().filename().string(),
                    fs::copy_options::overwrite_existing);
    // Five best friends on the board, so that it has a friend page to open.
    std::ofstream best(dataFolder + "bf1.txt");
    const sim::Json friends = testsupport::simFriends(sim_);
    ASSERT_GE(friends.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
      best << friends[i]["uid"].get<int64_t>() << '*'
           << std::regex_replace(friends[i]["name"].get<std::string>(), std::regex("[*\r\n]"), " ")
           << "***#1\n";
    }
  }

  std::string figure(const std::string& what) const {
    const QString kept = qEnvironmentVariable("VELTRANA_FIGURES_DIR");
    const std::string folder = kept.isEmpty() ? sandbox_.root() + "/figures" : kept.toStdString();
    return folder + "/wayland-scale" + std::to_string(GetParam()) + "-" + what + ".png";
  }
  // A screenshot of what is shown now; its size in device pixels.
  QSize shoot(const std::string& what) {
    QThread::msleep(1500);  // the window's first frames reach the output
    const std::string path = figure(what);
    EXPECT_TRUE(weston_.screenshot(path)) << what;
    return QImage(QString::fromStdString(path)).size();
  }

  Weston weston_;
  std::string socket_;
  testsupport::SimServer sim_;
  VeltranaSandbox sandbox_;
};

TEST_P(WaylandTest, WindowsShowAndASecondStartHandsOverItsToken) {
  VeltranaProcess veltrana(sandbox_);
  ASSERT_TRUE(veltrana.waitForOutput("main window shown\n", 60'000))
      << veltrana.out() << veltrana.err();
  ASSERT_TRUE(veltrana.waitForOutput("first paint after", 20'000)) << veltrana.out();
  EXPECT_EQ(shoot("main"), QSize(720, 720) * GetParam());

  // A second start without a token raises the window as before; with one, it hands it over.
  {
    VeltranaProcess second(sandbox_);
    EXPECT_EQ(second.waitForExit(), kSecondStartExit) << second.out() << second.err();
  }
  EXPECT_EQ(veltrana.out().find("main window activated with a token"), std::string::npos);
  {
    VeltranaProcess second(sandbox_, {}, {{"XDG_ACTIVATION_TOKEN", "weston-test-token"}});
    EXPECT_EQ(second.waitForExit(), kSecondStartExit) << second.out() << second.err();
  }
  EXPECT_TRUE(veltrana.waitForOutput("main window activated with a token\n", 10'000))
      << veltrana.out();

  ASSERT_TRUE(postCommand(kNotificationsCommand));
  shoot("notifications");
  ASSERT_TRUE(postCommand(kExitCommand));
  EXPECT_EQ(veltrana.waitForExit(), 0) << veltrana.out() << veltrana.err();
  EXPECT_EQ(veltrana.err().find("Could not"), std::string::npos) << veltrana.err();
}

TEST_P(WaylandTest, AFriendPageShows) {
  VeltranaProcess veltrana(sandbox_);
  ASSERT_TRUE(veltrana.waitForOutput("first paint after", 60'000))
      << veltrana.out() << veltrana.err();
  ASSERT_TRUE(postCommand(kFocusButtonCommand));
  shoot("friendpage");
  EXPECT_TRUE(veltrana.running());
  ASSERT_TRUE(postCommand(kExitCommand));
  EXPECT_EQ(veltrana.waitForExit(), 0) << veltrana.out() << veltrana.err();
}

// A first start logs in through the real Orbisview, which shows the login page there.
TEST_P(WaylandTest, OrbisviewsLoginRuns) {
  testsupport::SimServer autoLogin;
  ASSERT_TRUE(autoLogin.start({"--friends", "12", "--auto-login"})) << autoLogin.error();
  VeltranaSandbox sandbox;
  const std::string folder = sandbox.install();
  fs::remove(folder + "orbisview");
  fs::create_symlink(ORBISVIEW_PROGRAM, folder + "orbisview");
  sandbox.pointAt(autoLogin);
  for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR",
                           "QT_WAYLAND_DISABLE_WINDOWDECORATION"})
    sandbox.setEnv(name, sandbox_.environment().value(name).toStdString());
  // The compositor's record of what its clients ask: each program names the desktop entry.
  QProcess protocol;
  const std::string protocolLog = sandbox.root() + "/protocol.log";
  if (!QStandardPaths::findExecutable("weston-debug").isEmpty()) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("WAYLAND_DISPLAY", QString::fromStdString(socket_));
    protocol.setProcessEnvironment(env);
    // Into a file: a pipe left unread would fill and hold the compositor up.
    protocol.setStandardOutputFile(QString::fromStdString(protocolLog));
    protocol.start("weston-debug", {"proto"});
    protocol.waitForStarted(5000);
  }
  VeltranaProcess veltrana(sandbox);
  ASSERT_TRUE(veltrana.waitForOutput("client_url in MMF in example = ", 60'000))
      << veltrana.out() << veltrana.err();
  shoot("orbisview-login");

  ASSERT_TRUE(veltrana.waitForOutput("PrepareMainWindowPictures()", 120'000))
      << veltrana.out() << veltrana.err();
  EXPECT_NE(veltrana.out().find("Getting session key\n"), std::string::npos);
  ASSERT_TRUE(veltrana.waitForOutput("main window shown\n", 60'000)) << veltrana.out();
  ASSERT_TRUE(postCommand(kExitCommand));
  EXPECT_EQ(veltrana.waitForExit(), 0) << veltrana.out() << veltrana.err();
  if (protocol.state() == QProcess::Running) {
    protocol.terminate();
    protocol.waitForFinished(5000);
    const std::string asked = testsupport::readWhole(protocolLog);
    // Orbisview's login window and Veltrana's main window.
    EXPECT_GE(testsupport::occurrences(asked, "set_app_id(\"com.corvanta.veltrana\")"), 2)
        << asked.substr(0, 4000);
    for (const char* other : {"set_app_id(\"orbisview\")", "set_app_id(\"veltrana\")"})
      EXPECT_EQ(asked.find(other), std::string::npos) << other;
  }
}

INSTANTIATE_TEST_SUITE_P(Scale, WaylandTest, testing::Values(1, 2),
                         [](const auto& row) { return "x" + std::to_string(row.param); });

}  // namespace
