#include "platform/settingsstore.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "../support/damagedstore.h"
#include "platform/endprocess.h"
#include "support/scopedenv.h"

using platform::KeyDisposition;
using platform::SettingsKey;
using platform::SettingsStore;

namespace {

const std::string kFacebook = "SOFTWARE\\Corvanta\\Facebook";

std::string freshDbPath(const std::string& name) {
  const char* root = std::getenv("VELTRANA_TEST_ROOT");
  const std::string dir =
      std::string(root ? root : "/tmp") + "/settings-" + std::to_string(::getpid()) + "-" + name;
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
  return dir + "/sub/registry.db";
}

// Each case arranges the store and checks one rule; the table is the contract of the
// store's behaviour that the rest of the program relies on.
struct StoreCase {
  const char* name;
  std::function<void(SettingsStore&)> run;
};

SettingsKey facebookKey(SettingsStore& store) { return *store.createKey(kFacebook); }

const StoreCase kStoreCases[] = {
    {"NumberReadsBackOnlyAsNumber",
     [](SettingsStore& s) {
       auto key = facebookKey(s);
       ASSERT_TRUE(s.writeNumber(key, "FCOUNT", 0xFFFFFFF0u));
       EXPECT_EQ(s.readNumber(key, "FCOUNT"), 0xFFFFFFF0u);
       EXPECT_EQ(s.readString(key, "FCOUNT"), std::nullopt);
     }},
    {"StringReadsBackOnlyAsString",
     [](SettingsStore& s) {
       auto key = facebookKey(s);
       ASSERT_TRUE(s.writeString(key, "FUID", u"1234"));
       EXPECT_EQ(s.readString(key, "FUID"), u"1234");
       EXPECT_EQ(s.readNumber(key, "FUID"), std::nullopt);
     }},
    {"MissingValueIsNullopt",
     [](SettingsStore& s) {
       auto key = facebookKey(s);
       EXPECT_EQ(s.readString(key, "LastUpdate"), std::nullopt);
       EXPECT_EQ(s.readNumber(key, "WallCount"), std::nullopt);
     }},
    {"EmptyStringIsPresent",
     [](SettingsStore& s) {
       auto key = facebookKey(s);
       ASSERT_TRUE(s.writeString(key, "GUID", u""));
       EXPECT_EQ(s.readString(key, "GUID"), u"");
     }},
    {"StringOf127CharactersFitsTheBuffer128DoesNot",
     [](SettingsStore& s) {
       auto key = facebookKey(s);
       const std::u16string fits(127, u'x'), tooLong(128, u'y');
       ASSERT_TRUE(s.writeString(key, "A", fits));
       ASSERT_TRUE(s.writeString(key, "B", tooLong));
       EXPECT_EQ(s.readString(key, "A"), fits);
       EXPECT_EQ(s.readString(key, "B"), std::nullopt);
     }},
    {"Utf16RoundTripKeepsNonAscii",
     [](SettingsStore& s) {
       auto key = facebookKey(s);
       const std::u16string text = u"Zo\u00eb \u6771\u4eac \U0001F600 \u00df";
       ASSERT_TRUE(s.writeString(key, "Message", text));
       EXPECT_EQ(s.readString(key, "Message"), text);
     }},
    {"OverwriteReplacesTypeAndValue",
     [](SettingsStore& s) {
       auto key = facebookKey(s);
       ASSERT_TRUE(s.writeString(key, "UID", u"77"));
       ASSERT_TRUE(s.writeNumber(key, "UID", 77));
       EXPECT_EQ(s.readNumber(key, "UID"), 77u);
       EXPECT_EQ(s.readString(key, "UID"), std::nullopt);
     }},
    {"CreateReportsDispositionAndMakesParents",
     [](SettingsStore& s) {
       KeyDisposition first{}, second{};
       ASSERT_TRUE(s.createKey(kFacebook, &first));
       ASSERT_TRUE(s.createKey(kFacebook, &second));
       EXPECT_EQ(first, KeyDisposition::CreatedNewKey);
       EXPECT_EQ(second, KeyDisposition::OpenedExistingKey);
       EXPECT_TRUE(s.openKey("SOFTWARE\\Corvanta"));
       EXPECT_TRUE(s.openKey("SOFTWARE"));
     }},
    {"OpenOfMissingKeyFails",
     [](SettingsStore& s) {
       EXPECT_FALSE(s.openKey(kFacebook));
       s.createKey("SOFTWARE\\Corvanta\\Version");
       EXPECT_FALSE(s.openKey(kFacebook));
       EXPECT_FALSE(s.openKey("SOFTWARE\\Corv"));
     }},
    {"MalformedPathsAreRefused",
     [](SettingsStore& s) {
       EXPECT_FALSE(s.createKey(""));
       EXPECT_FALSE(s.createKey("\\SOFTWARE"));
       EXPECT_FALSE(s.createKey("SOFTWARE\\\\Corvanta"));
       EXPECT_FALSE(s.deleteTree(""));
     }},
    {"PathsCompareWithoutCaseAndKeepTheirCase",
     [](SettingsStore& s) {
       ASSERT_TRUE(s.createKey(kFacebook));
       KeyDisposition disposition{};
       auto again = s.createKey("software\\CORVANTA\\facebook", &disposition);
       ASSERT_TRUE(again);
       EXPECT_EQ(disposition, KeyDisposition::OpenedExistingKey);
       EXPECT_EQ(again->path(), kFacebook);
       auto opened = s.openKey("Software\\corvanta\\FACEBOOK\\");
       ASSERT_TRUE(opened);
       EXPECT_EQ(opened->path(), kFacebook);
     }},
    {"ValueNamesCompareWithoutCase",
     [](SettingsStore& s) {
       auto key = facebookKey(s);
       ASSERT_TRUE(s.writeString(key, "Session_Key", u"one"));
       ASSERT_TRUE(s.writeString(key, "SESSION_KEY", u"two"));
       EXPECT_EQ(s.readString(key, "session_key"), u"two");
       auto otherCase = s.openKey("SOFTWARE\\CORVANTA\\FACEBOOK");
       EXPECT_EQ(s.readString(*otherCase, "Session_Key"), u"two");
     }},
    {"DeleteTreeRemovesSubkeysAndValuesLeavesSiblings",
     [](SettingsStore& s) {
       auto facebook = facebookKey(s);
       auto version = *s.createKey("SOFTWARE\\Corvanta\\Version");
       auto sibling = *s.createKey("SOFTWARE\\CorvantaX");
       auto other = *s.createKey("SOFTWARE\\Other\\Corvanta");
       s.writeNumber(facebook, "UID", 5);
       s.writeString(version, "Release", u"1.0");
       s.writeNumber(sibling, "Kept", 1);
       s.writeNumber(other, "Kept", 2);
       ASSERT_TRUE(s.deleteTree("software\\corvanta"));
       EXPECT_FALSE(s.openKey("SOFTWARE\\Corvanta"));
       EXPECT_FALSE(s.openKey(kFacebook));
       EXPECT_FALSE(s.openKey("SOFTWARE\\Corvanta\\Version"));
       EXPECT_TRUE(s.openKey("SOFTWARE"));
       EXPECT_EQ(s.readNumber(sibling, "Kept"), 1u);
       EXPECT_EQ(s.readNumber(other, "Kept"), 2u);
       // A re-created key starts empty, and the old handle reads nothing.
       auto recreated = facebookKey(s);
       EXPECT_EQ(s.readNumber(recreated, "UID"), std::nullopt);
       EXPECT_EQ(s.readNumber(facebook, "UID"), std::nullopt);
     }},
    {"DeleteTreeOfMissingKeyReportsNotFound",
     [](SettingsStore& s) {
       EXPECT_EQ(s.deleteTree("SOFTWARE\\Corvanta").status, platform::WriteStatus::KeyMissing);
     }},
    {"WriteThroughHandleOfDeletedKeyFails",
     [](SettingsStore& s) {
       auto key = facebookKey(s);
       ASSERT_TRUE(s.deleteTree("SOFTWARE"));
       EXPECT_FALSE(s.writeNumber(key, "UID", 1));
       EXPECT_FALSE(s.openKey(kFacebook));
     }},
    {"TransactionRollsBackOnDestruction",
     [](SettingsStore& s) {
       auto key = facebookKey(s);
       s.writeNumber(key, "SessionTimeHigh", 1);
       {
         SettingsStore::Transaction group(s);
         s.writeNumber(key, "SessionTimeHigh", 2);
         s.writeString(key, "Session_Key", u"new");
         s.createKey("SOFTWARE\\Corvanta\\Version");
       }
       EXPECT_EQ(s.readNumber(key, "SessionTimeHigh"), 1u);
       EXPECT_EQ(s.readString(key, "Session_Key"), std::nullopt);
       EXPECT_FALSE(s.openKey("SOFTWARE\\Corvanta\\Version"));
     }},
    {"TransactionCommitKeepsEverything",
     [](SettingsStore& s) {
       auto key = facebookKey(s);
       {
         SettingsStore::Transaction group(s);
         s.writeNumber(key, "SessionTimeHigh", 2);
         s.writeNumber(key, "SessionTimeLow", 3);
         EXPECT_TRUE(group.commit());
         EXPECT_FALSE(group.commit());
       }
       EXPECT_EQ(s.readNumber(key, "SessionTimeHigh"), 2u);
       EXPECT_EQ(s.readNumber(key, "SessionTimeLow"), 3u);
     }},
    {"NestedTransactionJoinsTheOuterOne",
     [](SettingsStore& s) {
       auto key = facebookKey(s);
       {
         SettingsStore::Transaction outer(s);
         s.writeNumber(key, "A", 1);
         {
           SettingsStore::Transaction inner(s);
           s.writeNumber(key, "B", 2);
           EXPECT_TRUE(inner.commit());
         }
         {
           SettingsStore::Transaction abandoned(s);
           s.writeNumber(key, "C", 3);
         }
         EXPECT_TRUE(outer.commit());
       }
       EXPECT_EQ(s.readNumber(key, "A"), 1u);
       EXPECT_EQ(s.readNumber(key, "B"), 2u);
       EXPECT_EQ(s.readNumber(key, "C"), std::nullopt);
       {
         SettingsStore::Transaction outer(s);
         SettingsStore::Transaction inner(s);
         s.writeNumber(key, "D", 4);
         EXPECT_TRUE(inner.commit());
       }
       EXPECT_EQ(s.readNumber(key, "D"), std::nullopt);
     }},
};

class SettingsStoreRules : public testing::TestWithParam<StoreCase> {};

TEST_P(SettingsStoreRules, Holds) {
  SettingsStore store(freshDbPath(GetParam().name));
  ASSERT_TRUE(store.ok());
  GetParam().run(store);
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsStoreRules, testing::ValuesIn(kStoreCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(SettingsStore, ValuesSurviveReopeningAndAreSharedBetweenConnections) {
  const std::string path = freshDbPath("shared");
  SettingsStore first(path);
  SettingsStore second(path);
  ASSERT_TRUE(first.ok() && second.ok());
  auto key = *first.createKey(kFacebook);
  ASSERT_TRUE(first.writeString(key, "Session_Secret", u"s3cr3t"));
  auto seen = second.openKey(kFacebook);
  ASSERT_TRUE(seen);
  EXPECT_EQ(second.readString(*seen, "Session_Secret"), u"s3cr3t");

  SettingsStore reopened(path);
  EXPECT_EQ(reopened.readString(*reopened.openKey(kFacebook), "Session_Secret"), u"s3cr3t");
}

TEST(SettingsStore, UnopenableStoreFailsEveryOperation) {
  SettingsStore store("/proc/veltrana-cannot-exist/registry.db");
  EXPECT_FALSE(store.ok());
  EXPECT_NE(store.openError(), "");
  EXPECT_FALSE(store.createKey(kFacebook));
  EXPECT_TRUE(store.openKey(kFacebook).failed());
  EXPECT_FALSE(store.deleteTree(kFacebook));
  SettingsStore::Transaction group(store);
  EXPECT_FALSE(group.commit());
}

// A store that opens but whose pages are damaged answers "failed" with SQLite's reason, never
// "absent": the start would take an unreadable mark for a first start and wipe everything.
TEST(SettingsStore, ADamagedStoreFailsItsLookupsRatherThanFindingNothing) {
  struct Case {
    const char* name;
    std::vector<std::string> trees;  // empty: every page but the schema
    bool keysReadable;
  } cases[] = {
      {"every page", {}, false},
      {"the keys", testsupport::kKeyTrees, false},
      {"the values", testsupport::kValueTrees, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = freshDbPath(std::string("damaged-") + c.name);
    {
      SettingsStore store(path);
      const auto key = facebookKey(store);
      ASSERT_TRUE(store.writeNumber(key, "UID", 7));
      ASSERT_TRUE(store.writeString(key, "Session_Key", u"k"));
    }
    ASSERT_TRUE(testsupport::damageStore(path, c.trees));
    SettingsStore store(path);
    ASSERT_TRUE(store.ok()) << store.openError();

    const auto key = store.openKey(kFacebook);
    EXPECT_EQ(key.failed(), !c.keysReadable);
    EXPECT_EQ(store.createKey(kFacebook).has_value(), c.keysReadable);
    // A key the store cannot look for is not reported missing, nor one it cannot delete gone.
    if (!c.keysReadable) {
      EXPECT_NE(store.deleteTree("SOFTWARE\\Other").status, platform::WriteStatus::KeyMissing);
    }
    EXPECT_FALSE(store.deleteTree(kFacebook));
    if (key.failed()) {
      EXPECT_EQ(key.error(), "database disk image is malformed");
      continue;
    }
    ASSERT_TRUE(key);
    const auto uid = store.readNumber(*key, "UID");
    const auto text = store.readString(*key, "Session_Key");
    EXPECT_TRUE(uid.failed() && !uid.absent());
    EXPECT_TRUE(text.failed() && !text.found());
    EXPECT_EQ(text.error(), "database disk image is malformed");
    EXPECT_FALSE(store.writeNumber(*key, "UID", 8));
  }
}

// The three answers of a lookup stay apart: a failure is neither a value nor an absence, so a
// caller that asks only "found?" or only "absent?" still cannot start afresh over it.
TEST(SettingsStore, ALookupIsFoundAbsentOrFailed) {
  using Text = platform::Lookup<std::u16string>;
  using platform::LookupStatus;
  const struct {
    Text lookup;
    LookupStatus status;
    std::u16string shown;  // value_or(u"-")
    std::string description;
  } cases[] = {
      {Text(u"k"), LookupStatus::Found, u"k", "found"},
      {Text(std::nullopt), LookupStatus::Absent, u"-", "absent"},
      {Text::failure("disk I/O error"), LookupStatus::Failed, u"-", "disk I/O error"},
      {Text::failure(""), LookupStatus::Failed, u"-", "unknown error"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description);
    EXPECT_EQ(c.lookup.status(), c.status);
    EXPECT_EQ(static_cast<bool>(c.lookup), c.status == LookupStatus::Found);
    EXPECT_EQ(c.lookup.absent(), c.status == LookupStatus::Absent);
    EXPECT_EQ(c.lookup.failed(), c.status == LookupStatus::Failed);
    EXPECT_EQ(c.lookup.value_or(u"-"), c.shown);
    EXPECT_EQ(c.lookup == u"-", false);
    EXPECT_EQ(c.lookup.description(), c.description);
  }
}

// The store holds the session secret: a file an older version left readable by others is
// made the owner's alone, its journal files too.
TEST(SettingsStore, AnExistingStoreIsTightenedToTheOwnersAccess) {
  const std::string path = freshDbPath("loose");
  { SettingsStore made(path); }
  const std::string wal = path + "-wal";
  std::FILE* file = std::fopen(wal.c_str(), "ab");
  std::fclose(file);
  for (const std::string& name : {path, wal}) ::chmod(name.c_str(), 0644);
  SettingsStore reopened(path);
  ASSERT_TRUE(reopened.ok());
  for (const std::string& name : {path, wal}) {
    struct stat info {};
    ASSERT_EQ(::stat(name.c_str(), &info), 0) << name;
    EXPECT_EQ(info.st_mode & 0777, 0600u) << name;
  }
}

TEST(SettingsStore, DefaultPathFollowsXdgConfigHome) {
  testsupport::ScopedEnv env;
  env.set("XDG_CONFIG_HOME", "/x/config");
  EXPECT_EQ(SettingsStore::defaultPath(), "/x/config/Veltrana/registry.db");
  env.set("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(SettingsStore::defaultPath(),
            std::string(std::getenv("HOME")) + "/.config/Veltrana/registry.db");
}

// A writer killed at any moment leaves each group whole: all values of one generation.
TEST(SettingsStore, GroupSurvivesKillMidWriteWhole) {
  const std::string path = freshDbPath("kill");
  const char* strings[] = {"Session_Key", "Session_Secret"};
  const char* numbers[] = {"UID", "SessionTimeHigh", "SessionTimeLow"};
  std::mt19937 random(12345);
  for (int round = 0; round < 6; ++round) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(ready[0]);
      SettingsStore store(path);
      if (!store.ok()) ::_exit(3);
      for (uint32_t generation = 1;; ++generation) {
        SettingsStore::Transaction group(store);
        auto key = store.createKey(kFacebook);
        if (!key) ::_exit(4);
        for (const char* name : strings) {
          store.writeString(*key, name, platform::toUtf16(std::to_string(generation)));
        }
        for (const char* name : numbers) store.writeNumber(*key, name, generation);
        if (!group.commit()) ::_exit(5);
        if (generation == 1) (void)!::write(ready[1], "r", 1);
      }
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1) << "the writer never committed";
    ::close(ready[0]);
    ::usleep(std::uniform_int_distribution<int>(1000, 80000)(random));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "writer ended by itself with " << WEXITSTATUS(status);

    SettingsStore store(path);
    ASSERT_TRUE(store.ok());
    auto key = store.openKey(kFacebook);
    ASSERT_TRUE(key);
    const std::u16string generation = *store.readString(*key, "Session_Key");
    EXPECT_EQ(store.readString(*key, "Session_Secret"), generation) << "round " << round;
    for (const char* name : numbers) {
      EXPECT_EQ(platform::toUtf16(std::to_string(*store.readNumber(*key, name))), generation)
          << name << " in round " << round;
    }
  }
}

namespace {

// registry.db copied alone, as a backup that leaves out the -wal would: its session, or
// "<none>".
std::string sessionInFileAlone(const std::string& path) {
  const std::string copy = freshDbPath("copy-" + std::to_string(::getpid()));
  std::filesystem::create_directories(std::filesystem::path(copy).parent_path());
  std::filesystem::copy_file(path, copy);
  SettingsStore store(copy);
  const auto key = store.openKey(kFacebook);
  const auto value = key ? store.readString(*key, "Session_Key") : std::nullopt;
  return value ? platform::toUtf8(*value) : "<none>";
}

}  // namespace

// The program ends through _Exit, which closes nothing: every clean end still leaves the
// file alone holding what the run committed.
TEST(SettingsStore, EveryCleanEndLeavesTheFileAloneHoldingTheRunsWrites) {
  struct Case {
    const char* name;
    std::function<void(SettingsStore&)> end;
  } cases[] = {
      {"endProcess after the message loop", [](SettingsStore&) { platform::endProcess(0); }},
      {"endProcess for a fatal problem", [](SettingsStore&) { platform::endProcess(58); }},
      {"the store closed", [](SettingsStore& store) { store.~SettingsStore(), ::_exit(0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = freshDbPath("end");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      SettingsStore store(path);
      auto key = store.createKey(kFacebook);
      if (!key || !store.writeString(*key, "Session_Key", u"k-123")) ::_exit(3);
      c.end(store);
      ::_exit(4);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 3);
    EXPECT_EQ(sessionInFileAlone(path), "k-123");
  }
}

struct ConversionCase {
  const char* name;
  std::string utf8;
  std::u16string utf16;
  std::string backToUtf8;  // what the UTF-16 text turns into again
};

const ConversionCase kConversions[] = {
    {"Ascii", "abc", u"abc", "abc"},
    {"TwoAndThreeBytes", "\xC3\xA9\xE6\x9D\xB1", u"\u00e9\u6771", "\xC3\xA9\xE6\x9D\xB1"},
    {"SurrogatePair", "\xF0\x9F\x98\x80", u"\U0001F600", "\xF0\x9F\x98\x80"},
    {"LoneContinuationByte", "a\x80z", u"a\uFFFDz", "a\xEF\xBF\xBDz"},
    {"TruncatedSequenceAtEnd", "ab\xE6\x9D", u"ab\uFFFD", "ab\xEF\xBF\xBD"},
    {"OverlongSlash", "\xC0\xAF/", u"\uFFFD/", "\xEF\xBF\xBD/"},
    {"EncodedSurrogate", "\xED\xA0\x80", u"\uFFFD", "\xEF\xBF\xBD"},
    {"BeyondUnicode", "\xF4\x90\x80\x80", u"\uFFFD", "\xEF\xBF\xBD"},
    {"InvalidLeadByte", "\xFF", u"\uFFFD", "\xEF\xBF\xBD"},
};

class TextConversion : public testing::TestWithParam<ConversionCase> {};

TEST_P(TextConversion, ReplacesWhatIsMalformed) {
  EXPECT_EQ(platform::toUtf16(GetParam().utf8), GetParam().utf16);
  EXPECT_EQ(platform::toUtf8(GetParam().utf16), GetParam().backToUtf8);
}

INSTANTIATE_TEST_SUITE_P(Table, TextConversion, testing::ValuesIn(kConversions),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(TextConversion, LoneSurrogateInUtf16BecomesReplacement) {
  EXPECT_EQ(platform::toUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(platform::toUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
}

}  // namespace
