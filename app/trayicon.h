#pragma once
// The icon in the desktop's tray that stands for the main window while "Hide" keeps it
// hidden: activating it shows the window as a second start does, its tool tip names the news
// the notifications window holds, and its menu offers the window, the notifications and
// "Exit". Without a tray host Hide stays as it always was: nothing is shown or printed.
// It also decides the desktop's close of the main window: Hide where a tray host can take
// the icon, else Exit.
#include <memory>

#include <QObject>
#include <QString>

class QMenu;
class QSystemTrayIcon;

namespace ui::notifications {
class NewsCenter;
struct NotificationsState;
}  // namespace ui::notifications

namespace app {

struct AppContext;

// "Veltrana", and on a second line the news waiting, in the notifications window's row order:
// "Veltrana\nnew messages, 2 friend requests, 1 event invite".
QString trayToolTip(const ui::notifications::NotificationsState& state);

class TrayIcon : public QObject {
 public:
  // Follows the main window's showing and hiding; its tool tip follows the news centre.
  TrayIcon(AppContext& context, ui::notifications::NewsCenter& news);
  ~TrayIcon() override;

  // The tool tip again, from the notifications state as it is now.
  void refresh();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showIcon();
  void showWindow();
  // "Exit" from a tray host's call or the desktop's close, which may come inside a box.
  void exitProgram();

  AppContext& context_;
  ui::notifications::NewsCenter& news_;
  std::unique_ptr<QMenu> menu_;
  QSystemTrayIcon* icon_ = nullptr;  // made at the first Hide that finds a tray host
  bool windowGone_ = false;
};

}  // namespace app
