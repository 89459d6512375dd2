// The menu resources: every item of the main menu with its command, in order.
#include <gtest/gtest.h>

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
      out.push_back(item.text.toStdString() + "=" + std::to_string(item.id));
    }
  }
}

}  // namespace

TEST(MenuTable, MainMenu102) {
  const ui::MenuResource* menu = ui::findMenu(102);
  ASSERT_TRUE(menu);
  std::vector<std::string> items;
  flatten(menu->keys, items);
  // clang-format off
  const std::vector<std::string> expected = {
      "[Menu",          "Find a Friend=32783", "Status=32786",          "Friends=32817",
      "About=32804",    "Upload Photo=32830",  "Help=32878",            "-",
      "Notifications=32841", "Birthdays=32864", "Relation Change=32865", "-",
      "[View",          "Home=32813",          "Inbox=32812",           "My Profile=32811",
      "]",              "Hide=32771",          "Exit=32853",            "]"};
  // clang-format on
  EXPECT_EQ(items, expected);
}

TEST(MenuTable, EveryMenuIsASoftKeyBar) {
  for (int id : {102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 154, 156, 160, 163, 169,
                 171, 172}) {
    SCOPED_TRACE(id);
    const ui::MenuResource* menu = ui::findMenu(id);
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->id, id);
    EXPECT_GE(menu->keys.size(), 1u);
    EXPECT_LE(menu->keys.size(), 2u);
    for (int command : ui::commandIds(*menu)) EXPECT_GT(command, 0);
  }
  EXPECT_EQ(ui::findMenu(999), nullptr);
}
