#pragma once
// The All Friends window: every friend of bf.txt in name order, each marked as a best friend
// or not, with the selected friend's picture and affiliation below. Two modes edit the best
// friends: pick-up mode adds the activated friend, remove mode removes him.
#include <functional>
#include <string>
#include <vector>

#include "ui/kit/phonedialog.h"
#include "pictures/image.h"
#include "ui/kit/friendopener.h"

class QLabel;
class QTableView;

namespace platform {
class MessageBoxes;
}

namespace ui {

class AllFriendsModel;
class BestFriends;
class UiState;

class AllFriendsWindow : public PhoneDialog {
  Q_OBJECT
 public:
  enum class Mode { Browse, PickUp, Remove };
  AllFriendsWindow(UiState& ui, BestFriends& bestFriends, platform::MessageBoxes& boxes,
                   std::function<void()> openHelp, QWidget* owner);
  ~AllFriendsWindow() override;

  Mode mode() const { return mode_; }
  void runCommand(int id);
  // What the list's activation does for row `row`.
  void activateRow(int row);
  void selectRow(int row);
  void setFriendOpener(FriendOpener open) { openFriend_ = std::move(open); }
  QTableView* list() const { return list_; }
  QLabel* info() const { return info_; }
  QLabel* pictureBox() const { return pictureBox_; }
  AllFriendsModel* model() const { return model_; }

 signals:
  // A mode was left: the board's pictures are to be prepared again.
  void modeLeft();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void reject() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int ask(const char* question);
  void tell(const std::string& text);
  // bf1.txt could not be written: the change did not happen.
  void tellNotSaved();
  void enterMode(Mode mode);
  bool leaveMode();
  void setMode(Mode mode);
  void showPicture();

  UiState& ui_;
  BestFriends& bestFriends_;
  platform::MessageBoxes& boxes_;
  std::function<void()> openHelp_;
  FriendOpener openFriend_;
  Mode mode_ = Mode::Browse;
  AllFriendsModel* model_;
  QTableView* list_;
  QLabel* pictureBox_;
  QLabel* info_;
  pictures::Image image_;
};

}  // namespace ui
