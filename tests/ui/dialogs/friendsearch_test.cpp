// The friends search: which names a text lists, one match selected at once, the rows' uids
// reaching the details, the keys, and the last-update line.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "friends/cachepaths.h"
#include "friends/friendstore.h"
#include "support/tempfolder.h"
#include "ui/dialogs/friendsearchdialog.h"
#include "ui/kit/commandids.h"
#include "ui/kit/fonts.h"
#include "ui/kit/uistate.h"
#include "ui/kit/menutable.h"

namespace {

namespace menu = ui::menu;

class FriendSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string text;
    for (const auto& [uid, name] :
         std::vector<std::pair<const char*, const char*>>{{"11", "Mary Jones"},
                                                          {"12", "John Smith"},
                                                          {"13", "Bjorn"},
                                                          {"14", "Aaron"},
                                                          {"15", "Émile Zola"},
                                                          {"16", "ÅSA ÖBERG"},
                                                          {"17", "Ηλίας Σταύρου"},
                                                          {"18", "john smith"}})
      text += std::string(uid) + "*-5*" + name + "*Vel*college*Alumnus*2001*\n";
    text += "12x*-5*Mallory Bad*****\n";  // a uid that is not all digits is left out
    testsupport::writeWhole(store.paths().bf, text);
    ui.lastUpdateText.set("List Last Updated: 4/3/2009  9:5");
  }
  std::unique_ptr<ui::FriendSearchDialog> open() {
    auto dialog = std::make_unique<ui::FriendSearchDialog>(
        ui, store, fonts,
        [this](const std::string& uid, const QString& name, QWidget*) {
          opened.push_back(uid + " " + name.toStdString());
        },
        nullptr);
    dialog->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    return dialog;
  }

  testsupport::TempFolder dir;
  friends::FriendStore store{friends::CachePaths::inFolder(dir.path())};
  ui::Fonts fonts = ui::Fonts::fromSystemFont(QApplication::font());
  ui::UiState ui;
  std::vector<std::string> opened;
};

TEST_F(FriendSearch, ATextListsTheNamesWithAWordItStarts) {
  const auto dialog = open();
  struct Case {
    const char* text;
    std::vector<std::string> names;
  } cases[] = {
      {"jo", {"John Smith", "john smith", "Mary Jones"}},
      {"ar", {}},        // not Aaron, nor the "ar" inside Mary
      {"a", {"Aaron"}},  // Å is a letter of its own
      {"",
       {"Aaron", "ÅSA ÖBERG", "Bjorn", "Émile Zola", "John Smith", "john smith", "Mary Jones",
        "Ηλίας Σταύρου"}},
      {"SMITH", {"John Smith", "john smith"}},
      {"E\xCC\x81mi", {"Émile Zola"}},  // typed with a combining accent
      {"åsa ö", {"ÅSA ÖBERG"}},
      {"ΣΤΑΎ", {"Ηλίας Σταύρου"}},
      {"mary jones x", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    dialog->edit()->setText(QString::fromUtf8(c.text));
    std::vector<std::string> names;
    for (int i = 0; i < dialog->list()->count(); ++i)
      names.push_back(dialog->list()->item(i)->text().toStdString());
    EXPECT_EQ(names, c.names);
  }
}

// The same order as the change lists: the collation of the names' letters, accents after
// the letter they sit on ("Çağan" among the C names, not after "Z").
TEST_F(FriendSearch, TheListSortsNamesAsTheChangeListsDo) {
  testsupport::writeWhole(store.paths().bf,
                          "21*-5*Seán Martin*\n22*-5*Çağan Virtanen*\n23*-5*Chloé Dubois*\n"
                          "24*-5*Björn Berg*\n25*-5*Zoë Ødegaard*\n26*-5*cecilia Ahl*\n");
  const auto dialog = open();
  std::vector<std::string> names;
  for (int i = 0; i < dialog->list()->count(); ++i)
    names.push_back(dialog->list()->item(i)->text().toStdString());
  EXPECT_EQ(names, (std::vector<std::string>{"Björn Berg", "Çağan Virtanen", "cecilia Ahl",
                                             "Chloé Dubois", "Seán Martin", "Zoë Ødegaard"}));
}

TEST_F(FriendSearch, OneMatchIsSelectedAndItsUidOpensTheDetails) {
  const auto dialog = open();
  EXPECT_EQ(dialog->lastUpdate()->text(), "List Last Updated: 4/3/2009  9:5");
  const QAccessibleInterface* list = QAccessible::queryAccessibleInterface(dialog->list());
  EXPECT_EQ(list->text(QAccessible::Name), "Friends");
  EXPECT_EQ(list->text(QAccessible::Description), "List Last Updated: 4/3/2009  9:5");
  EXPECT_TRUE(dialog->grab().save(
      QStringLiteral(VELTRANA_BINARY_DIR "/screenshots/friendsearch_240x320.png")));
  struct Step {
    const char* typed;
    std::vector<Qt::Key> keys;
    int bar, listed;
    std::vector<std::string> opened;
  } steps[] = {
      {"j", {Qt::Key_F2}, menu::kDone, 3, {}},  // no right key
      {"ones", {}, menu::kDoneSelectFriend, 1, {}},
      {"", {Qt::Key_F2}, menu::kDoneSelectFriend, 1, {"11 Mary Jones"}},
      {"", std::vector(5, Qt::Key_Backspace), menu::kDone, 8, {"11 Mary Jones"}},
      {"",
       {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return},
       menu::kDoneSelectFriend,
       8,
       {"11 Mary Jones", "16 ÅSA ÖBERG"}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(testing::Message() << "step " << (&step - steps));
    QTest::keyClicks(dialog->edit(), step.typed);
    for (Qt::Key key : step.keys) QTest::keyClick(dialog->edit(), key);
    EXPECT_EQ(dialog->softKeys(), step.bar);
    EXPECT_EQ(dialog->list()->count(), step.listed);
    EXPECT_EQ(opened, step.opened);
  }
  QTest::keyClick(dialog.get(), Qt::Key_F1);
  EXPECT_EQ(dialog->result(), ui::cmd::kDone);
}

TEST_F(FriendSearch, WithoutAFileOrAnUpdateTheListIsEmptyAndNeverUpdated) {
  ::unlink(store.paths().bf.c_str());
  ui.lastUpdateText.set(QString());
  const auto dialog = open();
  EXPECT_EQ(dialog->lastUpdate()->text(), "List Last Updated: Never");
  QTest::keyClicks(dialog->edit(), "jo");
  EXPECT_EQ(dialog->list()->count(), 0);
  QTest::keyClick(dialog->edit(), Qt::Key_Return);
  EXPECT_EQ(dialog->result(), ui::cmd::kDone);
}

}  // namespace
