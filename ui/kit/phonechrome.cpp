#include "phonechrome.h"

#include <QVBoxLayout>

#include "menutable.h"
#include "platform/lightpalette.h"
#include "softkeybar.h"
#include "titlestrip.h"

namespace ui {

PhoneChrome::PhoneChrome(QWidget* host, const PhoneScreen& screen)
    : QObject(host), host_(host), screen_(screen) {
  host->setFixedSize(screen_.size());
  // Whole, so a desktop's dark theme shows through nowhere: the controls inherit every role.
  host->setPalette(platform::lightPalette());
  layout_ = new QVBoxLayout(host);
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(0);
  title_ = new TitleStrip(host, screen_);
  client_ = new QWidget(host);
  client_->setAutoFillBackground(true);
  QPalette palette = platform::lightPalette();
  palette.setColor(QPalette::Window, Qt::white);
  client_->setPalette(palette);
  layout_->addWidget(title_);
  layout_->addWidget(client_, 1);
}

SoftKeyBar* PhoneChrome::softKeyBar() const { return bar_; }

bool PhoneChrome::setSoftKeys(int menuId) {
  const MenuResource* menu = findMenu(menuId);
  if (!menu) return false;
  // The old bar may be the sender of the command that changes the state: let it finish.
  if (bar_) {
    layout_->removeWidget(bar_);
    bar_->hide();
    bar_->deleteLater();
  }
  bar_ = new SoftKeyBar(*menu, screen_, host_);
  connect(bar_, &SoftKeyBar::commandTriggered, this, &PhoneChrome::command);
  layout_->addWidget(bar_);
  bar_->show();
  return true;
}

}  // namespace ui
