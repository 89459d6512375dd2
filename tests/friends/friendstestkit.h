#pragma once
// Helpers of the friend and picture tests: a throw-away DataFolder, whole-file reads and
// writes, message boxes that record from any thread, and a session on a running socialsim.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "api/apiclient.h"
#include "friends/cachepaths.h"
#include "platform/messageboxes.h"
#include "platform/settingsstore.h"

namespace testsupport {
class SimServer;
}

namespace friendstest {

// A fresh folder under the test's root; removed with everything in it at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // Ends with "/".
  const std::string& path() const { return path_; }
  friends::CachePaths cachePaths() const { return friends::CachePaths::inFolder(path_); }

 private:
  std::string path_;
};

std::string readWhole(const std::string& path);
void writeWhole(const std::string& path, const std::string& text);
bool fileExists(const std::string& path);
std::vector<std::string> splitLines(const std::string& text);

// Records "caption: text" of every box; safe to use from several threads.
class RecordingBoxes : public platform::MessageBoxes {
 public:
  int show(const platform::MessageBoxRequest& request) override;
  std::vector<std::string> shown() const;
  void clear();

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> shown_;
};

// A logged-in client of a running socialsim: token, authorisation through the control API,
// then auth.getSession, which also stores the session (and so the Facebook key) in
// `settings`.
struct SimSession {
  std::shared_ptr<api::ApiClient> client;
  uint32_t userId = 0;
};
bool logIn(const testsupport::SimServer& sim, platform::SettingsStore& settings,
           const std::string& logFolder, SimSession& session);

// The friends' uids in the server's order.
std::vector<std::string> friendUids(const testsupport::SimServer& sim);
// The request log's JSON text (decoded parameters included), and emptying it.
std::string requestLog(const testsupport::SimServer& sim);
void clearRequestLog(const testsupport::SimServer& sim);
// How often `text` occurs in `haystack`.
int occurrences(const std::string& haystack, const std::string& text);

}  // namespace friendstest
