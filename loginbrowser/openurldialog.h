#pragma once
// Asks for an address: full screen, a prompt above an edit box that starts with "http://",
// soft keys "OK" (result 1) and "Cancel" (result 2).
#include <QDialog>

class QLineEdit;

namespace orbisview {

class SoftKeyBar;

class OpenUrlDialog : public QDialog {
  Q_OBJECT

 public:
  explicit OpenUrlDialog(QWidget* parent = nullptr);

  QString address() const;
  QLineEdit* edit() const { return edit_; }
  SoftKeyBar* softKeys() const { return softKeys_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QLineEdit* edit_ = nullptr;
  SoftKeyBar* softKeys_ = nullptr;
};

}  // namespace orbisview
