// The main window's creation: the synchronisation runs on a worker behind the progress box,
// its result decides "LastUpdate", and the creation timers and the idle connection follow.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>

#include "app/mainwindowcreation.h"
#include "app/schedule.h"
#include "platform/connectionkeeper.h"
#include "platform/settingskeys.h"
#include "platform/settingsstore.h"
#include "ui/kit/fonts.h"
#include "ui/kit/uistate.h"
#include "ui/board/mainwindow.h"
#include "ui/kit/progressbox.h"
#include "ui/kit/softkeybar.h"
#include "ui/kit/uithread.h"
#include "ui/kit/windowtimers.h"

namespace {

class PriorityBackend : public platform::ConnectionBackend {
 public:
  explicit PriorityBackend(std::vector<platform::ConnectionPriority>* log) : log_(log) {}
  std::vector<std::string> destinations() override { return {"The Internet"}; }
  bool connected() override { return true; }
  bool establish(int) override { return true; }
  void setPriority(platform::ConnectionPriority priority) override { log_->push_back(priority); }
  void release() override {}

 private:
  std::vector<platform::ConnectionPriority>* log_;
};

struct Creation : ::testing::Test {
  QTemporaryDir dir;
  platform::SettingsStore store{dir.path().toStdString() + "/registry.db"};
  std::vector<platform::ConnectionPriority> priorities;
  platform::ConnectionKeeper connection{std::make_unique<PriorityBackend>(&priorities)};
  ui::Fonts fonts = ui::Fonts::fromSystemFont(QApplication::font());
  ui::UiState ui;

  Creation() {
    testing::internal::CaptureStdout();
    connection.start();
    testing::internal::GetCapturedStdout();
    store.createKey(platform::keys::kFacebook);
    ui.lastUpdateText.set("4/3/2009  9:5");
  }

  // Creates a window with `sync`; what it printed.
  std::string create(ui::MainWindow& window, app::Schedule& schedule,
                     std::function<int(ui::ProgressBox&)> sync) {
    app::CreationContext context{connection, store, schedule, std::move(sync)};
    testing::internal::CaptureStdout();
    EXPECT_TRUE(app::createMainWindow(window, context));
    return testing::internal::GetCapturedStdout();
  }
};

platform::Lookup<std::u16string> lastUpdate(platform::SettingsStore& store) {
  auto key = store.openKey(platform::keys::kFacebook);
  if (!key) return std::nullopt;
  return store.readString(*key, platform::keys::kLastUpdate);
}

}  // namespace

TEST_F(Creation, ASuccessfulSyncWritesLastUpdateBehindTheProgressBox) {
  ui::MainWindow window(ui, connection, fonts);
  app::Schedule schedule(window.timers());
  QThread* syncThread = nullptr;
  bool boxUp = false;
  QElapsedTimer clock;
  clock.start();
  const std::string out = create(window, schedule, [&](ui::ProgressBox& progress) {
    syncThread = QThread::currentThread();
    boxUp = ui::callOnThreadOf(&progress, [&] {
      return progress.box() && progress.box()->isVisible() &&
             progress.box()->text() == app::kFirstPhaseText;
    });
    return 0;
  });
  EXPECT_GE(clock.elapsed(), 500);  // the close waits half a second
  EXPECT_NE(syncThread, QThread::currentThread());
  EXPECT_TRUE(boxUp);

  const auto stored = lastUpdate(store);
  ASSERT_TRUE(stored);
  const std::string time = platform::toUtf8(*stored);
  EXPECT_EQ(out, "LastUpdate was written to registry => " + time + "\n");
  EXPECT_EQ(ui.lastUpdateText.get().toStdString(), "List Last Updated: " + time);

  EXPECT_EQ(window.timers().period(3), 180'000);
  EXPECT_EQ(window.timers().period(4), 180'000);
  EXPECT_EQ(priorities, (std::vector{platform::ConnectionPriority::UserIdle}));
  ASSERT_TRUE(window.chrome()->softKeyBar());
  EXPECT_EQ(window.chrome()->softKeyBar()->menuId(), 102);
}

TEST_F(Creation, AFailedSyncLeavesLastUpdateAlone) {
  ui::MainWindow window(ui, connection, fonts);
  app::Schedule schedule(window.timers());
  const std::string out = create(window, schedule, [](ui::ProgressBox&) { return -1; });
  EXPECT_EQ(out, "");
  EXPECT_FALSE(lastUpdate(store));
  EXPECT_EQ(ui.lastUpdateText.get(), "4/3/2009  9:5");
  EXPECT_EQ(window.timers().period(4), 180'000);
}

// The sync may set timer 2 (a login's session) while it runs: its firings wait, once, until
// the caller has the window complete; none runs beside the sync or in the progress box's
// close wait, before the window has its controls.
TEST_F(Creation, NoTimerWorkRunsBesideTheSync) {
  ui::MainWindow window(ui, connection, fonts);
  app::Schedule schedule(window.timers());
  std::atomic<bool> syncing{false};
  struct Run {
    bool syncing, windowBuilt;
  };
  std::vector<Run> runs;
  schedule.setWork(2, [&] {
    runs.push_back({syncing.load(), window.chrome()->softKeyBar() != nullptr});
  });
  create(window, schedule, [&](ui::ProgressBox&) {
    syncing = true;
    QMetaObject::invokeMethod(
        &window.timers(), [&] { window.timers().setTimer(2, 5); }, Qt::QueuedConnection);
    QThread::msleep(300);  // the UI thread serves its events meanwhile; timer 2 comes due
    syncing = false;
    return 0;
  });
  // Timer 2 goes on firing (a kill would void the held firing): every firing meanwhile is
  // the one held.
  QCoreApplication::processEvents();
  EXPECT_TRUE(runs.empty());

  schedule.releaseFirings();
  EXPECT_TRUE(runs.empty());  // from the event loop, not from inside the release
  QElapsedTimer clock;
  clock.start();
  while (runs.empty() && clock.elapsed() < 5000) QCoreApplication::processEvents();
  window.timers().killTimer(2);
  ASSERT_GE(runs.size(), 1u);
  EXPECT_FALSE(runs[0].syncing);
  EXPECT_TRUE(runs[0].windowBuilt);
}

TEST_F(Creation, WithoutTheFacebookKeyLastUpdateIsNotWritten) {
  store.deleteTree(platform::keys::kCorvanta);
  testing::internal::CaptureStdout();
  EXPECT_FALSE(app::writeLastUpdate(store, ui.lastUpdateText));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(ui.lastUpdateText.get(), "4/3/2009  9:5");
}
