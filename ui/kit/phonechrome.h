#pragma once
// What makes a widget a phone window: the screen's size, the title strip on top, the client
// area and the soft-key bar at the bottom. PhoneFrame (the main window) and PhoneDialog (the
// full-screen dialogs) both carry one.
#include <QObject>
#include <QPointer>

#include "phonescreen.h"

class QVBoxLayout;
class QWidget;

namespace ui {

class SoftKeyBar;
class TitleStrip;

class PhoneChrome : public QObject {
  Q_OBJECT

 public:
  // Sizes `host` to the phone screen and lays out its strip, client area and (empty) bar.
  PhoneChrome(QWidget* host, const PhoneScreen& screen);

  const PhoneScreen& screen() const { return screen_; }
  QWidget* client() const { return client_; }
  TitleStrip* titleStrip() const { return title_; }
  SoftKeyBar* softKeyBar() const;
  // Replaces the soft-key bar by one made from menu `menuId`; false (bar unchanged) when no
  // such menu exists.
  bool setSoftKeys(int menuId);

 signals:
  // A soft key or a popup item was chosen.
  void command(int id);

 private:
  QWidget* host_;
  PhoneScreen screen_;
  QVBoxLayout* layout_;
  TitleStrip* title_;
  QWidget* client_;
  QPointer<SoftKeyBar> bar_;
};

}  // namespace ui
