#pragma once
// The text of a reminder, built from a poll's news list: the headers, each with the first
// name of its section and a "..." line where space allows; only the headers when all five
// kinds of news are there.
#include <cstddef>
#include <string>

#include "news/newslist.h"

namespace news {

// The reminder's length limit in characters.
inline constexpr std::size_t kMaxReminderCharacters = 500;

std::string reminderBody(const NewsList& news);

}  // namespace news
