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
constexpr const char* kDefaultAction = "default";
// The reminder stays until the user dismisses it or the next one replaces it.
constexpr int kNeverExpires = 0;
// How long an unanswered call is kept pending before it counts as failed.
constexpr int kCallLimitMs = 10000;
// The capabilities hold up the reminder: a server slow to list them gets it without actions.
constexpr int kCapabilitiesLimitMs = 2000;

QDBusMessage serverCall(const char* method) {
  return QDBusMessage::createMethodCall(QString::fromUtf8(kService), QString::fromUtf8(kPath),
                                        QString::fromUtf8(kInterface), QString::fromUtf8(method));
}

}  // namespace

DesktopReminder::DesktopReminder(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
  // Bound to the server's name, so that another client's signal of the same name is not taken
  // for a click.
  bus_.connect(QString::fromUtf8(kService), QString::fromUtf8(kPath), QString::fromUtf8(kInterface),
               QStringLiteral("ActionInvoked"), this, SLOT(onActionInvoked(uint, QString)));
}

QString DesktopReminder::markupBody(const std::string& body) {
  return QString::fromUtf8(body.data(), static_cast<qsizetype>(body.size()))
      .toHtmlEscaped()
      .replace(QStringLiteral("&quot;"), QStringLiteral("\""));
}

void DesktopReminder::raise(const std::string& body) {
  if (!bus_.isConnected()) return;
  const QString markup = markupBody(body);
  if (actions_) {
    send(markup);
    return;
  }
  waiting_.push_back(markup);
  askCapabilities();
}

void DesktopReminder::askCapabilities() {
  if (asking_) return;
  asking_ = true;
  auto* watcher = new QDBusPendingCallWatcher(
      bus_.asyncCall(serverCall("GetCapabilities"), kCapabilitiesLimitMs), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this](QDBusPendingCallWatcher* finished) {
            const QDBusPendingReply<QStringList> reply = *finished;
            finished->deleteLater();
            asking_ = false;
            // Only an answer is kept: without a server yet, the next reminder asks again.
            if (reply.isValid()) actions_ = reply.value().contains(QString::fromUtf8("actions"));
            std::vector<QString> bodies;
            bodies.swap(waiting_);
            for (const QString& body : bodies) send(body);
          });
}

void DesktopReminder::send(const QString& body) {
  QDBusMessage call = serverCall("Notify");
  QStringList actions;
  if (actions_.value_or(false))
    actions << QString::fromUtf8(kDefaultAction) << QString::fromUtf8(kReminderActionLabel);
  QVariantMap hints;
  hints.insert(QStringLiteral("sound-name"), QString::fromUtf8(kReminderSound));
  hints.insert(QStringLiteral("desktop-entry"), QString::fromUtf8(kReminderDesktopEntry));
  call << QString::fromUtf8(kReminderSummary) << static_cast<uint>(lastId_)
       << QString::fromUtf8(kReminderIcon) << QString::fromUtf8(kReminderSummary) << body << actions
       << hints << kNeverExpires;
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

void DesktopReminder::onActionInvoked(uint id, const QString& key) {
  // A replaced reminder or another program's notification is not ours to answer.
  if (lastId_ == 0 || id != lastId_ || key != QString::fromUtf8(kDefaultAction)) return;
  emit opened();
}

}  // namespace ui::notifications
