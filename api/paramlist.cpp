#include "paramlist.h"

#include <algorithm>

namespace api {

void ParamList::add(std::string_view name, std::string_view value) {
  std::string entry;
  entry.reserve(name.size() + 1 + value.size());
  entry.append(name).append("=").append(value);
  entries_.push_back(std::move(entry));
}

std::vector<std::string> ParamList::sortedEntries() const {
  // std::char_traits<char> compares as unsigned char, and a prefix compares less: exactly
  // the order the server recomputes the signature in.
  std::vector<std::string> sorted = entries_;
  std::stable_sort(sorted.begin(), sorted.end());
  return sorted;
}

}  // namespace api
