#pragma once
// The parameters of one REST call: ordered 8-bit "name=value" entries, kept exactly as given
// (no URL encoding, no character-set conversion). The signature is computed over these raw
// entries; only the form body encodes the values on the way out.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace api {

class ParamList {
 public:
  ParamList() = default;
  ParamList(std::initializer_list<std::string> entries) : entries_(entries) {}

  // Appends one whole entry, for example "query=" + an FQL text.
  void add(std::string entry) { entries_.push_back(std::move(entry)); }
  // Appends name "=" value.
  void add(std::string_view name, std::string_view value);

  const std::vector<std::string>& entries() const { return entries_; }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }

  // The entries in ascending order of their whole text, compared byte by byte as unsigned
  // values (a prefix sorts first): the order of both the signature and the body.
  std::vector<std::string> sortedEntries() const;

 private:
  std::vector<std::string> entries_;
};

}  // namespace api
