#include "friendstestkit.h"
#include "simfriends.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

#include "api/authoperations.h"
#include "platform/debuglog.h"
#include "support/simserver.h"

namespace friendstest {

TempFolder::TempFolder() {
  const char* root = std::getenv("VELTRANA_TEST_ROOT");
  if (!root) root = std::getenv("TMPDIR");
  std::string pattern = std::string(root ? root : "/tmp") + "/datafolder.XXXXXX";
  if (::mkdtemp(pattern.data())) path_ = pattern + "/";
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeWhole(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

bool fileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

int RecordingBoxes::show(const platform::MessageBoxRequest& request) {
  std::lock_guard lock(mutex_);
  shown_.push_back(request.caption + ": " + request.text);
  return platform::kIdOk;
}

std::vector<std::string> RecordingBoxes::shown() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

void RecordingBoxes::clear() {
  std::lock_guard lock(mutex_);
  shown_.clear();
}

bool logIn(const testsupport::SimServer& sim, platform::SettingsStore& settings,
           const std::string& logFolder, SimSession& session) {
  session.client =
      std::make_shared<api::ApiClient>(api::kApiKey, api::kApplicationSecret, sim.restUrl());
  if (api::createHandleAndRequestToken(*session.client) != api::kTokenStored) return false;
  const auto authorised =
      sim.control("/authorize", R"({"auth_token": ")" + session.client->loginToken() + R"("})");
  if (authorised.status != 200) return false;
  const uint32_t uid = api::authGetSession(*session.client, settings, platform::DebugLog(logFolder));
  session.userId = uid;
  return uid != 0;
}

sim::Json simFriends(const testsupport::SimServer& sim) {
  const auto parsed = sim::Json::parse(sim.request("GET", "/_sim/friends").body, nullptr, false);
  return parsed.is_object() && parsed.contains("friends") ? parsed["friends"] : sim::Json::array();
}

std::vector<std::string> friendUids(const testsupport::SimServer& sim) {
  std::vector<std::string> uids;
  for (const sim::Json& f : simFriends(sim))
    uids.push_back(std::to_string(f["uid"].get<int64_t>()));
  return uids;
}

std::string requestLog(const testsupport::SimServer& sim) {
  return sim.request("GET", "/_sim/requests").body;
}

void clearRequestLog(const testsupport::SimServer& sim) { sim.control("/requests/clear"); }

int occurrences(const std::string& haystack, const std::string& text) {
  int n = 0;
  for (std::size_t at = haystack.find(text); at != std::string::npos;
       at = haystack.find(text, at + text.size()))
    ++n;
  return n;
}

}  // namespace friendstest
