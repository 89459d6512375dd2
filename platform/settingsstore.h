#pragma once
// The settings store: a registry of keys and typed values kept in one SQLite database.
// Keys are addressed by their full path ("SOFTWARE\Corvanta\Facebook"); every write is its
// own transaction, and Transaction groups several writes so that a crash leaves all or none.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/lookup.h"

struct sqlite3;

namespace platform {

class SecretVault;
class SettingsStore;

// A handle to an existing key. Cheap to copy; it does not keep anything open.
class SettingsKey {
 public:
  const std::string& path() const { return path_; }

 private:
  friend class SettingsStore;
  explicit SettingsKey(std::string path) : path_(std::move(path)) {}
  std::string path_;
};

enum class KeyDisposition { CreatedNewKey = 1, OpenedExistingKey = 2 };

// What a write or a delete did. The values are the platform's error codes the store has always
// answered with, so a number a caller logs or compares keeps its meaning.
enum class WriteStatus {
  Done = 0,
  KeyMissing = 2,     // deleteTree: there was no such key
  NotOpen = 6,        // the store could not be opened
  WriteFault = 29,    // the store could not be read or written (lastError() says why)
  BadPath = 87,       // deleteTree: an empty path
  KeyDeleted = 1018,  // the key went (a tree deleted) after its handle was opened
};

struct WriteResult {
  WriteStatus status = WriteStatus::Done;

  explicit operator bool() const { return status == WriteStatus::Done; }
  const char* description() const;
};

class SettingsStore {
 public:
  // Opens (creating when missing) the database at `dbPath`, creating its folder; an existing
  // file readable by others is made owner-only first (it holds the session secret).
  // Check ok() before use: a store that could not be opened fails every operation, and
  // openError() says why.
  // `mayStartAfresh` is asked when the file exists but holds no settings (emptied, or copied
  // without the -wal file that held them): false leaves the file as it is and the store
  // unopened, with heldNoSettings(). Without it such a file starts afresh, as a new one does.
  explicit SettingsStore(const std::string& dbPath,
                         const std::function<bool()>& mayStartAfresh = {});
  ~SettingsStore();
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  // $XDG_CONFIG_HOME/Veltrana/registry.db (default ~/.config).
  static std::string defaultPath();

  bool ok() const { return db_ != nullptr; }
  // Why the store could not be opened ("Permission denied", "database is locked" ...);
  // empty when it is open.
  const std::string& openError() const { return openError_; }

  const std::string& path() const { return path_; }
  // The file was there without any settings and mayStartAfresh said no.
  bool heldNoSettings() const { return heldNoSettings_; }

  // Folds the log into the database file, so that the file alone holds every committed
  // write (a backup or copy of registry.db without its -wal). Runs at every end through
  // endProcess and when the store closes; false when another connection held it up.
  bool checkpoint();

  // Opens an existing key: found, absent, or failed when the store cannot be read.
  Lookup<SettingsKey> openKey(const std::string& path);
  // Creates the key (and its missing parents) or opens it; nullopt on failure.
  std::optional<SettingsKey> createKey(const std::string& path,
                                       KeyDisposition* disposition = nullptr);

  WriteResult writeString(const SettingsKey& key, const std::string& name,
                          const std::u16string& value);
  WriteResult writeNumber(const SettingsKey& key, const std::string& name, uint32_t value);
  // A number value only (type number, 4 bytes); absent otherwise, failed when the store
  // cannot be read.
  Lookup<uint32_t> readNumber(const SettingsKey& key, const std::string& name);
  // A string value that fits the 256-byte buffer (at most 127 characters); a longer one,
  // a missing one or one of another type is absent; failed when the store cannot be read.
  Lookup<std::u16string> readString(const SettingsKey& key, const std::string& name);
  // Deletes the key with all its subkeys and values; KeyMissing when there is none.
  WriteResult deleteTree(const std::string& path);
  // SQLite's text for the last failure on this connection.
  std::string lastError() const;

  // From now on the session's key and secret live in `vault` (nullptr: here again). A key
  // and secret an older run left in the store move into it and leave the store. A vault
  // that stops answering is dropped for the rest of the run and the store takes over.
  void keepSecretsIn(SecretVault* vault);
  // A keyring is there but cannot be read (it did not answer, it is locked): a key or
  // secret the store itself lacks may be kept there, so reading one fails with `reason`
  // instead of reading as absent. Set as well when the vault fails a read.
  void secretsOutOfReach(const std::string& reason);
  // The reason given or found, empty while the secrets are within reach.
  std::string secretsFailure() const;

  // Groups writes: everything between begin and commit lands together or not at all.
  class Transaction {
   public:
    explicit Transaction(SettingsStore& store);
    ~Transaction();  // rolls back unless committed
    bool commit();

   private:
    SettingsStore& store_;
    bool active_ = false;
    bool outermost_ = false;       // began the database transaction (else a savepoint in one)
    bool broken_ = false;          // could not begin: the store refuses writes until it ends
    std::size_t secretsMark_ = 0;  // the vault writes queued before this group
  };

 private:
  struct PendingSecret {
    std::string key, name;
    std::u16string value;
  };
  bool holdsSecret(const std::string& key, const std::string& name) const;
  bool mayBeOutOfReach(const std::string& key, const std::string& name) const;
  WriteResult writeSecret(const SettingsKey& key, const std::string& name,
                          const std::u16string& value);
  Lookup<std::u16string> readSecret(const SettingsKey& key, const std::string& name);
  void eraseSecrets();
  bool flushSecrets();  // false when a value landed nowhere
  void moveSecretsIntoVault();
  Lookup<std::u16string> readStoredString(const std::string& key, const std::string& name);
  WriteResult writeStoredString(const std::string& key, const std::string& name,
                                const std::u16string& value);

  // Dropped by whichever thread finds it silent; read by every write.
  std::atomic<SecretVault*> vault_{nullptr};
  // Vault writes wait for their group to land, so a group rolled back changes no keyring.
  std::vector<PendingSecret> pendingSecrets_;
  sqlite3* db_ = nullptr;
  std::string path_;
  std::string openError_;
  // Open groups that could not begin; writes fail meanwhile rather than land ungrouped.
  int brokenGroups_ = 0;
  bool heldNoSettings_ = false;
  int endHook_ = 0;
  mutable std::mutex secretsFailureMutex_;
  std::string secretsFailure_;
};

// The text of the box that stops the start when the store at `path` cannot be read.
std::string unreadableSettingsText(const std::string& path, const std::string& reason);

// UTF-8 <-> UTF-16, the Linux stand-in for the ANSI code-page conversions.
std::u16string toUtf16(const std::string& utf8);
std::string toUtf8(const std::u16string& utf16);

}  // namespace platform
