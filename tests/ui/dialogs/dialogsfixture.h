#pragma once
// The dialogs' tests: a socialsim with a logged-in client, a DataFolder of their own, the
// connection keeper over a backend that records what was asked of it, recorded message
// boxes and mobile pages, and a clock the test sets.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "friends/cachepaths.h"
#include "friends/friendstore.h"
#include "pictures/picturecache.h"
#include "platform/connectionkeeper.h"
#include "support/recordingboxes.h"
#include "support/simserver.h"
#include "support/simsession.h"
#include "support/tempfolder.h"
#include "ui/dialogs/dialogcontext.h"
#include "ui/kit/fonts.h"
#include "ui/kit/uistate.h"

namespace dialogstest {

class DialogsFixture : public ::testing::Test {
 protected:
  DialogsFixture();
  void SetUp() override;

  // A new friend of the user's on the server; his uid.
  std::string addFriend(const std::string& name);
  // An empty uid means the user.
  void setStatus(const std::string& uid, const std::string& message);
  // bf.txt with these friends: uid, timezone, name.
  void writeAllFriends(const std::vector<std::vector<std::string>>& friends);
  void fault(const std::string& json) {
    EXPECT_EQ(sim.control("/faults", json).status, 200) << json;
  }
  std::string requests() const { return testsupport::requestLog(sim); }
  static QString screenshotPath(const QString& name);

  testsupport::SimServer sim;
  testsupport::TempFolder dir;
  friends::FriendStore store{friends::CachePaths::inFolder(dir.path())};
  pictures::PictureCache pictures{friends::CachePaths::inFolder(dir.path())};
  testsupport::SimSession session;
  testsupport::RecordingBoxes boxes;
  std::vector<std::string> connectionEvents;  // "interactive", "idle", "release"
  platform::ConnectionKeeper connection;
  ui::Fonts fonts;
  ui::UiState ui;
  std::vector<std::string> openedPages;
  std::time_t now = 0;
  ui::DialogContext context;
};

}  // namespace dialogstest
