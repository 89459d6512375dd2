// The "Preparing Veltrana" box: it stays up and painted while the start-up work runs on its
// worker, reappears after OK while the program still prepares, and closes in two ways.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <thread>

#include "ui/kit/progressbox.h"
#include "ui/kit/uithread.h"
#include "ui/kit/workerrun.h"

namespace {

int visibleBoxes() {
  int count = 0;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->isVisible() && widget->windowTitle() == "Preparing Veltrana") ++count;
  return count;
}

}  // namespace

TEST(ProgressBox, CaptionTextAndOnlyAnOkButton) {
  QWidget owner;
  ui::ProgressBox progress(&owner);
  progress.show("Signing in");
  QMessageBox* box = progress.box();
  ASSERT_TRUE(box);
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(box->windowTitle(), "Preparing Veltrana");
  EXPECT_EQ(box->text(), "Signing in");
  EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
  EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
  progress.close(ui::ProgressBox::CloseWait::UntilEnded);
}

TEST(ProgressBox, OkBringsItBackUntilTheProgramClosesIt) {
  QWidget owner;
  ui::ProgressBox progress(&owner);
  progress.show("Signing in");
  for (int press = 0; press < 3; ++press) {
    progress.box()->button(QMessageBox::Ok)->click();
    QApplication::processEvents();
    EXPECT_EQ(visibleBoxes(), 1) << press;
  }
  progress.close(ui::ProgressBox::CloseWait::UntilEnded);
  QApplication::processEvents();
  EXPECT_EQ(progress.box(), nullptr);
  EXPECT_EQ(visibleBoxes(), 0);
  EXPECT_FALSE(progress.keepShowing());
  progress.close(ui::ProgressBox::CloseWait::UntilEnded);  // no box: nothing to press
}

TEST(ProgressBox, TheWorkerDrivesThePhasesWhileTheUiThreadKeepsItPainted) {
  QWidget owner;
  ui::ProgressBox progress(&owner);
  progress.show("Signing in");
  std::vector<QString> seen;
  int paintedWhileBusy = 0;
  const int result = ui::runOnWorker([&] {
    // The UI thread answers while this thread is busy: the box can be painted.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    paintedWhileBusy = ui::callOnThreadOf(&progress, [&] {
      QMessageBox* box = progress.box();
      return box && box->isVisible() && !box->grab().isNull() ? 1 : 0;
    });
    seen.push_back(ui::callOnThreadOf(&progress, [&] { return progress.box()->text(); }));
    progress.close(ui::ProgressBox::CloseWait::UntilEnded);
    seen.push_back(ui::callOnThreadOf(&progress, [&] { return QString::number(visibleBoxes()); }));
    progress.show("Retrieving friends' info");
    seen.push_back(ui::callOnThreadOf(&progress, [&] { return progress.box()->text(); }));
    QElapsedTimer clock;
    clock.start();
    progress.close(ui::ProgressBox::CloseWait::HalfSecond);
    EXPECT_GE(clock.elapsed(), 500);
    return 42;
  });
  EXPECT_EQ(result, 42);
  EXPECT_EQ(paintedWhileBusy, 1);
  EXPECT_EQ(seen, (std::vector<QString>{"Signing in", "0", "Retrieving friends' info"}));
  QApplication::processEvents();
  EXPECT_EQ(visibleBoxes(), 0);
}

TEST(ProgressBox, TheHalfSecondCloseOnTheUiThreadKeepsServingEvents) {
  QWidget owner;
  ui::ProgressBox progress(&owner);
  progress.show("Signing in");
  bool served = false;
  QTimer::singleShot(100, [&] { served = true; });
  QElapsedTimer clock;
  clock.start();
  progress.close(ui::ProgressBox::CloseWait::HalfSecond);
  EXPECT_GE(clock.elapsed(), 500);
  EXPECT_TRUE(served);
  EXPECT_EQ(visibleBoxes(), 0);
}
