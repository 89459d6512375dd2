#pragma once
// The notifications window: a coloured header, the rows of wall posts, messages, friend
// requests, event invites and group invites (idle texts, or a button or a drop-down list
// while something is pending), and the sponsored ad at the bottom. Opening it runs one poll;
// what the rows show lives in the state it is given, which outlives it, so a reopened window
// shows what is still pending, and each poll the state takes is drawn as it arrives.
#include <array>
#include <string>

#include <QPointer>

#include "notificationslayout.h"
#include "ui/kit/fonts.h"
#include "ui/kit/phonedialog.h"

class QComboBox;
class QIcon;
class QLabel;

namespace news {
struct NewItem;
struct PollOutcome;
}  // namespace news

namespace ui {
class UiState;
}

namespace ui::notifications {

class AdButton;
class PendingItems;
struct NotificationsState;

// The controls' ids, as control() takes them; a row's is its place from the top.
inline constexpr int kWallRow = 1;
inline constexpr int kMessagesRow = 2;
inline constexpr int kFriendRequestRow = 3;
inline constexpr int kEventInviteRow = 4;
inline constexpr int kGroupInviteRow = 5;
inline constexpr int kAdButtonId = 7;
inline constexpr int kAdHintId = 8;

inline constexpr const char* kAdHintText = "Press Central Key to Open Ad";

// The icon drawn before row `row` (kWallRow to kGroupInviteRow), the same object at every
// paint of every window.
const QIcon& rowIcon(int row);

// What the window does outside itself.
class NewsActions {
 public:
  // The opening poll (no reminder), applied to the state; 1 when it found news.
  virtual int pollOpening() = 0;
  // Asks the product site for the client address when the ad holds a short one.
  virtual void fetchClientAddress() = 0;
  // Opens a page of the mobile site ("/wall.php") in the companion browser; false when it did
  // not open (offline, no browser).
  virtual bool openPage(const std::string& path) = 0;
  virtual void openAd() = 0;

 protected:
  ~NewsActions() = default;
};

class NotificationsWindow : public PhoneDialog {
  Q_OBJECT

 public:
  // `state` and `actions` outlive the window.
  NotificationsWindow(UiState& ui, NotificationsState& state, const Fonts& fonts,
                      NewsActions& actions, QWidget* owner);
  ~NotificationsWindow() override;

  // The opening: the rows as the state holds them, the client address, the poll. False
  // when the window ended at once (nothing new and not opened from the menu); it is then
  // not to be shown.
  bool runOpening();
  void runCommand(int id);

  // The control with id `id` (rows 1-5, 7, 8); nullptr when there is none.
  QWidget* control(int id) const;
  const NotificationsLayout& currentLayout() const { return layout_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void reject() override;

 private:
  // Draws what the state took from a poll, in the order the poll found it.
  void showPoll(const news::PollOutcome& taken);
  void showWallPending();
  void showMessagesPending();
  void setHeaderNew();
  void rebuildAdRow(bool focused);
  // Shows the current ad on `window`, or on the window it went on last when null (nothing
  // when that one has closed).
  void refreshAdLineOn(NotificationsWindow* window);
  PendingItems& itemsOf(int row);
  QString headerText() const;
  void setRowControl(int row, QWidget* control);
  void makeIdle(int row);
  void makeButton(int row, bool bordered);
  QComboBox* ensureList(int row);
  void addItem(int row, const news::NewItem& item);
  void rebuildRows();
  // True when the page opened.
  bool openPageOf(const std::string& path);
  void listCommand(int row, bool openPage);
  void removeListItem(int row, const std::string& id);
  void viewWall(bool openPage);
  void viewInbox(bool openPage);
  void rowCleared();
  // The painting's rules: the ad takes the focus when nothing is pending, the ad line is
  // refreshed, the focus goes to the first pending control. True when it went to the ad.
  bool settle();
  // Focus to the first pending control, else the ad; true when it went to the ad.
  bool focusFirstPending();
  // The bar is a drop-down list's (Accept/Ignore, View Event or View Group).
  bool showsListKeys() const;
  void showHint(bool shown);
  void relayout();
  void paintClient();
  void finish();

  UiState& ui_;
  NotificationsState& state_;
  const Fonts& fonts_;
  NewsActions& actions_;
  TextSizes text_;
  NotificationsLayout layout_;
  std::array<QPointer<QWidget>, 6> rows_;  // [1] to [5]
  AdButton* adButton_;
  QPointer<QLabel> hint_;
  // Set while the window itself moves the focus (rows made and destroyed, the poll's calls):
  // only the user's focus changes switch the soft keys then.
  int rearranging_ = 0;
};

}  // namespace ui::notifications
