#pragma once
// "Friends": every friend of bf.txt, narrowed while the user types part of a name; the
// friend chosen opens in the details dialog. Each row carries its friend's uid.
#include <string>
#include <vector>

#include "ui/kit/friendopener.h"
#include "ui/kit/phonedialog.h"

class QLabel;
class QLineEdit;
class QListWidget;

namespace friends {
class FriendStore;
}

namespace ui {

struct Fonts;
class UiState;

class FriendSearchDialog : public PhoneDialog {
  Q_OBJECT

 public:
  static constexpr int kMaxNameChars = 100;
  static constexpr int kMaxSearchChars = 200;
  // The uid of a row's friend, in the list's items.
  static constexpr int kUidRole = Qt::UserRole;

  // `openDetails` opens the friend chosen with "Select Friend", over this dialog.
  FriendSearchDialog(UiState& ui, const friends::FriendStore& store, const Fonts& fonts,
                     FriendOpener openDetails, QWidget* owner);

  void runCommand(int id);
  // Lists the friends that `text` matches.
  void search(const QString& text);

  QLineEdit* edit() const { return edit_; }
  QListWidget* list() const { return list_; }
  QLabel* lastUpdate() const { return lastUpdate_; }
  int softKeys() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void reject() override;

 private:
  struct Name {
    QString shown;
    QString key;  // as matchKey() makes it
    std::string uid;
  };

  // The names `text` matches, none selected.
  void fill(const QString& text);
  void selectFriend();
  void layOut();

  UiState& ui_;
  FriendOpener openDetails_;
  std::vector<Name> names_;  // in the list's order
  QLabel* caption_;
  QLineEdit* edit_;
  QLabel* lastUpdate_;
  QListWidget* list_;
};

}  // namespace ui
