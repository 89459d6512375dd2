#pragma once
// Reminders as desktop notifications (org.freedesktop.Notifications on the session bus):
// summary "Veltrana", the reminder text as the body, a sound, the program's icon and desktop
// entry. Each one replaces the one
// before. The call is asynchronous, so a notification server that hangs never holds up the
// window; without a bus or a server nothing is shown and nothing is reported.
// Where the server supports actions, the reminder carries the default action: activating it
// (a click) emits opened().
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <QDBusConnection>
#include <QObject>

namespace ui::notifications {

inline constexpr const char* kReminderSummary = "Veltrana";
inline constexpr const char* kReminderSound = "reminder";
inline constexpr const char* kReminderActionLabel = "Show the news";
// The icon the package installs (the desktop entry's Icon=) and that entry's name, so the
// desktop shows the program's icon and files the reminder under it.
inline constexpr const char* kReminderIcon = "veltrana";
inline constexpr const char* kReminderDesktopEntry = "com.corvanta.veltrana";

class DesktopReminder : public QObject {
  Q_OBJECT

 public:
  explicit DesktopReminder(QDBusConnection bus = QDBusConnection::sessionBus(),
                           QObject* parent = nullptr);

  // Sends the notification for `body` (8-bit text; markup characters are escaped here).
  void raise(const std::string& body);
  // The server's id of the last reminder; 0 before the first or after a failed one.
  uint32_t lastId() const { return lastId_; }

  // The body as the server receives it: &, < and > escaped.
  static QString markupBody(const std::string& body);

 signals:
  // The server answered a reminder (or the call failed): lastId() is up to date.
  void answered();
  // The user activated the latest reminder.
  void opened();

 private slots:
  void onActionInvoked(uint id, const QString& key);

 private:
  void askCapabilities();
  void send(const QString& body);

  QDBusConnection bus_;
  uint32_t lastId_ = 0;
  // Whether the server shows actions: unknown until it has answered GetCapabilities once.
  std::optional<bool> actions_;
  bool asking_ = false;
  // Bodies raised while the capabilities are asked, sent when the answer (or failure) comes.
  std::vector<QString> waiting_;
};

}  // namespace ui::notifications
