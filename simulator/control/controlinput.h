#pragma once
// The arguments of a control call: a change's JSON object body, or a read's query fields,
// read the same way.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simulator/control/json.h"
#include "simulator/http/incomingrequest.h"

namespace sim {

class ControlInput {
 public:
  // A POST's JSON body (an empty one is {}), a GET's query; the caller checked the type.
  // nullopt with a reason when a JSON body cannot be read or is not an object.
  static std::optional<ControlInput> from(const IncomingRequest& in, std::string& error);
  static std::optional<ControlInput> fromJson(const std::string& body, std::string& error);

  // Present and not null.
  bool has(const std::string& name) const;
  // Given as JSON null: a field reset to its default.
  bool isNull(const std::string& name) const;
  // Texts as given; numbers in decimal; true/false as "1"/"0".
  std::optional<std::string> text(const std::string& name) const;
  // Numbers, or texts that are all digits (with an optional minus).
  std::optional<int64_t> integer(const std::string& name) const;
  // Any number, or a text that is one.
  std::optional<double> number(const std::string& name) const;
  // true/false, 1/0, "true"/"false", "on"/"off", "yes"/"no".
  std::optional<bool> flag(const std::string& name) const;
  // An array of texts, or one text holding a comma list (as a form field gives it).
  std::optional<std::vector<std::string>> texts(const std::string& name) const;

 private:
  const Json* find(const std::string& name) const;

  Json object_ = Json::object();
};

}  // namespace sim
