#pragma once
// The dialogs' tests: a socialsim with a logged-in client, a DataFolder of their own, the
// connection keeper over a backend that records what was asked of it, recorded message
// boxes and mobile pages, and a clock the test sets.
#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include <QString>

#include "friends/friendstore.h"
#include "friendstestkit.h"
#include "pictures/picturecache.h"
#include "platform/connectionkeeper.h"
#include "platform/settingsstore.h"
#include "support/simserver.h"
#include "ui/dialogs/dialogcontext.h"
#include "ui/kit/fonts.h"

namespace dialogstest {

class DialogsFixture : public ::testing::Test {
 protected:
  DialogsFixture();
  void SetUp() override;
  void TearDown() override;

  // A new friend on the server with `name` (and more person fields as JSON members); his uid.
  std::string addFriend(const std::string& name, const std::string& moreJson = "");
  void setStatus(const std::string& uid, const std::string& message);
  // Replaces bf.txt by these friends: uid, timezone, name.
  void writeAllFriends(const std::vector<std::vector<std::string>>& friends);
  // A fault of socialsim's: `json` as its control API takes it.
  void fault(const std::string& json);

  std::string requests() const { return friendstest::requestLog(sim); }
  void clearRequests() { friendstest::clearRequestLog(sim); }
  std::vector<std::string> shown() const { return boxes.shown(); }
  std::string lastShown() const;

  static QString screenshotPath(const QString& name);

  testsupport::SimServer sim;
  friendstest::TempFolder dir;
  friends::FriendStore store{dir.cachePaths()};
  pictures::PictureCache pictures{dir.cachePaths()};
  platform::SettingsStore settings{dir.path() + "registry.db"};
  friendstest::SimSession session;
  friendstest::RecordingBoxes boxes;
  // "interactive", "idle" and "release", as the dialogs ask them of the connection.
  std::vector<std::string> connectionEvents;
  platform::ConnectionKeeper connection;
  ui::Fonts fonts;
  std::vector<std::string> openedPages;
  std::time_t now = 0;
  ui::DialogContext context;
};

}  // namespace dialogstest
