#include "mainwindowcreation.h"

#include <cstdio>

#include "platform/connectionkeeper.h"
#include "platform/settingskeys.h"
#include "platform/settingsstore.h"
#include "platform/timetext.h"
#include "schedule.h"
#include "ui/board/mainwindow.h"
#include "ui/kit/progressbox.h"
#include "ui/kit/uistate.h"
#include "ui/kit/workerrun.h"

namespace app {

bool writeLastUpdate(platform::SettingsStore& store, ui::LastUpdateText& lastUpdate) {
  const auto facebook = store.openKey(platform::keys::kFacebook);
  if (!facebook) return false;
  const std::string now = platform::formatTimeTextNow();
  if (!store.writeString(*facebook, platform::keys::kLastUpdate, platform::toUtf16(now)))
    return false;
  lastUpdate.set(QStringLiteral("List Last Updated: ") + QString::fromUtf8(now));
  std::printf("LastUpdate was written to registry => %s\n", now.c_str());
  return true;
}

bool createMainWindow(ui::MainWindow& window, CreationContext& context) {
  // The sync may log in and set timer 2 meanwhile, and the box's close wait serves events:
  // firings wait until the caller has finished the window (see the header).
  context.schedule.holdFirings();
  auto* progress = new ui::ProgressBox(&window);
  progress->show(QString::fromUtf8(kFirstPhaseText));

  if (context.startupSync) {
    const int result = ui::runOnWorker([&] { return context.startupSync(*progress); });
    if (result >= 0) writeLastUpdate(context.store, window.uiState().lastUpdateText);
  }

  context.schedule.startCreationTimer3();
  context.connection.setIdle();
  progress->close(ui::ProgressBox::CloseWait::HalfSecond);

  if (!window.buildControls()) return false;
  context.schedule.startTimer4();
  return true;
}

}  // namespace app
