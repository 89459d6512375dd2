#pragma once
// One name=value pair of a request, decoded, in the order it arrived.
#include <string>
#include <vector>

namespace sim {

struct FormField {
  std::string name;
  std::string value;
};

using FormFields = std::vector<FormField>;

// The value of the first field with this name, or nullptr.
inline const std::string* findField(const FormFields& fields, const std::string& name) {
  for (const FormField& f : fields)
    if (f.name == name) return &f.value;
  return nullptr;
}

}  // namespace sim
