// A server that answers after the time-outs: the dialogs say so and still open; an update
// that timed out keeps its text.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "dialogsfixture.h"
#include "ui/dialogs/frienddetailsdialog.h"
#include "ui/dialogs/statusdialog.h"
#include "ui/kit/globals.h"
#include "ui/kit/menutable.h"

namespace dialogstest {
namespace {

using friendstest::fileExists;

constexpr const char* kLateQuery = R"({"match": "facebook.fql.query", "delay_ms": 16500})";

TEST_F(DialogsFixture, TheStatusDialogOpensWhenTheQueryTimesOut) {
  sim.control("/person", R"({"first_name": "Veronika"})");
  setStatus("", "is waiting");
  fault(kLateQuery);
  ui::StatusDialog dialog(context, nullptr);
  EXPECT_EQ(shown(), std::vector<std::string>{"Problem: We couldn't retrieve your current Facebook "
                                              "status. Your connection may be down."});
  EXPECT_EQ(dialog.nameLabel()->text(), "Your Name");
  EXPECT_EQ(dialog.edit()->text(), "");
  EXPECT_EQ(dialog.softKeys(), ui::menu::kDone);
}

TEST_F(DialogsFixture, AnUpdateThatTimesOutSaysSoAndKeepsTheText) {
  ui::StatusDialog dialog(context, nullptr);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  QTest::keyClicks(dialog.edit(), "is patient");
  fault(R"({"match": "facebook.users.setStatus", "delay_ms": 21500})");
  QTest::keyClick(dialog.edit(), Qt::Key_Return);
  EXPECT_EQ(shown(),
            std::vector<std::string>{"Problem: Internet connection is too slow. Please try again later."});
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.edit()->text(), "is patient");
}

TEST_F(DialogsFixture, TheDetailsOpenWithoutStatusOrPictureWhenTheQueryTimesOut) {
  const std::string uid = addFriend("Wade Slow");
  setStatus(uid, "is slow");
  writeAllFriends({{uid, "-5", "Wade Slow"}});
  now = 1236124800 + 17 * 3600;
  fault(kLateQuery);
  ui::FriendDetailsDialog dialog(context, uid, "Wade Slow", nullptr);
  EXPECT_EQ(shown(), std::vector<std::string>{"Problem: We couldn't retrieve your friends' "
                                              "information. Your connection may be down."});
  EXPECT_EQ(dialog.statusLabel()->text(), "");
  EXPECT_FALSE(dialog.hasStatus());
  EXPECT_EQ(dialog.timeLabel()->text(), "12:00 PM");
  EXPECT_FALSE(fileExists(store.paths().picSquare + uid + ".jpg"));
}

}  // namespace
}  // namespace dialogstest
