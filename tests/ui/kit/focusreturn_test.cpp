// The keys go back to the window below when a message box or a dialog closes, with no window
// manager to do it: the same cases run on the offscreen platform and on a bare X server.
#include <gtest/gtest.h>

#include <functional>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "platform/qtmessageboxes.h"
#include "ui/kit/phonedialog.h"
#include "ui/kit/phoneframe.h"

namespace {

// A phone window whose client holds an edit with the focus.
template <typename Window>
QLineEdit* addEdit(Window& window) {
  auto* edit = new QLineEdit(window.client());
  edit->setObjectName(window.windowTitle() + QStringLiteral(" edit"));
  edit->setFocus();
  return edit;
}

// The keys are back when `edit`'s window is active and `edit` holds the focus.
::testing::AssertionResult keysBackOn(QLineEdit* edit) {
  if (QTest::qWaitFor([edit] { return QApplication::focusWidget() == edit; }, 3000) &&
      QApplication::activeWindow() == edit->window())
    return ::testing::AssertionSuccess();
  const QWidget* focus = QApplication::focusWidget();
  const QWidget* active = QApplication::activeWindow();
  return ::testing::AssertionFailure()
         << "focus on " << (focus ? focus->objectName().toStdString() : "nothing") << ", active "
         << (active ? active->windowTitle().toStdString() : "nothing");
}

// Runs `end` on the next modal window once it is up and active; one that never comes fails.
void whenShown(std::function<void(QWidget&)> end) {
  QTimer::singleShot(0, [end = std::move(end)] {
    QWidget* modal = nullptr;
    // Active for the application, not only for its window (which a transient's owner is).
    EXPECT_TRUE(QTest::qWaitFor([&modal] {
      modal = QApplication::activeModalWidget();
      return modal && QApplication::activeWindow() == modal;
    })) << "no active modal window";
    if (modal) end(*modal);
  });
}

void pressOk(QWidget& box) {
  auto* shown = qobject_cast<QMessageBox*>(&box);
  ASSERT_TRUE(shown) << "not a box";
  shown->button(QMessageBox::Ok)->click();
}

platform::MessageBoxRequest warning() {
  platform::MessageBoxRequest request;
  request.caption = "Warning";
  request.text = "Internet connection is too slow. Please try again later.";
  return request;
}

class FocusReturn : public ::testing::Test {
 protected:
  void SetUp() override {
    frame.setWindowTitle(QStringLiteral("frame"));
    frameEdit = addEdit(frame);
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    ASSERT_TRUE(keysBackOn(frameEdit));
  }

  ui::PhoneFrame frame{ui::PhoneScreen{}};
  QLineEdit* frameEdit = nullptr;
};

TEST_F(FocusReturn, ADialogGivesTheKeysBackHoweverItCloses) {
  const struct {
    const char* name;
    std::function<void(QWidget&)> end;
  } endings[] = {
      {"a soft key's done()", [](QWidget& d) { static_cast<QDialog&>(d).done(1); }},
      {"Escape", [](QWidget&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); }},
      {"close()", [](QWidget& d) { d.close(); }},
  };
  for (const auto& ending : endings) {
    SCOPED_TRACE(ending.name);
    ui::PhoneDialog dialog(QStringLiteral("dialog"), ui::PhoneScreen{}, &frame);
    addEdit(dialog);
    whenShown(ending.end);
    dialog.exec();
    EXPECT_TRUE(keysBackOn(frameEdit));
  }
}

// Boxes have no owner: the window that was active before one gets the keys again.
TEST_F(FocusReturn, AMessageBoxGivesTheKeysBackToTheWindowItCovered) {
  platform::QtMessageBoxes boxes;
  whenShown(pressOk);
  EXPECT_EQ(boxes.show(warning()), platform::kIdOk);
  EXPECT_TRUE(keysBackOn(frameEdit));

  // A box over a dialog, as a page that did not open shows one over the notifications.
  ui::PhoneDialog dialog(QStringLiteral("dialog"), ui::PhoneScreen{}, &frame);
  QLineEdit* dialogEdit = addEdit(dialog);
  whenShown([&](QWidget& shown) {
    whenShown(pressOk);
    boxes.show(warning());
    EXPECT_TRUE(keysBackOn(dialogEdit));
    static_cast<QDialog&>(shown).done(1);
  });
  dialog.exec();
  EXPECT_TRUE(keysBackOn(frameEdit));

  // A box right after the dialog it reports on closed, as "Update Status" shows its result.
  ui::PhoneDialog reporting(QStringLiteral("reporting"), ui::PhoneScreen{}, &frame);
  addEdit(reporting);
  whenShown([&boxes](QWidget& shown) {
    static_cast<QDialog&>(shown).done(1);
    whenShown(pressOk);
    boxes.show(warning());
  });
  reporting.exec();
  EXPECT_TRUE(keysBackOn(frameEdit));
}

// A dialog the program ends unseen (as the timer's notifications window with nothing new)
// takes the keys from nobody, not even from another program.
TEST_F(FocusReturn, ADialogEndedUnseenTakesNothing) {
  {
    // A window that takes the keys and goes leaves none of ours active, as another program's.
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&other] { return QApplication::activeWindow() == &other; }));
  }
  ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == nullptr; }));
  ui::PhoneDialog unseen(QStringLiteral("unseen"), ui::PhoneScreen{}, &frame);
  unseen.done(1);
  QTest::qWait(50);
  EXPECT_EQ(QApplication::activeWindow(), nullptr);
}

}  // namespace
