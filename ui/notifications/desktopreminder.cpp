#include "desktopreminder.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace ui::notifications {
namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
// The reminder stays until the user dismisses it or the next one replaces it.
constexpr int kNeverExpires = 0;
// How long an unanswered call is kept pending before it counts as failed.
constexpr int kCallLimitMs = 10000;

}  // namespace

DesktopReminder::DesktopReminder(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {}

QString DesktopReminder::markupBody(const std::string& body) {
  return QString::fromUtf8(body.data(), static_cast<qsizetype>(body.size()))
      .toHtmlEscaped()
      .replace(QStringLiteral("&quot;"), QStringLiteral("\""));
}

void DesktopReminder::raise(const std::string& body) {
  if (!bus_.isConnected()) return;
  QDBusMessage call =
      QDBusMessage::createMethodCall(QString::fromUtf8(kService), QString::fromUtf8(kPath),
                                     QString::fromUtf8(kInterface), QStringLiteral("Notify"));
  QVariantMap hints;
  hints.insert(QStringLiteral("sound-name"), QString::fromUtf8(kReminderSound));
  call << QString::fromUtf8(kReminderSummary) << static_cast<uint>(lastId_) << QString()
       << QString::fromUtf8(kReminderSummary) << markupBody(body) << QStringList() << hints
       << kNeverExpires;
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallLimitMs), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this](QDBusPendingCallWatcher* finished) {
            const QDBusPendingReply<uint> reply = *finished;
            // A failed registration leaves nothing to replace next time.
            lastId_ = reply.isValid() ? reply.value() : 0;
            finished->deleteLater();
            emit answered();
          });
}

}  // namespace ui::notifications
