#include "schedule.h"

#include <QTimer>

#include <algorithm>

#include "ui/kit/trace.h"
#include "ui/kit/windowtimers.h"

namespace app {
namespace {

constexpr int kMinute = 60 * 1000;
constexpr int kHour = 60 * kMinute;

struct TimerEntry {
  int id;
  int periodMs;
  bool oneShot;
};

// Timer 2 (session renewal) is set by the session with the session's remaining lifetime.
constexpr TimerEntry kTimers[] = {
    {kNewsTimer, 30 * kMinute, false},
    {kFriendCountTimer, 12 * kHour, false},
    {kFirstFriendsStatusTimer, 3 * kMinute, true},
    {kFirstRelationsTimer, 10 * kMinute, true},
    {kRelationsTimer, 12 * kHour, false},
    {kFirstBirthdaysTimer, 5 * kMinute, true},
    {kBirthdaysTimer, 12 * kHour, false},
    {kPicturesTimer, 3 * kHour, false},
    {kFriendsStatusTimer, 3 * kHour, false},
};

const TimerEntry* find(int id) {
  for (const auto& entry : kTimers)
    if (entry.id == id) return &entry;
  return nullptr;
}

constexpr int kCreationTimer3Ms = 3 * kMinute;

}  // namespace

Schedule::Schedule(ui::WindowTimers& timers) : timers_(timers) {
  timers_.setHandler([this](int id) { onTimer(id); });
}

void Schedule::setWork(int id, Work work) { work_[id] = std::move(work); }

void Schedule::setPeriodDivisor(int divisor) { divisor_ = std::max(1, divisor); }

void Schedule::setTimer(int id, int periodMs) {
  timers_.setTimer(id, std::max(1, periodMs / divisor_));
}

void Schedule::startCreationTimer3() { setTimer(kFriendCountTimer, kCreationTimer3Ms); }

void Schedule::startTimer4() {
  setTimer(kFirstFriendsStatusTimer, period(kFirstFriendsStatusTimer));
}

void Schedule::startMainTimers() {
  // Timer 3 again: its first firing moves from 3 minutes to 12 hours after start.
  for (int id : {kNewsTimer, kFriendCountTimer, kFriendsStatusTimer, kFirstRelationsTimer,
                 kFirstBirthdaysTimer, kBirthdaysTimer, kPicturesTimer})
    setTimer(id, period(id));
}

void Schedule::onTimer(int id) {
  if (id < kFirstTimer || id > kLastTimer) return;
  if (oneShot(id)) timers_.killTimer(id);
  ui::trace("timer %d fired\n", id);
  if (held_) {
    // Read after a one-shot's own kill: that kill does not void the firing it ends.
    const unsigned arming = timers_.arming(id);
    const auto same = [id](const Held& held) { return held.id == id; };
    if (const auto found = std::find_if(queued_.begin(), queued_.end(), same);
        found != queued_.end())
      found->arming = arming;
    else
      queued_.push_back({id, arming});
    return;
  }
  run(id);
}

void Schedule::run(int id) {
  if (const auto work = work_.find(id); work != work_.end() && work->second) work->second();
  if (id == kFirstRelationsTimer) setTimer(kRelationsTimer, period(kRelationsTimer));
}

void Schedule::holdFirings() { held_ = true; }

void Schedule::releaseFirings() {
  held_ = false;
  // From the event loop, not from inside the start-up path that releases them.
  QTimer::singleShot(0, &timers_, [this] {
    const std::vector<Held> queued = std::move(queued_);
    queued_.clear();
    for (const Held& held : queued)
      if (timers_.arming(held.id) == held.arming) run(held.id);
  });
}

int Schedule::period(int id) {
  const TimerEntry* entry = find(id);
  return entry ? entry->periodMs : 0;
}

bool Schedule::oneShot(int id) {
  const TimerEntry* entry = find(id);
  return entry && entry->oneShot;
}

}  // namespace app
