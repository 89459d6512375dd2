#include "loginbrowser/pagedialog.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orbisview {
namespace {

// A page's text is shown whole up to this length; a longer one is cut with "…".
constexpr int kMaxMessageChars = 2000;

}  // namespace

PageDialog::PageDialog(QWidget* page) : QFrame(page) {
  setObjectName("pageDialog");
  setAutoFillBackground(true);
  setFrameShape(QFrame::Box);
  message_ = new QLabel(this);
  message_->setObjectName("message");
  message_->setTextFormat(Qt::PlainText);  // the page's text, never markup
  message_->setWordWrap(true);
  message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  edit_ = new QLineEdit(this);
  edit_->setObjectName("value");
  ok_ = new QPushButton("OK", this);
  cancel_ = new QPushButton("Cancel", this);
  connect(ok_, &QPushButton::clicked, this, [this] { finish(true); });
  connect(cancel_, &QPushButton::clicked, this, [this] { finish(false); });
  connect(edit_, &QLineEdit::returnPressed, this, [this] { finish(true); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(7, 7, 7, 7);
  layout->addWidget(message_, 1);
  layout->addWidget(edit_);
  layout->addLayout(buttons);

  hide();
  page->installEventFilter(this);
}

void PageDialog::ask(Kind kind, const QString& message, const QString& value) {
  message_->setText(
      message.size() > kMaxMessageChars ? message.left(kMaxMessageChars) + QChar(0x2026) : message);
  edit_->setVisible(kind == Kind::Prompt);
  edit_->setText(value);
  cancel_->setVisible(kind != Kind::Alert);
  setGeometry(parentWidget()->rect());
  show();
  raise();
  if (kind == Kind::Prompt)
    edit_->setFocus();
  else
    ok_->setFocus();
}

void PageDialog::cancel() {
  if (isOpen()) finish(false);
}

QString PageDialog::value() const { return edit_->text(); }

void PageDialog::finish(bool accepted) {
  if (!isOpen()) return;
  hide();
  if (QWidget* page = parentWidget()) page->setFocus();
  emit answered(accepted);
}

bool PageDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize)
    setGeometry(parentWidget()->rect());
  return QFrame::eventFilter(watched, event);
}

void PageDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      finish(true);
      return;
    case Qt::Key_Escape:
    case Qt::Key_Back:
      finish(!cancel_->isVisible());  // an alert has only OK
      return;
    default:
      QFrame::keyPressEvent(event);
  }
}

}  // namespace orbisview
