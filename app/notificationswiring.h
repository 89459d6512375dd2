#pragma once
// The program's notifications: the main menu's "Notifications", the main window's ad command
// (7), and what timer 1 does with the notifications window.
#include <functional>

namespace app {

struct AppContext;
struct Services;

// Gives "Notifications" and command 7 their work and makes the ad request tag. Called once,
// when the board is built right after the start-up synchronisation.
void installNotifications(AppContext& context, Services& services);

// Timer 1 while the window is closed: opens it by a queued call, so that the timer's
// handler returns (and the timer keeps firing); the window polls once without a reminder and
// closes at once when nothing is new. `closed` runs when it has closed again (or was not
// opened because one was open meanwhile).
void openNotificationsFromTimer(AppContext& context, Services& services,
                                std::function<void()> closed = {});

// The user asked for the news from outside the window (a reminder, the tray icon): Veltrana
// comes forward as a second start's activation brings it, and its notifications window with
// it: raised when open, else opened as the menu's "Notifications" opens it, over whatever
// window is open (as timer 1 opens it).
void showNews(AppContext& context, Services& services);

// `listener` runs after every poll and whenever the notifications window closes (the user
// may have cleared rows): what waits may have changed. One listener; a later one replaces it.
void onNewsChanged(std::function<void()> listener);

// Timer 1 while the window is open: one poll into it with a reminder. The poll's result (1
// with news); 0 when no window is open.
int pollIntoNotificationsWindow(AppContext& context, Services& services);

}  // namespace app
