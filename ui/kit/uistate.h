#pragma once
// The interface state the windows share: made once with the main window and handed to every
// window that reads or sets it. Values read by worker threads are atomics; the rest belong
// to the UI thread.
#include <atomic>
#include <mutex>
#include <optional>
#include <string>

#include <QObject>
#include <QPoint>
#include <QSize>
#include <QString>

#include "phonescreen.h"

namespace ui {

// The friend last picked on the board, in the All Friends window or in a change list; the
// friend page and the details dialog read it.
struct SelectedFriend {
  std::string uid;  // decimal digits only, empty when none
  QString name;
  QString picturePath;
};

// The notifications window-open flag: closed, opening while the user opens it from the
// menu, open. Timer 1 reads it to choose between polling into the window and opening it.
enum class WindowOpen : int { kClosed = 0, kOpen = 1, kOpening = 2 };

// The has-status flag: it chooses the status dialog's idle soft keys.
enum class HasStatus : int { kNone = 1, kHas = 3 };

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

// Where the main window's frame is on the desktop, once it has been shown: the browser
// hand-off, which may run on a worker thread, places the browser over it.
class PhonePosition {
 public:
  std::optional<QPoint> get() const;
  void set(const QPoint& topLeft);

 private:
  mutable std::mutex mutex_;
  std::optional<QPoint> topLeft_;
};

class UiState : public QObject {
  Q_OBJECT

 public:
  explicit UiState(const PhoneScreen& phoneScreen = {}, QObject* parent = nullptr);

  // g_sw, g_sh: the board's grid, columns and rows of pictures (each at most 6), set by the
  // main window's layout.
  std::atomic<int> sw{0};
  std::atomic<int> sh{0};

  // UI thread only.
  SelectedFriend selectedFriend;

  WindowOpen windowOpen() const { return windowOpen_; }
  void setWindowOpen(WindowOpen open);

  // Set while "Hide" keeps the main window hidden; activation shows it again and clears it.
  bool hidden() const { return hidden_; }
  void setHidden(bool hidden);

  // kHas once the status dialog found a status of the user's own; kNone at start and after
  // he cleared it.
  std::atomic<HasStatus> hasStatus{HasStatus::kNone};

  // The size of the text "In an Open Relationship" in the main window's font, measured at
  // its last paint: W sizes the columns of the change lists, T (the height) the friend
  // page's facts. Empty until the first paint. UI thread only.
  QSize mainTextSize;

  // The screen every window is laid out for; set once from the command line at start.
  PhoneScreen screen;

  LastUpdateText lastUpdateText;
  PhonePosition phonePosition;

 signals:
  void windowOpenChanged(ui::WindowOpen open);
  void hiddenChanged(bool hidden);

 private:
  std::atomic<WindowOpen> windowOpen_{WindowOpen::kClosed};
  std::atomic<bool> hidden_{false};
};

}  // namespace ui
