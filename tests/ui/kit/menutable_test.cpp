// The menu resources: every soft key and popup item of every menu, with its command, as the
// windows that show them name them.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ui/kit/menutable.h"

namespace {

// "text=id" per item, "-" per separator, "[popup" ... "]" around a popup.
void flatten(const std::vector<ui::MenuItem>& items, std::vector<std::string>& out) {
  for (const auto& item : items) {
    if (item.isSeparator()) {
      out.push_back("-");
    } else if (item.isPopup()) {
      out.push_back("[" + item.text.toStdString());
      flatten(item.popup, out);
      out.push_back("]");
    } else {
      EXPECT_GT(item.id, 0) << item.text.toStdString();
      out.push_back(item.text.toStdString() + "=" + std::to_string(item.id));
    }
  }
}

// An expected item without "=id" is one whose command the windows do not name: only its
// text is compared.
std::vector<std::string> comparable(std::vector<std::string> actual,
                                    const std::vector<std::string>& expected) {
  for (std::size_t i = 0; i < actual.size() && i < expected.size(); ++i)
    if (expected[i].find('=') == std::string::npos)
      actual[i] = actual[i].substr(0, actual[i].find('='));
  return actual;
}

struct MenuCase {
  int id;
  std::vector<std::string> items;
};

// clang-format off
const MenuCase kMenus[] = {
    // The main window's single key.
    {102, {"[Menu", "Find a Friend=32783", "Status=32786", "Friends=32817", "About=32804",
           "Upload Photo=32830", "Help=32878", "-", "Notifications=32841", "Birthdays=32864",
           "Relation Change=32865", "-", "[View", "Home=32813", "Inbox=32812",
           "My Profile=32811", "]", "Hide=32771", "Exit=32853", "]"}},
    // Find a Friend, with a friend selected; the simple dialogs' "Done".
    {103, {"Done=1", "Select Friend=32788"}},
    {104, {"Done=1"}},
    // The notifications window's drop-down lists, its rows and its idle bar.
    {105, {"Accept=32791", "Ignore=32792"}},
    {106, {"View Event=32793", "Ignore=32794"}},
    {107, {"View Group=32795", "Ignore=32796"}},
    {111, {"View Wall=32808", "Cancel=32809"}},
    {112, {"View Inbox=32805", "Cancel=32806"}},
    {160, {"Done=32843"}},
    // The status dialog.
    {108, {"Select=32797", "Cancel=32798"}},
    {109, {"Update Status=32799", "Cancel=32800"}},
    {110, {"Done=1", "Clear Status=32802"}},
    // The All Friends window: browsing, remove mode, pick-up mode.
    {147, {"Done", "[Menu", "Choose Best Friends", "Remove From Best Friends", "All Friends",
           "Help", "]"}},
    {148, {"Done", "[Menu", "Remove From Best Friends", "All Friends", "]"}},
    {167, {"Done", "[Menu", "Choose Best Friends", "All Friends", "]"}},
    // The friend page, its big picture, its info window and its categories.
    {154, {"Done=32823", "[Menu", "All About Friend=32826", "Refresh Status=32825",
           "Big Picture=32828", "Go Facebook=32877", "]"}},
    {156, {"Done=32823"}},
    {163, {"Done=32862"}},
    {169, {"Cancel=32874", "Submit=32875"}},
    // The board's further pages.
    {158, {"Previous", "Next=32838"}},
    // The change lists: birthdays, relationship changes.
    {171, {"Done=32882"}},
    {172, {"Done=32884"}},
    // The picture picker of "Upload Photo".
    {173, {"Open=32831", "Cancel=32832"}},
};
// clang-format on

}  // namespace

TEST(MenuTable, EveryMenuResourceAsItsWindowShowsIt) {
  std::set<int> ids;
  for (const MenuCase& c : kMenus) {
    SCOPED_TRACE(c.id);
    ids.insert(c.id);
    const ui::MenuResource* menu = ui::findMenu(c.id);
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->id, c.id);
    EXPECT_GE(menu->keys.size(), 1u);
    EXPECT_LE(menu->keys.size(), 2u);  // a left and a right soft key at most
    std::vector<std::string> items;
    flatten(menu->keys, items);
    EXPECT_EQ(comparable(items, c.items), c.items);
  }
  // No menu beyond these.
  for (int id = 0; id < 1000; ++id) {
    if (!ids.count(id)) {
      EXPECT_EQ(ui::findMenu(id), nullptr) << id;
    }
  }
}
