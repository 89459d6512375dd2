// The session's key and secret in a real desktop keyring: gnome-keyring-daemon, unlocked, on
// the private session bus this test runs on. After a login the pair is in the keyring and
// not in registry.db, a second start reuses it, a session an older build left in the store
// moves into the keyring, and without the keyring service the store keeps it as before.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/settingskeys.h"
#include "platform/settingsstore.h"
#include "support/simserver.h"
#include "support/veltranasandbox.h"

namespace {

namespace fs = std::filesystem;
namespace keys = platform::keys;

constexpr int kExitCommand = 32853;

// The keyring of one test: its own data and control folders, unlocked with a password.
class Keyring {
 public:
  explicit Keyring(const std::string& root) : root_(root) {}
  ~Keyring() { stop(); }

  // `unlock`: with the password on its input, as a desktop login does; else the keyring
  // made before stays locked and, with no prompter on the bus, the user never opens it.
  bool start(bool unlock = true) {
    fs::create_directories(root_ + "/data");
    fs::create_directories(root_ + "/run");
    fs::permissions(root_ + "/run", fs::perms::owner_all);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", QString::fromStdString(root_ + "/data"));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(root_ + "/run"));
    daemon_.setProcessEnvironment(env);
    QStringList args = {"--foreground", "--components=secrets"};
    if (unlock) args << "--unlock";
    daemon_.start("gnome-keyring-daemon", args);
    if (!daemon_.waitForStarted(5000)) return false;
    // The password, then the end of its input: written out here, as no event loop runs.
    if (unlock) daemon_.write("pw");
    daemon_.waitForBytesWritten(5000);
    daemon_.closeWriteChannel();
    for (int i = 0; i < 100; ++i) {
      if (lookup("Veltrana_none").has_value()) return true;  // the service answers
      QThread::msleep(100);
    }
    std::fprintf(stderr, "gnome-keyring-daemon: %s%s\n",
                 daemon_.readAllStandardOutput().constData(),
                 daemon_.readAllStandardError().constData());
    return false;
  }
  void stop() {
    if (daemon_.state() == QProcess::NotRunning) return;
    daemon_.terminate();
    daemon_.waitForFinished(5000);
  }

  // The value QtKeychain keeps for `name`: "" when absent, nullopt when the service fails.
  static std::optional<std::string> lookup(const std::string& name) {
    QProcess tool;
    tool.start("secret-tool",
               {"lookup", "server", "Veltrana", "user", QString::fromStdString(name)});
    if (!tool.waitForFinished(10'000)) return std::nullopt;
    const std::string out = tool.readAllStandardOutput().toStdString();
    const std::string err = tool.readAllStandardError().toStdString();
    if (tool.exitCode() != 0 && !err.empty()) return std::nullopt;
    return out;
  }
  // The labels of the entries QtKeychain keeps for the program, sorted: what a keyring
  // manager lists.
  static std::vector<std::string> labels() {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start("secret-tool", {"search", "--all", "server", "Veltrana"});
    if (!tool.waitForFinished(10'000)) return {"<no answer>"};
    std::vector<std::string> found;
    for (const QByteArray& line : tool.readAllStandardOutput().split('\n'))
      if (line.startsWith("label = ")) found.push_back(line.mid(8).toStdString());
    std::sort(found.begin(), found.end());
    return found;
  }
  static bool clear(const std::string& name) {
    return QProcess::execute("secret-tool", {"clear", "server", "Veltrana", "user",
                                             QString::fromStdString(name)}) == 0;
  }

 private:
  std::string root_;
  QProcess daemon_;
};

// What registry.db itself holds, read without any keyring.
std::string stored(const std::string& db, const char* name) {
  platform::SettingsStore store(db);
  const auto key = store.openKey(keys::kFacebook);
  if (!key) return "<no key>";
  const auto value = store.readString(*key, name);
  return value ? platform::toUtf8(*value) : "<missing>";
}

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::u16string utf16Bytes(const std::string& text) { return platform::toUtf16(text); }

class KeyringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") ||
        QStandardPaths::findExecutable("gnome-keyring-daemon").isEmpty() ||
        QStandardPaths::findExecutable("secret-tool").isEmpty())
      GTEST_SKIP() << "a session bus (dbus-run-session), gnome-keyring or libsecret-tools is "
                      "missing";
    ASSERT_TRUE(sim.start({"--friends", "12", "--auto-login"})) << sim.error();
    const std::string folder = sandbox.install();
    fs::remove(folder + "orbisview");
    fs::create_symlink(FAKE_BROWSER, folder + "orbisview");
    sandbox.setEnv("FAKE_BROWSER_MODE", "login");
    sandbox.pointAt(sim);
  }

  // One run up to the board, ended by Exit; its standard output and error.
  std::string run() {
    VeltranaProcess veltrana(sandbox);
    EXPECT_TRUE(veltrana.waitForOutput("PrepareMainWindowPictures()", 120'000))
        << veltrana.out() << veltrana.err();
    EXPECT_TRUE(postCommand(kExitCommand));
    EXPECT_EQ(veltrana.waitForExit(), 0);
    return veltrana.out() + veltrana.err();
  }

  testsupport::SimServer sim;
  VeltranaSandbox sandbox;
};

TEST_F(KeyringTest, ALoginKeepsThePairInTheKeyringAndTheNextStartReusesIt) {
  Keyring keyring(sandbox.root() + "/keyring");
  ASSERT_TRUE(keyring.start());
  const std::string first = run();
  EXPECT_NE(first.find("Getting session key\n"), std::string::npos) << first;
  EXPECT_EQ(first.find("No desktop keyring"), std::string::npos) << first;
  const auto key = Keyring::lookup(keys::kSessionKey);
  const auto secret = Keyring::lookup(keys::kSessionSecret);
  ASSERT_TRUE(key && secret);
  EXPECT_EQ(key->size(), 32u);
  EXPECT_GE(secret->size(), 8u);
  EXPECT_EQ(stored(sandbox.settingsPath(), keys::kSessionKey), "<missing>");
  EXPECT_EQ(stored(sandbox.settingsPath(), keys::kSessionSecret), "<missing>");
  // Each entry says what it is, not only whose.
  EXPECT_EQ(Keyring::labels(),
            (std::vector<std::string>{"Veltrana session key", "Veltrana session secret"}));
  const std::u16string wide = utf16Bytes(*secret);
  const std::string secretBytes(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
  EXPECT_EQ(fileBytes(sandbox.settingsPath()).find(secretBytes), std::string::npos);

  const std::string second = run();
  EXPECT_NE(second.find("Session in registry. Browser not opened.\n"), std::string::npos) << second;
  EXPECT_EQ(second.find("Getting token"), std::string::npos) << second;
}

TEST_F(KeyringTest, AnOlderBuildsSessionMovesIntoTheKeyring) {
  // As an older build left it: no keyring answered, so the store kept the pair.
  run();
  const std::string key = stored(sandbox.settingsPath(), keys::kSessionKey);
  ASSERT_EQ(key.size(), 32u);
  Keyring keyring(sandbox.root() + "/keyring");
  ASSERT_TRUE(keyring.start());
  const std::string moved = run();
  EXPECT_NE(moved.find("Session in registry. Browser not opened.\n"), std::string::npos) << moved;
  EXPECT_EQ(Keyring::lookup(keys::kSessionKey), key);
  EXPECT_EQ(stored(sandbox.settingsPath(), keys::kSessionKey), "<missing>");
  EXPECT_EQ(stored(sandbox.settingsPath(), keys::kSessionSecret), "<missing>");
}

TEST_F(KeyringTest, ALockedKeyringLeftClosedLeavesThePairInTheStore) {
  const std::string folder = sandbox.root() + "/keyring";
  {
    Keyring made(folder);  // the login keyring, with its password
    ASSERT_TRUE(made.start());
  }
  Keyring locked(folder);
  ASSERT_TRUE(locked.start(false));
  const std::string out = run();
  EXPECT_EQ(stored(sandbox.settingsPath(), keys::kSessionKey).size(), 32u);
  EXPECT_GE(stored(sandbox.settingsPath(), keys::kSessionSecret).size(), 8u);
  const std::size_t said = out.find("No desktop keyring (");
  ASSERT_NE(said, std::string::npos) << out;
  EXPECT_NE(out.find("locked", said), std::string::npos) << out;
  EXPECT_EQ(out.find("No desktop keyring (", said + 1), std::string::npos) << out;
}

// A locked keyring answers "not found" for the pair it keeps: that is no missing session,
// so the start stops with the box and logs nobody in anew (which would replace the pair).
TEST_F(KeyringTest, ASessionInALockedKeyringStopsTheStartAndLogsInNobody) {
  const std::string folder = sandbox.root() + "/keyring";
  std::optional<std::string> key;
  {
    Keyring unlocked(folder);
    ASSERT_TRUE(unlocked.start());
    run();
    key = Keyring::lookup(keys::kSessionKey);
    ASSERT_TRUE(key);
    ASSERT_EQ(key->size(), 32u);
  }
  Keyring locked(folder);
  ASSERT_TRUE(locked.start(false));
  VeltranaProcess veltrana(sandbox);
  EXPECT_EQ(veltrana.waitForExit(60'000), 58);
  const std::string out = veltrana.out() + veltrana.err();
  EXPECT_NE(out.find("Error: Veltrana cannot read its session from the desktop keyring (Secret "
                     "Service): the keyring is locked."),
            std::string::npos)
      << out;
  EXPECT_EQ(out.find("Getting token"), std::string::npos) << out;
  EXPECT_EQ(out.find("Launching login"), std::string::npos) << out;
  EXPECT_EQ(stored(sandbox.settingsPath(), keys::kSessionKey), "<missing>");
  locked.stop();
  Keyring again(folder);
  ASSERT_TRUE(again.start());
  EXPECT_EQ(Keyring::lookup(keys::kSessionKey), key);
}

// A keyring daemon that hangs: the wait for it ends, and the session it keeps is out of reach,
// not missing, so the start stops with the box and logs nobody in anew.
TEST_F(KeyringTest, ASessionInAKeyringThatNeverAnswersStopsTheStartAndLogsInNobody) {
  if (QProcess::execute("/usr/bin/python3", {"-c", "import dbus, gi"}) != 0)
    GTEST_SKIP() << "python3-dbus or python3-gi is missing";
  {
    Keyring unlocked(sandbox.root() + "/keyring");
    ASSERT_TRUE(unlocked.start());
    run();
    ASSERT_EQ(Keyring::lookup(keys::kSessionKey).value_or("").size(), 32u);
  }
  QProcess silent;
  silent.start("/usr/bin/python3", {SILENT_SECRETS});
  ASSERT_TRUE(silent.waitForReadyRead(10'000)) << silent.readAllStandardError().constData();
  VeltranaProcess veltrana(sandbox);
  EXPECT_EQ(veltrana.waitForExit(60'000), 58);
  const std::string out = veltrana.out() + veltrana.err();
  EXPECT_NE(out.find("Error: Veltrana cannot read its session from the desktop keyring (Secret "
                     "Service): no answer within 10 s."),
            std::string::npos)
      << out;
  EXPECT_EQ(out.find("Getting token"), std::string::npos) << out;
  EXPECT_EQ(stored(sandbox.settingsPath(), keys::kSessionKey), "<missing>");
  silent.kill();
  silent.waitForFinished(5000);
}

TEST_F(KeyringTest, WithoutTheServiceTheStoreKeepsThePairAndSaysWhyOnce) {
  const std::string out = run();
  EXPECT_EQ(stored(sandbox.settingsPath(), keys::kSessionKey).size(), 32u);
  const std::size_t said = out.find("No desktop keyring (");
  ASSERT_NE(said, std::string::npos) << out;
  EXPECT_EQ(out.find("No desktop keyring (", said + 1), std::string::npos) << out;
  EXPECT_NE(out.find("): the session is kept in the settings store.\n"), std::string::npos);
}

}  // namespace
