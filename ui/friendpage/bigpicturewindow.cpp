#include "bigpicturewindow.h"

#include <QEvent>

#include "picturebox.h"
#include "ui/kit/commandids.h"
#include "ui/kit/menutable.h"
#include "ui/kit/uistate.h"

namespace ui {

BigPictureWindow::BigPictureWindow(const UiState& ui, const std::string& picturePath,
                                   QWidget* owner)
    : PhoneDialog(QStringLiteral("Big Picture"), ui.screen, owner),
      box_(new PictureBox(image_, QSize(300, 600), client())) {
  box_->setObjectName(QStringLiteral("pictureBox"));
  box_->setPath(picturePath);
  box_->setAccessibleName(QStringLiteral("Picture of ") + ui.selectedFriend.name);
  client()->installEventFilter(this);
  setSoftKeys(menu::kBigPicture);
  connect(this, &PhoneDialog::command, this, [this](int id) {
    if (id == cmd::kPageDone) done(cmd::kPageDone);
  });
}

void BigPictureWindow::layOut() {
  const int m = chrome()->screen().sideMargin();
  box_->setGeometry(m, box_->y(), std::max(0, client()->width() - 2 * m),
                    std::max(0, client()->height() - box_->y()));
  update();
}

bool BigPictureWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client() && event->type() == QEvent::Resize) layOut();
  return PhoneDialog::eventFilter(watched, event);
}

void BigPictureWindow::moveEvent(QMoveEvent* event) {
  PhoneDialog::moveEvent(event);
  update();
}

void BigPictureWindow::reject() { done(cmd::kPageDone); }

}  // namespace ui
