// The status dialog: the first name and the current status at opening, the has-status flag,
// the soft keys as the user moves between the edit and the presets, the length limits, every
// result of sending or clearing a status, and texts that must arrive whole.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "dialogsfixture.h"
#include "ui/dialogs/statusdialog.h"
#include "ui/kit/commandids.h"
#include "ui/kit/globals.h"
#include "ui/kit/menutable.h"

namespace dialogstest {
namespace {

using friendstest::occurrences;
namespace menu = ui::menu;

constexpr const char* kUnexpected =
    "Problem: An unexpected error occurred. Please check your connection and try again later.";

// Key events carrying the text, one per character: what a keyboard of another language
// sends (QTest's key clicks know Latin-1 only).
void typeText(QWidget* widget, const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const qsizetype length = text.at(i).isHighSurrogate() ? 2 : 1;
    const QString character = text.mid(i, length);
    i += length - 1;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, character);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, character);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
  }
}

class StatusDialogTest : public DialogsFixture {
 protected:
  std::unique_ptr<ui::StatusDialog> open() {
    auto dialog = std::make_unique<ui::StatusDialog>(context, nullptr);
    dialog->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    return dialog;
  }
  void setPermission(bool granted) {
    EXPECT_EQ(sim.control("/permission", std::string(R"({"status_update": )") +
                                             (granted ? "true" : "false") + "}")
                  .status,
              200);
  }
  // The JSON request log holds the decoded parameters: a value arrived whole when it shows
  // between quotes.
  bool arrived(const std::string& value) const {
    return requests().find("\"" + value + "\"") != std::string::npos;
  }
};

TEST_F(StatusDialogTest, OpeningShowsTheFirstNameAndTheStatusAndKeepsTheFlag) {
  sim.control("/person", R"({"first_name": "Veronika"})");
  {
    const auto dialog = open();
    EXPECT_EQ(dialog->nameLabel()->text(), "Veronika");
    EXPECT_EQ(dialog->nameLabel()->width(),
              QFontMetrics(dialog->nameLabel()->font()).horizontalAdvance("Veronika") + 15);
    EXPECT_EQ(dialog->edit()->x(), ui::g_screen.sideMargin() + dialog->nameLabel()->width());
    EXPECT_EQ(dialog->edit()->text(), "");
    EXPECT_EQ(ui::g_hasStatus, ui::kNoStatus);
    EXPECT_EQ(dialog->softKeys(), menu::kDone);
    EXPECT_EQ(dialog->presets()->count(), 24);
    EXPECT_EQ(dialog->presets()->item(0)->text(), "has Facebook on his mobile");
    EXPECT_EQ(dialog->presets()->item(1)->text(), "is bored");
    EXPECT_EQ(dialog->presets()->item(23)->text(), "needs sleep");
    EXPECT_FALSE(dialog->icon()->pixmap().isNull());
    EXPECT_EQ(dialog->icon()->x(), dialog->heading()->x() - 19);
    EXPECT_EQ(connectionEvents, std::vector<std::string>{"interactive"});
    EXPECT_EQ(occurrences(requests(), "select status,first_name from user where uid =" +
                                          std::to_string(session.userId)),
              1);
    EXPECT_TRUE(dialog->grab().save(screenshotPath("statusdialog_240x320.png")));
  }
  setStatus("", "is reading");
  {
    const auto dialog = open();
    EXPECT_EQ(dialog->edit()->text(), "is reading");
    EXPECT_EQ(ui::g_hasStatus, ui::kHasStatus);
    EXPECT_EQ(dialog->softKeys(), menu::kStatusIdle);
  }
  // Removed elsewhere: the flag stays, and with it "Clear Status".
  setStatus("", "");
  const auto dialog = open();
  EXPECT_EQ(dialog->edit()->text(), "");
  EXPECT_EQ(ui::g_hasStatus, ui::kHasStatus);
  EXPECT_EQ(dialog->softKeys(), menu::kStatusIdle);
  EXPECT_TRUE(shown().empty());
}

TEST_F(StatusDialogTest, TheSoftKeysFollowTheEditAndThePresets) {
  const auto dialog = open();
  QLineEdit* edit = dialog->edit();
  QListWidget* presets = dialog->presets();
  struct Step {
    const char* what;
    std::vector<Qt::Key> keys;
    const char* typed;
    int bar;
    const char* text;
    bool presetSelected;
  } steps[] = {
      {"start", {}, "", menu::kDone, "", false},
      {"typing", {}, "is", menu::kStatusUpdate, "is", false},
      {"Cancel empties the edit", {Qt::Key_F2}, "", menu::kDone, "", false},
      {"down into the presets", {Qt::Key_Down}, "", menu::kStatusPreset, "", true},
      {"down the presets", {Qt::Key_Down, Qt::Key_Down}, "", menu::kStatusPreset, "", true},
      {"Cancel the preset", {Qt::Key_F2}, "", menu::kDone, "", false},
      {"Select a preset", {Qt::Key_Down, Qt::Key_Down, Qt::Key_F1}, "", menu::kStatusUpdate, "is bored", false},
      {"adding to it", {}, " stiff", menu::kStatusUpdate, "is bored stiff", false},
      {"Cancel the update", {Qt::Key_F2}, "", menu::kDone, "", false},
      // Leaving the list keeps its highlight, as the list box does.
      {"into the presets and back up", {Qt::Key_Down, Qt::Key_Up}, "", menu::kDone, "", true},
      {"Return takes the preset", {Qt::Key_Down, Qt::Key_Return}, "", menu::kStatusUpdate,
       "has Facebook on his mobile", false},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    for (Qt::Key key : step.keys) QTest::keyClick(QApplication::focusWidget(), key);
    if (*step.typed) QTest::keyClicks(edit, step.typed);
    EXPECT_EQ(dialog->softKeys(), step.bar);
    EXPECT_EQ(edit->text().toStdString(), step.text);
    EXPECT_EQ(!presets->selectedItems().isEmpty(), step.presetSelected);
  }
  // A preset taken leaves the caret at its end, in the edit.
  EXPECT_EQ(QApplication::focusWidget(), edit);
  EXPECT_EQ(edit->cursorPosition(), edit->text().size());
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(requests().find("users.setStatus") == std::string::npos);
}

TEST_F(StatusDialogTest, TheEditTakesNinetyNineCharactersWithoutSplittingOne) {
  const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");  // two UTF-16 units
  struct Case {
    const char* what;
    QString input, kept;
  } cases[] = {
      {"plain", QString(120, 'a'), QString(99, 'a')},
      {"a pair across the end", QString(98, 'a') + smile + QString(20, 'b'), QString(98, 'a')},
      {"a pair just inside", QString(97, 'a') + smile + QString(20, 'b'), QString(97, 'a') + smile},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto dialog = open();
    dialog->edit()->selectAll();
    dialog->edit()->insert(c.input);  // as a paste
    EXPECT_EQ(dialog->edit()->text(), c.kept);
  }
  // Typed, and sent: 99 characters arrive.
  const auto dialog = open();
  QTest::keyClicks(dialog->edit(), QString(120, 'x'));
  EXPECT_EQ(dialog->edit()->text().size(), 99);
  QTest::keyClick(dialog->edit(), Qt::Key_Return);
  EXPECT_TRUE(arrived(std::string(99, 'x')));
  EXPECT_FALSE(arrived(std::string(100, 'x')));
  // The user's status on the server longer than the edit shows cut as well.
  setStatus("", std::string(120, 'y'));
  EXPECT_EQ(open()->edit()->text(), QString(99, 'y'));
}

TEST_F(StatusDialogTest, EveryResultOfAnUpdateHasItsMessage) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::string message;
    bool closed;
  } cases[] = {
      {"done", [] {}, "Success: Status Successfully Set!", true},
      {"no permission", [this] { setPermission(false); },
       "Problem: " + ui::StatusDialog::permissionText(sim.url()), false},
      {"an error answer",
       [this] { fault(R"({"match": "facebook.users.setStatus", "action": "error", "error_code": 100})"); },
       kUnexpected, false},
      {"a dropped connection",
       // Twice: the transfer sends again once on a kept-alive connection that closes.
       [this] { fault(R"({"match": "facebook.users.setStatus", "action": "close", "count": 2})"); },
       kUnexpected, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    setPermission(true);
    setStatus("", "");
    const auto dialog = open();
    c.arrange();
    boxes.clear();
    connectionEvents.clear();
    QTest::keyClicks(dialog->edit(), "is testing");
    QTest::keyClick(dialog.get(), Qt::Key_F1);
    EXPECT_EQ(shown(), std::vector<std::string>{c.message});
    EXPECT_EQ(!dialog->isVisible(), c.closed);
    if (c.closed) {
      EXPECT_EQ(dialog->result(), ui::cmd::kUpdateStatus);
      EXPECT_EQ(connectionEvents, std::vector<std::string>{"release"});
    } else {
      // The text stays for another try.
      EXPECT_EQ(dialog->edit()->text(), "is testing");
      EXPECT_EQ(dialog->softKeys(), menu::kStatusUpdate);
      EXPECT_TRUE(connectionEvents.empty());
    }
  }
}

TEST_F(StatusDialogTest, ClearingIsReportedWhenItFailsAndDoneOnlyWhenItWorked) {
  setStatus("", "is around");
  const auto dialog = open();
  ASSERT_EQ(dialog->softKeys(), menu::kStatusIdle);
  setPermission(false);
  QTest::keyClick(dialog.get(), Qt::Key_F2);
  EXPECT_EQ(shown(), std::vector<std::string>{"Problem: " + ui::StatusDialog::permissionText(sim.url())});
  EXPECT_EQ(ui::g_hasStatus, ui::kHasStatus);
  EXPECT_EQ(dialog->edit()->text(), "is around");
  EXPECT_EQ(dialog->softKeys(), menu::kStatusIdle);

  setPermission(true);
  boxes.clear();
  clearRequests();
  QTest::keyClick(dialog.get(), Qt::Key_F2);
  EXPECT_TRUE(shown().empty());
  EXPECT_EQ(ui::g_hasStatus, ui::kNoStatus);
  EXPECT_EQ(dialog->edit()->text(), "");
  EXPECT_EQ(dialog->softKeys(), menu::kDone);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(arrived("clear"));
  EXPECT_FALSE(arrived("status_includes_verb"));
  EXPECT_EQ(open()->softKeys(), menu::kDone);  // the server has no status now
}

TEST_F(StatusDialogTest, TextsWithSignsAndLettersOfOtherLanguagesArriveWhole) {
  for (const char* text : {"Zoë & Łukasz + 50% ñandú", "a%20b&c=d+e", "Ηλίας ποιεί ζυθοζυμώσεις"}) {
    SCOPED_TRACE(text);
    const auto dialog = open();
    dialog->edit()->clear();
    typeText(dialog->edit(), QString::fromUtf8(text));
    QTest::keyClick(dialog->edit(), Qt::Key_Return);
    EXPECT_EQ(lastShown(), "Success: Status Successfully Set!");
    EXPECT_TRUE(arrived(text)) << requests();
    EXPECT_EQ(open()->edit()->text().toStdString(), text);  // and the server keeps it
  }
}

}  // namespace
}  // namespace dialogstest
