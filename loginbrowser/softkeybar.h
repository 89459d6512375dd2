#pragma once
// The two soft keys at the bottom of a phone window. F1 presses the left key and F2 the right
// one; a press reports the key's command id.
#include <QWidget>

class QPushButton;

namespace orbisview {

class SoftKeyBar : public QWidget {
  Q_OBJECT

 public:
  SoftKeyBar(const QString& leftText, int leftCommand, const QString& rightText, int rightCommand,
             QWidget* parent = nullptr);

  // Where a pop-up of the right key opens: its bottom-right corner, in global coordinates.
  QPoint rightKeyTopRight() const;
  QPushButton* leftKey() const { return left_; }
  QPushButton* rightKey() const { return right_; }

 signals:
  void commandTriggered(int commandId);

 private:
  QPushButton* makeKey(const QString& text, int commandId, const QKeySequence& shortcut);

  QPushButton* left_ = nullptr;
  QPushButton* right_ = nullptr;
};

}  // namespace orbisview
