#pragma once
// A change list window: the friends a watch found at its last run, by name, with the time
// of that run under the list ("Updated ..."). Activating a row opens the friend's page.
// "Relationship Status Changes" and "Upcoming Birthdays" differ only by their kind.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "changelistkind.h"
#include "friends/changesource.h"
#include "ui/kit/friendopener.h"
#include "ui/kit/phonedialog.h"

class QLabel;
class QTreeWidget;

namespace friends {
class FriendStore;
}
namespace platform {
class SettingsStore;
}

namespace ui {

struct Fonts;
class UiState;

class ChangeListWindow : public PhoneDialog {
  Q_OBJECT

 public:
  // Fills the list from `source` and the names of bf.txt; `settings` keeps the time of the
  // last update for the next opening.
  ChangeListWindow(UiState& ui, const ChangeListKind& kind, friends::ChangeSource& source,
                   const friends::FriendStore& store, platform::SettingsStore& settings,
                   const Fonts& fonts, FriendOpener openFriend, QWidget* owner);
  ~ChangeListWindow() override;

  QTreeWidget* list() const { return list_; }
  QLabel* updatedLabel() const { return updated_; }
  // The soft key's command and the action key (command 1).
  void runCommand(int id);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void reject() override;

 private:
  QString lastUpdateText(friends::ChangeSource& source, platform::SettingsStore& settings);
  void fill(const friends::ChangeSource& source, const friends::FriendStore& store);
  void activateRow(int row);

  UiState& ui_;
  const ChangeListKind& kind_;
  const friends::FriendStore& store_;
  FriendOpener openFriend_;
  QLabel* heading_;
  QTreeWidget* list_;
  QLabel* updated_;
  std::vector<std::string> names_;  // by row: the name of the names index
};

}  // namespace ui
