#pragma once
// A notifications window on its own for the tests: a scripted opening poll, the pages and
// ads it opens recorded, and the program-wide state fresh for every test.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "news/poller.h"
#include "ui/kit/fonts.h"
#include "ui/kit/uistate.h"
#include "ui/notifications/notificationsstate.h"
#include "ui/notifications/notificationswindow.h"

// A scripted poll's outcome, filled as the poller fills it: Found(News).wall().friendRequest(...).
struct Found : news::PollOutcome {
  explicit Found(news::PollEnd ending) { end = ending; }
  Found& wall() {
    wallPosts = true;
    return *this;
  }
  Found& inbox() {
    messages = true;
    return *this;
  }
  Found& friendRequest(const std::string& name, const std::string& uid) {
    friendRequests.push_back({name, uid});
    return *this;
  }
  Found& groupInvite(const std::string& name, const std::string& gid) {
    groupInvites.push_back({name, gid});
    return *this;
  }
  Found& eventInvite(const std::string& name, const std::string& eid) {
    eventInvites.push_back({name, eid});
    return *this;
  }
};

class NotificationsFixture : public ::testing::Test, public ui::notifications::NewsActions {
 protected:
  using Poll = std::function<news::PollOutcome()>;

  NotificationsFixture();
  ~NotificationsFixture() override;

  // A window whose opening poll finds `opening`, applied to the state as the news centre
  // applies it; `fromMenu` sets the window-open flag first, as the menu does. The window is
  // shown when its opening keeps it.
  ui::notifications::NotificationsWindow& open(Poll opening, bool fromMenu = true);
  // A poll that adds one of everything: wall post, message, two friend requests whose names
  // share 15 characters, an event and a group invite.
  static news::PollOutcome pollWithEverything();
  static news::PollOutcome nothingNew() { return Found(news::PollEnd::NothingNew); }

  // The row's control as a type (nullptr when it is another kind).
  template <typename T>
  T* control(int id) const {
    return qobject_cast<T*>(window->control(id));
  }
  int pollOpening() override;
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
