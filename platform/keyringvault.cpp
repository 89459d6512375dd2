#include "platform/keyringvault.h"

#include <qt6keychain/keychain.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <cstdio>
#include <future>

#include "platform/terminaltext.h"

namespace platform {
namespace {

constexpr const char* kService = "Veltrana";
// A name nothing is stored under: reading it tells whether a keyring answers at all.
constexpr const char* kProbeName = "Veltrana_probe";

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

std::unique_ptr<KeyringVault> KeyringVault::open(int waitMs) {
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
  vault->giveUp(probe.answered ? probe.reason
                               : "no answer within " + std::to_string(waitMs / 1000) + " s");
  return nullptr;
}

KeyringVault::Answer KeyringVault::run(Kind kind, const std::string& name,
                                       const std::string& value) {
  if (gone_) return {};
  auto promise = std::make_shared<std::promise<Answer>>();
  std::future<Answer> future = promise->get_future();
  const QString key = QString::fromStdString(name);
  const QString text = QString::fromStdString(value);
  QMetaObject::invokeMethod(worker_, [kind, key, text, promise] {
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
    QObject::connect(job, &QKeychain::Job::finished, [promise](QKeychain::Job* done) {
      Answer answer;
      answer.answered = true;
      answer.error = done->error();
      answer.reason = done->errorString().toStdString();
      if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(done))
        answer.text = read->textData().toStdString();
      promise->set_value(std::move(answer));
    });
    job->start();
  });
  if (future.wait_for(std::chrono::milliseconds(waitMs_)) != std::future_status::ready) return {};
  return future.get();
}

void KeyringVault::giveUp(const std::string& why) {
  if (gone_.exchange(true)) return;
  std::fprintf(stderr, "No desktop keyring (%s): the session is kept in the settings store.\n",
               printable(why).c_str());
}

Lookup<std::string> KeyringVault::read(const std::string& name) {
  const Answer answer = run(Kind::Read, name);
  if (answer.answered && answer.error == QKeychain::NoError) return answer.text;
  if (answer.answered && answer.error == QKeychain::EntryNotFound) return std::nullopt;
  giveUp(answer.answered ? answer.reason : "no answer");
  return Lookup<std::string>::failure(answer.answered ? answer.reason : "no answer");
}

bool KeyringVault::write(const std::string& name, const std::string& value) {
  const Answer answer = run(Kind::Write, name, value);
  if (answer.answered && answer.error == QKeychain::NoError) return true;
  giveUp(answer.answered ? answer.reason : "no answer");
  return false;
}

bool KeyringVault::erase(const std::string& name) {
  const Answer answer = run(Kind::Erase, name);
  if (answer.answered &&
      (answer.error == QKeychain::NoError || answer.error == QKeychain::EntryNotFound))
    return true;
  giveUp(answer.answered ? answer.reason : "no answer");
  return false;
}

}  // namespace platform
