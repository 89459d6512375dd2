// The status dialog: the first name and the status at opening, the has-status flag, the soft
// keys as the user moves between the edit and the presets, the length limit, every result of
// sending or clearing a status, and texts that must arrive whole.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "dialogsfixture.h"
#include "support/darkdesktop.h"
#include "ui/dialogs/statusdialog.h"
#include "ui/kit/commandids.h"
#include "ui/kit/menutable.h"

namespace dialogstest {
namespace {

namespace menu = ui::menu;

constexpr const char* kUnexpected =
    "Problem: An unexpected error occurred. Please check your connection and try again later.";

// One key event per character with its text, as a keyboard of any language sends them
// (QTest's key clicks know Latin-1 only).
void typeText(QWidget* widget, const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const qsizetype length = text.at(i).isHighSurrogate() ? 2 : 1;
    const QString character = text.mid(i, length);
    i += length - 1;
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QKeyEvent event(type, Qt::Key_unknown, Qt::NoModifier, character);
      QApplication::sendEvent(widget, &event);
    }
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
  void permit(bool granted) {
    sim.control("/permission",
                std::string(R"({"status_update": )") + (granted ? "true}" : "false}"));
  }
  std::string noPermission() const {
    return "Problem: " + ui::StatusDialog::permissionText(sim.url());
  }
  // The request log holds the decoded parameters: a value arrived whole when it stands
  // between quotes.
  bool arrived(const std::string& value) const {
    return requests().find("\"" + value + "\"") != std::string::npos;
  }
};

TEST_F(StatusDialogTest, OpeningShowsTheFirstNameAndTheStatusAndKeepsTheFlag) {
  sim.control("/person", R"({"first_name": "Veronika"})");
  {
    const auto dialog = open();
    const QLabel* name = dialog->nameLabel();
    EXPECT_EQ(name->text(), "Veronika");
    // The name shows whole, and the edit beside it leaves a gap after the name's text.
    const int nameEnd = name->x() + QFontMetrics(name->font()).horizontalAdvance("Veronika");
    EXPECT_GT(name->x() + name->width(), nameEnd);
    EXPECT_GT(dialog->edit()->x(), nameEnd);
    EXPECT_EQ(dialog->presets()->item(1)->text(), "is bored");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(dialog->presets())->text(QAccessible::Name),
              "Select a preset status to edit");
    EXPECT_EQ(dialog->softKeys(), menu::kDone);
    EXPECT_EQ(connectionEvents, std::vector<std::string>{"interactive"});
    EXPECT_TRUE(dialog->grab().save(screenshotPath("statusdialog_240x320.png")));
  }
  // A status found sets the flag; removed elsewhere, the flag and "Clear Status" stay.
  for (const char* status : {"is reading", ""}) {
    SCOPED_TRACE(status);
    setStatus("", status);
    const auto dialog = open();
    EXPECT_EQ(dialog->edit()->text(), status);
    EXPECT_EQ(ui.hasStatus, ui::HasStatus::kHas);
    EXPECT_EQ(dialog->softKeys(), menu::kStatusIdle);
  }
}

TEST_F(StatusDialogTest, TheSoftKeysFollowTheEditAndThePresets) {
  const auto dialog = open();
  QLineEdit* edit = dialog->edit();
  struct Step {
    std::vector<Qt::Key> keys;
    const char* typed;
    int bar;
    const char* text;
    bool highlighted;
  } steps[] = {
      {{}, "is", menu::kStatusUpdate, "is", false},
      {{Qt::Key_F2}, "", menu::kDone, "", false},  // Cancel empties the edit
      {{Qt::Key_Down, Qt::Key_Down}, "", menu::kStatusPreset, "", true},
      {{Qt::Key_F2}, "", menu::kDone, "", false},  // Cancel the preset
      {{Qt::Key_Down, Qt::Key_Down, Qt::Key_F1}, "", menu::kStatusUpdate, "is bored", false},
      {{}, " stiff", menu::kStatusUpdate, "is bored stiff", false},  // the caret was at the end
      {{Qt::Key_F2}, "", menu::kDone, "", false},
      {{Qt::Key_Down, Qt::Key_Up}, "", menu::kDone, "", true},  // out of the list, still lit
      {{Qt::Key_Down, Qt::Key_Return},
       "",
       menu::kStatusUpdate,
       "has Facebook on his mobile",
       false},
      // Escape is the Cancel key of the state showing; the dialog stays.
      {{Qt::Key_Escape}, "", menu::kDone, "", false},
      {{}, "is", menu::kStatusUpdate, "is", false},
      {{Qt::Key_Escape}, "", menu::kDone, "", false},
      {{Qt::Key_Down, Qt::Key_Down}, "", menu::kStatusPreset, "", true},
      {{Qt::Key_Escape}, "", menu::kDone, "", false},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(testing::Message() << "step " << (&step - steps));
    for (Qt::Key key : step.keys) QTest::keyClick(QApplication::focusWidget(), key);
    QTest::keyClicks(edit, step.typed);
    EXPECT_EQ(dialog->softKeys(), step.bar);
    EXPECT_EQ(edit->text().toStdString(), step.text);
    EXPECT_EQ(!dialog->presets()->selectedItems().isEmpty(), step.highlighted);
    EXPECT_TRUE(dialog->isVisible());
  }
  EXPECT_EQ(QApplication::focusWidget(), edit);
  EXPECT_EQ(edit->cursorPosition(), edit->text().size());
  EXPECT_TRUE(dialog->grab().save(screenshotPath("statusdialog_after_escape.png")));
  // With nothing to cancel, Escape ends the dialog as Done does.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), ui::cmd::kDone);
}

// A dark desktop theme leaves the dialog as the phone shows it: the labels, the status box
// and the presets dark on light.
TEST_F(StatusDialogTest, ReadsDarkOnLightUnderADarkDesktop) {
  const testsupport::DarkDesktop dark;
  sim.control("/person", R"({"first_name": "Veronika"})");
  setStatus("", "is reading");
  const auto dialog = open();
  for (QWidget* widget :
       {static_cast<QWidget*>(dialog->heading()), static_cast<QWidget*>(dialog->nameLabel()),
        static_cast<QWidget*>(dialog->edit()), dialog->presets()->viewport()})
    EXPECT_TRUE(testsupport::darkOnLight(*widget));
  EXPECT_TRUE(dialog->grab().save(screenshotPath("dark-palette-statusdialog.png")));
}

TEST_F(StatusDialogTest, TheEditTakesNinetyNineCharactersWithoutSplittingOne) {
  const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");  // two UTF-16 units
  for (const auto& [input, kept] :
       {std::pair{QString(120, 'a'), QString(99, 'a')},
        std::pair{QString(98, 'a') + smile + QString(20, 'b'), QString(98, 'a')},
        std::pair{QString(97, 'a') + smile + QString(20, 'b'), QString(97, 'a') + smile}}) {
    const auto dialog = open();
    dialog->edit()->insert(input);  // as a paste
    EXPECT_EQ(dialog->edit()->text(), kept);
  }
  const auto dialog = open();
  QTest::keyClicks(dialog->edit(), QString(120, 'x'));
  QTest::keyClick(dialog->edit(), Qt::Key_Return);
  EXPECT_TRUE(arrived(std::string(99, 'x')));
  // The user's own status, longer than that, shows cut the same way.
  setStatus("", std::string(120, 'y'));
  EXPECT_EQ(open()->edit()->text(), QString(99, 'y'));
}

TEST_F(StatusDialogTest, EveryResultOfAnUpdateHasItsMessage) {
  const std::string late = R"({"match": "facebook.users.setStatus", )";
  for (const auto& [arrange, message] : std::vector<std::pair<std::function<void()>, std::string>>{
           {[] {}, "Success: Status Successfully Set!"},
           {[this] { permit(false); }, noPermission()},
           {[&] { fault(late + R"("action": "error", "error_code": 100})"); }, kUnexpected},
           // Twice: the transfer sends again once when a kept-alive connection closes.
           {[&] { fault(late + R"("action": "close", "count": 2})"); }, kUnexpected},
       }) {
    SCOPED_TRACE(message);
    permit(true);
    setStatus("", "");
    const auto dialog = open();
    arrange();
    boxes.clear();
    connectionEvents.clear();
    QTest::keyClicks(dialog->edit(), "is testing");
    QTest::keyClick(dialog.get(), Qt::Key_F1);
    EXPECT_EQ(boxes.shown(), std::vector<std::string>{message});
    const bool done = message == "Success: Status Successfully Set!";
    EXPECT_EQ(dialog->isVisible(), !done);
    // A failure keeps the text for another try; success releases the connection.
    EXPECT_EQ(dialog->edit()->text(), "is testing");
    EXPECT_EQ(connectionEvents,
              done ? std::vector<std::string>{"release"} : std::vector<std::string>{});
  }
}

TEST_F(StatusDialogTest, AFailedClearIsReportedAndChangesNothing) {
  setStatus("", "is around");
  const auto dialog = open();
  permit(false);
  QTest::keyClick(dialog.get(), Qt::Key_F2);
  EXPECT_EQ(boxes.shown(), std::vector<std::string>{noPermission()});
  EXPECT_EQ(ui.hasStatus, ui::HasStatus::kHas);
  EXPECT_EQ(dialog->edit()->text(), "is around");
  EXPECT_EQ(dialog->softKeys(), menu::kStatusIdle);

  permit(true);
  QTest::keyClick(dialog.get(), Qt::Key_F2);
  EXPECT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(ui.hasStatus, ui::HasStatus::kNone);
  EXPECT_EQ(dialog->edit()->text(), "");
  EXPECT_EQ(dialog->softKeys(), menu::kDone);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(open()->softKeys(), menu::kDone);  // the server has no status now
}

TEST_F(StatusDialogTest, TextsWithSignsAndLettersOfOtherLanguagesArriveWhole) {
  for (const char* text : {"Zoë & Łukasz + 50% ñandú", "a%20b&c=d+e", "Ηλίας ποιεί ζυθοζυμώσεις"}) {
    SCOPED_TRACE(text);
    setStatus("", "");
    const auto dialog = open();
    typeText(dialog->edit(), QString::fromUtf8(text));
    QTest::keyClick(dialog->edit(), Qt::Key_Return);
    EXPECT_TRUE(arrived(text)) << requests();
    EXPECT_EQ(open()->edit()->text().toStdString(), text);  // and the server keeps it
  }
}

}  // namespace
}  // namespace dialogstest
