// A server that answers after the time-outs: the status dialog says so and still opens; an
// update that timed out keeps its text.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "dialogsfixture.h"
#include "ui/dialogs/statusdialog.h"

namespace dialogstest {
namespace {

constexpr const char* kLateQuery = R"({"match": "facebook.fql.query", "delay_ms": 16500})";

TEST_F(DialogsFixture, TheStatusDialogOpensWhenTheQueryTimesOut) {
  sim.control("/person", R"({"first_name": "Veronika"})");
  fault(kLateQuery);
  ui::StatusDialog dialog(context, nullptr);
  EXPECT_EQ(boxes.shown(), std::vector<std::string>{"Problem: We couldn't retrieve your current "
                                                    "Facebook status. Your connection may be down."});
  EXPECT_EQ(dialog.nameLabel()->text(), "Your Name");
}

TEST_F(DialogsFixture, AnUpdateThatTimesOutSaysSoAndKeepsTheText) {
  ui::StatusDialog dialog(context, nullptr);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  QTest::keyClicks(dialog.edit(), "is patient");
  fault(R"({"match": "facebook.users.setStatus", "delay_ms": 21500})");
  QTest::keyClick(dialog.edit(), Qt::Key_Return);
  EXPECT_EQ(boxes.shown(),
            std::vector<std::string>{"Problem: Internet connection is too slow. Please try again later."});
  EXPECT_EQ(dialog.edit()->text(), "is patient");
}

}  // namespace
}  // namespace dialogstest
