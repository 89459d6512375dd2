#include "namesindex.h"

#include <algorithm>

#include "friends/recordtext.h"

namespace ui {

NamesIndex::NamesIndex(std::vector<std::string> lines) {
  std::vector<std::string> entries;
  std::vector<std::string> fields;
  entries.reserve(lines.size());
  for (const std::string& line : lines) {
    if (!friends::splitRecord(line, 3, fields)) continue;
    entries.push_back(fields[0] + friends::kFieldEnd + fields[2] + friends::kFieldEnd);
  }
  std::sort(entries.begin(), entries.end());
  for (const std::string& entry : entries) {
    const std::size_t star = entry.find(friends::kFieldEnd);
    names_.emplace(entry.substr(0, star), entry.substr(star + 1, entry.size() - star - 2));
  }
}

std::optional<std::string> NamesIndex::nameOf(const std::string& uid) const {
  const auto found = names_.find(uid);
  if (found == names_.end()) return std::nullopt;
  return found->second;
}

}  // namespace ui
