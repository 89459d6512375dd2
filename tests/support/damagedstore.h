#pragma once
// A settings store that opens but cannot be read: pages of the database file overwritten
// with bytes that are no page at all, as a disk that lost them would leave it. The first
// page (the header and the schema) stays, so opening still works.
#include <sqlite3.h>

#include <fstream>
#include <string>
#include <vector>

namespace testsupport {

// Spoils the pages of the named tables and indexes of the store at `dbPath`, or every page
// but the first when `trees` is empty. The store must not be open anywhere.
inline bool damageStore(const std::string& dbPath, const std::vector<std::string>& trees = {}) {
  sqlite3* db = nullptr;
  if (sqlite3_open(dbPath.c_str(), &db) != SQLITE_OK) return false;
  // Everything into the main file first: the last connection to close folds the log in.
  sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
  std::vector<long long> pages;
  long long pageSize = 0, pageCount = 0;
  const auto number = [db](const std::string& sql, long long* out) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    const bool found = sqlite3_step(stmt) == SQLITE_ROW;
    if (found) *out = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return found;
  };
  number("PRAGMA page_size", &pageSize);
  number("PRAGMA page_count", &pageCount);
  for (const auto& tree : trees) {
    long long root = 0;
    if (!number("SELECT rootpage FROM sqlite_master WHERE name = '" + tree + "'", &root)) {
      sqlite3_close(db);
      return false;
    }
    pages.push_back(root);
  }
  if (trees.empty())
    for (long long page = 2; page <= pageCount; ++page) pages.push_back(page);
  if (sqlite3_close(db) != SQLITE_OK || pageSize <= 0 || pages.empty()) return false;

  std::fstream file(dbPath, std::ios::in | std::ios::out | std::ios::binary);
  const std::string garbage(static_cast<std::size_t>(pageSize), '~');
  for (const long long page : pages) {
    file.seekp((page - 1) * pageSize);
    file.write(garbage.data(), pageSize);
  }
  return static_cast<bool>(file.flush());
}

// The tables of the values and of the keys, each with its index.
inline const std::vector<std::string> kValueTrees = {"vals", "sqlite_autoindex_vals_1"};
inline const std::vector<std::string> kKeyTrees = {"keys", "sqlite_autoindex_keys_1"};

}  // namespace testsupport
