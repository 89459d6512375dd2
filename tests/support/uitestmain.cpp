// Test main for the widget tests: one QApplication with the phone's 12-pixel system font.
#include <QApplication>
#include <QFont>

#include <gtest/gtest.h>

#include "ui/kit/accessibility.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QFont font = QApplication::font();
  font.setPixelSize(12);
  QApplication::setFont(font);
  ui::a11y::install();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
