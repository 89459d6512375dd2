#include "friends/relationwatch.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "api/apiclient.h"
#include "api/responsedocument.h"
#include "api/timeouts.h"
#include "friends/cacheentries.h"
#include "friends/friend.h"
#include "friends/friendqueries.h"
#include "friends/friendstore.h"
#include "friends/recordtext.h"
#include "platform/messageboxes.h"
#include "platform/terminaltext.h"

namespace friends {
namespace {

constexpr const char* kChangedText =
    "Your friends changed their relationship status. If you want to look at the change go to "
    "\"Relation Change\" menu.";

// uid -> stored status, the first line of each uid winning. A line cut before the status's
// closing "*" knows the friend but not his status (nullopt): no change is told against it.
std::map<std::string, std::optional<std::string>, std::less<>> storedStatuses(
    std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end());
  std::map<std::string, std::optional<std::string>, std::less<>> stored;
  for (const std::string& line : lines) {
    RelationEntry entry = RelationEntry::parse(line);
    if (entry.closed == 0) continue;
    std::optional<std::string> status;
    if (entry.complete()) status = std::move(entry.relationshipStatus);
    stored.emplace(std::move(entry.uid), std::move(status));
  }
  return stored;
}

}  // namespace

void RelationWatch::clearChanges() {
  std::lock_guard lock(mutex_);
  changes_.clear();
}

std::vector<std::string> RelationWatch::changes() const {
  std::lock_guard lock(mutex_);
  return changes_;
}

void RelationWatch::checkRelationChange(api::ApiClient& client, uint32_t userId) {
  const bool changed = run(client, userId);
  {
    std::lock_guard lock(mutex_);
    completedAt_ = timeText_();
    completed_.store(true);
  }
  // The box waits for the user: the run counts as ended when its list was made.
  if (changed)
    boxes_.show(
        {.caption = "Veltrana", .text = kChangedText, .icon = platform::MbIcon::Information});
}

std::optional<std::string> RelationWatch::completion() const {
  std::lock_guard lock(mutex_);
  if (!completed_.load()) return std::nullopt;
  return completedAt_;
}

void RelationWatch::forgetCompletion(const std::string& at) {
  std::lock_guard lock(mutex_);
  if (completedAt_ == at) completed_.store(false);
}

bool RelationWatch::run(api::ApiClient& client, uint32_t userId) {
  // A list that cannot be read is no first run: rewritten, it would hide every change since
  // the last run.
  const auto lines = store_.read(CacheFile::Relations);
  if (!lines) {
    std::printf("checkRelationChange(): Could not read the stored relationships.\n");
    return false;
  }
  const auto stored = storedStatuses(*lines);
  const bool firstRun = stored.empty();
  if (userId == 0) {
    std::printf("checkRelationChange(): Current UID = 0.  Exiting.\n");
    return false;
  }
  const api::CallResult call =
      client.fqlQuery(relationshipQuery(userId), {}, api::kFullFetchSeconds);
  const api::ResponseDocument doc = call.done() ? call.document() : api::ResponseDocument();
  const api::XmlNode response = doc.isWhole() ? doc.child("fql_query_response") : api::XmlNode();
  // An error answer keeps rel.txt too: emptied, it would make the next run a first one. A cut
  // answer would store a cut status and drop the friends after the cut.
  if (response.isEmpty()) {
    std::printf("checkRelationChange(): Could not get friends relationship_status.\n");
    return false;
  }

  std::printf("Getting friends' relations list\n");
  const std::size_t n = response.count("user");
  if (n == 0) std::printf("Well, this does no good for 0 best friends.  Exiting.\n");
  std::string rel;
  std::vector<std::string> found;
  for (const api::XmlNode user : response.children("user").reversed()) {
    const auto uid = user.child("uid").text();
    if (!uid) continue;
    std::printf("Friend UID: %s\n", platform::printable(*uid).c_str());
    const auto status = user.child("relationship_status").text();
    if (!status) continue;
    std::printf("Relationship: %s\n", platform::printable(*status).c_str());
    if (!isDecimalId(*uid)) continue;

    Friend f;
    f.uid = *uid;
    f.relationshipStatus = *status;
    rel += f.relationLine();
    if (firstRun) continue;
    // Compared as stored, so a value that had to be cleaned is not a change every run.
    const std::string now = cleanValue(*status);
    const auto old = stored.find(f.uid);
    if (old != stored.end() && old->second && *old->second != now) {
      found.push_back(f.uid + kFieldEnd + *old->second + kFieldEnd + now + kFieldEnd + '\n');
    }
  }
  // Changes that were not stored are found again by the next run: told now, they would be
  // told twice.
  if (!store_.replace(CacheFile::Relations, rel) || found.empty()) return false;
  std::lock_guard lock(mutex_);
  changes_.insert(changes_.end(), found.begin(), found.end());
  return true;
}

}  // namespace friends
