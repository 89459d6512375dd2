#pragma once
// The FQL queries that fill the cache files: the friend count, all friends' basic facts,
// their static facts, all friends' statuses and the best friends' statuses. Each query's
// answer is walked from the last user to the first, printing its diagnostic lines, and its
// files are replaced only once a valid answer is in.
#include <cstdint>
#include <string>
#include <vector>

namespace api {
class ApiClient;
}

namespace friends {

class FriendStore;

// getFriendCount: the count itself (0 or more), or one of these.
enum FriendCountResult {
  kCountFailed = -1,
  kCountSessionInvalid = -2,  // error 102
  kCountServerError = -3,     // any other error answer
};
// getAllFriendsFirstTime, getStaticInfo: the number of users (0 or more), or this.
inline constexpr int kFetchFailed = -1;
// checkBestFriendsStatus.
enum class BestFriendsResult {
  Done = 0,
  Failed = -1,
  NoBestFriends = -3,
  Mismatch = -5,
};

// The server's code for a session key that is no longer valid.
inline constexpr int kInvalidSessionErrorCode = 102;

class FriendSync {
 public:
  // `userId` is the session's user (0: no user).
  FriendSync(api::ApiClient& client, uint32_t userId, const FriendStore& store)
      : client_(client), userId_(userId), store_(store) {}

  int getFriendCount();
  // bf.txt.
  int getAllFriendsFirstTime();
  // vt_s.txt, bdate.txt, and rel.txt when there is none (the relationship watch keeps it).
  int getStaticInfo();
  // status.txt; runs on a worker thread.
  void checkFriendsStatus();
  // bf1.txt.
  BestFriendsResult checkBestFriendsStatus();

  // The answer walks behind the operations above, for answers already in hand.
  static int readFriendCount(const std::string& answer);
  int storeAllFriends(const std::string& answer);
  int storeStaticInfo(const std::string& answer);
  int storeStatuses(const std::string& answer);
  // `sortedLines`: bf1.txt's lines in ascending byte order; `asked`: how many were asked for.
  BestFriendsResult storeBestFriendStatuses(const std::vector<std::string>& sortedLines,
                                            std::size_t asked, const std::string& answer);

 private:
  // One query of the operations above and how it fails.
  template <class Result>
  struct Fetch {
    std::string query;
    long seconds;
    Result failed;           // the result when nothing was stored
    const char* noUserLine;  // logged when there is no user; null: asked without one
    const char* failure;     // logged when the call fails
  };
  // Asks `fetch.query` and hands a done answer to `store`, whose result it gives.
  template <class Result, class Store>
  Result fetchThenStore(const Fetch<Result>& fetch, Store store);

  api::ApiClient& client_;
  const uint32_t userId_;
  const FriendStore& store_;
};

}  // namespace friends
