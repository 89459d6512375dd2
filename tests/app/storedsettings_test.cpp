// What the start finds in the settings before it greets, wipes or logs in anybody: a session
// out of the keyring's reach stops it, and only a session that is really missing does not.
#include "app/storedsettings.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/settingskeys.h"
#include "support/fakevault.h"
#include "support/tempfolder.h"

namespace keys = platform::keys;
using platform::SettingsStore;

namespace {

void storeSession(SettingsStore& store, uint32_t uid) {
  SettingsStore::Transaction group(store);
  const auto key = store.createKey(keys::kFacebook);
  ASSERT_TRUE(key);
  store.writeNumber(*key, keys::kUid, uid);
  store.writeString(*key, keys::kSessionKey, u"k-123");
  store.writeString(*key, keys::kSessionSecret, u"s-456");
  ASSERT_TRUE(group.commit());
}

}  // namespace

TEST(StoredSettings, ASessionOutOfTheKeyringsReachStopsTheStart) {
  struct Case {
    const char* name;
    // Arranges the earlier run (writing through `earlier`) and this run's keyring.
    std::function<void(SettingsStore& earlier, testsupport::FakeVault& vault)> before;
    std::function<void(SettingsStore& now, testsupport::FakeVault& vault)> now;
    const char* stop;  // nullptr: the start goes on
  } cases[] = {
      {"a read that times out",
       [](SettingsStore& s, testsupport::FakeVault& v) { s.keepSecretsIn(&v), storeSession(s, 7); },
       [](SettingsStore& s, testsupport::FakeVault& v) {
         s.keepSecretsIn(&v);
         v.readsFail = true;
         v.readFailure = "no answer within 10 s";
       },
       "desktop keyring (Secret Service): no answer within 10 s."},
      {"a read refused (locked)",
       [](SettingsStore& s, testsupport::FakeVault& v) { s.keepSecretsIn(&v), storeSession(s, 7); },
       [](SettingsStore& s, testsupport::FakeVault& v) {
         s.keepSecretsIn(&v);
         v.readsFail = true;
         v.readFailure = "the keyring is locked";
       },
       "desktop keyring (Secret Service): the keyring is locked."},
      {"a keyring silent from the start",
       [](SettingsStore& s, testsupport::FakeVault& v) { s.keepSecretsIn(&v), storeSession(s, 7); },
       [](SettingsStore& s, testsupport::FakeVault&) {
         s.secretsOutOfReach("no answer within 10 s\x1b[2J");
       },
       "desktop keyring (Secret Service): no answer within 10 s\\x1b[2J."},
      {"the keyring silent, the store keeps the session",
       [](SettingsStore& s, testsupport::FakeVault&) { storeSession(s, 7); },
       [](SettingsStore& s, testsupport::FakeVault&) { s.secretsOutOfReach("no answer"); },
       nullptr},
      {"the keyring silent, no user: a login comes anyway",
       [](SettingsStore& s, testsupport::FakeVault&) { s.createKey(keys::kFacebook); },
       [](SettingsStore& s, testsupport::FakeVault&) { s.secretsOutOfReach("no answer"); },
       nullptr},
      {"the keyring answers that it holds none: a new login",
       [](SettingsStore& s, testsupport::FakeVault& v) {
         s.keepSecretsIn(&v), storeSession(s, 7), v.values.clear();
       },
       [](SettingsStore& s, testsupport::FakeVault& v) { s.keepSecretsIn(&v); }, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::TempFolder folder;
    const std::string path = folder.path() + "registry.db";
    testsupport::FakeVault vault;
    {
      SettingsStore earlier(path);
      c.before(earlier, vault);
    }
    SettingsStore store(path);
    c.now(store, vault);
    const auto text = app::unreadableSessionText(store);
    if (!c.stop) {
      EXPECT_EQ(text, std::nullopt) << *text;
      continue;
    }
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("Veltrana cannot read its session from the " + std::string(c.stop)),
              std::string::npos)
        << *text;
  }
}
