#include "platform/windowplacer.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTest>

#include "qtapplication.h"
#include "ui/kit/menutable.h"
#include "ui/kit/phonescreen.h"
#include "ui/kit/softkeybar.h"

using platform::WindowPlacer;

namespace {

// A phone of 240 x 320 at (300, 100): x 300..539, y 100..419.
const QRect kFrame(300, 100, 240, 320);

bool nearlyEqual(const QPoint& a, const QPoint& b) { return (a - b).manhattanLength() <= 2; }

}  // namespace

TEST(WindowPlacer, PopupsStayInsideThePhonesFrame) {
  struct Case {
    const char* what;
    QRect wanted;
    std::optional<QRect> parentMenu;
    QPoint placed;
  };
  const Case cases[] = {
      {"inside stays", {320, 200, 100, 80}, std::nullopt, {320, 200}},
      {"past the right edge", {500, 200, 100, 80}, std::nullopt, {440, 200}},
      {"past the bottom", {320, 380, 100, 80}, std::nullopt, {320, 340}},
      {"taller than the frame", {320, 50, 100, 400}, std::nullopt, {320, 100}},
      {"submenu opens left of its menu",
       {520, 160, 100, 80},
       QRect(400, 150, 120, 200),
       {300, 160}},
      {"submenu with no room on the left either",
       {510, 160, 100, 80},
       QRect(330, 150, 180, 200),
       {440, 160}},
      {"submenu that fits on the right stays",
       {420, 160, 100, 80},
       QRect(300, 150, 120, 200),
       {420, 160}},
      {"submenu wider than the frame", {520, 160, 300, 80}, QRect(400, 150, 120, 200), {300, 160}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const QRect placed = WindowPlacer::placePopup(c.wanted, kFrame, c.parentMenu);
    EXPECT_EQ(placed.topLeft(), c.placed);
    EXPECT_EQ(placed.size(), c.wanted.size());
  }
}

TEST(WindowPlacer, DialogsCentreOnThePhoneAndStayOnTheScreen) {
  const QRect screen(0, 0, 1024, 768);
  struct Case {
    const char* what;
    QRect phone;
    QSize dialog;
    std::optional<QPoint> topLeft;  // else centred on the phone
  };
  const Case cases[] = {
      {"a small box", kFrame, {200, 100}, std::nullopt},
      {"the phone's own size", kFrame, {240, 320}, QPoint(300, 100)},
      {"a wide box by the screen's edge", {0, 0, 240, 320}, {400, 150}, QPoint(0, 85)},
      {"larger than the screen", kFrame, {1200, 900}, QPoint(0, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const QRect placed = WindowPlacer::placeDialog(QRect(QPoint(5, 5), c.dialog), c.phone, screen);
    EXPECT_EQ(placed.size(), c.dialog);
    if (c.topLeft)
      EXPECT_EQ(placed.topLeft(), *c.topLeft);
    else
      EXPECT_TRUE(nearlyEqual(placed.center(), c.phone.center())) << placed.center().x();
  }
}

// The real windows: the main menu's "View" submenu, an ownerless box, a menu that nothing of
// the phone opened, and a box while the phone is hidden.
TEST(WindowPlacer, ShownWindowsArePlacedBeforeTheyMap) {
  qtTestApplication();
  QWidget phone;
  phone.setGeometry(kFrame);
  phone.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&phone));
  WindowPlacer placer(&phone);

  const ui::PhoneScreen screen{240, 320, 96};
  ui::SoftKeyBar bar(*ui::findMenu(ui::menu::kMain), screen, &phone);
  bar.setGeometry(0, 320 - bar.sizeHint().height(), 240, bar.sizeHint().height());
  bar.show();
  bar.pressKey(0);
  QMenu* menu = bar.openPopup();
  ASSERT_TRUE(menu);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
  QAction* view = nullptr;
  QMenu* submenu = nullptr;
  for (QAction* action : menu->actions()) {
    if (action->text() == QLatin1String("View")) {
      view = action;
      submenu = action->menu();
    }
  }
  ASSERT_TRUE(submenu);
  menu->setActiveAction(view);
  ASSERT_TRUE(QTest::qWaitFor([submenu] { return submenu->isVisible(); }, 2000));
  EXPECT_TRUE(phone.geometry().contains(menu->geometry())) << menu->geometry().x();
  EXPECT_TRUE(phone.geometry().contains(submenu->geometry()))
      << submenu->geometry().x() << "," << submenu->geometry().y() << " "
      << submenu->geometry().width() << "x" << submenu->geometry().height();
  menu->close();

  QMessageBox box(QMessageBox::Information, "Veltrana", "Your status was set.", QMessageBox::Ok);
  box.show();
  EXPECT_TRUE(nearlyEqual(box.geometry().center(), phone.geometry().center()))
      << box.geometry().center().x() << "," << box.geometry().center().y();
  box.hide();

  // A tray icon's menu opens by the tray, not on the phone.
  QMenu lone;
  lone.addAction("Show");
  lone.popup(QPoint(700, 500));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&lone));
  EXPECT_FALSE(phone.geometry().intersects(lone.geometry()));
  lone.close();

  // Hidden to the tray: a box goes where Qt puts it, not where the phone was.
  phone.hide();
  QMessageBox later(QMessageBox::Information, "Veltrana", "News.", QMessageBox::Ok);
  later.show();
  EXPECT_FALSE(nearlyEqual(later.geometry().center(), kFrame.center()));
  later.hide();
}

TEST(WindowPlacer, WindowsAskedForOffTheDesktopComeBackOnIt) {
  const QRect desktop(0, 0, 1280, 800);
  const struct {
    const char* what;
    QPoint wanted, placed;
  } cases[] = {
      {"on the desktop stays", {100, 50}, {100, 50}},
      {"partly beyond an edge stays", {1200, -100}, {1200, -100}},
      {"beyond every edge comes inside", {-30000, 30000}, {0, 480}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(WindowPlacer::placeOnDesktop({c.wanted, QSize(240, 320)}, desktop).topLeft(),
              c.placed);
  }
}
