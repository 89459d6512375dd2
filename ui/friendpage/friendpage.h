#pragma once
// The page of one friend: his standard picture, name, facts and status with its age, and the
// commands "All About Friend", "Refresh Status", "Big Picture" and "Go Facebook".
#include <string>

#include <QPointer>
#include <QString>

#include "friendpagecontext.h"
#include "friends/adhocrequest.h"
#include "pictures/image.h"
#include "ui/kit/phonedialog.h"

class QLabel;
class QPlainTextEdit;
class QScrollArea;
class QWidget;

namespace ui {

class BigPictureWindow;
class CategoryList;
class PictureBox;

// Opens the page of the friend (`uid` all digits, `name` as shown) modally over `over`,
// making him the selected friend.
void openFriendPage(FriendPageContext& context, const std::string& uid, const QString& name,
                    QWidget* over);

class FriendPage : public PhoneDialog {
  Q_OBJECT

 public:
  // Ensures the square and the standard picture and fills the controls.
  FriendPage(FriendPageContext& context, std::string uid, QString name, QWidget* owner);
  ~FriendPage() override;

  void runCommand(int id);

  PictureBox* pictureBox() const { return picture_; }
  QLabel* nameLabel() const { return name_; }
  QLabel* factsLabel() const { return facts_; }
  QPlainTextEdit* statusBox() const { return status_; }
  // What the picture, labels and status lie on; taller than the client area when it scrolls.
  QScrollArea* scrollArea() const { return scroll_; }
  // The "All About Friend" list while it is up.
  CategoryList* categoryList() const;
  const friends::CategoryResults& results() const { return results_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void reject() override;

 private:
  std::shared_ptr<api::ApiClient> currentClient() const;
  uint32_t currentUser() const;
  // The standard picture's size from its file; false when it does not load.
  bool takePictureSize();
  // A worker's fetch ended: the picture in, the page laid out to its size.
  void pictureArrived();
  void layOut();
  bool scrollPastStatus(int key);
  void showStatus(const std::string& text);
  void refreshStatus();
  void showCategories();
  void dropCategories();
  void submitCategories();
  void showBigPicture();
  void bringToFront();

  FriendPageContext& context_;
  const std::string uid_;
  const QString nameText_;
  pictures::Image image_;
  QScrollArea* scroll_;
  QWidget* content_;
  PictureBox* picture_;
  QPlainTextEdit* status_;
  QLabel* name_;
  QLabel* facts_;
  QPointer<CategoryList> categories_;
  // The Big Picture window while it is up.
  QPointer<BigPictureWindow> bigPicture_;
  friends::CategoryResults results_;
};

}  // namespace ui
