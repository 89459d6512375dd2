#pragma once
// Puts the program-wide UI values (ui/kit/globals.h) back as they were before each test case,
// once the case and its fixture are gone, so that no case sees another's leftovers, even one
// that an assertion ended early. Registered by the widget test mains.
#include <gtest/gtest.h>

#include <QSize>
#include <QString>

#include "ui/kit/globals.h"

namespace testsupport {

class UiGlobalsListener : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo& test) override;
  void OnTestEnd(const ::testing::TestInfo& test) override;

 private:
  struct Values {
    int sw = 0;
    int sh = 0;
    ui::SelectedFriend selectedFriend;
    int windowOpen = ui::kWindowClosed;
    bool hidden = false;
    int hasStatus = ui::kNoStatus;
    QSize mainTextSize;
    ui::PhoneScreen screen;
    QString lastUpdateText;
  };
  Values saved_;
};

}  // namespace testsupport
