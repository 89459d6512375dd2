#include "loginbrowser/openurldialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "loginbrowser/softkeybar.h"
#include "testapplication.h"

using namespace orbisview;

class OpenUrlDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { testApplication(); }
};

TEST_F(OpenUrlDialogTest, StartsWithPromptAndHttpPrefix) {
  QWidget frame;
  frame.resize(240, 320);
  OpenUrlDialog dialog(&frame);
  auto* prompt = dialog.findChild<QLabel*>("prompt");
  ASSERT_TRUE(prompt);
  EXPECT_EQ(prompt->text(), "Enter URL, full path, or UNC location:");
  EXPECT_EQ(dialog.address(), "http://");
  EXPECT_EQ(dialog.softKeys()->leftKey()->text(), "OK");
  EXPECT_EQ(dialog.softKeys()->rightKey()->text(), "Cancel");
  EXPECT_EQ(dialog.size(), QSize(240, 320));  // full screen
}

TEST_F(OpenUrlDialogTest, KeysEditOrCloseWithTheirResult) {
  struct Case {
    const char* what;
    const char* typed;
    Qt::Key key;
    bool closes;
    int result;
    const char* address;
  };
  const Case cases[] = {
      {"F2 is Cancel", "", Qt::Key_F2, true, 2, "http://"},
      {"F1 is OK", "example.org", Qt::Key_F1, true, 1, "http://example.org"},
      {"Return is OK", "h/a", Qt::Key_Return, true, 1, "http://h/a"},
      {"Back deletes", "", Qt::Key_Back, false, 0, "http:/"},
      {"Escape deletes", "ab", Qt::Key_Escape, false, 0, "http://a"},
      {"Backspace deletes", "", Qt::Key_Backspace, false, 0, "http:/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OpenUrlDialog dialog;
    dialog.open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClicks(dialog.edit(), c.typed);
    QTest::keyClick(dialog.edit(), c.key);
    EXPECT_EQ(!dialog.isVisible(), c.closes);
    if (c.closes) {
      EXPECT_EQ(dialog.result(), c.result);
    }
    EXPECT_EQ(dialog.address().toStdString(), c.address);
  }
}

TEST_F(OpenUrlDialogTest, SoftKeysReturnTheirCommandIds) {
  for (int which : {1, 2}) {
    OpenUrlDialog dialog;
    dialog.open();
    (which == 1 ? dialog.softKeys()->leftKey() : dialog.softKeys()->rightKey())->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), which);
  }
}
