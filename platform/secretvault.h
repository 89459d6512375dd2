#pragma once
// Where the session's key and secret live when the desktop has a keyring. The settings store
// hands those two values to a vault it is given and keeps every other value itself.
#include <string>

#include "platform/settingsstore.h"

namespace platform {

class SecretVault {
 public:
  virtual ~SecretVault() = default;
  // Found, absent, or failed when the vault did not answer.
  virtual Lookup<std::string> read(const std::string& name) = 0;
  virtual bool write(const std::string& name, const std::string& value) = 0;
  // True also when there was nothing to remove.
  virtual bool erase(const std::string& name) = 0;
};

}  // namespace platform
