#pragma once
// The background schedule: the main window's timers 1 to 10, when each is started and with
// which period, and the dispatch of their firings. One-shot timers are killed before their
// work runs, so a slow run cannot fire twice. The work of each timer is handed in.
#include <functional>
#include <map>
#include <vector>

namespace ui {
class WindowTimers;
}

namespace app {

// The main window's timers by what they run. The numbers are the ones the diagnostics print
// ("timer 10 skipped"), so they stay as they are.
enum TimerId : int {
  kNewsTimer = 1,                // best friends' statuses and notifications
  kRenewalTimer = 2,             // session renewal, set by the session
  kFriendCountTimer = 3,         // friends-count check
  kFirstFriendsStatusTimer = 4,  // first status check of all friends
  kFirstRelationsTimer = 5,      // first relationship check, then the relations timer
  kRelationsTimer = 6,           // relationship check
  kFirstBirthdaysTimer = 7,      // first birthday check
  kBirthdaysTimer = 8,           // birthday check
  kPicturesTimer = 9,            // picture-cache maintenance
  kFriendsStatusTimer = 10,      // status check of all friends
};
inline constexpr int kFirstTimer = kNewsTimer;
inline constexpr int kLastTimer = kFriendsStatusTimer;

class Schedule {
 public:
  using Work = std::function<void()>;

  // Takes over the firings of `timers`.
  explicit Schedule(ui::WindowTimers& timers);

  void setWork(int id, Work work);
  // Tests only: every period this schedule sets is divided by `divisor` (at least 1 ms), so
  // hours pass in seconds. Set before the timers are started.
  void setPeriodDivisor(int divisor);
  int periodDivisor() const { return divisor_; }

  // During the main window's creation: timer 3 at 3 minutes (replaced before it can fire).
  void startCreationTimer3();
  // At the end of the main window's creation.
  void startTimer4();
  // Once the main window exists: timers 1, 3, 10, 5, 7, 8 and 9, in that order.
  void startMainTimers();

  void onTimer(int id);

  // While held, firings only queue (once per timer, in order of arrival): during the main
  // window's creation the UI thread serves its events (the start-up synchronisation on a
  // worker, the progress box's close wait), and no timer's work may run before the window
  // is complete. Release runs the queued work from the event loop, but not a firing whose
  // timer was set again or killed meanwhile (a login's new timer 2 is no renewal due).
  void holdFirings();
  void releaseFirings();

  // The period a timer runs with after start-up, in ms (0 for timer 2 and unknown ids).
  static int period(int id);
  static bool oneShot(int id);

 private:
  void run(int id);
  void setTimer(int id, int periodMs);

  ui::WindowTimers& timers_;
  std::map<int, Work> work_;
  int divisor_ = 1;
  bool held_ = false;
  struct Held {
    int id;
    unsigned arming;  // the timer's arming when it fired
  };
  std::vector<Held> queued_;
};

}  // namespace app
