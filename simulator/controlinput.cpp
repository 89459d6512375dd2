#include "controlinput.h"

#include <charconv>

namespace sim {

std::optional<ControlInput> ControlInput::from(const IncomingRequest& in, std::string& error) {
  ControlInput input;
  if (in.isJson && in.body && !in.body->empty()) {
    auto parsed = JsonValue::parse(*in.body, &error);
    if (!parsed) return std::nullopt;
    if (parsed->type() != JsonValue::Type::Object) {
      error = "the body must be a JSON object";
      return std::nullopt;
    }
    input.object_ = std::move(*parsed);
  }
  // Form fields and query fields fill in what the JSON body does not say.
  for (const FormFields* fields : {&in.bodyFields, &in.queryFields})
    for (const FormField& f : *fields)
      if (!input.object_.find(f.name)) input.object_.set(f.name, JsonValue(f.value));
  return input;
}

bool ControlInput::has(const std::string& name) const {
  const JsonValue* v = object_.find(name);
  return v && !v->isNull();
}

std::optional<std::string> ControlInput::text(const std::string& name) const {
  const JsonValue* v = object_.find(name);
  if (!v) return std::nullopt;
  switch (v->type()) {
    case JsonValue::Type::String:
      return v->asString();
    case JsonValue::Type::Bool:
      return std::string(v->asBool() ? "1" : "0");
    case JsonValue::Type::Number:
      return v->dump();
    default:
      return std::nullopt;
  }
}

std::optional<int64_t> ControlInput::integer(const std::string& name) const {
  const JsonValue* v = object_.find(name);
  if (!v) return std::nullopt;
  if (v->isInteger()) return v->asInt();
  if (v->type() != JsonValue::Type::String || v->asString().empty()) return std::nullopt;
  const std::string& s = v->asString();
  int64_t n = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
  if (ec != std::errc() || ptr != s.data() + s.size()) return std::nullopt;
  return n;
}

std::optional<bool> ControlInput::flag(const std::string& name) const {
  const JsonValue* v = object_.find(name);
  if (!v) return std::nullopt;
  if (v->type() == JsonValue::Type::Bool) return v->asBool();
  if (v->isInteger()) return v->asInt() != 0;
  if (v->type() != JsonValue::Type::String) return std::nullopt;
  const std::string& s = v->asString();
  if (s == "1" || s == "true" || s == "on" || s == "yes") return true;
  if (s == "0" || s == "false" || s == "off" || s == "no") return false;
  return std::nullopt;
}

}  // namespace sim
