#include "simulator/control/controlinput.h"

#include <charconv>
#include <cmath>

namespace sim {
namespace {

// Deeper bodies are refused: no control call needs more than a list of objects.
constexpr int kMaxJsonDepth = 32;

std::optional<int64_t> integerOf(const Json& v) {
  if (v.is_number_integer()) {
    if (v.is_number_unsigned() && v.get<uint64_t>() > static_cast<uint64_t>(INT64_MAX))
      return std::nullopt;
    return v.get<int64_t>();
  }
  if (v.is_number_float()) {
    const double d = v.get<double>();
    if (std::floor(d) == d && std::fabs(d) < 9.0e15) return static_cast<int64_t>(d);
    return std::nullopt;
  }
  if (!v.is_string()) return std::nullopt;
  const std::string& s = v.get_ref<const std::string&>();
  int64_t n = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
  if (s.empty() || ec != std::errc() || ptr != s.data() + s.size()) return std::nullopt;
  return n;
}

}  // namespace

std::optional<ControlInput> ControlInput::fromJson(const std::string& body, std::string& error) {
  bool tooDeep = false;
  const Json::parser_callback_t limitDepth = [&](int depth, Json::parse_event_t, Json&) {
    if (depth > kMaxJsonDepth) tooDeep = true;
    return !tooDeep;
  };
  ControlInput input;
  try {
    input.object_ = Json::parse(body, limitDepth);
  } catch (const Json::parse_error& e) {
    const std::string what = e.what();
    const size_t tag = what.find("] ");
    error = tag == std::string::npos ? what : what.substr(tag + 2);
    return std::nullopt;
  }
  if (tooDeep) {
    error = "nested too deeply";
    return std::nullopt;
  }
  if (!input.object_.is_object()) {
    error = "the body must be a JSON object";
    return std::nullopt;
  }
  return input;
}

std::optional<ControlInput> ControlInput::from(const IncomingRequest& in, std::string& error) {
  const bool read = in.httpMethod == "GET" || in.httpMethod == "HEAD";
  if (!read) {
    if (!in.body || in.body->empty()) return ControlInput{};
    return fromJson(*in.body, error);
  }
  ControlInput input;
  for (const FormField& f : in.queryFields)
    if (!input.object_.contains(f.name)) input.object_[f.name] = f.value;
  return input;
}

const Json* ControlInput::find(const std::string& name) const {
  const auto it = object_.find(name);
  return it == object_.end() ? nullptr : &*it;
}

bool ControlInput::has(const std::string& name) const {
  const Json* v = find(name);
  return v && !v->is_null();
}

bool ControlInput::isNull(const std::string& name) const {
  const Json* v = find(name);
  return v && v->is_null();
}

std::optional<std::string> ControlInput::text(const std::string& name) const {
  const Json* v = find(name);
  if (!v) return std::nullopt;
  if (v->is_string()) return v->get<std::string>();
  if (v->is_boolean()) return std::string(v->get<bool>() ? "1" : "0");
  if (const auto n = integerOf(*v); n && v->is_number()) return std::to_string(*n);
  if (v->is_number()) return dumpJson(*v);
  return std::nullopt;
}

std::optional<int64_t> ControlInput::integer(const std::string& name) const {
  const Json* v = find(name);
  return v ? integerOf(*v) : std::nullopt;
}

std::optional<double> ControlInput::number(const std::string& name) const {
  const Json* v = find(name);
  if (!v) return std::nullopt;
  if (v->is_number()) return v->get<double>();
  if (!v->is_string()) return std::nullopt;
  const std::string& s = v->get_ref<const std::string&>();
  double d = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
  if (s.empty() || ec != std::errc() || ptr != s.data() + s.size()) return std::nullopt;
  return d;
}

std::optional<bool> ControlInput::flag(const std::string& name) const {
  const Json* v = find(name);
  if (!v) return std::nullopt;
  if (v->is_boolean()) return v->get<bool>();
  if (v->is_number_integer()) return v->get<int64_t>() != 0;
  if (!v->is_string()) return std::nullopt;
  const std::string& s = v->get_ref<const std::string&>();
  if (s == "1" || s == "true" || s == "on" || s == "yes") return true;
  if (s == "0" || s == "false" || s == "off" || s == "no") return false;
  return std::nullopt;
}

std::optional<std::vector<std::string>> ControlInput::texts(const std::string& name) const {
  const Json* v = find(name);
  if (!v) return std::nullopt;
  std::vector<std::string> out;
  if (v->is_string()) {
    const std::string& s = v->get_ref<const std::string&>();
    size_t start = 0;
    while (start <= s.size()) {
      const size_t comma = std::min(s.find(',', start), s.size());
      if (comma > start) out.push_back(s.substr(start, comma - start));
      start = comma + 1;
    }
    return out;
  }
  if (!v->is_array()) return std::nullopt;
  for (const Json& item : *v) {
    if (!item.is_string()) return std::nullopt;
    out.push_back(item.get<std::string>());
  }
  return out;
}

}  // namespace sim
