#pragma once
// A friend page against a running socialsim: a logged-in client, a throw-away DataFolder, the
// screen and fonts of one size, and a dialog runner that hands each window to the test.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QColor>

#include "pictures/picturecache.h"
#include "platform/settingsstore.h"
#include "support/simserver.h"
#include "support/simsession.h"
#include "support/tempfolder.h"
#include "ui/friendpage/friendpage.h"
#include "ui/kit/fonts.h"
#include "ui/kit/uistate.h"

namespace pagetest {

// The fixed "now" of the status ages.
inline constexpr int64_t kNow = 1'700'000'000;
// How long a page's picture workers are waited for.
inline constexpr int kPictureWaitMs = 15'000;

struct Screen {
  int width, height, dpi;
};

class PageFixture {
 public:
  explicit PageFixture(Screen screen = {240, 320, 96});
  ~PageFixture();

  // Starts socialsim and logs in.
  bool start();
  const friends::CachePaths& paths() const { return paths_; }
  // The server's `i`-th friend.
  std::string uid(std::size_t i = 0) const { return uids_.at(i); }
  // The page of friend `uid`, shown and active; with Arrived also with the pictures its
  // workers fetch (waited for up to kPictureWaitMs).
  enum class Pictures { Arrived, OnTheirWay };
  std::unique_ptr<ui::FriendPage> open(const std::string& uid, const QString& name,
                                       Pictures wait = Pictures::Arrived);
  // The FQL texts sent since the request log was last emptied.
  std::vector<std::string> fqlTexts() const;
  bool fault(const std::string& json) const { return sim.control("/faults", json).status == 200; }

  testsupport::SimServer sim;
  ui::Fonts fonts;
  ui::UiState ui;
  std::unique_ptr<pictures::PictureCache> pictures;
  std::unique_ptr<ui::FriendPageContext> context;
  // Called with each window the page runs, shown and active; it must end the window.
  std::function<void(QDialog&)> onDialog;
  std::vector<int> pauses;

 private:
  testsupport::TempFolder dir_;
  friends::CachePaths paths_;
  platform::SettingsStore settings_;
  testsupport::SimSession session_;
  std::vector<std::string> uids_;
  QFont oldFont_;
};

void writePicture(const std::string& path, int width, int height, QColor colour);
// Serves events until `window` is active; activate() first asks for it.
bool becomesActive(QWidget& window);
bool activate(QWidget& window);
// F2 for the "Menu" popup, then item `index` (from 0) by the arrows and Return.
void pickMenuItem(ui::PhoneDialog& window, int index);
// Saves `window` as painted under the build folder's screenshots/.
bool saveScreenshot(QWidget& window, const QString& name);

}  // namespace pagetest
