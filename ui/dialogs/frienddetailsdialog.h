#pragma once
// "Selected Friend": one friend's name, status, local time and square picture, and six
// buttons that open the friend's pages of the mobile site. The friend is named by uid, so
// two friends of the same name each show their own details.
#include <array>
#include <string>

#include "ui/kit/phonedialog.h"

class QLabel;
class QPushButton;

namespace ui {

struct DialogContext;

class FriendDetailsDialog : public PhoneDialog {
  Q_OBJECT

 public:
  // Reads the friend `uid` from bf.txt and asks the server for his status and picture; the
  // picture comes later, from a worker.
  FriendDetailsDialog(DialogContext& context, const std::string& uid, QString name, QWidget* owner);

  void runCommand(int id);
  // Opens the page of button `index` (0 View Wall ... 5 View Notes); nothing for a friend
  // that was not found.
  void openPage(int index);

  bool found() const { return found_; }
  bool hasStatus() const { return hasStatus_; }
  QLabel* nameLabel() const { return name_; }
  QLabel* statusLabel() const { return status_; }
  QLabel* timeLabel() const { return time_; }
  QLabel* pictureLabel() const { return picture_; }
  QPushButton* button(int index) const { return buttons_[static_cast<std::size_t>(index)]; }
  // The square picture's file (empty for a friend that was not found).
  const std::string& picturePath() const { return picturePath_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void reject() override;

 private:
  void load(const std::string& timezone);
  void fetchPicture(const std::string& url);
  void layOut();
  void showPicture();

  DialogContext& context_;
  std::string uid_;
  bool found_ = false;
  bool hasStatus_ = false;
  // The status as fetched (at most 199 characters), "No status" when there is none; the
  // layout measures it.
  QString statusText_;
  std::string picturePath_;
  QLabel* name_;
  QLabel* status_;
  QLabel* caption_;
  QLabel* time_;
  QLabel* picture_;
  std::array<QPushButton*, 6> buttons_{};
};

}  // namespace ui
