#pragma once
// A keyring in memory, at the settings store's seam: it answers, or fails the way a desktop
// keyring does (no answer in time, locked, refused), on the operations a test chooses.
#include <map>
#include <string>

#include "platform/secretvault.h"

namespace testsupport {

class FakeVault : public platform::SecretVault {
 public:
  std::map<std::string, std::string> values;
  int writesBeforeFailure = -1;  // -1: never fails
  bool readsFail = false;
  std::string readFailure = "locked";  // the reason a failing read gives
  bool erasesFail = false;
  int reads = 0;

  platform::Lookup<std::string> read(const std::string& name) override {
    ++reads;
    if (readsFail) return platform::Lookup<std::string>::failure(readFailure);
    const auto found = values.find(name);
    if (found == values.end()) return std::nullopt;
    return found->second;
  }
  bool write(const std::string& name, const std::string& value) override {
    if (writesBeforeFailure == 0) return false;
    if (writesBeforeFailure > 0) --writesBeforeFailure;
    values[name] = value;
    return true;
  }
  bool erase(const std::string& name) override {
    if (erasesFail) return false;
    values.erase(name);
    return true;
  }
};

}  // namespace testsupport
