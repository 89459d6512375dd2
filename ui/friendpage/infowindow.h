#pragma once
// The info window of "All About Friend": the title "Facebook Info about " and the friend's
// name, and below it the categories that came back. "Done" ends it with kInfoDone, the
// action key with kDone; the page does the rest.
#include "ui/kit/phonedialog.h"

class QLabel;
class QPlainTextEdit;

namespace ui {

struct Fonts;
struct PhoneScreen;

class InfoWindow : public PhoneDialog {
  Q_OBJECT

 public:
  // `text`: lines end with "\r\n", as infoText() makes them.
  InfoWindow(const QString& name, const QString& text, const Fonts& fonts,
             const PhoneScreen& screen, QWidget* owner);

  QLabel* title() const { return title_; }
  QPlainTextEdit* textBox() const { return text_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void reject() override;

 private:
  void layOut();

  QLabel* title_;
  QPlainTextEdit* text_;
};

}  // namespace ui
