// The session's key and secret go to a vault when the store has one; every other value and
// every other key stays in the store.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>

#include "platform/secretvault.h"
#include "platform/settingsstore.h"
#include "support/fakevault.h"

using platform::SettingsStore;

namespace {

const std::string kFacebook = "SOFTWARE\\Corvanta\\Facebook";

using testsupport::FakeVault;

std::string freshDbPath(const std::string& name) {
  const char* root = std::getenv("VELTRANA_TEST_ROOT");
  const std::string dir =
      std::string(root ? root : "/tmp") + "/secrets-" + std::to_string(::getpid()) + "-" + name;
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
  return dir + "/registry.db";
}

// The session as the login stores it: one group.
bool storeSession(SettingsStore& store, bool commit = true) {
  SettingsStore::Transaction group(store);
  const auto key = store.createKey(kFacebook);
  if (!key || !store.writeString(*key, "Session_Key", u"k-123") ||
      !store.writeString(*key, "Session_Secret", u"s-456") || !store.writeNumber(*key, "UID", 42))
    return false;
  return !commit || group.commit();
}

platform::Lookup<std::u16string> storedOnly(const std::string& path, const char* name) {
  SettingsStore plain(path);  // no vault: what the file itself holds
  const auto key = plain.openKey(kFacebook);
  if (!key) return std::nullopt;
  return plain.readString(*key, name);
}

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

struct SecretCase {
  const char* name;
  std::function<void(const std::string& path, FakeVault& vault)> run;
};

const SecretCase kSecretCases[] = {
    {"ALoginsSecretsGoToTheVaultOnly",
     [](const std::string& path, FakeVault& vault) {
       SettingsStore store(path);
       store.keepSecretsIn(&vault);
       ASSERT_TRUE(storeSession(store));
       EXPECT_EQ(vault.values["Session_Key"], "k-123");
       EXPECT_EQ(vault.values["Session_Secret"], "s-456");
       EXPECT_EQ(store.readString(*store.openKey(kFacebook), "Session_Secret"), u"s-456");
       EXPECT_EQ(store.readNumber(*store.openKey(kFacebook), "UID"), 42u);
       EXPECT_EQ(storedOnly(path, "Session_Secret"), std::nullopt);
       const std::string secretBytes(
           "s\0-\0"
           "4\0"
           "5\0"
           "6\0",
           10);  // as stored, UTF-16
       EXPECT_EQ(fileBytes(path).find(secretBytes), std::string::npos);
     }},
    {"AGroupRolledBackLeavesTheVaultAlone",
     [](const std::string& path, FakeVault& vault) {
       SettingsStore store(path);
       store.keepSecretsIn(&vault);
       ASSERT_TRUE(storeSession(store, false));
       EXPECT_TRUE(vault.values.empty());
     }},
    {"AnOlderStoresSessionMovesIntoTheVault",
     [](const std::string& path, FakeVault& vault) {
       {
         SettingsStore older(path);
         ASSERT_TRUE(storeSession(older));
       }
       SettingsStore store(path);
       store.keepSecretsIn(&vault);
       EXPECT_EQ(vault.values["Session_Key"], "k-123");
       EXPECT_EQ(vault.values["Session_Secret"], "s-456");
       EXPECT_EQ(storedOnly(path, "Session_Key"), std::nullopt);
       EXPECT_EQ(storedOnly(path, "Session_Secret"), std::nullopt);
       EXPECT_EQ(store.readString(*store.openKey(kFacebook), "Session_Key"), u"k-123");
     }},
    {"AMoveTheVaultRefusesHalfwayKeepsBothInTheStore",
     [](const std::string& path, FakeVault& vault) {
       {
         SettingsStore older(path);
         ASSERT_TRUE(storeSession(older));
       }
       vault.writesBeforeFailure = 1;
       SettingsStore store(path);
       store.keepSecretsIn(&vault);
       EXPECT_TRUE(vault.values.empty());
       EXPECT_EQ(store.readString(*store.openKey(kFacebook), "Session_Key"), u"k-123");
       EXPECT_EQ(store.readString(*store.openKey(kFacebook), "Session_Secret"), u"s-456");
     }},
    {"AVaultThatStopsAnsweringHandsTheWriteToTheStore",
     [](const std::string& path, FakeVault& vault) {
       SettingsStore store(path);
       store.keepSecretsIn(&vault);
       vault.writesBeforeFailure = 0;
       ASSERT_TRUE(storeSession(store));
       EXPECT_EQ(storedOnly(path, "Session_Key"), u"k-123");
       EXPECT_EQ(storedOnly(path, "Session_Secret"), u"s-456");
     }},
    {"AVaultThatStopsBetweenKeyAndSecretLeavesBothInTheStore",
     [](const std::string& path, FakeVault& vault) {
       SettingsStore store(path);
       store.keepSecretsIn(&vault);
       vault.writesBeforeFailure = 1;  // the key lands in the vault, the secret does not
       ASSERT_TRUE(storeSession(store));
       EXPECT_EQ(storedOnly(path, "Session_Key"), u"k-123");
       EXPECT_EQ(storedOnly(path, "Session_Secret"), u"s-456");
       EXPECT_EQ(store.readString(*store.openKey(kFacebook), "Session_Key"), u"k-123");
     }},
    {"AVaultThatCannotBeReadFallsBackToTheStore",
     [](const std::string& path, FakeVault& vault) {
       {
         SettingsStore older(path);
         ASSERT_TRUE(storeSession(older));
       }
       vault.writesBeforeFailure = 0;  // nothing moves
       SettingsStore store(path);
       store.keepSecretsIn(&vault);
       vault.readsFail = true;
       EXPECT_EQ(store.readString(*store.openKey(kFacebook), "Session_Secret"), u"s-456");
     }},
    {"DeletingTheTreeForgetsTheVaultsSession",
     [](const std::string& path, FakeVault& vault) {
       SettingsStore store(path);
       store.keepSecretsIn(&vault);
       ASSERT_TRUE(storeSession(store));
       ASSERT_TRUE(store.deleteTree("SOFTWARE\\Corvanta"));
       EXPECT_TRUE(vault.values.empty());
     }},
    {"ASessionTheVaultKeptThroughAWipeGoesAtTheNextStart",
     [](const std::string& path, FakeVault& vault) {
       {
         SettingsStore store(path);
         store.keepSecretsIn(&vault);
         ASSERT_TRUE(storeSession(store));
         vault.erasesFail = true;  // the keyring is silent when the settings are wiped
         ASSERT_TRUE(store.deleteTree("SOFTWARE\\Corvanta"));
         EXPECT_EQ(vault.values.size(), 2u);
       }
       vault.erasesFail = false;
       SettingsStore store(path);
       store.keepSecretsIn(&vault);
       EXPECT_TRUE(vault.values.empty());
     }},
    {"AStoreWithASessionLeavesTheVaultsSessionAlone",
     [](const std::string& path, FakeVault& vault) {
       {
         SettingsStore store(path);
         store.keepSecretsIn(&vault);
         ASSERT_TRUE(storeSession(store));
       }
       SettingsStore store(path);
       store.keepSecretsIn(&vault);
       EXPECT_EQ(vault.values["Session_Key"], "k-123");
       EXPECT_EQ(store.readString(*store.openKey(kFacebook), "Session_Secret"), u"s-456");
     }},
    {"OtherValuesAndKeysStayInTheStore",
     [](const std::string& path, FakeVault& vault) {
       SettingsStore store(path);
       store.keepSecretsIn(&vault);
       const auto key = store.createKey("SOFTWARE\\Corvanta\\Version");
       ASSERT_TRUE(store.writeString(*key, "Session_Key", u"not-a-session"));
       ASSERT_TRUE(store.writeString(*store.createKey(kFacebook), "FUID", u"7"));
       EXPECT_TRUE(vault.values.empty());
     }},
};

class SettingsSecrets : public testing::TestWithParam<SecretCase> {};

TEST_P(SettingsSecrets, Hold) {
  FakeVault vault;
  GetParam().run(freshDbPath(GetParam().name), vault);
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsSecrets, testing::ValuesIn(kSecretCases),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
