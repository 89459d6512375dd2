// Test main for the widget tests: one QApplication with the phone's 12-pixel system font.
#include <QApplication>
#include <QFont>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QFont font = QApplication::font();
  font.setPixelSize(12);
  QApplication::setFont(font);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
