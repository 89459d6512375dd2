#include "loginbrowser/titlestrip.h"

#include <QFontMetrics>

#include <algorithm>

namespace orbisview {

TitleStrip::TitleStrip(const QString& title, QWidget* parent) : QLabel(parent) {
  setObjectName("titleStrip");
  setTextFormat(Qt::PlainText);
  setWordWrap(false);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  setContentsMargins(4, 2, 4, 2);
  setStyleSheet("background: #2b3a55; color: white; font-weight: bold;");
  setTitle(title);
}

void TitleStrip::setTitle(const QString& title) {
  // One line: a line break in the title would make the strip taller.
  title_ = title.simplified();
  showElided();
}

QSize TitleStrip::sizeHint() const {
  const QMargins margins = contentsMargins();
  return {QLabel::sizeHint().width(), fontMetrics().height() + margins.top() + margins.bottom()};
}

QSize TitleStrip::minimumSizeHint() const { return {0, sizeHint().height()}; }

void TitleStrip::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  showElided();
}

void TitleStrip::showElided() {
  ensurePolished();  // the style sheet's bold font is the one drawn
  setText(fontMetrics().elidedText(title_, Qt::ElideRight, std::max(0, contentsRect().width())));
}

}  // namespace orbisview
