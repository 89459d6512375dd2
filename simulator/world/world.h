#pragma once
// The simulated network as seen by its one user: his friends, the people who asked to become
// friends, the groups and events he is invited to and his notifications. Not thread-safe; the
// server guards it with its state lock.
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "simulator/world/event.h"
#include "simulator/world/group.h"
#include "simulator/world/notifications.h"
#include "simulator/world/person.h"

namespace sim {

class World {
 public:
  World() = default;
  explicit World(Person user);

  Person& user() { return user_; }
  const Person& user() const { return user_; }
  const std::vector<Person>& friends() const { return friends_; }
  const std::vector<Person>& strangers() const { return strangers_; }

  // Everyone whose rows FQL may show: the user, then the friends in their order, then the
  // people who asked to become friends (their names appear in the friend requests).
  size_t visibleCount() const { return 1 + friends_.size() + strangers_.size(); }
  const Person& visibleAt(size_t index) const;
  std::optional<size_t> visibleIndexOf(int64_t uid) const;

  Person* findPerson(int64_t uid);
  const Person* findPerson(int64_t uid) const;
  bool isFriend(int64_t uid) const;

  // False when the uid is already a friend or the user. A stranger becomes a friend.
  bool addFriend(Person person);
  bool removeFriend(int64_t uid);
  // False when the uid is taken.
  bool addStranger(Person person);

  const std::vector<Group>& groups() const { return groups_; }
  const std::vector<Event>& events() const { return events_; }
  const Group* findGroup(int64_t gid) const;
  const Event* findEvent(int64_t eid) const;
  bool addGroup(Group group);
  bool addEvent(Event event);

  Notifications& notifications() { return notifications_; }
  const Notifications& notifications() const { return notifications_; }

  bool statusPermission() const { return statusPermission_; }
  void setStatusPermission(bool granted) { statusPermission_ = granted; }

  // An id below 2^31 that no person, group or event holds yet.
  int64_t freshId();
  bool idTaken(int64_t id) const;

 private:
  void reindex();

  Person user_;
  std::vector<Person> friends_;
  std::vector<Person> strangers_;
  std::vector<Group> groups_;
  std::vector<Event> events_;
  Notifications notifications_;
  bool statusPermission_ = true;
  std::unordered_map<int64_t, size_t> visibleIndex_;
  int64_t nextFreshId_ = 1900000000;
};

}  // namespace sim
