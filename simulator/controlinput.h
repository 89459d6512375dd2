#pragma once
// The arguments of a control call, from a JSON object body or from form fields (body or
// query), read the same way.
#include <cstdint>
#include <optional>
#include <string>

#include "incomingrequest.h"
#include "jsonvalue.h"

namespace sim {

class ControlInput {
 public:
  // nullopt with a reason when a JSON body cannot be read or is not an object.
  static std::optional<ControlInput> from(const IncomingRequest& in, std::string& error);

  bool has(const std::string& name) const;
  // Texts as given; numbers in decimal; true/false as "1"/"0".
  std::optional<std::string> text(const std::string& name) const;
  // Numbers, or texts that are all digits (with an optional minus).
  std::optional<int64_t> integer(const std::string& name) const;
  // true/false, 1/0, "true"/"false", "on"/"off", "yes"/"no".
  std::optional<bool> flag(const std::string& name) const;

 private:
  JsonValue object_ = JsonValue::object();
};

}  // namespace sim
