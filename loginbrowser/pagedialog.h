#pragma once
// A page's alert, confirm or prompt, shown over the page inside the window. It is no window
// of its own and holds nothing modal: the soft keys, the menu, Veltrana's messages and the
// exit signals go on as before while it is open.
#include <QFrame>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orbisview {

class PageDialog : public QFrame {
  Q_OBJECT

 public:
  enum class Kind { Alert, Confirm, Prompt };

  // Covers `page` (the view), following its size.
  explicit PageDialog(QWidget* page);

  // Shows `message`, with an edit box holding `value` for a prompt, until answered.
  void ask(Kind kind, const QString& message, const QString& value = {});
  // Closes an open question as Cancel does; nothing when none is open.
  void cancel();
  bool isOpen() const { return isVisible(); }
  QString value() const;

  QLabel* message() const { return message_; }
  QLineEdit* edit() const { return edit_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }

 signals:
  void answered(bool accepted);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void finish(bool accepted);

  QLabel* message_ = nullptr;
  QLineEdit* edit_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace orbisview
