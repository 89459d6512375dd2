#include "news/newslist.h"

namespace news {

void NewsList::addSection(const char* header, const std::vector<std::string>& items) {
  entries.emplace_back(kSectionSeparator);
  entries.emplace_back(header);
  entries.insert(entries.end(), items.begin(), items.end());
  ++kinds;
}

}  // namespace news
