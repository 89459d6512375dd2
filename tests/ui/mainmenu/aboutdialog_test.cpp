// The about box: the program, its version and the libraries with their versions; the text
// stretched down, leaving a gap of its left offset, between the side margins; "Done"; a screenshot.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QScrollArea>
#include <QTest>

#include "app/abouttext.h"
#include "ui/kit/dialogunits.h"
#include "ui/kit/fonts.h"
#include "ui/kit/phonescreen.h"
#include "ui/mainmenu/aboutdialog.h"

namespace {

TEST(AboutDialog, NamesTheProgramAndWhatItIsBuiltWith) {
  QApplication::setApplicationVersion(QStringLiteral("1.0"));
  const QString text = app::aboutText();
  for (const char* part :
       {"Version 1.0", "Qt 6.", "libcurl ", "libjpeg", "pugixml 1.", "SQLite 3.", "OpenSSL 3."})
    EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part << "\n" << text.toStdString();

  const ui::Fonts fonts = ui::Fonts::fromSystemFont(QApplication::font());
  const ui::PhoneScreen screen;
  ui::AboutDialog about(text, fonts, screen, nullptr);
  about.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
  EXPECT_EQ(about.windowTitle(), QStringLiteral("About"));
  EXPECT_EQ(about.productName()->text(), QStringLiteral("Veltrana"));
  EXPECT_EQ(about.productName()->font().weight(), QFont::Bold);
  EXPECT_EQ(about.productName()->geometry(),
            ui::DialogUnits(QApplication::font()).rect(6, 7, 173, 13));
  EXPECT_EQ(about.text()->text(), text);

  const QWidget* area = about.findChild<QScrollArea*>();
  const int m = screen.sideMargin();
  EXPECT_EQ(area->x(), m);
  EXPECT_EQ(area->width(), about.client()->width() - 2 * m);
  // The gap under it is its left offset in the template.
  const QRect placed = ui::DialogUnits(QApplication::font()).rect(7, 19, 165, 96);
  EXPECT_EQ(area->y(), placed.y());
  EXPECT_EQ(about.client()->height() - 1 - area->geometry().bottom(), placed.x());

  const QString folder = QStringLiteral(VELTRANA_BINARY_DIR "/screenshots");
  QDir().mkpath(folder);
  EXPECT_TRUE(about.grab().save(folder + "/about_240x320.png"));

  emit about.command(1);  // "Done"
  EXPECT_FALSE(about.isVisible());
  EXPECT_EQ(about.result(), 1);
}

// The desktop's close and Escape leave it as "Done" does: with its result, and the window
// it was opened over brought to the front.
TEST(AboutDialog, CloseAndEscapeAreDone) {
  const ui::Fonts fonts = ui::Fonts::fromSystemFont(QApplication::font());
  const ui::PhoneScreen screen;
  for (const bool escape : {false, true}) {
    SCOPED_TRACE(escape ? "Escape" : "close");
    QWidget owner;
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    ui::AboutDialog about(QStringLiteral("text"), fonts, screen, &owner);
    about.show();
    about.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&about));
    if (escape)
      QTest::keyClick(&about, Qt::Key_Escape);
    else
      EXPECT_TRUE(about.close());
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), 1);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&owner));
  }
}

}  // namespace
