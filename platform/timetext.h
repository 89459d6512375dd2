#pragma once
// Time text: local time as month "/" day "/" year, two blanks, hour ":" minute, numbers
// without leading zeros ("12/25/2009  0:7").
#include <ctime>
#include <string>

namespace platform {

std::string formatTimeText(const std::tm& localTime);
std::string formatTimeTextNow();

}  // namespace platform
