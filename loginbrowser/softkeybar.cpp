#include "loginbrowser/softkeybar.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>

namespace orbisview {

SoftKeyBar::SoftKeyBar(const QString& leftText, int leftCommand, const QString& rightText,
                       int rightCommand, QWidget* parent)
    : QWidget(parent) {
  setObjectName("softKeyBar");
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(0x2b, 0x3a, 0x55));
  pal.setColor(QPalette::ButtonText, Qt::white);
  setPalette(pal);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  left_ = makeKey(leftText, leftCommand, QKeySequence(Qt::Key_F1));
  right_ = makeKey(rightText, rightCommand, QKeySequence(Qt::Key_F2));
  layout->addWidget(left_);
  layout->addWidget(right_);
}

QPushButton* SoftKeyBar::makeKey(const QString& text, int commandId, const QKeySequence& shortcut) {
  auto* key = new QPushButton(text, this);
  key->setFlat(true);
  key->setFocusPolicy(Qt::NoFocus);  // focus stays with the page or the edit box
  key->setAutoDefault(false);
  key->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  key->setMinimumHeight(fontMetrics().height() + 10);
  key->setStyleSheet(
      "QPushButton { color: white; font-weight: bold; border: none; }"
      "QPushButton:pressed { background: #4a6a9a; }");
  connect(key, &QPushButton::clicked, this,
          [this, commandId] { emit commandTriggered(commandId); });
  // The keys work wherever the focus is in the bar's window.
  auto* press = new QShortcut(shortcut, this);
  press->setContext(Qt::WindowShortcut);
  connect(press, &QShortcut::activated, key, &QPushButton::click);
  return key;
}

QPoint SoftKeyBar::rightKeyTopRight() const {
  return right_->mapToGlobal(QPoint(right_->width(), 0));
}

}  // namespace orbisview
