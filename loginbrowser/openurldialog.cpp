#include "loginbrowser/openurldialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "loginbrowser/commandids.h"
#include "loginbrowser/softkeybar.h"

namespace orbisview {

OpenUrlDialog::OpenUrlDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("openUrlDialog");
  setWindowTitle(QString::fromLatin1(kInitialTitle));
  if (parent) setGeometry(parent->window()->geometry());  // full screen: the phone frame

  auto* prompt = new QLabel("Enter URL, full path, or UNC location:", this);
  prompt->setObjectName("prompt");
  prompt->setWordWrap(true);
  edit_ = new QLineEdit("http://", this);
  edit_->setObjectName("address");
  softKeys_ = new SoftKeyBar("OK", kCmdOk, "Cancel", kCmdCancel, this);
  connect(softKeys_, &SoftKeyBar::commandTriggered, this, [this](int id) { done(id); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* body = new QVBoxLayout;
  body->setContentsMargins(7, 7, 7, 7);
  body->addWidget(prompt);
  body->addWidget(edit_);
  body->addStretch(1);
  layout->addLayout(body, 1);
  layout->addWidget(softKeys_);
  edit_->setFocus();
}

void OpenUrlDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The dialog gives the edit box its focus as if by Tab, which selects the whole text; the
  // address is typed after "http://", not over it.
  QMetaObject::invokeMethod(
      edit_,
      [edit = edit_] {
        edit->deselect();
        edit->end(false);
      },
      Qt::QueuedConnection);
}

QString OpenUrlDialog::address() const { return edit_->text(); }

void OpenUrlDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    // The phone's Back key edits the address instead of closing the dialog.
    case Qt::Key_Back:
    case Qt::Key_Escape:
      edit_->backspace();
      return;
    // Return is the action key: it takes the address as "OK" does.
    case Qt::Key_Return:
    case Qt::Key_Enter:
      done(kCmdOk);
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

}  // namespace orbisview
