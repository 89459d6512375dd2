// Soft keys: F1/F2 and taps press them; a command key sends its id, a popup key opens its
// menu above the bar, and the items send theirs.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "ui/kit/accessibility.h"
#include "ui/kit/menutable.h"
#include "ui/kit/phonedialog.h"
#include "ui/kit/phoneframe.h"
#include "ui/kit/softkeybar.h"
#include "ui/kit/titlestrip.h"

namespace {

QAction* findAction(QMenu* menu, const QString& text) {
  for (QAction* action : menu->actions()) {
    if (action->text() == text) return action;
    if (action->menu())
      if (QAction* inner = findAction(action->menu(), text)) return inner;
  }
  return nullptr;
}

struct ShownFrame {
  ui::PhoneFrame frame{ui::PhoneScreen{}};
  explicit ShownFrame(int menuId) {
    frame.setSoftKeys(menuId);
    frame.show();
    frame.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&frame));
  }
};

}  // namespace

TEST(SoftKeyBar, KeysAndTapsOfATwoKeyBar) {
  ShownFrame shown(154);  // "Done" 32823; "Menu" popup
  QSignalSpy commands(&shown.frame, &ui::PhoneFrame::command);
  ui::SoftKeyBar* bar = shown.frame.chrome()->softKeyBar();

  QTest::keyClick(&shown.frame, Qt::Key_F1);
  ASSERT_EQ(commands.count(), 1);
  EXPECT_EQ(commands.takeFirst().at(0).toInt(), 32823);

  QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() * 3 / 4, bar->height() / 2));
  ASSERT_TRUE(bar->openPopup());
  EXPECT_TRUE(bar->openPopup()->isVisible());
  // It opens above the bar.
  EXPECT_LE(bar->openPopup()->geometry().bottom(), bar->mapToGlobal(QPoint(0, 0)).y());
  findAction(bar->openPopup(), "Big Picture")->trigger();
  ASSERT_EQ(commands.count(), 1);
  EXPECT_EQ(commands.takeFirst().at(0).toInt(), 32828);

  QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 4, bar->height() / 2));
  ASSERT_EQ(commands.count(), 1);
  EXPECT_EQ(commands.takeFirst().at(0).toInt(), 32823);
}

TEST(SoftKeyBar, TheMainMenuOpensFromItsOnlyKey) {
  ShownFrame shown(102);
  QSignalSpy commands(&shown.frame, &ui::PhoneFrame::command);
  ui::SoftKeyBar* bar = shown.frame.chrome()->softKeyBar();

  QTest::keyClick(&shown.frame, Qt::Key_F2);  // no right key: nothing
  EXPECT_EQ(bar->openPopup(), nullptr);
  EXPECT_EQ(commands.count(), 0);

  QTest::keyClick(&shown.frame, Qt::Key_F1);
  QMenu* popup = bar->openPopup();
  ASSERT_TRUE(popup);
  for (const char* text : {"Find a Friend", "Notifications", "Home", "My Profile", "Hide", "Exit"})
    EXPECT_TRUE(findAction(popup, text)) << text;
  findAction(popup, "Exit")->trigger();
  ASSERT_EQ(commands.count(), 1);
  EXPECT_EQ(commands.takeFirst().at(0).toInt(), 32853);
}

// Every popup key opens on its first item: the key and then Return pick it.
TEST(SoftKeyBar, APopupOpensOnItsFirstItem) {
  const struct {
    int menuId;
    Qt::Key key;
    int firstId;
  } cases[] = {{102, Qt::Key_F1, 0}, {154, Qt::Key_F2, 32826}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.menuId);
    ShownFrame shown(c.menuId);
    QSignalSpy commands(&shown.frame, &ui::PhoneFrame::command);
    QTest::keyClick(&shown.frame, c.key);
    QMenu* popup = shown.frame.chrome()->softKeyBar()->openPopup();
    ASSERT_TRUE(popup);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    ASSERT_TRUE(popup->activeAction());
    EXPECT_EQ(popup->activeAction(), popup->actions().value(0));
    const int expected = c.firstId ? c.firstId : ui::commandIds(*ui::findMenu(c.menuId)).front();
    QTest::keyClick(popup, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return commands.count() == 1; }));
    EXPECT_EQ(commands.takeFirst().at(0).toInt(), expected);
  }
}

// What a screen reader over AT-SPI finds of the drawn bar: its keys by caption, pressed
// through their action from the event loop, and the popup a key opened.
TEST(SoftKeyBar, AScreenReaderSeesTheKeysAndPressesThem) {
  ShownFrame shown(154);  // "Done" 32823; "Menu" popup
  QSignalSpy commands(&shown.frame, &ui::PhoneFrame::command);
  ui::SoftKeyBar* bar = shown.frame.chrome()->softKeyBar();
  QAccessibleInterface* keys = QAccessible::queryAccessibleInterface(bar);
  ASSERT_TRUE(keys);
  ASSERT_EQ(keys->childCount(), 2);
  QAccessibleInterface* done = keys->child(0);
  QAccessibleInterface* menu = keys->child(1);
  EXPECT_EQ(done->text(QAccessible::Name), "Done");
  EXPECT_EQ(done->role(), QAccessible::PushButton);
  EXPECT_EQ(menu->text(QAccessible::Name), "Menu");
  EXPECT_EQ(menu->role(), QAccessible::ButtonMenu);
  EXPECT_TRUE(menu->state().hasPopup);
  EXPECT_EQ(done->parent(), keys);
  EXPECT_EQ(keys->indexOfChild(menu), 1);
  const QPoint centre = done->rect().center();
  EXPECT_EQ(keys->childAt(centre.x(), centre.y()), done);

  done->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(commands.count(), 0);  // not inside the screen reader's call
  QTRY_COMPARE(commands.count(), 1);
  EXPECT_EQ(commands.takeFirst().at(0).toInt(), 32823);

  menu->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
  QTRY_VERIFY(bar->openPopup());
  ASSERT_EQ(keys->childCount(), 3);
  QAccessibleInterface* popup = keys->child(2);
  EXPECT_EQ(popup->object(), bar->openPopup());
  EXPECT_EQ(popup->text(QAccessible::Name), "Menu");  // after the key that opened it
  QStringList items;
  for (int i = 0; i < popup->childCount(); ++i) items << popup->child(i)->text(QAccessible::Name);
  EXPECT_TRUE(items.contains("Big Picture")) << items.join(", ").toStdString();
  bar->openPopup()->close();
}

TEST(Accessibility, TitleStripsAndLabelsSayWhatIsDrawn) {
  ui::PhoneFrame frame{ui::PhoneScreen{}};
  frame.setWindowTitle("All Friends");
  QAccessibleInterface* strip = QAccessible::queryAccessibleInterface(frame.chrome()->titleStrip());
  EXPECT_EQ(strip->role(), QAccessible::StaticText);
  EXPECT_EQ(strip->text(QAccessible::Name), "All Friends");
  frame.setWindowTitle("Big Picture");
  EXPECT_EQ(strip->text(QAccessible::Name), "Big Picture");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(&frame)->role(), QAccessible::Window);

  // A label's own name would be "Sam  Max Lindqvist", the "&" taken for a shortcut mark.
  QLabel label;
  label.setTextFormat(Qt::PlainText);
  ui::a11y::setLabelText(&label, "Sam & Max Lindqvist");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(&label)->text(QAccessible::Name),
            "Sam & Max Lindqvist");
}

TEST(PhoneFrame, TitleOnTopSoftKeysAtTheBottomAndABarReplacedWhole) {
  ui::PhoneFrame frame{ui::PhoneScreen{}};
  frame.setWindowTitle("Veltrana");
  ASSERT_TRUE(frame.setSoftKeys(104));
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
  EXPECT_EQ(frame.size(), QSize(240, 320));
  EXPECT_EQ(frame.chrome()->titleStrip()->geometry().top(), 0);
  EXPECT_EQ(frame.chrome()->softKeyBar()->geometry().bottom(), 319);
  EXPECT_LT(frame.chrome()->titleStrip()->geometry().bottom(), frame.client()->geometry().top());

  EXPECT_FALSE(frame.setSoftKeys(999));
  EXPECT_EQ(frame.chrome()->softKeyBar()->menuId(), 104);
  ASSERT_TRUE(frame.setSoftKeys(169));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(frame.chrome()->softKeyBar()->menuId(), 169);
  EXPECT_EQ(frame.findChildren<ui::SoftKeyBar*>().size(), 1);
}

TEST(PhoneDialog, AFullScreenModalDialogEndsByItsSoftKey) {
  ui::PhoneFrame owner{ui::PhoneScreen{}};
  owner.show();
  ui::PhoneDialog dialog("About", ui::PhoneScreen{}, &owner);
  ASSERT_TRUE(dialog.setSoftKeys(104));  // "Done", id 1
  QObject::connect(&dialog, &ui::PhoneDialog::command, &dialog, [&](int id) {
    if (id == 1) dialog.accept();
  });
  QTimer::singleShot(0, &dialog, [&] { dialog.chrome()->softKeyBar()->pressKey(0); });
  EXPECT_EQ(dialog.exec(), QDialog::Accepted);
  EXPECT_EQ(dialog.size(), owner.size());
  EXPECT_TRUE(dialog.isModal());
  EXPECT_EQ(dialog.windowTitle(), "About");
}
