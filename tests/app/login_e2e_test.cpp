// The whole login with the real programs: the simulator with its automatic login, the real
// companion browser, and veltrana's session decision from empty settings; then a second
// start that reuses the stored session without opening the browser.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "platform/settingskeys.h"
#include "platform/settingsstore.h"
#include "platform/windowdirectory.h"
#include "support/simserver.h"
#include "support/veltranasandbox.h"

namespace {

namespace fs = std::filesystem;
namespace keys = platform::keys;

constexpr int kExitCommand = 32853;
constexpr int kStatusCommand = 32786;
constexpr int kHelpCommand = 32878;

std::string storedString(const std::string& db, const char* key, const char* name) {
  platform::SettingsStore store(db);
  const auto k = store.openKey(key);
  if (!k) return "<no key>";
  const auto value = store.readString(*k, name);
  return value ? platform::toUtf8(*value) : "<missing>";
}

// The login token as the login trace VT_LOG.TXT in `documents` recorded it.
std::string tracedToken(const std::string& documents) {
  std::ifstream trace(documents + "/VT_LOG.TXT");
  const std::string label = "   auth_token=";
  for (std::string line; std::getline(trace, line);) {
    if (const std::size_t at = line.find(label); at != std::string::npos)
      return line.substr(at + label.size());
  }
  return {};
}

// Standard output and error go to the journal: they hold no secret, but still the lines that
// carry one, with "[hidden]" in its place.
void expectNoSecretPrinted(const std::string& printed, const std::vector<std::string>& secrets,
                           const std::vector<std::string>& hiddenLines) {
  for (const std::string& secret : secrets) {
    ASSERT_GE(secret.size(), 8u) << secret;
    EXPECT_EQ(printed.find(secret), std::string::npos) << secret << " in:\n" << printed;
  }
  for (const std::string& line : hiddenLines)
    EXPECT_NE(printed.find(line), std::string::npos) << line << " missing in:\n" << printed;
}

void expectInOrder(const std::string& text, std::initializer_list<const char*> lines) {
  size_t at = 0;
  for (const char* line : lines) {
    at = text.find(line, at);
    ASSERT_NE(at, std::string::npos) << "\"" << line << "\" missing or out of order in:\n" << text;
  }
}

TEST(LoginEndToEnd, FirstStartLogsInThroughTheBrowserAndTheNextReusesTheSession) {
  testsupport::SimServer sim;
  ASSERT_TRUE(sim.start({"--friends", "12", "--auto-login"})) << sim.error();
  VeltranaSandbox sandbox;
  const std::string folder = sandbox.install();
  fs::remove(folder + "orbisview");
  fs::create_symlink(ORBISVIEW_PROGRAM, folder + "orbisview");
  sandbox.pointAt(sim);
  const std::string documents = sandbox.root() + "/documents";
  fs::create_directories(documents);
  sandbox.setEnv("XDG_DOCUMENTS_DIR", documents);
  std::vector<std::string> secrets;

  const auto started = std::chrono::steady_clock::now();
  {
    VeltranaProcess veltrana(sandbox);
    ASSERT_TRUE(veltrana.waitForOutput("PrepareMainWindowPictures()", 120'000))
        << veltrana.out() << veltrana.err();
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("login to the first board: %.1f s\n", seconds);
    expectInOrder(veltrana.out(), {"Getting token\n",
                                   "Launching login, please type something and hit enter "
                                   "after login\n",
                                   "client_url in MMF in example = ", "Getting session key\n",
                                   "Getting friend list", "LastUpdate was written to registry"});
    // The browser went to the login address and was closed after the login.
    EXPECT_NE(veltrana.out().find("my_login_url = " + sim.loginUrl()), std::string::npos);
    EXPECT_FALSE(platform::findWindow("VoraRUR.MainWindow"));
    EXPECT_EQ(storedString(sandbox.settingsPath(), keys::kVersion, keys::kRelease), "1.0");
    EXPECT_EQ(storedString(sandbox.settingsPath(), keys::kFacebook, keys::kSessionKey).size(), 32u);
    ASSERT_TRUE(postCommand(kExitCommand));
    EXPECT_EQ(veltrana.waitForExit(), 0);
    // The end folded the log into the file: registry.db alone (a backup that left out its
    // -wal) holds the session. Copied before this process opens the store again.
    const std::string log = sandbox.settingsPath() + "-wal";
    EXPECT_TRUE(!fs::exists(log) || fs::file_size(log) == 0);
    const std::string alone = sandbox.root() + "/backup/registry.db";
    fs::create_directories(fs::path(alone).parent_path());
    fs::copy_file(sandbox.settingsPath(), alone);
    EXPECT_EQ(storedString(alone, keys::kFacebook, keys::kSessionKey).size(), 32u);
    secrets = {tracedToken(documents),
               storedString(sandbox.settingsPath(), keys::kFacebook, keys::kSessionKey),
               storedString(sandbox.settingsPath(), keys::kFacebook, keys::kSessionSecret)};
    expectNoSecretPrinted(veltrana.out() + veltrana.err(), secrets,
                          {"client_url in MMF in example = " + sim.loginUrl() + "[hidden]\n",
                           "my_login_url = " + sim.loginUrl() + "[hidden]\n",
                           "method=facebook.auth.getSession&sig=[hidden]&v=1.0\n",
                           "&session_key=[hidden]&sig=[hidden]&v=1.0\n"});
  }
  {
    VeltranaProcess veltrana(sandbox);
    ASSERT_TRUE(veltrana.waitForOutput("PrepareMainWindowPictures()", 60'000))
        << veltrana.out() << veltrana.err();
    EXPECT_NE(veltrana.out().find("Session in registry. Browser not opened.\n"), std::string::npos);
    EXPECT_EQ(veltrana.out().find("Getting token"), std::string::npos);
    ASSERT_TRUE(postCommand(kExitCommand));
    EXPECT_EQ(veltrana.waitForExit(), 0);
    expectNoSecretPrinted(veltrana.out() + veltrana.err(), secrets,
                          {"&session_key=[hidden]&sig=[hidden]&v=1.0\n"});
  }
  {
    // The menu's "Status" opens its dialog, which asks for the user's status and first name.
    // The dialog holds the window's messages until it closes, so the run is ended from here.
    VeltranaProcess veltrana(sandbox);
    ASSERT_TRUE(veltrana.waitForOutput("PrepareMainWindowPictures()", 60'000));
    ASSERT_TRUE(postCommand(kStatusCommand));
    // Read from the server's log: the program's output reaches the pipe only in blocks.
    bool asked = false;
    for (int i = 0; i < 200 && !asked; ++i) {
      asked = sim.request("GET", "/_sim/requests")
                  .body.find("select status,first_name from user where uid =") != std::string::npos;
      if (!asked) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_TRUE(asked);
  }
}

// The start-up login waits up to 3 minutes for a browser that never reports the login. A
// signal in that wait ends the program at once as Exit does (it was held until the wait ran
// out, then the program blamed the user and ended with 38); a browser that dies in it ends the
// login as the browser's own Exit does.
TEST(LoginEndToEnd, TheLoginWaitEndsAtOnceOnASignalOrTheBrowsersDeath) {
  struct Case {
    const char* title;
    const char* mode;
    int signal;  // 0: none is sent
    int exitCode;
    const char* box;  // the box the log shows, or nothing
  };
  const Case cases[] = {
      {"SIGTERM", "silent", SIGTERM, 0, ""},
      {"SIGINT", "silent", SIGINT, 0, ""},
      {"SIGHUP", "silent", SIGHUP, 0, ""},
      {"browser died", "crash", 0, 37,
       "Error: Internet Browser was closed without login, please try Veltrana later"},
  };
  testsupport::SimServer sim;
  ASSERT_TRUE(sim.start({"--friends", "12"})) << sim.error();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    VeltranaSandbox sandbox;
    const std::string folder = sandbox.install();
    fs::remove(folder + "orbisview");
    fs::create_symlink(FAKE_BROWSER, folder + "orbisview");
    sandbox.setEnv("FAKE_BROWSER_MODE", c.mode);
    sandbox.pointAt(sim);
    VeltranaProcess veltrana(sandbox, {"--test-login-waits=5000,10,120000,10"});
    ASSERT_TRUE(veltrana.waitForOutput("client_url in MMF in example = ", 60'000))
        << veltrana.out() << veltrana.err();
    // Into the login wait: the navigate message has been answered.
    veltrana.waitForOutput("\x01", 1000);
    if (c.signal != 0) veltrana.signal(c.signal);
    EXPECT_EQ(veltrana.waitForExit(5000), c.exitCode) << veltrana.out() << veltrana.err();
    EXPECT_EQ(veltrana.err().find("We did not receive your login"), std::string::npos);
    if (*c.box) {
      EXPECT_NE(veltrana.err().find(c.box), std::string::npos) << veltrana.err();
    } else {
      EXPECT_EQ(veltrana.err().find("Error: "), std::string::npos) << veltrana.err();
    }
  }
}

// A volume in the user's media folder holding "Program Files/Veltrana/orbisview" is a
// DataFolder like any other, but its program never runs and its help page never shows: the
// login opens the helper of the installation the running veltrana belongs to, and Help that
// installation's page.
TEST(LoginEndToEnd, AProgramOnAStorageCardNeverRunsTheInstallationsHelperDoes) {
  testsupport::SimServer sim;
  ASSERT_TRUE(sim.start({"--friends", "12", "--auto-login"})) << sim.error();
  VeltranaSandbox sandbox;
  // An installation of its own: veltrana copied into bin/ (it finds the rest from its own
  // path), the stand-in browser as the helper, an empty image.
  const fs::path bin = sandbox.root() + "/prefix/bin";
  fs::create_directories(bin);
  fs::copy_file(VELTRANA_PROGRAM, bin / "veltrana");
  const fs::path helper = bin / VELTRANA_HELPER_FROM_BIN / "orbisview";
  fs::create_directories(helper.parent_path());
  fs::create_symlink(FAKE_BROWSER, helper);
  const fs::path image = bin / VELTRANA_IMAGE_FROM_BIN;
  fs::create_directories(image);
  sandbox.useProgram(bin / "veltrana");
  // The card's program leaves a mark, then logs in as the helper would.
  const std::string card = sandbox.root() + "/card";
  const std::string cardFolder = VeltranaSandbox::install(card + "/Program Files");
  const std::string marker = sandbox.root() + "/ran-from-card";
  std::ofstream(cardFolder + "orbisview", std::ios::trunc)
      << "#!/bin/sh\necho ran > '" << marker << "'\nexec '" << FAKE_BROWSER << "'\n";
  std::ofstream(cardFolder + "help.html") << "<script>/* reads the user's files */</script>";
  const std::string record = sandbox.root() + "/browser.txt";
  sandbox.setEnv("VELTRANA_STORAGE_CARDS", card);
  sandbox.setEnv("FAKE_BROWSER_MODE", "login");
  sandbox.setEnv("FAKE_BROWSER_RECORD", record);
  sandbox.pointAt(sim);

  VeltranaProcess veltrana(sandbox);
  ASSERT_TRUE(veltrana.waitForOutput("PrepareMainWindowPictures()", 120'000))
      << veltrana.out() << veltrana.err();
  // The card still holds the DataFolder.
  EXPECT_TRUE(fs::exists(cardFolder + "bf.txt"));
  ASSERT_TRUE(postCommand(kHelpCommand));
  const std::string helpLine =
      "navigate file://" + (image / "help.html").lexically_normal().string();
  std::string received;
  for (int i = 0; i < 100 && received.find(helpLine) == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::ifstream in(record);
    received.assign(std::istreambuf_iterator<char>(in), {});
  }
  EXPECT_FALSE(fs::exists(marker));
  EXPECT_NE(received.find("navigate " + sim.loginUrl()), std::string::npos) << received;
  EXPECT_NE(received.find(helpLine), std::string::npos) << received;
  EXPECT_EQ(received.find("/card/"), std::string::npos) << received;
  ASSERT_TRUE(postCommand(kExitCommand));
  EXPECT_EQ(veltrana.waitForExit(), 0);
}

}  // namespace
