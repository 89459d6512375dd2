#pragma once
// A socialsim with a logged-in client, an empty DataFolder and an empty settings store, for
// the integration tests of the synchronisation and the watches.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "friends/cachepaths.h"
#include "friends/friendstore.h"
#include "friends/progressnotice.h"
#include "platform/settingsstore.h"
#include "support/recordingboxes.h"
#include "support/simserver.h"
#include "support/simsession.h"
#include "support/tempfolder.h"

namespace friendstest {

class RecordingNotice : public friends::ProgressNotice {
 public:
  void showPhase(const std::string& text) override { events.push_back("show: " + text); }
  void dismiss() override { events.push_back("dismiss"); }
  std::vector<std::string> events;
};

class SimFixture : public ::testing::Test {
 protected:
  // Starts socialsim with `args` (and the friend count) and logs in.
  void startSim(const std::vector<std::string>& args = {"--friends", "25"}) {
    ASSERT_TRUE(sim.start(args)) << sim.error();
    ASSERT_TRUE(settings.ok());
    ASSERT_TRUE(testsupport::logIn(sim, settings, dir.path(), session));
  }
  // The FQL texts the server was sent since the log was last emptied, as logged JSON text.
  std::string log() const { return testsupport::requestLog(sim); }

  testsupport::SimServer sim;
  testsupport::TempFolder dir;
  friends::FriendStore store{friends::CachePaths::inFolder(dir.path())};
  platform::SettingsStore settings{dir.path() + "registry.db"};
  testsupport::RecordingBoxes boxes;
  testsupport::SimSession session;
};

}  // namespace friendstest
