#pragma once
// The ad server: every request gets the next text ad of a fixed rotation, as an HTML fragment
// with one link and one text, some texts with non-ASCII letters.
#include <atomic>
#include <optional>
#include <string>

namespace sim {

class AdServer {
 public:
  // The fragment of the next ad; its link points to a landing page under `baseUrl`.
  std::string nextAd(const std::string& baseUrl);
  // The landing page of ad `index` (the path "/ads/<index>.php"), or nullopt.
  static std::optional<std::string> landingPage(int index);
  static int adCount();

 private:
  std::atomic<unsigned> next_{0};
};

}  // namespace sim
