#include "simulator/world/world.h"

#include <algorithm>

namespace sim {

World::World(Person user) : user_(std::move(user)) { reindex(); }

void World::reindex() {
  visibleIndex_.clear();
  visibleIndex_.reserve(visibleCount() * 2);
  for (size_t i = 0; i < visibleCount(); ++i) visibleIndex_.emplace(visibleAt(i).uid, i);
}

const Person& World::visibleAt(size_t index) const {
  if (index == 0) return user_;
  if (index <= friends_.size()) return friends_[index - 1];
  return strangers_[index - 1 - friends_.size()];
}

std::optional<size_t> World::visibleIndexOf(int64_t uid) const {
  const auto it = visibleIndex_.find(uid);
  if (it == visibleIndex_.end()) return std::nullopt;
  return it->second;
}

Person* World::findPerson(int64_t uid) {
  const auto index = visibleIndexOf(uid);
  return index ? const_cast<Person*>(&visibleAt(*index)) : nullptr;
}

const Person* World::findPerson(int64_t uid) const {
  const auto index = visibleIndexOf(uid);
  return index ? &visibleAt(*index) : nullptr;
}

bool World::isFriend(int64_t uid) const {
  const auto index = visibleIndexOf(uid);
  return index && *index >= 1 && *index <= friends_.size();
}

bool World::addFriend(Person person) {
  if (person.uid == user_.uid || isFriend(person.uid)) return false;
  const int64_t uid = person.uid;
  const auto stranger = std::find_if(strangers_.begin(), strangers_.end(),
                                     [&](const Person& p) { return p.uid == uid; });
  const bool wasStranger = stranger != strangers_.end();
  if (wasStranger) strangers_.erase(stranger);
  friends_.push_back(std::move(person));
  if (wasStranger) {
    reindex();
    return true;
  }
  // Only the strangers after the friends move; a full reindex per friend made a world of
  // thousands of friends take seconds to build.
  visibleIndex_[uid] = friends_.size();
  for (size_t i = 0; i < strangers_.size(); ++i)
    visibleIndex_[strangers_[i].uid] = friends_.size() + 1 + i;
  return true;
}

bool World::removeFriend(int64_t uid) {
  const auto it =
      std::find_if(friends_.begin(), friends_.end(), [&](const Person& p) { return p.uid == uid; });
  if (it == friends_.end()) return false;
  friends_.erase(it);
  reindex();
  return true;
}

bool World::addStranger(Person person) {
  if (idTaken(person.uid)) return false;
  visibleIndex_[person.uid] = visibleCount();
  strangers_.push_back(std::move(person));
  return true;
}

const Group* World::findGroup(int64_t gid) const {
  for (const Group& g : groups_)
    if (g.gid == gid) return &g;
  return nullptr;
}

const Event* World::findEvent(int64_t eid) const {
  for (const Event& e : events_)
    if (e.eid == eid) return &e;
  return nullptr;
}

bool World::addGroup(Group group) {
  if (idTaken(group.gid)) return false;
  groups_.push_back(std::move(group));
  return true;
}

bool World::addEvent(Event event) {
  if (idTaken(event.eid)) return false;
  events_.push_back(std::move(event));
  return true;
}

bool World::idTaken(int64_t id) const {
  return visibleIndexOf(id).has_value() || findGroup(id) != nullptr || findEvent(id) != nullptr;
}

int64_t World::freshId() {
  while (idTaken(nextFreshId_)) ++nextFreshId_;
  return nextFreshId_++;
}

}  // namespace sim
