// Screenshots of the notifications window, written under the build folder (screenshots/)
// for a look by eye: with nothing new (the ad focused, its hint shown) and with every row
// pending, on a portrait 240 x 320 and a landscape 320 x 240 screen.
#include <QComboBox>
#include <QImage>
#include <QTest>

#include "notificationsfixture.h"
#include "ui/kit/globals.h"
#include "ui/notifications/notificationsstate.h"

namespace {

namespace n = ui::notifications;

class Screenshot : public NotificationsFixture,
                   public ::testing::WithParamInterface<std::tuple<int, int, bool>> {
 protected:
  void TearDown() override { ui::g_screen = ui::PhoneScreen{}; }
};

TEST_P(Screenshot, Window) {
  const auto [width, height, everything] = GetParam();
  ui::g_screen = ui::PhoneScreen{width, height, 96};
  open(everything ? pollWithEverything : [](news::NewsWindow& w) {
    w.refreshAdLine();
    return 0;
  });
  ASSERT_TRUE(window->isVisible());
  QTest::qWait(10);
  const QImage image = window->grab().toImage();
  ASSERT_EQ(image.size(), QSize(width, height) * image.devicePixelRatio());

  // The header band's colour says whether something is new.
  const QRect row1 = window->control(n::kWallRow)->geometry();
  const QPoint band = window->chrome()->client()->mapTo(window.get(), QPoint(2, 2));
  EXPECT_EQ(image.pixelColor(band), everything ? QColor(226, 103, 69) : QColor(59, 89, 152));
  EXPECT_EQ(window->control(n::kAdHintId) != nullptr, !everything);
  EXPECT_GT(row1.left(), 19);

  const std::string name = std::string("notifications_") +
                           (everything ? "pending_" : "nothing_new_") + std::to_string(width) +
                           "x" + std::to_string(height) + ".png";
  EXPECT_TRUE(image.save(QString::fromStdString(screenshotPath(name))));
}

INSTANTIATE_TEST_SUITE_P(PortraitAndLandscape, Screenshot,
                         ::testing::Values(std::make_tuple(240, 320, false),
                                           std::make_tuple(240, 320, true),
                                           std::make_tuple(320, 240, false),
                                           std::make_tuple(320, 240, true)));

}  // namespace
