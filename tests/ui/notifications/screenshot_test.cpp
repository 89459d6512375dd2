// Screenshots of the notifications window with nothing new (the ad focused, its hint shown)
// and with every row pending, on a portrait 240 x 320 and a landscape 320 x 240 screen:
// compared with the golden images (support/goldenimage.h), and written under the build folder
// (screenshots/) for a look by eye.
#include <QComboBox>
#include <QImage>
#include <QTest>

#include "notificationsfixture.h"
#include "support/darkdesktop.h"
#include "support/goldenimage.h"
#include "ui/kit/commandids.h"
#include "ui/notifications/notificationsstate.h"

namespace {

namespace n = ui::notifications;

class Screenshot : public NotificationsFixture,
                   public ::testing::WithParamInterface<std::tuple<int, int, bool>> {};

TEST_P(Screenshot, Window) {
  const auto [width, height, everything] = GetParam();
  ui.screen = ui::PhoneScreen{width, height, 96};
  open(everything ? pollWithEverything : nothingNew);
  ASSERT_TRUE(window->isVisible());
  QTest::qWait(10);
  const QImage image = window->grab().toImage();
  ASSERT_EQ(image.size(), QSize(width, height) * image.devicePixelRatio());

  const QRect row1 = window->control(n::kWallRow)->geometry();
  EXPECT_EQ(window->control(n::kAdHintId) != nullptr, !everything);
  EXPECT_GT(row1.left(), 19);

  const std::string name = std::string("notifications_") +
                           (everything ? "pending_" : "nothing_new_") + std::to_string(width) +
                           "x" + std::to_string(height);
  EXPECT_TRUE(testsupport::matchesGolden(image, QString::fromStdString(name)));
  EXPECT_TRUE(image.save(QString::fromStdString(screenshotPath(name + ".png"))));
}

INSTANTIATE_TEST_SUITE_P(PortraitAndLandscape, Screenshot,
                         ::testing::Values(std::make_tuple(240, 320, false),
                                           std::make_tuple(240, 320, true),
                                           std::make_tuple(320, 240, false),
                                           std::make_tuple(320, 240, true)));

// A dark desktop theme changes nothing of the window: the same picture, and every row, the ad
// and its hint dark on light.
TEST_F(NotificationsFixture, LooksTheSameUnderADarkDesktop) {
  const testsupport::DarkDesktop dark;
  for (const auto& [poll, name] :
       {std::pair{&nothingNew, "notifications_nothing_new_240x320"},
        std::pair{&pollWithEverything, "notifications_pending_240x320"}}) {
    SCOPED_TRACE(name);
    if (window) window->runCommand(ui::cmd::kNotificationsDone);
    open(poll);
    ASSERT_TRUE(window->isVisible());
    QTest::qWait(10);
    EXPECT_TRUE(testsupport::matchesGolden(window->grab().toImage(), QString::fromLatin1(name)));
    for (int id : {n::kWallRow, n::kMessagesRow, n::kFriendRequestRow, n::kEventInviteRow,
                   n::kGroupInviteRow, n::kAdButtonId, n::kAdHintId})
      if (QWidget* control = window->control(id)) {
        EXPECT_TRUE(testsupport::darkOnLight(*control)) << id;
      }
  }
}

}  // namespace
