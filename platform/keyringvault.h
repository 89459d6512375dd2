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
  // says why. Without a keyring (no session bus, no Secret Service on it) the settings store
  // keeps the session; a keyring that is there but fails (no answer within the wait, a
  // refused or locked keyring) may hold it, and `failure` says why none can be read.
  static std::unique_ptr<KeyringVault> open(int waitMs = kDefaultWaitMs,
                                            std::string* failure = nullptr);
  ~KeyringVault() override;

  Lookup<std::string> read(const std::string& name) override;
  bool write(const std::string& name, const std::string& value) override;
  bool erase(const std::string& name) override;

 private:
  struct Answer;
  enum class Kind { Read, Write, Erase };
  explicit KeyringVault(int waitMs);
  Answer run(Kind kind, const std::string& name, const std::string& value = {});
  // Whether an entry the keyring says it lacks is there but locked away.
  bool lockedAway(const std::string& name) const;
  // A keyring that failed once is not asked again in this run. `line`: what standard error
  // is told, with the reason in place of %s.
  void giveUp(const std::string& why, const char* line = kKeptInStoreLine);
  static constexpr const char* kKeptInStoreLine =
      "No desktop keyring (%s): the session is kept in the settings store.\n";

  int waitMs_;
  // Set by whichever thread finds the keyring silent.
  std::atomic<bool> gone_{false};
  // The jobs run on a thread of their own: a caller waits a bounded time for the answer and
  // no nested event loop runs timers or boxes meanwhile.
  std::unique_ptr<QThread> thread_;
  QObject* worker_ = nullptr;  // lives on thread_
};

}  // namespace platform
