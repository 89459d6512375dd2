#include "progressbox.h"

#include <QEventLoop>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include "platform/exitwait.h"
#include "uithread.h"

namespace ui {

ProgressBox::ProgressBox(QWidget* owner) : QObject(owner), owner_(owner) {}

ProgressBox::~ProgressBox() {
  keepShowing_ = false;
  delete box_;
}

QMessageBox* ProgressBox::box() const { return box_; }

void ProgressBox::show(const QString& text) {
  keepShowing_ = true;
  callOnThreadOf(this, [this, text] { showHere(text); });
}

void ProgressBox::close(CloseWait wait) {
  keepShowing_ = false;
  // The box is closed on the UI thread before this returns, so UntilEnded needs no more.
  callOnThreadOf(this, [this] { closeHere(); });
  if (wait != CloseWait::HalfSecond) return;
  if (QThread::currentThread() == thread()) {
    QEventLoop loop;  // keep painting meanwhile
    QTimer::singleShot(500, &loop, &QEventLoop::quit);
    loop.exec();
  } else {
    platform::sleepUnlessExit(500);
  }
}

void ProgressBox::showHere(const QString& text) {
  if (box_) {
    box_->setText(text);
    return;
  }
  auto* box = new QMessageBox(QMessageBox::NoIcon, QString::fromUtf8(kCaption), text,
                              QMessageBox::Ok, owner_);
  box->setWindowModality(Qt::NonModal);
  box_ = box;
  connect(box, &QDialog::finished, this, [this, box] {
    if (keepShowing_) {
      box->show();  // OK only brings it back while the program is still preparing
      return;
    }
    box->deleteLater();
  });
  box->show();
}

void ProgressBox::closeHere() {
  if (!box_) return;
  QMessageBox* box = box_;
  box_ = nullptr;
  box->done(QMessageBox::Ok);  // what its OK button does
}

}  // namespace ui
