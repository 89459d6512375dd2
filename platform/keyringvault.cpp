#include "platform/keyringvault.h"

#include <qt6keychain/keychain.h>
#include <strings.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDBusVariant>
#include <QThread>
#include <chrono>
#include <cstdio>
#include <future>

#include "platform/settingskeys.h"
#include "platform/terminaltext.h"

namespace platform {
namespace {

constexpr const char* kService = "Veltrana";
// A name nothing is stored under: reading it tells whether a keyring answers at all.
constexpr const char* kProbeName = "Veltrana_probe";
constexpr const char* kSecretService = "org.freedesktop.secrets";
constexpr const char* kFailedReadLine =
    "The desktop keyring cannot be read (%s): the session it keeps is out of reach.\n";

std::string noAnswerText(int waitMs) {
  return "no answer within " + std::to_string(waitMs / 1000) + " s";
}

// A Secret Service that runs or can be started: without one, no keyring is there at all.
bool secretServiceOnBus() {
  QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
  if (!bus) return false;
  if (bus->isServiceRegistered(QString::fromUtf8(kSecretService))) return true;
  const QDBusReply<QStringList> activatable = bus->activatableServiceNames();
  return activatable.isValid() && activatable.value().contains(QString::fromUtf8(kSecretService));
}

// The question for the Secret Service's items QtKeychain keeps for `name`; its answer is
// (unlocked, locked).
QDBusMessage searchItems(const std::string& name) {
  QDBusMessage search = QDBusMessage::createMethodCall(
      QString::fromUtf8(kSecretService), QStringLiteral("/org/freedesktop/secrets"),
      QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("SearchItems"));
  // a{ss}: QtDBus marshals a map only once its type is registered.
  static const QMetaType registered = qDBusRegisterMetaType<QMap<QString, QString>>();
  (void)registered;
  QMap<QString, QString> attributes;
  attributes.insert(QStringLiteral("server"), QString::fromUtf8(kService));
  attributes.insert(QStringLiteral("user"), QString::fromStdString(name));
  search << QVariant::fromValue(attributes);
  return search;
}

// What a keyring manager shows for the entry `name`; empty for one that keeps the service's.
QString labelOf(const std::string& name) {
  if (::strcasecmp(name.c_str(), keys::kSessionKey) == 0)
    return QStringLiteral("Veltrana session key");
  if (::strcasecmp(name.c_str(), keys::kSessionSecret) == 0)
    return QStringLiteral("Veltrana session secret");
  return {};
}

// QtKeychain labels every entry with the service's name, so a keyring manager would show two
// entries called "Veltrana": each is given its own label. The attributes it is found by
// stay. Where no Secret Service runs (another backend), there is nothing to do. Its calls
// are not waited for: the vault's next job, queued behind them on `context`'s thread, would
// lose its time to a service slow with the search or the label.
void relabel(const std::string& name, int waitMs, QObject* context) {
  const QString label = labelOf(name);
  if (label.isEmpty()) return;
  QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
  if (!bus || !bus->isServiceRegistered(QString::fromUtf8(kSecretService))) return;
  auto* search = new QDBusPendingCallWatcher(
      QDBusConnection::sessionBus().asyncCall(searchItems(name), waitMs), context);
  QObject::connect(
      search, &QDBusPendingCallWatcher::finished, context,
      [label, waitMs](QDBusPendingCallWatcher* done) {
        done->deleteLater();
        const QDBusMessage reply = done->reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2) return;
        for (const QDBusObjectPath& item :
             qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().at(0))) {
          QDBusMessage set = QDBusMessage::createMethodCall(
              QString::fromUtf8(kSecretService), item.path(),
              QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
          set << QStringLiteral("org.freedesktop.Secret.Item") << QStringLiteral("Label")
              << QVariant::fromValue(QDBusVariant(label));
          QDBusConnection::sessionBus().asyncCall(set, waitMs);
        }
      });
}

}  // namespace

struct KeyringVault::Answer {
  bool answered = false;  // false: no answer within the wait
  QKeychain::Error error = QKeychain::NoError;
  std::string reason;
  std::string text;
};

KeyringVault::KeyringVault(int waitMs) : waitMs_(waitMs), thread_(std::make_unique<QThread>()) {
  worker_ = new QObject;
  worker_->moveToThread(thread_.get());
  QObject::connect(thread_.get(), &QThread::finished, worker_, &QObject::deleteLater);
  thread_->start();
}

KeyringVault::~KeyringVault() {
  thread_->quit();
  // A job that never answered keeps its thread; the process does not wait for it at the end.
  if (!thread_->wait(QDeadlineTimer(waitMs_))) (void)thread_.release();
}

std::unique_ptr<KeyringVault> KeyringVault::open(int waitMs, std::string* failure) {
  // Without a session bus, asking would only start one (X11 autolaunch) for nothing.
  const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  if (bus.isEmpty() && (runtime.isEmpty() || access((runtime + "/bus").constData(), F_OK) != 0)) {
    std::fprintf(stderr,
                 "No desktop keyring (no session bus): the session is kept in the "
                 "settings store.\n");
    return nullptr;
  }
  std::unique_ptr<KeyringVault> vault(new KeyringVault(waitMs));
  const Answer probe = vault->run(Kind::Read, kProbeName);
  if (probe.answered &&
      (probe.error == QKeychain::NoError || probe.error == QKeychain::EntryNotFound))
    return vault;
  const std::string why = probe.answered ? probe.reason : noAnswerText(waitMs);
  if (!probe.answered || secretServiceOnBus()) {
    // There, but silent or refusing: the session it may keep cannot be read this run.
    if (failure) *failure = why;
    vault->giveUp(why, kFailedReadLine);
  } else {
    vault->giveUp(why);
  }
  return nullptr;
}

KeyringVault::Answer KeyringVault::run(Kind kind, const std::string& name,
                                       const std::string& value) {
  if (gone_) return {};
  auto promise = std::make_shared<std::promise<Answer>>();
  std::future<Answer> future = promise->get_future();
  const QString key = QString::fromStdString(name);
  const QString text = QString::fromStdString(value);
  const int waitMs = waitMs_;
  QObject* const worker = worker_;
  QMetaObject::invokeMethod(worker_, [kind, name, key, text, promise, waitMs, worker] {
    QKeychain::Job* job = nullptr;
    const QString service = QString::fromUtf8(kService);
    switch (kind) {
      case Kind::Read:
        job = new QKeychain::ReadPasswordJob(service);
        break;
      case Kind::Write: {
        auto* write = new QKeychain::WritePasswordJob(service);
        write->setTextData(text);
        job = write;
        break;
      }
      case Kind::Erase:
        job = new QKeychain::DeletePasswordJob(service);
        break;
    }
    // Never a plain file beside the store: without a keyring the store itself is the place.
    job->setInsecureFallback(false);
    job->setKey(key);
    QObject::connect(job, &QKeychain::Job::finished,
                     [promise, kind, name, waitMs, worker](QKeychain::Job* done) {
                       Answer answer;
                       answer.answered = true;
                       answer.error = done->error();
                       answer.reason = done->errorString().toStdString();
                       if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(done))
                         answer.text = read->textData().toStdString();
                       const bool written =
                           kind == Kind::Write && answer.error == QKeychain::NoError;
                       promise->set_value(std::move(answer));
                       // After the answer: the caller's wait is for the secret, not for its label.
                       if (written) relabel(name, waitMs, worker);
                     });
    job->start();
  });
  if (future.wait_for(std::chrono::milliseconds(waitMs_)) != std::future_status::ready) return {};
  return future.get();
}

void KeyringVault::giveUp(const std::string& why, const char* line) {
  if (gone_.exchange(true)) return;
  // The reason comes from the keyring's service: any text at all.
  std::fprintf(stderr, line, printable(why).c_str());
}

bool KeyringVault::lockedAway(const std::string& name) const {
  // A locked keyring answers "not found" for what it holds; its service still lists the
  // entry among the locked ones.
  const QDBusMessage reply =
      QDBusConnection::sessionBus().call(searchItems(name), QDBus::Block, waitMs_);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2) return false;
  return !qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().at(1)).isEmpty();
}

Lookup<std::string> KeyringVault::read(const std::string& name) {
  const Answer answer = run(Kind::Read, name);
  if (answer.answered && answer.error == QKeychain::NoError) return answer.text;
  std::string why = answer.answered ? answer.reason : noAnswerText(waitMs_);
  if (answer.answered && answer.error == QKeychain::EntryNotFound) {
    if (!lockedAway(name)) return std::nullopt;
    why = "the keyring is locked";
  }
  giveUp(why, kFailedReadLine);
  return Lookup<std::string>::failure(why);
}

bool KeyringVault::write(const std::string& name, const std::string& value) {
  const Answer answer = run(Kind::Write, name, value);
  if (answer.answered && answer.error == QKeychain::NoError) return true;
  giveUp(answer.answered ? answer.reason : noAnswerText(waitMs_));
  return false;
}

bool KeyringVault::erase(const std::string& name) {
  const Answer answer = run(Kind::Erase, name);
  if (answer.answered &&
      (answer.error == QKeychain::NoError || answer.error == QKeychain::EntryNotFound))
    return true;
  giveUp(answer.answered ? answer.reason : noAnswerText(waitMs_));
  return false;
}

}  // namespace platform
