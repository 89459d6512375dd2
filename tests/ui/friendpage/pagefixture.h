#pragma once
// A friend page against a running socialsim: a logged-in client, a throw-away DataFolder with
// the picture folders, the phone screen and fonts of one size, and a dialog runner that shows
// the page's windows and hands each to the test.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QString>

#include "friends/cachepaths.h"
#include "friendstestkit.h"
#include "pictures/picturecache.h"
#include "platform/settingsstore.h"
#include "support/simserver.h"
#include "ui/friendpage/friendpage.h"
#include "ui/kit/fonts.h"

class QDialog;
class QImage;

namespace ui {
class PhoneDialog;
}

namespace pagetest {

// A fixed "now" for the status ages.
inline constexpr int64_t kNow = 1'700'000'000;

struct Screen {
  int width, height, dpi;
};

class PageFixture {
 public:
  explicit PageFixture(Screen screen = {240, 320, 96});
  ~PageFixture();

  // Starts socialsim and logs in; false (with a test failure) when it cannot.
  bool start();
  const friends::CachePaths& paths() const { return paths_; }
  // The uid of the server's `i`-th friend.
  std::string uid(std::size_t i = 0) const { return uids_.at(i); }
  void write(const std::string& path, const std::string& text) const;
  // A picture of one colour as a JPEG file.
  static void writePicture(const std::string& path, int width, int height, QColor colour);

  // The page of friend `uid`, shown and active.
  std::unique_ptr<ui::FriendPage> open(const std::string& uid, const QString& name);
  // The FQL texts the server was sent, oldest first; and forgetting them.
  std::vector<std::string> fqlTexts() const;
  void clearRequests() const;

  testsupport::SimServer sim;
  ui::Fonts fonts;
  std::unique_ptr<pictures::PictureCache> pictures;
  std::unique_ptr<ui::FriendPageContext> context;
  // Each window the page runs, shown and active; the window's result is returned.
  std::function<void(QDialog&)> onDialog;
  std::vector<int> pauses;

 private:
  friendstest::TempFolder dir_;
  friends::CachePaths paths_;
  platform::SettingsStore settings_;
  friendstest::SimSession session_;
  std::vector<std::string> uids_;
  QFont oldFont_;
};

// Waits until `window` is the active window (it asked to be).
bool becomesActive(QWidget& window);
// Makes `window` the active window and waits for it.
bool activate(QWidget& window);
// Presses F2 to open the "Menu" popup, moves down `downs` items and presses Return.
void pickMenuItem(ui::PhoneDialog& window, int downs);
// Saves a picture of `window` under the build folder's screenshots/.
bool saveScreenshot(QWidget& window, const QString& name);
// The window as painted, in its own pixels.
QImage grabbed(QWidget& window);

}  // namespace pagetest
