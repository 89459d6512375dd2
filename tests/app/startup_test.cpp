// The start-up path in real processes, in the message-box log mode: what it shows, what it
// prints, what it deletes and how it ends. Runs that must reach the main window use the
// start-up path without the program's hooks (no social network behind it).
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <vector>

#include "platform/settingskeys.h"
#include "platform/settingsstore.h"
#include "support/damagedstore.h"
#include "support/veltranasandbox.h"

namespace fs = std::filesystem;
using platform::toUtf16;

namespace {

constexpr int kExit = 32853;
const char* kWelcome =
    "Veltrana: Welcome to the new edition of Veltrana. You will need to have a data plan to "
    "work with this application.\n";
const char* kNoNetwork =
    "Veltrana: Please check your Internet connection and try Veltrana again!\n";
const char* kNotInstalled =
    "Error: We cannot find Veltrana installation in memory. If you installed it on a memory "
    "card, insert the memory card\n";

void touch(const std::string& path) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path) << "x*\n";
}

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Runs the program until its window exists, then leaves it by "Exit"; its exit code.
int runAndExit(VeltranaProcess& run) {
  if (!run.waitForWindow()) return VeltranaProcess::kTimedOut;
  EXPECT_TRUE(postCommand(kExit));
  return run.waitForExit();
}

void writeSession(const std::string& dbPath, bool withVersion, const char* lastUpdate) {
  platform::SettingsStore store(dbPath);
  ASSERT_TRUE(store.ok());
  auto facebook = store.createKey(platform::keys::kFacebook);
  ASSERT_TRUE(facebook);
  store.writeString(*facebook, platform::keys::kSessionKey, toUtf16("key"));
  store.writeNumber(*facebook, platform::keys::kFcount, 12);
  if (lastUpdate) store.writeString(*facebook, platform::keys::kLastUpdate, toUtf16(lastUpdate));
  if (withVersion) {
    auto version = store.createKey(platform::keys::kVersion);
    ASSERT_TRUE(version);
    store.writeString(*version, platform::keys::kRelease, toUtf16("1.0"));
  }
}

}  // namespace

TEST(Startup, NoNetworkPathShowsItsMessageAndEndsWith37) {
  VeltranaSandbox sandbox;
  sandbox.install();
  sandbox.setEnv("VELTRANA_MOBILE_URL", "http://no-such-host.invalid");
  VeltranaProcess run(sandbox, {}, {}, kProgram);
  EXPECT_EQ(run.waitForExit(), 37);
  EXPECT_TRUE(has(run.err(), kNoNetwork)) << run.err();
  // The check comes before the settings are opened.
  EXPECT_FALSE(fs::exists(sandbox.settingsPath()));
}

TEST(Startup, NoInstallationShowsItsMessageAndEndsWith56) {
  VeltranaSandbox sandbox;
  fs::create_directories(sandbox.dataFolder());  // the folder alone is no installation
  VeltranaProcess run(sandbox, {}, {}, kProgram);
  EXPECT_EQ(run.waitForExit(), 56);
  EXPECT_TRUE(has(run.err(), kNotInstalled)) << run.err();
  EXPECT_FALSE(has(run.err(), "Veltrana: Welcome"));
}

TEST(Startup, EmptySettingsShowTheWelcomeAndExitEndsWith0) {
  VeltranaSandbox sandbox;
  sandbox.install();
  VeltranaProcess run(sandbox, {}, {}, kStartupOnly);
  EXPECT_EQ(runAndExit(run), 0);
  EXPECT_TRUE(has(run.err(), kWelcome)) << run.err();
  EXPECT_FALSE(has(run.out(), "LastUpdate"));
}

TEST(Startup, EditionWipeDropsSettingsAndTextFilesOfTheDataFolderOnly) {
  VeltranaSandbox sandbox;
  const std::string data = sandbox.install();
  writeSession(sandbox.settingsPath(), /*withVersion=*/false, "4/3/2009  9:5");
  const std::vector<std::string> gone = {"bf.txt", "bf1.txt", "status.txt", "NOTES.TXT"};
  const std::vector<std::string> kept = {
      "pic_square/123.txt", "pic_square/123.jpg", "pic/9.txt", "pic_big/9.jpg",
      "bf.txt.bak",         "help.html",          "txt"};
  for (const auto& name : gone) touch(data + name);
  for (const auto& name : kept) touch(data + name);
  fs::create_directories(data + "folder.txt");

  VeltranaProcess run(sandbox, {}, {}, kStartupOnly);
  EXPECT_EQ(runAndExit(run), 0);

  for (const auto& name : gone) EXPECT_FALSE(fs::exists(data + name)) << name;
  for (const auto& name : kept) EXPECT_TRUE(fs::exists(data + name)) << name;
  EXPECT_TRUE(fs::is_directory(data + "folder.txt"));
  EXPECT_TRUE(fs::exists(data + "orbisview"));
  platform::SettingsStore store(sandbox.settingsPath());
  EXPECT_FALSE(store.openKey(platform::keys::kCorvanta));
  EXPECT_FALSE(store.openKey(platform::keys::kFacebook));
  // With the session gone the user is greeted as new.
  EXPECT_TRUE(has(run.err(), kWelcome)) << run.err();
}

// A store that cannot be opened looks like one without the edition mark: the start must stop
// before the edition check would take bf1.txt and the other files for an older edition's.
TEST(Startup, AnUnopenableSettingsStoreStopsTheStartAndDeletesNothing) {
  struct Case {
    const char* name;
    // Spoils the store of `sandbox`; returns what keeps it spoiled while the program runs.
    std::function<std::shared_ptr<void>(VeltranaSandbox&)> spoil;
    const char* reason;  // nullptr: whatever the system says
  };
  const Case cases[] = {
      {"its folder cannot be written",
       [](VeltranaSandbox& sandbox) -> std::shared_ptr<void> {
         // Root writes anywhere it may: there only a folder in /proc stays closed.
         if (::geteuid() == 0) {
           sandbox.setEnv("XDG_CONFIG_HOME", "/proc/veltrana-config");
         } else {
           fs::permissions(sandbox.configHome(), fs::perms::owner_read | fs::perms::owner_exec);
         }
         return nullptr;
       },
       nullptr},
      {"the file is a folder",
       [](VeltranaSandbox& sandbox) -> std::shared_ptr<void> {
         fs::create_directories(sandbox.settingsPath());
         return nullptr;
       },
       "Is a directory"},
      {"the database is corrupt",
       [](VeltranaSandbox& sandbox) -> std::shared_ptr<void> {
         fs::create_directories(fs::path(sandbox.settingsPath()).parent_path());
         std::ofstream(sandbox.settingsPath()) << std::string(8192, '~');
         return nullptr;
       },
       "file is not a database"},
      {"another holds its lock past the busy time-out",
       [](VeltranaSandbox& sandbox) -> std::shared_ptr<void> {
         writeSession(sandbox.settingsPath(), /*withVersion=*/true, nullptr);
         sqlite3* db = nullptr;
         sqlite3_open(sandbox.settingsPath().c_str(), &db);
         EXPECT_EQ(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
         return std::shared_ptr<void>(
             db, [](void* held) { sqlite3_close(static_cast<sqlite3*>(held)); });
       },
       "database is locked"},
  };
  const std::vector<std::string> files = {
      "bf.txt",    "bf1.txt",    "vt_s.txt",  "rel.txt",
      "bdate.txt", "status.txt", "NOTES.TXT", "pic_square/1001.jpg"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VeltranaSandbox sandbox;
    const std::string data = sandbox.install();
    for (const auto& name : files) touch(data + name);
    const auto hold = c.spoil(sandbox);
    const std::string path = ::geteuid() == 0 && !c.reason
                                 ? "/proc/veltrana-config/Veltrana/registry.db"
                                 : sandbox.settingsPath();

    VeltranaProcess run(sandbox, {}, {}, kProgram);
    EXPECT_EQ(run.waitForExit(30000), 58);
    const std::string box = "Error: Veltrana cannot open its settings: " + path + ": ";
    EXPECT_TRUE(has(run.err(), box + (c.reason ? c.reason : ""))) << run.err();
    EXPECT_FALSE(has(run.err(), "Veltrana: Welcome"));
    for (const auto& name : files) EXPECT_TRUE(fs::exists(data + name)) << name;
    fs::permissions(sandbox.configHome(), fs::perms::owner_all);
  }
}

namespace {

// Every file below `folder`: its size, a digest of its bytes and its modification time.
std::map<std::string, std::string> snapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    files[entry.path().string()] =
        std::to_string(bytes.size()) + " bytes, digest " +
        std::to_string(std::hash<std::string>{}(bytes)) + ", written " +
        std::to_string(entry.last_write_time().time_since_epoch().count());
  }
  return files;
}

}  // namespace

// A store that opens but whose pages are damaged cannot say whether the edition mark, the
// settings or the session are there: the start stops with the box naming the file and the
// reason, greets nobody and changes no file of the DataFolder.
TEST(Startup, ADamagedSettingsStoreStopsTheStartAndChangesNoFile) {
  struct Case {
    const char* name;
    std::vector<std::string> trees;  // empty: every page but the schema
  } cases[] = {
      {"every page", {}},
      {"the keys (the edition mark)", testsupport::kKeyTrees},
      {"the values (LastUpdate, the session)", testsupport::kValueTrees},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VeltranaSandbox sandbox;
    const std::string data = sandbox.install();
    writeSession(sandbox.settingsPath(), /*withVersion=*/true, "4/3/2009  9:5");
    for (const char* name : {"bf.txt", "bf1.txt", "vt_s.txt", "rel.txt", "bdate.txt", "status.txt",
                             "pic_square/1001.jpg", "pic/1001.jpg"})
      touch(data + name);
    ASSERT_TRUE(testsupport::damageStore(sandbox.settingsPath(), c.trees));
    const auto before = snapshot(data);

    VeltranaProcess run(sandbox, {}, {}, kProgram);
    EXPECT_EQ(run.waitForExit(30000), 58);
    EXPECT_TRUE(has(run.err(), "Error: Veltrana cannot read its settings: " +
                                   sandbox.settingsPath() + ": database disk image is malformed\n"))
        << run.err();
    EXPECT_FALSE(has(run.err(), "Veltrana: Welcome"));
    EXPECT_FALSE(has(run.out(), "LastUpdate"));
    EXPECT_EQ(snapshot(data), before);
  }
}

// A store file without settings beside the cache files of an earlier run lost its settings
// (a backup of registry.db without its -wal, a file emptied): the start stops with the box
// and deletes nothing, now and at the next start, instead of wiping them as a first start.
TEST(Startup, AStoreThatLostItsSettingsBesideCacheFilesStopsTheStartAndDeletesNothing) {
  // The run's writes in the -wal of a store still open, as a crash leaves them.
  const auto copiedFromOpenStore = [](VeltranaSandbox& sandbox, bool withDamagedLog) {
    const std::string source = sandbox.root() + "/source/registry.db";
    fs::create_directories(fs::path(source).parent_path());
    platform::SettingsStore open(source);
    auto version = open.createKey(platform::keys::kVersion);
    ASSERT_TRUE(version);
    open.writeString(*version, platform::keys::kRelease, toUtf16("1.0"));
    fs::copy_file(source, sandbox.settingsPath());
    if (!withDamagedLog) return;
    fs::copy_file(source + "-wal", sandbox.settingsPath() + "-wal");
    std::fstream log(sandbox.settingsPath() + "-wal", std::ios::in | std::ios::out);
    log << std::string(32, '~');
  };
  struct Case {
    const char* name;
    std::function<void(VeltranaSandbox&)> spoil;
  } cases[] = {
      {"an empty file", [](VeltranaSandbox& s) { std::ofstream(s.settingsPath()).flush(); }},
      {"its -wal deleted", [&](VeltranaSandbox& s) { copiedFromOpenStore(s, false); }},
      {"its -wal damaged", [&](VeltranaSandbox& s) { copiedFromOpenStore(s, true); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VeltranaSandbox sandbox;
    const std::string data = sandbox.install();
    for (const char* name : {"bf.txt", "bf1.txt", "rel.txt", "status.txt", "pic/1001.jpg"})
      touch(data + name);
    fs::create_directories(fs::path(sandbox.settingsPath()).parent_path());
    c.spoil(sandbox);
    const auto before = snapshot(data);
    for (int start = 0; start < 2; ++start) {
      VeltranaProcess run(sandbox, {}, {}, kProgram);
      EXPECT_EQ(run.waitForExit(30000), 58);
      EXPECT_TRUE(has(run.err(), "Error: Veltrana cannot read its settings: " +
                                     sandbox.settingsPath() + ": the file holds no settings"))
          << run.err();
      EXPECT_FALSE(has(run.err(), "Veltrana: Welcome"));
      EXPECT_EQ(snapshot(data), before);
    }
  }
  // Without cache files the same empty file is a first start.
  VeltranaSandbox sandbox;
  sandbox.install();
  fs::create_directories(fs::path(sandbox.settingsPath()).parent_path());
  std::ofstream(sandbox.settingsPath()).flush();
  VeltranaProcess run(sandbox, {}, {}, kStartupOnly);
  EXPECT_EQ(runAndExit(run), 0);
  EXPECT_TRUE(has(run.err(), kWelcome)) << run.err();
}

// A DataFolder that cannot keep files would leave the board empty for good: the start stops
// with the folder and the reason, before the edition check (which the missing edition mark
// here would run) deletes anything.
TEST(Startup, AnUnwritableDataFolderStopsTheStartAndDeletesNothing) {
  // A file in a folder's place stops root too; a read-only folder stops other users only.
  struct Case {
    const char* folder;  // below the DataFolder
    bool readOnly;
    const char* reason;
  };
  std::vector<Case> cases = {{"pic_big", false, "Not a directory"}};
  if (::geteuid() != 0)
    cases.insert(cases.end(),
                 {{"", true, "Permission denied"}, {"pic", true, "Permission denied"}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    VeltranaSandbox sandbox;
    const std::string data = sandbox.install();
    writeSession(sandbox.settingsPath(), /*withVersion=*/false, nullptr);
    const std::vector<std::string> files = {"bf.txt", "bf1.txt", "pic_square/1001.jpg"};
    for (const auto& name : files) touch(data + name);
    const std::string folder = data + c.folder;
    if (c.readOnly) {
      fs::create_directories(folder);
      fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    } else {
      std::ofstream(folder) << "x";
    }

    VeltranaProcess run(sandbox, {}, {}, kProgram);
    EXPECT_EQ(run.waitForExit(30000), 59);
    const std::string named = *c.folder ? folder : folder.substr(0, folder.size() - 1);
    EXPECT_TRUE(has(
        run.err(), "Error: Veltrana cannot write to its folder: " + named + ": " + c.reason + "\n"))
        << run.err();
    for (const auto& name : files) EXPECT_TRUE(fs::exists(data + name)) << name;
    fs::permissions(folder, fs::perms::owner_all);
  }
}

TEST(Startup, LastUpdateIsReadBackAndNothingIsWiped) {
  struct Case {
    const char* stored;  // nullptr: no value
    const char* line;
  } cases[] = {
      {"4/3/2009  9:5", "LastUpdate was read successfully from reg.4/3/2009  9:5\n"},
      {"12/25/2009  0:7", "LastUpdate was read successfully from reg.12/25/2009  0:7\n"},
      {nullptr, "No reg. entry for LastUpdate\n"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.line);
    VeltranaSandbox sandbox;
    const std::string data = sandbox.install();
    writeSession(sandbox.settingsPath(), /*withVersion=*/true, test.stored);
    touch(data + "bf1.txt");

    VeltranaProcess run(sandbox, {}, {}, kStartupOnly);
    EXPECT_EQ(runAndExit(run), 0);
    EXPECT_TRUE(has(run.out(), test.line)) << run.out();
    EXPECT_FALSE(has(run.err(), "Veltrana: Welcome"));
    EXPECT_TRUE(fs::exists(data + "bf1.txt"));
    platform::SettingsStore store(sandbox.settingsPath());
    EXPECT_TRUE(store.openKey(platform::keys::kFacebook));
  }
}

// Where the DataFolder is looked for: the first storage card with room that holds the
// program, then main memory. A card gives the data only: the program started is never its
// own (LoginEndToEnd.AProgramOnAStorageCardNeverRunsTheInstallationsHelperDoes).
TEST(Startup, DataFolderOnACardComesFirstAndMainMemoryIsTheFallback) {
  struct Case {
    const char* name;
    bool onCard;
    bool inMainMemory;
    int exitCode;
    bool cardUsed;
  } cases[] = {
      {"card and main memory", true, true, 0, true},
      {"card without the program", false, true, 0, false},
      {"card only", true, false, 0, true},
      {"neither", false, false, 56, false},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    VeltranaSandbox sandbox;
    const std::string card = sandbox.root() + "/card";
    fs::create_directories(card);
    sandbox.setEnv("VELTRANA_STORAGE_CARDS", card);
    const std::string cardData = card + "/Program Files/Veltrana/";
    const std::string mainData = sandbox.dataFolder();
    if (test.onCard) VeltranaSandbox::install(card + "/Program Files");
    if (test.inMainMemory) sandbox.install();
    // The edition wipe shows which DataFolder was taken.
    touch(cardData + "bf.txt");
    touch(mainData + "bf.txt");

    VeltranaProcess run(sandbox, {}, {}, kStartupOnly);
    const int code = test.exitCode == 0 ? runAndExit(run) : run.waitForExit();
    EXPECT_EQ(code, test.exitCode);
    if (test.exitCode == 0) {
      EXPECT_EQ(fs::exists(cardData + "bf.txt"), !test.cardUsed);
      EXPECT_EQ(fs::exists(mainData + "bf.txt"), test.cardUsed);
    }
  }
}

// With XDG_RUNTIME_DIR unset, another user who made /tmp/veltrana-<uid> first stopped every
// start with 57. Here /tmp is a private one (a mount namespace) holding only such a folder,
// and the sandbox and the program where they are under /tmp.
TEST(Startup, ARuntimeFolderAnotherUserTookFirstSendsTheStartToAPrivateOne) {
  if (::geteuid() != 0 || std::system("unshare -m true 2>/dev/null") != 0)
    GTEST_SKIP() << "needs root and mount namespaces";
  VeltranaSandbox sandbox;
  sandbox.install();
  const std::string uid = std::to_string(::geteuid());
  const std::string wrapper = sandbox.root() + "/squatted-tmp.sh";
  std::ofstream(wrapper) << R"(#!/bin/sh
exec unshare -m sh -ec '
mount --make-rprivate /
mkdir -p "$1/veltrana-$4"
chown 4242:4242 "$1/veltrana-$4"
for kept in "$2" "$3"; do
  case "$kept" in /tmp/*)
    top=$(echo "${kept#/tmp/}" | cut -d/ -f1)
    mkdir -p "$1/$top"
    mountpoint -q "$1/$top" || mount --bind "/tmp/$top" "$1/$top";;
  esac
done
mount --rbind "$1" /tmp
exec "$3"' sh ")" << sandbox.root() + "/fake-tmp\" \""
                         << sandbox.root() << "\" \"" << STARTUP_PROBE << "\" " << uid << "\n";
  fs::permissions(wrapper, fs::perms::owner_all);
  sandbox.useProgram(wrapper);
  sandbox.setEnv("VELTRANA_RUNTIME_DIR", std::nullopt);
  sandbox.setEnv("XDG_RUNTIME_DIR", std::nullopt);
  sandbox.setEnv("XDG_CACHE_HOME", sandbox.root() + "/cache");

  VeltranaProcess run(sandbox, {}, {}, kProgram);
  const std::string socket = sandbox.root() + "/cache/veltrana/runtime/win.Veltrana.sock";
  for (int i = 0; i < 200 && !fs::exists(socket) && run.running(); ++i) ::usleep(100'000);
  EXPECT_TRUE(fs::exists(socket)) << run.err();
  run.signal(SIGTERM);
  EXPECT_EQ(run.waitForExit(), 0) << run.err();
  EXPECT_FALSE(has(run.err(), "cannot use its runtime folder")) << run.err();
  // The squatted folder was never used.
  EXPECT_TRUE(fs::is_empty(sandbox.root() + "/fake-tmp/veltrana-" + uid));
}

TEST(Startup, CommandLine) {
  VeltranaSandbox sandbox;
  struct Case {
    QStringList args;
    int exitCode;
    const char* out;
    const char* err;
  } cases[] = {
      {{"--version"}, 0, "veltrana 1.0\n", ""},
      {{"--help"}, 0, "--screen WxH", ""},
      {{"--screen", "480"}, 2, "", "--screen needs WIDTHxHEIGHT"},
      {{"--dpi", "x"}, 2, "", "--dpi needs a number"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.args.join(' ').toStdString());
    VeltranaProcess run(sandbox, test.args, {}, kProgram);
    EXPECT_EQ(run.waitForExit(), test.exitCode);
    EXPECT_TRUE(has(run.out(), test.out)) << run.out();
    EXPECT_TRUE(has(run.err(), test.err)) << run.err();
  }
  // None of them started the program.
  EXPECT_FALSE(fs::exists(sandbox.settingsPath()));
}

// Before anything else: an unknown option is named and ends with 2; without a display (none
// named, or one that does not answer) one line says so and the code is 60, never Qt's abort;
// --help and --version need no display.
TEST(Startup, UnknownOptionsAndNoDisplayEndWithOneLine) {
  VeltranaSandbox sandbox;
  const std::string noDisplay =
      "veltrana: no display: set DISPLAY or WAYLAND_DISPLAY, or run it from a desktop session\n";
  using Value = std::optional<std::string>;
  struct Case {
    QStringList args;
    Value platform, display;
    int exitCode;
    std::string out, err;  // err exactly; out a part
  } cases[] = {
      {{"--sreen", "480x640"},
       "offscreen",
       {},
       2,
       "",
       "veltrana: unknown option '--sreen'\nTry 'veltrana --help' for the options.\n"},
      {{}, {}, {}, 60, "", noDisplay},
      {{"-platform", "xcb"}, "offscreen", {}, 60, "", noDisplay},
      {{}, "xcb", ":61999", 60, "", noDisplay},
      {{}, "wayland", {}, 60, "", noDisplay},
      {{"--help"}, {}, {}, 0, "--screen WxH", ""},
      {{"--version"}, {}, {}, 0, "veltrana 1.0\n", ""},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.args.join(' ').toStdString() + " " + test.platform.value_or("-"));
    sandbox.setEnv("QT_QPA_PLATFORM", test.platform);
    sandbox.setEnv("DISPLAY", test.display);
    sandbox.setEnv("WAYLAND_DISPLAY", std::nullopt);
    sandbox.setEnv("WAYLAND_SOCKET", std::nullopt);
    sandbox.setEnv("XDG_RUNTIME_DIR", sandbox.root());
    VeltranaProcess run(sandbox, test.args, {}, kProgram);
    EXPECT_EQ(run.waitForExit(), test.exitCode);
    EXPECT_TRUE(has(run.out(), test.out)) << run.out();
    EXPECT_EQ(run.err(), test.err);
  }
  EXPECT_FALSE(fs::exists(sandbox.settingsPath()));

  // A platform that is not installed is no missing display: Qt's reasons are said.
  sandbox.setEnv("QT_QPA_PLATFORM", "nosuchplatform");
  VeltranaProcess unknown(sandbox, {}, {}, kProgram);
  EXPECT_NE(unknown.waitForExit(), 60);
  EXPECT_TRUE(has(unknown.err(), "Qt platform plugin \"nosuchplatform\"")) << unknown.err();
  EXPECT_FALSE(has(unknown.err(), "no display")) << unknown.err();

  // Qt's own options still reach Qt, and what Qt says while it starts is still said.
  sandbox.setEnv("QT_QPA_PLATFORM", "offscreen");
  VeltranaProcess styled(sandbox, {"-style", "nosuchstyle"}, {}, kProgram);
  EXPECT_EQ(styled.waitForExit(), 56);  // no installation in this sandbox
  EXPECT_TRUE(has(styled.err(), "QApplication: invalid style override 'nosuchstyle'"))
      << styled.err();
}
