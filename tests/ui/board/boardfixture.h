#pragma once
// A DataFolder in a temporary folder for the board and All Friends tests: bf.txt with a
// number of friends, bf1.txt with the first few of them as best friends, and a square picture
// (a plain colour) for each friend beside the two placeholders.
#include <string>
#include <vector>
#include <QString>
#include <QTemporaryDir>

#include "friends/cachepaths.h"

class BoardFixture {
 public:
  // Friends 1001 .. 1000 + friends, named "Friend NN"; the first `best` are best friends.
  BoardFixture(int friends, int best);
  const friends::CachePaths& paths() const { return paths_; }
  std::string readBestFriends() const;
  static std::string uid(int i) { return std::to_string(1001 + i); }
  static std::string name(int i);
  static QString screenshotPath(const QString& name);

 private:
  QTemporaryDir dir_;
  friends::CachePaths paths_;
};
