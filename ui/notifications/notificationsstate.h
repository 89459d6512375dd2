#pragma once
// What the notifications window keeps for the whole run, so that it survives the window's
// closing: the pending rows, the header state, the ad and where it was shown last. The
// NewsCenter holds it; UI thread only. (The window-open flag that timer 1 reads is in
// ui::UiState.)
#include <string>

#include <QPointer>

#include "news/adtext.h"
#include "pendingitems.h"

namespace ui::notifications {

class NotificationsWindow;

enum HeaderState : int { kNoNewNotifications = 0, kNewNotifications = 1 };

struct NotificationsState {
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

  bool anyPending() const {
    return wallPending || messagesPending || !friendRequests.empty() || !eventInvites.empty() ||
           !groupInvites.empty();
  }
};

}  // namespace ui::notifications
