// The programs' own colours under a dark desktop theme, for the windows that are no phone
// windows (the boxes, popups and Qt's own dialogs): what the start sets up covers them.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTest>

#include "platform/lightpalette.h"
#include "support/darkdesktop.h"

namespace {

TEST(LightPalette, TheStartCoversBoxesAndMenusWithoutAPhoneWindow) {
  const testsupport::DarkDesktop dark;
  platform::useLightPalette();
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"),
                  QStringLiteral("Internet connection is too slow."));
  box.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
  auto* text = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  ASSERT_TRUE(text);
  EXPECT_TRUE(testsupport::darkOnLight(*text));

  QMenu menu;
  menu.addAction(QStringLiteral("Refresh"));
  menu.popup(QPoint(0, 0));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
  EXPECT_TRUE(testsupport::darkOnLight(menu));

  QWidget window;
  auto* edit = new QLineEdit(QStringLiteral("http://m.example/"), &window);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_TRUE(testsupport::darkOnLight(*edit));
}

}  // namespace
