#pragma once
// The session's key and secret in the desktop's Secret Service, through QtKeychain.
#include <atomic>
#include <memory>
#include <string>

#include "platform/secretvault.h"

class QThread;
class QObject;

namespace platform {

class KeyringVault : public SecretVault {
 public:
  // The longest a caller waits for one keyring answer (an unlock prompt included).
  static constexpr int kDefaultWaitMs = 10'000;

  // A vault when a keyring answers, else nullptr after one line on standard error that
  // says why the settings store keeps the session.
  static std::unique_ptr<KeyringVault> open(int waitMs = kDefaultWaitMs);
  ~KeyringVault() override;

  Lookup<std::string> read(const std::string& name) override;
  bool write(const std::string& name, const std::string& value) override;
  bool erase(const std::string& name) override;

 private:
  struct Answer;
  enum class Kind { Read, Write, Erase };
  explicit KeyringVault(int waitMs);
  Answer run(Kind kind, const std::string& name, const std::string& value = {});
  // A keyring that failed once is not asked again in this run.
  void giveUp(const std::string& why);

  int waitMs_;
  // Set by whichever thread finds the keyring silent.
  std::atomic<bool> gone_{false};
  // The jobs run on a thread of their own: a caller waits a bounded time for the answer and
  // no nested event loop runs timers or boxes meanwhile.
  std::unique_ptr<QThread> thread_;
  QObject* worker_ = nullptr;  // lives on thread_
};

}  // namespace platform
