#pragma once
// The program-wide interface state. Every value here exists once per process; anything else
// is passed in through constructors. Values read by worker threads are atomics; the rest
// belong to the UI thread.
#include <atomic>
#include <mutex>
#include <string>

#include <QSize>
#include <QString>

#include "phonescreen.h"

namespace ui {

// The board's grid: columns and rows of pictures (each at most 6), set by the main window's
// layout and read by the further pages.
extern std::atomic<int> g_sw;
extern std::atomic<int> g_sh;

// The friend last picked on the board, in the All Friends window or in a change list; the
// friend page and the details dialog read it. UI thread only.
struct SelectedFriend {
  std::string uid;  // decimal digits only, empty when none
  QString name;
  QString picturePath;
};
extern SelectedFriend g_selectedFriend;

// The notifications window-open flag: 0 closed, 2 while the user opens it from the menu,
// 1 open. Timer 1 reads it to choose between polling into the window and opening it.
enum WindowOpen : int { kWindowClosed = 0, kWindowOpen = 1, kWindowOpening = 2 };
extern std::atomic<int> g_windowOpen;

// Set while "Hide" keeps the main window hidden; activation shows it again and clears it.
extern std::atomic<bool> g_hidden;
// The has-status flag: 3 once the status dialog found a status of the user's own, 1 at start
// and after he cleared it. It chooses the status dialog's idle soft keys.
enum HasStatus : int { kNoStatus = 1, kHasStatus = 3 };
extern std::atomic<int> g_hasStatus;

// The size of the text "In an Open Relationship" in the main window's font, measured at its
// last paint: W sizes the columns of the change lists, T (the height) the friend page's facts.
// Empty until the first paint. UI thread only.
extern QSize g_mainTextSize;

// The screen every window is laid out for; set once from the command line at start.
extern PhoneScreen g_screen;

// The last-update text: the "LastUpdate" setting as read at start, later "List Last
// Updated: " and the time of the last full friends update. The synchronisation may set it
// from a worker thread, hence the lock.
class LastUpdateText {
 public:
  QString get() const;
  void set(const QString& text);

 private:
  mutable std::mutex mutex_;
  QString text_;
};
extern LastUpdateText g_lastUpdateText;

}  // namespace ui
