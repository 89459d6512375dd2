// Test main for in-process tests with widgets.
#include <QApplication>

#include <gtest/gtest.h>

#include "uiglobalslistener.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new testsupport::UiGlobalsListener);
  return RUN_ALL_TESTS();
}
