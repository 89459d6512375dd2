#pragma once
// The strip above the page that shows its title. The title is the page's, so it is shown
// as plain text on one line, cut with "…" to the strip's width: markup in it is never
// drawn as such, and no title can make the strip, or the window, any larger.
#include <QLabel>

namespace orbisview {

class TitleStrip : public QLabel {
  Q_OBJECT

 public:
  explicit TitleStrip(const QString& title, QWidget* parent = nullptr);

  void setTitle(const QString& title);
  const QString& title() const { return title_; }

  // One line of the strip's font, whatever the title holds.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void showElided();

  QString title_;
};

}  // namespace orbisview
