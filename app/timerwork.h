#pragma once
// The work of every timer of the schedule: what each firing runs, on the user-interface
// thread or on a worker thread (the services' workers), with one run of each kind at a time.
// Part of the program, whose workers end before it goes.

#include "app/singlerun.h"

namespace ui::notifications {
class NewsCenter;
}

namespace app {

struct AppContext;
struct Services;

class TimerWork {
 public:
  // Timer 1 polls into the news centre's open window, or opens it.
  TimerWork(AppContext& context, Services& services, ui::notifications::NewsCenter& news);
  TimerWork(const TimerWork&) = delete;
  TimerWork& operator=(const TimerWork&) = delete;

  // Gives the schedule's timers this work.
  void install();

  // Tests: whether a run of the worker kinds is going.
  bool friendsStatusRunning() const { return friendsStatus_.running(); }
  bool relationsRunning() const { return relations_.running(); }

 private:
  void bestFriendsAndNews();
  void renewal();
  void friendCount();
  void friendsStatus(int timerId);
  void relationChanges(int timerId);
  void birthdays(int timerId);
  void pictureMaintenance();

  AppContext& context_;
  Services& s_;
  ui::notifications::NewsCenter& news_;
  SingleRun bestFriends_{"checkBestFriendsStatus"};
  SingleRun renewal_{"renewSession"};
  SingleRun count_{"friendCountCheck"};
  SingleRun friendsStatus_{"checkFriendsStatus"};
  SingleRun relations_{"checkRelationChange"};
  SingleRun birthdays_{"checkBirthdays"};
  SingleRun pictures_{"expirePictures"};
  bool renewalWaiting_ = false;  // a timer-2 firing waits for the hand-off to be free
};

}  // namespace app
