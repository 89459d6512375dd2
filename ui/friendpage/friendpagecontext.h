#pragma once
// What the friend page and its windows need from the program, handed in rather than reached
// for: the session's client and user, the cache files, the picture cache, the fonts, the
// interface state, the friend details dialog, and the seams the tests replace (clock, pause,
// dialog runner).
#include <cstdint>
#include <functional>
#include <memory>

#include <QSize>

#include "friends/friendstore.h"
#include "friends/statustime.h"
#include "ui/kit/friendopener.h"

class QDialog;

namespace api {
class ApiClient;
}
namespace pictures {
class PictureCache;
}

namespace ui {

struct Fonts;
class UiState;

// T: the main window's line height at its last paint, else the application font's.
int mainLineHeight(const UiState& ui);
// Blocks the UI thread for `ms` milliseconds; an exit signal ends the program meanwhile.
void pauseMs(int ms);
int execDialog(QDialog& dialog);

struct FriendPageContext {
  // The current client, none without a session; the session's user (0: none).
  std::function<std::shared_ptr<api::ApiClient>()> client{};
  std::function<uint32_t()> userId{};
  friends::FriendStore store;
  pictures::PictureCache& pictures;
  const Fonts& fonts;
  UiState& ui;
  // "Go Facebook": the friend details dialog over the page; nothing when empty.
  FriendOpener openDetails{};
  // Empty: mainLineHeight(ui).
  std::function<int()> lineHeight{};
  friends::UnixClock clock = friends::unixTimeNow;
  // The wait after the large picture was asked for.
  std::function<void(int ms)> pause = pauseMs;
  // Runs a modal window; tests replace it to drive the window without a nested loop.
  std::function<int(QDialog&)> runDialog = execDialog;
  // The standard picture's size at its last successful load, kept from one page to the
  // next: a friend without a picture is laid out with it (0 x 0 before any).
  QSize pictureSize{0, 0};
};

}  // namespace ui
