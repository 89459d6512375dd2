#pragma once
// The friends' names by uid, from the lines of bf.txt (uid, "*", a field, "*", name, "*"
// ...). Looked up by the whole uid, so a change whose friend is missing cannot throw the
// lookup of the next one off.
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ui {

class NamesIndex {
 public:
  // The lines of bf.txt in any order; for a uid listed twice the first in byte order wins.
  explicit NamesIndex(const std::vector<std::string>& lines);

  std::optional<std::string> nameOf(const std::string& uid) const;
  std::size_t size() const { return names_.size(); }

 private:
  std::map<std::string, std::string, std::less<>> names_;
};

}  // namespace ui
