#include "infowindow.h"

#include <algorithm>

#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>

#include "ui/kit/accessibility.h"
#include "ui/kit/commandids.h"
#include "ui/kit/fonts.h"
#include "ui/kit/menutable.h"

namespace ui {

InfoWindow::InfoWindow(const QString& name, const QString& text, const Fonts& fonts,
                       const PhoneScreen& screen, QWidget* owner)
    : PhoneDialog(QStringLiteral("VT at Your Service"), screen, owner),
      title_(new QLabel(QStringLiteral("Facebook Info about ") + name, client())),
      text_(new QPlainTextEdit(client())) {
  title_->setObjectName(QStringLiteral("titleLabel"));
  title_->setFont(fonts.bold);
  title_->setTextFormat(Qt::PlainText);
  a11y::setName(title_, title_->text());  // a name may hold an "&" (see setLabelText)
  title_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // Two lines: a long name goes on to the second one rather than off the edge.
  title_->setWordWrap(true);
  text_->setObjectName(QStringLiteral("infoText"));
  text_->setReadOnly(true);
  text_->setAccessibleName(QStringLiteral("Facebook Info"));
  text_->setTextInteractionFlags(Qt::TextSelectableByKeyboard);
  text_->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  text_->installEventFilter(this);
  client()->installEventFilter(this);
  setSoftKeys(menu::kFriendInfo);
  connect(this, &PhoneDialog::command, this, [this](int id) {
    if (id == cmd::kInfoDone) done(cmd::kInfoDone);
  });
  text_->setFocus();
}

void InfoWindow::layOut() {
  const int w = client()->width();
  const int h = client()->height();
  // 30 high, or as high as a name too long for two lines needs; the text box follows it.
  const int titleHeight = std::max(30, title_->heightForWidth(w - 5));
  title_->setGeometry(5, 5, w - 5, titleHeight);
  text_->setGeometry(5, 5 + titleHeight, w - 5, std::max(0, h - 5 - titleHeight));
}

bool InfoWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client() && event->type() == QEvent::Resize) layOut();
  if (watched == text_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      done(cmd::kDone);
      return true;
    }
  }
  return PhoneDialog::eventFilter(watched, event);
}

void InfoWindow::reject() { done(cmd::kInfoDone); }

}  // namespace ui
