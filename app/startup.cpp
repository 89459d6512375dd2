#include "startup.h"

#include <QApplication>

#include <chrono>
#include <cstdio>

#include "api/apiclient.h"
#include "api/endpoints.h"
#include "appcontext.h"
#include "commandline.h"
#include "datafolder.h"
#include "editioncheck.h"
#include "lastupdate.h"
#include "mainwindowcreation.h"
#include "platform/connectionkeeper.h"
#include "platform/displaycheck.h"
#include "platform/endprocess.h"
#include "platform/exitcodes.h"
#include "platform/exitsignals.h"
#include "platform/qtmessageboxes.h"
#include "platform/windowplacer.h"
#include "platform/keyringvault.h"
#include "platform/lightpalette.h"
#include "platform/platformstartguard.h"
#include "platform/settingsstore.h"
#include "platform/terminaltext.h"
#include "schedule.h"
#include "singleinstance.h"
#include "storedsettings.h"
#include "ui/board/mainwindow.h"
#include "ui/kit/accessibility.h"
#include "ui/kit/backgroundwork.h"
#include "ui/kit/commandids.h"
#include "ui/kit/firstpaintwatch.h"
#include "ui/kit/fonts.h"
#include "ui/kit/threadsafemessageboxes.h"
#include "ui/kit/uistate.h"

namespace app {
namespace {

constexpr const char* kVersion = "1.0";

// How long the end waits for the workers: a cache file being written is done long before; a
// REST call or a download is not waited for.
constexpr std::chrono::milliseconds kWorkersEndWait{1000};

ui::PhoneScreen screenOf(const CommandLine& line) {
  ui::PhoneScreen screen;
  if (line.screen) {
    screen.width = line.screen->width();
    screen.height = line.screen->height();
  }
  if (line.dpi) screen.dpi = *line.dpi;
  return screen;
}

// The phone's system font: 12 pixels at 96 dpi, scaled with the dpi.
void applySystemFont(const ui::PhoneScreen& screen) {
  QFont font = QApplication::font();
  font.setPixelSize(screen.systemFontPixels());
  QApplication::setFont(font);
}

[[noreturn]] void failInstallation(platform::MessageBoxes& boxes) {
  platform::MessageBoxRequest request;
  request.caption = "Error";
  request.text =
      "We cannot find Veltrana installation in memory. If you installed it on a memory card, "
      "insert the memory card";
  request.icon = platform::MbIcon::Stop;
  boxes.show(request);
  platform::endProcess(platform::kExitNoInstallation);
}

// Without its settings the program cannot tell an older edition's data from its own: it
// stops before the edition check could take the user's files for stale ones. `text` names
// the file and the reason.
[[noreturn]] void failSettings(platform::MessageBoxes& boxes,
                               platform::ConnectionKeeper& connection, std::string text) {
  platform::MessageBoxRequest request;
  request.caption = "Error";
  request.text = std::move(text);
  request.icon = platform::MbIcon::Stop;
  boxes.show(request);
  connection.release();
  platform::endProcess(platform::kExitNoSettings);
}

// Cache files and pictures that cannot be written would fail one by one, silently, and
// leave the board empty for good: the start stops and says where and why. An installation
// file that cannot be read is named as such, not as a folder of the user's.
[[noreturn]] void failDataFolder(platform::MessageBoxes& boxes,
                                 platform::ConnectionKeeper& connection,
                                 const FolderProblem& problem) {
  platform::MessageBoxRequest request;
  request.caption = "Error";
  request.text = describe(problem);
  request.icon = platform::MbIcon::Stop;
  boxes.show(request);
  connection.release();
  platform::endProcess(platform::kExitDataFolderUnwritable);
}

// A runtime folder that is refused cannot tell whether another copy runs: ending as a second
// copy would leave the user with nothing on the screen and no word why.
[[noreturn]] void failRuntimeFolder(int& argc, char** argv, const std::string& problem) {
  const std::string text = "Veltrana cannot use its runtime folder: " + problem;
  // Said before Qt starts, which cannot show anything without a display.
  std::fprintf(stderr, "veltrana: %s\n", platform::printable(text).c_str());
  QApplication application(argc, argv);
  platform::useLightPalette();
  ui::ThreadSafeMessageBoxes boxes(platform::makeMessageBoxes());
  platform::MessageBoxRequest request;
  request.caption = "Error";
  request.text = text;
  request.icon = platform::MbIcon::Stop;
  boxes.show(request);
  platform::endProcess(platform::kExitRuntimeFolderRefused);
}

// The second half of the start: fonts, the main window, the timers and the message loop.
int runMainWindow(ui::UiState& uiState, platform::ConnectionKeeper& connection,
                  platform::SettingsStore& store, platform::MessageBoxes& boxes,
                  const DataFolder& dataFolder, const StepsMaker& makeSteps,
                  platform::ExitSignals& exitSignals) {
  applySystemFont(uiState.screen);
  const ui::Fonts fonts = ui::Fonts::fromSystemFont(QApplication::font());

  ui::MainWindow window(uiState, connection, fonts);
  new ui::FirstPaintWatch(&window);
  // Menus, dialogs and boxes open on the phone, not wherever the desktop has room.
  platform::WindowPlacer placer(&window);
  Schedule schedule(window.timers());
  AppContext context{connection, store, boxes, dataFolder, fonts, window, schedule, uiState};
  const std::unique_ptr<StartupSteps> steps = makeSteps ? makeSteps(context) : nullptr;

  std::function<int(ui::ProgressBox&)> sync;
  if (steps && steps->synchronises())
    sync = [&steps](ui::ProgressBox& progress) { return steps->startupSync(progress); };
  CreationContext creation{connection, store, schedule, sync};
  if (!createMainWindow(window, creation)) return platform::kExitWindowCreation;
  if (steps) steps->buildBoard();
  window.show();
  window.activate();
  window.finishCreation();

  schedule.startMainTimers();
  schedule.releaseFirings();
  if (steps) steps->pictureMaintenance();
  // From here a signal ends the program as the menu's "Exit" does.
  exitSignals.setHandler([&window] { window.runCommand(ui::cmd::kExit); });
  const int exitCode = QApplication::exec();

  // No loop runs now to start work or hand results back. A worker still inside a call a
  // moment later keeps the program, the window, the store and the boxes it uses: the process
  // ends around it, as a fatal problem ends it.
  const auto deadline = std::chrono::steady_clock::now() + kWorkersEndWait;
  const bool workEnded = !steps || steps->endWork(deadline);
  if (!ui::stopBackgroundWork(deadline) || !workEnded) platform::endProcess(exitCode);
  return exitCode;
}

}  // namespace

int StartupSteps::startupSync(ui::ProgressBox&) { return 0; }

int runVeltrana(int argc, char** argv, const StepsMaker& makeSteps) {
  // `veltrana > log` and a pipe see each diagnostic line as it happens.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const CommandLine line = CommandLine::parse(argc, argv);
  if (!line.unknownOption.empty()) {
    std::fprintf(stderr, "veltrana: unknown option '%s'\nTry 'veltrana --help' for the options.\n",
                 line.unknownOption.c_str());
    return platform::kExitBadCommandLine;
  }
  if (!line.error.empty()) {
    std::fprintf(stderr, "veltrana: %s\n%s", line.error.c_str(), CommandLine::usage());
    return platform::kExitBadCommandLine;
  }
  if (line.help) {
    std::fputs(CommandLine::usage(), stdout);
    return 0;
  }
  if (line.version) {
    std::printf("veltrana %s\n", kVersion);
    return 0;
  }
  const ui::PhoneScreen screen = screenOf(line);
  if (!platform::displayReachable(argc, argv)) {
    std::fprintf(stderr, "veltrana: %s\n", platform::kNoDisplayText);
    return platform::kExitNoDisplay;
  }

  // Before Qt, the network and the settings: a second copy ends here quickly.
  SingleInstance instance = SingleInstance::claim();
  if (instance.outcome == SingleInstance::Outcome::EventFailed)
    failRuntimeFolder(argc, argv, instance.problem);
  if (instance.outcome != SingleInstance::Outcome::OnlyCopy) return platform::kExitAnotherCopy;

  // A display that is named but does not answer is found only by Qt.
  platform::PlatformStartGuard platformStart("veltrana");
  QApplication application(argc, argv);
  platformStart.end();
  QApplication::setApplicationName(QStringLiteral("Veltrana"));
  // The desktop entry's name: Wayland's app_id, which the desktop finds the entry by.
  QGuiApplication::setDesktopFileName(QStringLiteral("com.corvanta.veltrana"));
  QApplication::setApplicationVersion(QString::fromUtf8(kVersion));
  // Before any box or window: a dark desktop theme would turn their texts white on white.
  platform::useLightPalette();
  ui::a11y::install();
  ui::ThreadSafeMessageBoxes boxes(platform::makeMessageBoxes());
  // Kept to the process's end: worker threads read the window-open flag and set the
  // last-update text.
  ui::UiState uiState(screen);

  // This thread's REST calls never wait behind a worker's.
  api::markInterfaceThread();
  platform::ConnectionKeeper connection;
  // Until the main window runs, a signal ends the start as its fatal problems do, with 0.
  platform::ExitSignals exitSignals;
  exitSignals.setHandler([&connection] {
    connection.release();
    platform::endProcess(0);
  });
  connection.start();

  if (platform::checkNetworkPath(api::mobileUrl()) != 0) {
    boxes.show(startupNotice("Please check your Internet connection and try Veltrana again!"));
    connection.release();
    platform::endProcess(platform::kExitNoNetworkPath);
  }

  LocateProblem problem = LocateProblem::None;
  FolderProblem setUpProblem;
  const auto dataFolder = locateDataFolder(&problem, &setUpProblem);
  if (!dataFolder) {
    if (problem == LocateProblem::CannotSetUp) failDataFolder(boxes, connection, setUpProblem);
    if (problem == LocateProblem::PathTooLong)
      std::printf("The DataFolder path is too long for the derived paths.\n");
    failInstallation(boxes);
  }
  if (const auto unwritable = checkWritable(*dataFolder))
    failDataFolder(boxes, connection, *unwritable);

  const std::string settingsPath = platform::SettingsStore::defaultPath();
  // A file without settings beside the cache files of an earlier run lost them (a copy
  // without its -wal): no first start, which would delete every cache file.
  platform::SettingsStore store(settingsPath, [&] { return !holdsCacheFiles(*dataFolder); });
  if (store.heldNoSettings()) failSettings(boxes, connection, lostSettingsText(settingsPath));
  if (!store.ok()) {
    failSettings(boxes, connection,
                 "Veltrana cannot open its settings: " + settingsPath + ": " + store.openError());
  }
  // Kept to the process's end with the store that uses it.
  std::string keyringFailure;
  const std::unique_ptr<platform::KeyringVault> keyring =
      platform::KeyringVault::open(platform::KeyringVault::kDefaultWaitMs, &keyringFailure);
  store.keepSecretsIn(keyring.get());
  if (!keyringFailure.empty()) store.secretsOutOfReach(keyringFailure);
  // A store that opens but cannot be read is no first start: nothing is deleted or greeted.
  const EditionCheck edition = runEditionCheck(store, dataFolder->folder);
  if (edition.outcome == EditionCheck::Outcome::Unreadable)
    failSettings(boxes, connection, platform::unreadableSettingsText(settingsPath, edition.error));
  const auto lastUpdate = welcomeOrLastUpdate(store, boxes);
  if (lastUpdate.failed())
    failSettings(boxes, connection,
                 platform::unreadableSettingsText(settingsPath, lastUpdate.error()));
  uiState.lastUpdateText.set(QString::fromStdU16String(lastUpdateLine(lastUpdate.value_or(u""))));
  // A session that is there but out of reach is no missing one: nobody is logged in anew.
  if (const auto unreadable = unreadableSessionText(store))
    failSettings(boxes, connection, *unreadable);

  // The window (and its class in the window directory) goes before the instance event, so
  // a copy started meanwhile never finds the event free and the class still taken.
  const int exitCode =
      runMainWindow(uiState, connection, store, boxes, *dataFolder, makeSteps, exitSignals);
  instance.lock.reset();
  return exitCode;
}

}  // namespace app
