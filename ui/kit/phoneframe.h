#pragma once
// A top-level phone window: the screen's size (--screen, default 240 x 320), a title strip
// on top and the soft-key bar at the bottom. Put the window's contents into client().
#include <QWidget>

#include "phonechrome.h"

namespace ui {

class PhoneFrame : public QWidget {
  Q_OBJECT

 public:
  explicit PhoneFrame(const PhoneScreen& screen, QWidget* parent = nullptr);

  QWidget* client() const { return chrome_->client(); }
  PhoneChrome* chrome() const { return chrome_; }
  bool setSoftKeys(int menuId) { return chrome_->setSoftKeys(menuId); }

 signals:
  void command(int id);

 private:
  PhoneChrome* chrome_;
};

}  // namespace ui
