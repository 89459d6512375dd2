// A server that answers after the time-outs: the status dialog says so and still opens; an
// update that timed out keeps its text.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "api/apiclient.h"
#include "dialogsfixture.h"
#include "ui/dialogs/statusdialog.h"

namespace dialogstest {
namespace {

// The calls' time-outs (15 and 20 s) divided by ten; each late answer comes a second after.
constexpr long kTimeoutDivisor = 10;
constexpr const char* kLateQuery = R"({"match": "facebook.fql.query", "delay_ms": 2500})";
constexpr const char* kLateUpdate = R"({"match": "facebook.users.setStatus", "delay_ms": 3000})";

void shortenTimeouts(api::ApiClient& client) {
  api::TransferLimits limits;
  limits.timeoutDivisor = kTimeoutDivisor;
  client.setTransferLimits(limits);
}

TEST_F(DialogsFixture, TheStatusDialogOpensWhenTheQueryTimesOut) {
  sim.control("/person", R"({"first_name": "Veronika"})");
  shortenTimeouts(*session.client);
  fault(kLateQuery);
  ui::StatusDialog dialog(context, nullptr);
  EXPECT_EQ(boxes.shown(),
            std::vector<std::string>{"Problem: We couldn't retrieve your current "
                                     "Facebook status. Your connection may be down."});
  EXPECT_EQ(dialog.nameLabel()->text(), "Your Name");
}

TEST_F(DialogsFixture, AnUpdateThatTimesOutSaysSoAndKeepsTheText) {
  ui::StatusDialog dialog(context, nullptr);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  QTest::keyClicks(dialog.edit(), "is patient");
  shortenTimeouts(*session.client);
  fault(kLateUpdate);
  QTest::keyClick(dialog.edit(), Qt::Key_Return);
  EXPECT_EQ(boxes.shown(),
            std::vector<std::string>{
                "Problem: Internet connection is too slow. Please try again later."});
  EXPECT_EQ(dialog.edit()->text(), "is patient");
}

}  // namespace
}  // namespace dialogstest
