#include "settingsstore.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/endprocess.h"
#include "platform/secretvault.h"
#include "platform/settingskeys.h"

namespace platform {
namespace {

// Value types as the phone's registry reports them.
constexpr int kTypeString = 1;  // REG_SZ
constexpr int kTypeNumber = 4;  // REG_DWORD

// Callers read strings into a 256-byte buffer: 127 characters and the terminator.
constexpr std::size_t kStringBufferBytes = 256;
// Another process (the companion program, a second copy) may hold the write lock briefly.
constexpr int kBusyTimeoutMs = 5000;

// Paths and names compare with SQLite's NOCASE, which folds ASCII only, as the registry does
// for the names this program uses; the first written case is the one kept.
constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS keys("
    "  path TEXT PRIMARY KEY COLLATE NOCASE);"
    "CREATE TABLE IF NOT EXISTS vals("
    "  key TEXT NOT NULL COLLATE NOCASE,"
    "  name TEXT NOT NULL COLLATE NOCASE,"
    "  type INTEGER NOT NULL,"
    "  data BLOB NOT NULL,"
    "  PRIMARY KEY(key, name));";

bool exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) stmt_ = nullptr;
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& bind(int index, const std::string& text) {
    if (stmt_) sqlite3_bind_text(stmt_, index, text.data(), int(text.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement& bind(int index, int number) {
    if (stmt_) sqlite3_bind_int(stmt_, index, number);
    return *this;
  }
  Statement& bindBlob(int index, const std::string& bytes) {
    if (stmt_) sqlite3_bind_blob(stmt_, index, bytes.data(), int(bytes.size()), SQLITE_TRANSIENT);
    return *this;
  }
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
  std::string text(int column) const {
    const auto* p = sqlite3_column_text(stmt_, column);
    return p ? std::string(reinterpret_cast<const char*>(p), sqlite3_column_bytes(stmt_, column))
             : std::string();
  }
  std::string blob(int column) const {
    const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
    return p ? std::string(p, sqlite3_column_bytes(stmt_, column)) : std::string();
  }
  int integer(int column) const { return sqlite3_column_int(stmt_, column); }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// One write: its own transaction, or a savepoint inside an open group, so that a write that
// fails halfway (createKey's parents) leaves nothing behind either way.
class WriteScope {
 public:
  explicit WriteScope(sqlite3* db) : db_(db), outermost_(sqlite3_get_autocommit(db) != 0) {
    begun_ = exec(db_, outermost_ ? "BEGIN IMMEDIATE" : "SAVEPOINT vt_write");
  }
  ~WriteScope() {
    if (!begun_ || committed_) return;
    if (outermost_) {
      exec(db_, "ROLLBACK");
    } else {
      exec(db_, "ROLLBACK TO vt_write");
      exec(db_, "RELEASE vt_write");
    }
  }
  WriteScope(const WriteScope&) = delete;
  WriteScope& operator=(const WriteScope&) = delete;

  bool begun() const { return begun_; }
  bool commit() {
    committed_ = exec(db_, outermost_ ? "COMMIT" : "RELEASE vt_write");
    return committed_;
  }

 private:
  sqlite3* db_;
  bool outermost_;
  bool begun_ = false;
  bool committed_ = false;
};

// "A\B\C" -> {"A", "A\B", "A\B\C"}; empty for a path the registry would refuse.
std::vector<std::string> keyPrefixes(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  std::vector<std::string> prefixes;
  if (path.empty()) return prefixes;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = path.find('\\', start);
    if (end == start) return {};  // leading or doubled backslash
    if (end == std::string::npos) break;
    prefixes.push_back(path.substr(0, end));
    start = end + 1;
  }
  prefixes.push_back(path);
  return prefixes;
}

// A row is found, "done" is absent; anything else (a damaged page, an I/O error) is a
// failure, never an absence: the callers would take it for a first start.
Lookup<std::string> storedKeyPath(sqlite3* db, const std::string& path) {
  Statement find(db, "SELECT path FROM keys WHERE path = ?1");
  find.bind(1, path);
  const int step = find.step();
  if (step == SQLITE_ROW) return find.text(0);
  if (step == SQLITE_DONE) return std::nullopt;
  return Lookup<std::string>::failure(sqlite3_errmsg(db));
}

// Creates the folders of `dbPath` (private: the store holds the session secret) and the file
// itself with owner-only access; SQLite gives its -wal and -shm files the same mode. A file
// an earlier version left readable by others is tightened, with its -wal and -shm beside it.
// False with the reason in `error`; `created` tells whether the file was made here.
bool prepareFile(const std::string& dbPath, std::string* error, bool* created) {
  for (std::size_t pos = dbPath.find('/', 1); pos != std::string::npos;
       pos = dbPath.find('/', pos + 1)) {
    const std::string dir = dbPath.substr(0, pos);
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
      *error = std::strerror(errno);
      return false;
    }
  }
  int fd = ::open(dbPath.c_str(), O_RDWR | O_CLOEXEC);
  *created = fd < 0 && errno == ENOENT;
  if (*created) fd = ::open(dbPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    *error = std::strerror(errno);
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) == 0 && (info.st_mode & 077) != 0) ::fchmod(fd, 0600);
  ::close(fd);
  for (const char* suffix : {"-wal", "-shm"}) {
    const std::string side = dbPath + suffix;
    if (::stat(side.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 077) != 0)
      ::chmod(side.c_str(), 0600);
  }
  return true;
}

std::string utf16Blob(const std::u16string& value) {
  std::string bytes;
  bytes.reserve((value.size() + 1) * 2);
  for (char16_t unit : value) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  bytes.append(2, '\0');  // stored with its terminator, as the platform counts string lengths
  return bytes;
}

// Whether the tables are there; read before anything is written, so that a file without them
// stays as it was. Failed on a file that is no database.
Lookup<bool> hasSchema(sqlite3* db) {
  Statement count(db,
                  "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                  "name IN ('keys', 'vals')");
  if (count.step() != SQLITE_ROW) return Lookup<bool>::failure(sqlite3_errmsg(db));
  return count.integer(0) > 0;
}

}  // namespace

SettingsStore::SettingsStore(const std::string& dbPath, const std::function<bool()>& mayStartAfresh)
    : path_(dbPath) {
  if (dbPath.empty()) {
    openError_ = "no path";
    return;
  }
  bool created = false;
  if (!prepareFile(dbPath, &openError_, &created)) return;
  sqlite3* db = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
  if (sqlite3_open_v2(dbPath.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    openError_ = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    return;
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  if (!created && mayStartAfresh) {
    const auto schema = hasSchema(db);
    if (schema.failed() || (!*schema && !mayStartAfresh())) {
      heldNoSettings_ = !schema.failed();
      openError_ = schema.failed() ? schema.error() : "the file holds no settings";
      sqlite3_close(db);
      return;
    }
  }
  // WAL keeps every committed group whole across a crash and lets readers run beside a
  // writer; NORMAL sync may lose the last group on power loss, never split one.
  exec(db, "PRAGMA journal_mode=WAL");
  exec(db, "PRAGMA synchronous=NORMAL");
  // A secret deleted here (moved into the keyring) leaves no copy in a free page.
  exec(db, "PRAGMA secure_delete=ON");
  if (!exec(db, "BEGIN IMMEDIATE") || !exec(db, kSchema) || !exec(db, "COMMIT")) {
    openError_ = sqlite3_errmsg(db);
    sqlite3_close(db);
    return;
  }
  db_ = db;
  // A fatal end goes through _Exit, which closes nothing: without this the file alone would
  // hold none of the run's writes. A normal end closes the store, which folds the log too.
  endHook_ = addEndHook([this] { checkpoint(); });
}

SettingsStore::~SettingsStore() {
  if (endHook_ != 0) removeEndHook(endHook_);
  sqlite3_close(db_);
}

bool SettingsStore::checkpoint() {
  if (!db_) return false;
  return sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr) ==
         SQLITE_OK;
}

std::string SettingsStore::defaultPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (config && config[0] == '/') {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home ? home : "") + "/.config";
  }
  return base + "/Veltrana/registry.db";
}

Lookup<SettingsKey> SettingsStore::openKey(const std::string& path) {
  const auto prefixes = keyPrefixes(path);
  if (!db_) return Lookup<SettingsKey>::failure(openError_);
  if (prefixes.empty()) return std::nullopt;
  auto stored = storedKeyPath(db_, prefixes.back());
  if (stored.failed()) return Lookup<SettingsKey>::failure(stored.error());
  if (!stored) return std::nullopt;
  return SettingsKey(std::move(*stored));
}

std::string SettingsStore::lastError() const {
  return db_ ? std::string(sqlite3_errmsg(db_)) : openError_;
}

std::optional<SettingsKey> SettingsStore::createKey(const std::string& path,
                                                    KeyDisposition* disposition) {
  const auto prefixes = keyPrefixes(path);
  if (!db_ || prefixes.empty()) return std::nullopt;
  auto found = storedKeyPath(db_, prefixes.back());
  if (found) {
    if (disposition) *disposition = KeyDisposition::OpenedExistingKey;
    return SettingsKey(std::move(*found));
  }
  if (found.failed() || brokenGroups_ > 0) return std::nullopt;

  WriteScope scope(db_);
  if (!scope.begun()) return std::nullopt;
  // Looked up again under the write lock: another process may have made it meanwhile.
  const auto again = storedKeyPath(db_, prefixes.back());
  if (again.failed()) return std::nullopt;
  const bool existed = again.found();
  for (const auto& prefix : prefixes) {
    Statement insert(db_, "INSERT OR IGNORE INTO keys(path) VALUES(?1)");
    if (insert.bind(1, prefix).step() != SQLITE_DONE) return std::nullopt;
  }
  auto stored = storedKeyPath(db_, prefixes.back());
  if (!stored || !scope.commit()) return std::nullopt;
  if (disposition) {
    *disposition = existed ? KeyDisposition::OpenedExistingKey : KeyDisposition::CreatedNewKey;
  }
  return SettingsKey(std::move(*stored));
}

namespace {

WriteResult writeValue(sqlite3* db, const std::string& key, const std::string& name, int type,
                       const std::string& data) {
  WriteScope scope(db);
  if (!scope.begun()) return {WriteStatus::WriteFault};
  // A handle outlives its key when someone deletes the tree in between.
  const auto stored = storedKeyPath(db, key);
  if (stored.failed()) return {WriteStatus::WriteFault};
  if (!stored) return {WriteStatus::KeyDeleted};
  Statement upsert(db,
                   "INSERT INTO vals(key, name, type, data) VALUES(?1, ?2, ?3, ?4) "
                   "ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, "
                   "data = excluded.data");
  upsert.bind(1, key).bind(2, name).bind(3, type).bindBlob(4, data);
  if (upsert.step() != SQLITE_DONE || !scope.commit()) return {WriteStatus::WriteFault};
  return {WriteStatus::Done};
}

WriteResult removeValue(sqlite3* db, const std::string& key, const std::string& name) {
  WriteScope scope(db);
  if (!scope.begun()) return {WriteStatus::WriteFault};
  const auto stored = storedKeyPath(db, key);
  if (stored.failed()) return {WriteStatus::WriteFault};
  if (!stored) return {WriteStatus::KeyDeleted};
  Statement remove(db, "DELETE FROM vals WHERE key = ?1 AND name = ?2");
  remove.bind(1, key).bind(2, name);
  if (remove.step() != SQLITE_DONE || !scope.commit()) return {WriteStatus::WriteFault};
  return {WriteStatus::Done};
}

// True when deleting the tree `path` takes the key `key` with it.
bool treeHolds(const std::string& path, const std::string& key) {
  return key.size() >= path.size() && ::strncasecmp(key.c_str(), path.c_str(), path.size()) == 0 &&
         (key.size() == path.size() || key[path.size()] == '\\');
}

Lookup<std::pair<int, std::string>> readValue(sqlite3* db, const std::string& key,
                                              const std::string& name) {
  Statement select(db, "SELECT type, data FROM vals WHERE key = ?1 AND name = ?2");
  select.bind(1, key).bind(2, name);
  const int step = select.step();
  if (step == SQLITE_ROW) return std::make_pair(select.integer(0), select.blob(1));
  if (step == SQLITE_DONE) return std::nullopt;
  return Lookup<std::pair<int, std::string>>::failure(sqlite3_errmsg(db));
}

}  // namespace

WriteResult SettingsStore::writeString(const SettingsKey& key, const std::string& name,
                                       const std::u16string& value) {
  if (!db_) return {WriteStatus::NotOpen};
  if (brokenGroups_ > 0) return {WriteStatus::WriteFault};
  if (holdsSecret(key.path(), name)) return writeSecret(key, name, value);
  return writeStoredString(key.path(), name, value);
}

WriteResult SettingsStore::writeStoredString(const std::string& key, const std::string& name,
                                             const std::u16string& value) {
  return writeValue(db_, key, name, kTypeString, utf16Blob(value));
}

WriteResult SettingsStore::writeNumber(const SettingsKey& key, const std::string& name,
                                       uint32_t value) {
  if (!db_) return {WriteStatus::NotOpen};
  if (brokenGroups_ > 0) return {WriteStatus::WriteFault};
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return writeValue(db_, key.path(), name, kTypeNumber, bytes);
}

Lookup<uint32_t> SettingsStore::readNumber(const SettingsKey& key, const std::string& name) {
  if (!db_) return Lookup<uint32_t>::failure(openError_);
  const auto value = readValue(db_, key.path(), name);
  if (value.failed()) return Lookup<uint32_t>::failure(value.error());
  if (!value || value->first != kTypeNumber || value->second.size() != 4) return std::nullopt;
  uint32_t number = 0;
  for (int i = 3; i >= 0; --i)
    number = (number << 8) | static_cast<unsigned char>(value->second[i]);
  return number;
}

Lookup<std::u16string> SettingsStore::readString(const SettingsKey& key, const std::string& name) {
  if (!db_) return Lookup<std::u16string>::failure(openError_);
  if (holdsSecret(key.path(), name) || mayBeOutOfReach(key.path(), name))
    return readSecret(key, name);
  return readStoredString(key.path(), name);
}

Lookup<std::u16string> SettingsStore::readStoredString(const std::string& key,
                                                       const std::string& name) {
  const auto value = readValue(db_, key, name);
  if (value.failed()) return Lookup<std::u16string>::failure(value.error());
  if (!value || value->first != kTypeString || value->second.size() > kStringBufferBytes) {
    return std::nullopt;
  }
  const std::string& bytes = value->second;
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                            (static_cast<unsigned char>(bytes[i + 1]) << 8));
    if (unit == 0) break;  // the reader sees the text up to its terminator
    text += unit;
  }
  return text;
}

WriteResult SettingsStore::deleteTree(const std::string& path) {
  const auto prefixes = keyPrefixes(path);
  if (!db_) return {WriteStatus::NotOpen};
  if (prefixes.empty()) return {WriteStatus::BadPath};
  if (brokenGroups_ > 0) return {WriteStatus::WriteFault};
  WriteScope scope(db_);
  if (!scope.begun()) return {WriteStatus::WriteFault};
  const auto stored = storedKeyPath(db_, prefixes.back());
  if (stored.failed()) return {WriteStatus::WriteFault};
  if (!stored) return {WriteStatus::KeyMissing};
  // The key itself and everything below it; "A\B" must not take its sibling "A\BC" along.
  Statement deleteValues(db_,
                         "DELETE FROM vals WHERE key = ?1 OR "
                         "substr(key, 1, length(?1) + 1) = (?1 || '\\') COLLATE NOCASE");
  Statement deleteKeys(db_,
                       "DELETE FROM keys WHERE path = ?1 OR "
                       "substr(path, 1, length(?1) + 1) = (?1 || '\\') COLLATE NOCASE");
  if (deleteValues.bind(1, prefixes.back()).step() != SQLITE_DONE ||
      deleteKeys.bind(1, prefixes.back()).step() != SQLITE_DONE || !scope.commit()) {
    return {WriteStatus::WriteFault};
  }
  if (treeHolds(prefixes.back(), keys::kFacebook)) eraseSecrets();
  return {WriteStatus::Done};
}

namespace {

bool isSecret(const std::string& key, const std::string& name) {
  return ::strcasecmp(key.c_str(), keys::kFacebook) == 0 &&
         (::strcasecmp(name.c_str(), keys::kSessionKey) == 0 ||
          ::strcasecmp(name.c_str(), keys::kSessionSecret) == 0);
}

}  // namespace

bool SettingsStore::holdsSecret(const std::string& key, const std::string& name) const {
  return vault_ != nullptr && isSecret(key, name);
}

bool SettingsStore::mayBeOutOfReach(const std::string& key, const std::string& name) const {
  return isSecret(key, name) && !secretsFailure().empty();
}

void SettingsStore::secretsOutOfReach(const std::string& reason) {
  std::lock_guard lock(secretsFailureMutex_);
  if (secretsFailure_.empty()) secretsFailure_ = reason.empty() ? "unknown error" : reason;
}

std::string SettingsStore::secretsFailure() const {
  std::lock_guard lock(secretsFailureMutex_);
  return secretsFailure_;
}

WriteResult SettingsStore::writeSecret(const SettingsKey& key, const std::string& name,
                                       const std::u16string& value) {
  // The store's copy goes with the group the value belongs to; the vault gets the value
  // once that group has landed.
  const WriteResult removed = removeValue(db_, key.path(), name);
  if (!removed) return removed;
  pendingSecrets_.push_back({key.path(), name, value});
  if (sqlite3_get_autocommit(db_) != 0 && !flushSecrets()) return {WriteStatus::WriteFault};
  return {WriteStatus::Done};
}

bool SettingsStore::flushSecrets() {
  std::vector<PendingSecret> pending;
  pending.swap(pendingSecrets_);
  bool landed = true;
  for (std::size_t i = 0; i < pending.size(); ++i) {
    SecretVault* vault = vault_;
    if (vault && vault->write(pending[i].name, toUtf8(pending[i].value))) continue;
    // The keyring stopped answering: the group's values land where they did before there was
    // one, those the keyring already took too, so the store never holds a key without its
    // secret; the next start moves them into the keyring over whatever older value it kept.
    vault_ = nullptr;
    for (const auto& secret : pending) {
      if (!writeStoredString(secret.key, secret.name, secret.value)) landed = false;
    }
    break;
  }
  return landed;
}

Lookup<std::u16string> SettingsStore::readSecret(const SettingsKey& key, const std::string& name) {
  if (SecretVault* vault = vault_) {
    const auto fromVault = vault->read(name);
    if (fromVault) {
      std::u16string text = toUtf16(*fromVault);
      // As from the store: a value that does not fit the caller's buffer is none.
      if ((text.size() + 1) * 2 > kStringBufferBytes) return std::nullopt;
      return text;
    }
    if (fromVault.failed()) {
      vault_ = nullptr;
      secretsOutOfReach(fromVault.error());
    }
  }
  // A value written while the keyring did not answer is still here.
  auto stored = readStoredString(key.path(), name);
  if (!stored.absent()) return stored;
  // Not here, and the keyring that may keep it could not say: no session is not the answer.
  const std::string failure = secretsFailure();
  if (!failure.empty()) return Lookup<std::u16string>::failure(failure);
  return stored;
}

void SettingsStore::eraseSecrets() {
  pendingSecrets_.clear();
  SecretVault* vault = vault_;
  if (!vault) return;
  for (const char* name : {keys::kSessionKey, keys::kSessionSecret}) {
    if (!vault->erase(name)) {
      vault_ = nullptr;
      return;
    }
  }
}

void SettingsStore::keepSecretsIn(SecretVault* vault) {
  vault_ = vault;
  if (vault && db_) moveSecretsIntoVault();
}

void SettingsStore::moveSecretsIntoVault() {
  SecretVault* vault = vault_;
  const auto key = openKey(keys::kFacebook);
  if (!key) {
    // No session here, so none in the vault either: one a wipe could not erase there (the
    // keyring was silent then) goes now rather than outliving the settings it belonged to.
    if (!key.failed()) eraseSecrets();
    return;
  }
  const char* names[] = {keys::kSessionKey, keys::kSessionSecret};
  std::vector<const char*> moved;
  for (const char* name : names) {
    const auto stored = readStoredString(key->path(), name);
    if (!stored) continue;
    if (!vault->write(name, toUtf8(*stored))) {
      // Both or neither: a key in the vault beside a secret in the store would be no session.
      for (const char* done : moved) vault->erase(done);
      vault_ = nullptr;
      return;
    }
    moved.push_back(name);
  }
  if (moved.empty()) return;
  WriteScope scope(db_);
  if (!scope.begun()) return;
  for (const char* name : moved) {
    if (!removeValue(db_, key->path(), name)) return;
  }
  if (scope.commit()) exec(db_, "PRAGMA wal_checkpoint(TRUNCATE)");
}

SettingsStore::Transaction::Transaction(SettingsStore& store)
    : store_(store), secretsMark_(store.pendingSecrets_.size()) {
  if (!store_.db_) return;
  outermost_ = sqlite3_get_autocommit(store_.db_) != 0;
  active_ = exec(store_.db_, outermost_ ? "BEGIN IMMEDIATE" : "SAVEPOINT vt_group");
  if (!active_) {
    broken_ = true;
    ++store_.brokenGroups_;
  }
}

SettingsStore::Transaction::~Transaction() {
  if (broken_) --store_.brokenGroups_;
  if (!active_) return;
  if (store_.pendingSecrets_.size() > secretsMark_) store_.pendingSecrets_.resize(secretsMark_);
  if (outermost_) {
    exec(store_.db_, "ROLLBACK");
  } else {
    exec(store_.db_, "ROLLBACK TO vt_group");
    exec(store_.db_, "RELEASE vt_group");
  }
}

bool SettingsStore::Transaction::commit() {
  if (!active_) return false;
  // A failed COMMIT (the disk is full) leaves the group open for the destructor to undo.
  if (!exec(store_.db_, outermost_ ? "COMMIT" : "RELEASE vt_group")) return false;
  active_ = false;
  // A secret that reached neither the keyring nor the store is a failed group.
  return !outermost_ || store_.flushSecrets();
}

const char* WriteResult::description() const {
  switch (status) {
    case WriteStatus::Done:
      return "done";
    case WriteStatus::KeyMissing:
      return "no such key";
    case WriteStatus::NotOpen:
      return "the store is not open";
    case WriteStatus::WriteFault:
      return "the store could not be written";
    case WriteStatus::BadPath:
      return "no key path";
    case WriteStatus::KeyDeleted:
      return "the key was deleted";
  }
  return "unknown result";
}

std::string unreadableSettingsText(const std::string& path, const std::string& reason) {
  return "Veltrana cannot read its settings: " + path + ": " + reason;
}

}  // namespace platform
