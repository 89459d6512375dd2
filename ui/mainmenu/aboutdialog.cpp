#include "aboutdialog.h"

#include <algorithm>

#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>

#include "ui/kit/commandids.h"
#include "ui/kit/dialogunits.h"
#include "ui/kit/fonts.h"
#include "ui/kit/menutable.h"

namespace ui {

AboutDialog::AboutDialog(const QString& aboutText, const Fonts& fonts, const PhoneScreen& screen,
                         QWidget* owner)
    : PhoneDialog(QStringLiteral("About"), screen, owner),
      name_(new QLabel(QStringLiteral("Veltrana"), client())),
      textArea_(new QScrollArea(client())),
      text_(new QLabel(aboutText)) {
  const DialogUnits units(QApplication::font());
  name_->setObjectName(QStringLiteral("nameLabel"));
  name_->setFont(fonts.bold);
  name_->setGeometry(units.rect(6, 7, 173, 13));

  text_->setObjectName(QStringLiteral("aboutText"));
  text_->setWordWrap(true);
  text_->setTextFormat(Qt::PlainText);
  text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  text_->setTextInteractionFlags(Qt::NoTextInteraction);
  // The text is longer than the phone's box was tall: it scrolls rather than being cut.
  textArea_->setFrameShape(QFrame::NoFrame);
  textArea_->setWidgetResizable(false);
  textArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  textArea_->setBackgroundRole(QPalette::Base);
  textArea_->setWidget(text_);
  textArea_->setGeometry(units.rect(7, 19, 165, 96));

  setSoftKeys(menu::kDone);
  connect(this, &PhoneDialog::command, this, [this](int id) {
    if (id == cmd::kDone) finish();
  });
  textArea_->setFocus();
}

void AboutDialog::resizeEvent(QResizeEvent* event) {
  PhoneDialog::resizeEvent(event);
  const int m = chrome()->screen().sideMargin();
  const QRect text = DialogUnits(QApplication::font()).rect(7, 19, 165, 96);
  // Down to the bottom less the gap of its left offset, as the status dialog's list; then
  // out to the margins.
  textArea_->setGeometry(m, text.y(), std::max(0, client()->width() - 2 * m),
                         std::max(0, client()->height() - text.y() - text.x()));
  // Wrapped to the area's width (less the scroll bar when it needs one) and as tall as the
  // wrapped text, so that all of it scrolls. The area has no frame: its size is the view's.
  int width = textArea_->width();
  if (text_->heightForWidth(width) > textArea_->height())
    width -= textArea_->verticalScrollBar()->sizeHint().width();
  text_->resize(width, std::max(text_->heightForWidth(width), textArea_->height()));
}

void AboutDialog::reject() { finish(); }

void AboutDialog::finish() {
  done(cmd::kDone);
  if (QWidget* owner = parentWidget()) {
    owner->window()->raise();
    owner->window()->activateWindow();
  }
}

}  // namespace ui
