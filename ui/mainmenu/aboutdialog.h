#pragma once
// The about box (template 9, "About"): the product name in bold and the about text under it,
// stretched towards the bottom of the screen between the side margins. "Done" closes it.
#include "ui/kit/phonedialog.h"

class QLabel;
class QScrollArea;

namespace ui {

struct Fonts;
struct PhoneScreen;

class AboutDialog : public PhoneDialog {
  Q_OBJECT

 public:
  AboutDialog(const QString& aboutText, const Fonts& fonts, const PhoneScreen& screen,
              QWidget* owner);

  QLabel* productName() const { return name_; }
  QLabel* text() const { return text_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  // The desktop's close and Escape are "Done".
  void reject() override;

 private:
  void finish();

  QLabel* name_;
  QScrollArea* textArea_;
  QLabel* text_;
};

}  // namespace ui
