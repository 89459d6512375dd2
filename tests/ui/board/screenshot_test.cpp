// Screenshots of the main window with its soft-key bar, closed and with the menu open, at
// 240 x 320 / 96 dpi and at 480 x 640 / 192 dpi: compared with the golden images
// (support/goldenimage.h), and written under the build folder (screenshots/) for a look by eye.
// A dark desktop theme changes none of it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QTest>

#include "platform/connectionkeeper.h"
#include "support/darkdesktop.h"
#include "support/goldenimage.h"
#include "ui/board/mainwindow.h"
#include "ui/kit/fonts.h"
#include "ui/kit/uistate.h"
#include "ui/kit/softkeybar.h"

namespace {

QString screenshotPath(const QString& name) {
  const QString folder = QStringLiteral(VELTRANA_BINARY_DIR "/screenshots");
  QDir().mkpath(folder);
  return folder + "/" + name;
}

// The window and, when open, its popup where it sits over the window.
QImage shoot(ui::MainWindow& window) {
  QImage image = window.grab().toImage();
  if (QMenu* popup = window.chrome()->softKeyBar()->openPopup()) {
    QPainter painter(&image);
    painter.drawPixmap(window.mapFromGlobal(popup->pos()), popup->grab());
  }
  return image;
}

// `shot` names the pictures saved, when not the size.
void shootAt(int width, int height, int dpi, const QString& shot = {}) {
  ui::UiState ui(ui::PhoneScreen{width, height, dpi});
  const QFont oldFont = QApplication::font();
  QFont font = oldFont;
  font.setPixelSize(ui.screen.systemFontPixels());
  QApplication::setFont(font);

  platform::ConnectionKeeper connection;
  const ui::Fonts fonts = ui::Fonts::fromSystemFont(font);
  {
    ui::MainWindow window(ui, connection, fonts);
    ASSERT_TRUE(window.buildControls());
    window.show();
    window.finishCreation();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.size(), QSize(width, height));

    const QString size = QString("%1x%2").arg(width).arg(height);
    const QImage closed = shoot(window);
    EXPECT_EQ(closed.size(), QSize(width, height) * closed.devicePixelRatio());
    EXPECT_TRUE(testsupport::matchesGolden(closed, "mainwindow_" + size));
    const QString name = shot.isEmpty() ? size : shot;
    EXPECT_TRUE(closed.save(screenshotPath("mainwindow_" + name + ".png")));

    window.chrome()->softKeyBar()->pressKey(0);
    QMenu* popup = window.chrome()->softKeyBar()->openPopup();
    ASSERT_TRUE(popup);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    const QImage menu = shoot(window);
    EXPECT_TRUE(testsupport::matchesGolden(menu, "mainwindow_menu_" + size));
    EXPECT_TRUE(testsupport::darkOnLight(*popup));
    EXPECT_TRUE(menu.save(screenshotPath("mainwindow_menu_" + name + ".png")));
    popup->close();
  }
  QApplication::setFont(oldFont);
}

}  // namespace

TEST(Screenshot, MainWindow240x320) { shootAt(240, 320, 96); }

TEST(Screenshot, MainWindow480x640) { shootAt(480, 640, 192); }

TEST(Screenshot, MainWindowUnderADarkDesktop) {
  const testsupport::DarkDesktop dark;
  shootAt(240, 320, 96, QStringLiteral("dark_desktop"));
}
