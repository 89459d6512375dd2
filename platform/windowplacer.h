#pragma once
// Keeps what a program opens over its phone window on the phone, as the phone's own screen
// did: a menu or submenu stays inside the phone's frame, a dialog or box is centred on it.
// Without a window manager nothing else places them, and Qt centres an ownerless box on the
// whole screen and opens a submenu beyond the frame's edge. Windows are placed as they are
// about to be mapped, so none shows first where it does not belong.
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <optional>

namespace platform {

class WindowPlacer : public QObject {
  Q_OBJECT

 public:
  // Places the windows of the whole application while `phone` is shown. While the phone is
  // hidden (not yet shown, or hidden to the tray) windows go where Qt puts them.
  explicit WindowPlacer(QWidget* phone, QObject* parent = nullptr);
  ~WindowPlacer() override;

  // A popup that Qt put at `wanted`, moved inside `frame`. A submenu that does not fit beside
  // its parent menu (`parentMenu`) on the right opens on its left where it fits there, as
  // menus do at a screen's edge; what is larger than the frame starts at its top-left corner.
  static QRect placePopup(const QRect& wanted, const QRect& frame,
                          const std::optional<QRect>& parentMenu = std::nullopt);
  // A dialog of `wanted`'s size centred on `phone`, then kept on `screen` where it fits.
  static QRect placeDialog(const QRect& wanted, const QRect& phone, const QRect& screen);
  // A window's frame asked for at `wanted`: kept there where any of it is on `desktop`, else
  // moved inside, so that a corner from outside never puts a window where no screen shows it.
  static QRect placeOnDesktop(const QRect& wanted, const QRect& desktop);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void place(QWidget* window) const;

  QPointer<QWidget> phone_;
};

}  // namespace platform
