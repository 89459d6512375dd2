#pragma once
// What the notifications window keeps for the whole run, so that it survives the window's
// closing: the pending rows, the header state, the ad and where it was shown last. The
// NewsCenter holds it and applies every poll to it; the window draws it. UI thread only. (The
// window-open flag that timer 1 reads is in ui::UiState.)
#include <string>

#include <QObject>
#include <QPointer>

#include "news/adtext.h"
#include "news/poller.h"
#include "pendingitems.h"

namespace ui::notifications {

class NotificationsWindow;

enum HeaderState : int { kNoNewNotifications = 0, kNewNotifications = 1 };

struct NotificationsState : public QObject {
  Q_OBJECT

 public:
  bool wallPending = false;
  bool messagesPending = false;
  PendingItems friendRequests;
  PendingItems eventInvites;
  PendingItems groupInvites;
  int header = kNoNewNotifications;

  // Nothing is pending and the ad button holds the focus (its hint is shown). Each opening
  // starts without it, so that a window reopened with nothing new shows the hint again.
  bool adFocus = false;
  // The ad button shows the credit line instead of an ad.
  bool plainAdLine = false;
  // The layout's gap; the header painting's margin.
  int gap = 0;

  news::AdState ad;
  // Made once at the start-up synchronisation.
  std::string adTag;

  // The window the ad line went on last; it may have been closed since.
  QPointer<NotificationsWindow> adWindow;
  // The notifications window while it is open.
  QPointer<NotificationsWindow> openWindow;

  // Takes one poll's outcome: its rows become pending, its items join their lists (named as
  // the lists show them; an id already listed is left out), and news turns the header new.
  void apply(const news::PollOutcome& outcome);

  bool anyPending() const {
    return wallPending || messagesPending || !friendRequests.empty() || !eventInvites.empty() ||
           !groupInvites.empty();
  }

 signals:
  // After each apply, with what it took: the items it added, as shown, and how the poll ended.
  void changed(const news::PollOutcome& taken);
};

}  // namespace ui::notifications
