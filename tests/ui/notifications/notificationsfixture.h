#pragma once
// A notifications window on its own for the tests: a scripted opening poll, the pages and
// ads it opens recorded, and the program-wide state fresh for every test.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "news/newswindow.h"
#include "ui/kit/fonts.h"
#include "ui/kit/uistate.h"
#include "ui/notifications/notificationsstate.h"
#include "ui/notifications/notificationswindow.h"

class NotificationsFixture : public ::testing::Test, public ui::notifications::NewsActions {
 protected:
  using Poll = std::function<int(news::NewsWindow&)>;

  NotificationsFixture();
  ~NotificationsFixture() override;

  // A window whose opening runs `opening`; `fromMenu` sets the window-open flag first, as the
  // menu does. The window is shown when its opening keeps it.
  ui::notifications::NotificationsWindow& open(Poll opening, bool fromMenu = true);
  // A poll that adds one of everything: wall post, message, two friend requests whose names
  // share 15 characters, an event and a group invite.
  static int pollWithEverything(news::NewsWindow& window);

  // The row's control as a type (nullptr when it is another kind).
  template <typename T>
  T* control(int id) const {
    return qobject_cast<T*>(window->control(id));
  }
  int pollOpening(news::NewsWindow& w) override { return poll_ ? poll_(w) : 0; }
  void fetchClientAddress() override { ++addressFetches; }
  bool openPage(const std::string& path) override;
  void openAd() override { ++ads; }

  int barId() const;
  std::string rowText(int id) const;
  static std::string screenshotPath(const std::string& name);

  ui::Fonts fonts;
  // The window-open flag and the screen: fresh for every test.
  ui::UiState ui;
  // What the program's news centre would hold: fresh for every test.
  ui::notifications::NotificationsState state;
  Poll poll_;
  std::unique_ptr<ui::notifications::NotificationsWindow> window;
  std::vector<std::string> pages;
  // Runs while a page opens (as the page's box would run a poll); its result says whether the
  // page opened. Unset: every page opens.
  std::function<bool()> onPage;
  int ads = 0;
  int addressFetches = 0;
};
