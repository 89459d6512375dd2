#pragma once
// A modal full-screen dialog: the phone frame's geometry with its own title strip and
// soft-key bar. Open it with exec(); its soft keys arrive as command().
#include <QDialog>

#include "phonechrome.h"

namespace ui {

class PhoneDialog : public QDialog {
  Q_OBJECT

 public:
  PhoneDialog(const QString& title, const PhoneScreen& screen, QWidget* owner);

  QWidget* client() const { return chrome_->client(); }
  PhoneChrome* chrome() const { return chrome_; }
  bool setSoftKeys(int menuId) { return chrome_->setSoftKeys(menuId); }
  // Closes, and gives the keyboard back to the window it was opened over.
  void done(int result) override;

 signals:
  void command(int id);

 protected:
  // Escape presses the Cancel key of the bar showing, so it leaves the current state (a
  // list, a typed status) and not the window; without one it rejects as usual.
  void keyPressEvent(QKeyEvent* event) override;
  // For a window whose Cancel keys dismiss something for good: Escape then always rejects.
  void setEscapeRejects() { escapeRejects_ = true; }

 private:
  PhoneChrome* chrome_;
  bool escapeRejects_ = false;
};

}  // namespace ui
