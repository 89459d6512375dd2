#pragma once
// The transfers of the sponsored ad: the ad requests to the ad server and the client-address
// request to the product site.
#include <string>

#include "news/adtext.h"

namespace news {

// The ad request asks for the client address first when it holds fewer characters than
// this; the notifications window does so on opening below kWindowAddressBelow.
inline constexpr std::size_t kRequestAddressBelow = 4;
inline constexpr std::size_t kWindowAddressBelow = 10;
inline constexpr long kAdRequestSeconds = 5;
inline constexpr long kAddressRequestSeconds = 15;
inline constexpr int kMaxAdRequests = 2;

class AdFetcher {
 public:
  // `adRoot` and `siteRoot` are the ad server's and the product site's root addresses.
  AdFetcher(AdState& ad, std::string adRoot, std::string siteRoot);

  // Up to two ad requests, each answer walked on its own; the link and text change together,
  // when an answer gives both.
  void fetchAd(const std::string& tag);
  // GET of "/verify/ip.php": the client address when the answer holds one, else empty.
  void fetchClientAddress();
  // The window's opening rule.
  void fetchClientAddressIfShort();

  const AdState& ad() const { return ad_; }

 private:
  void requestOnce(const std::string& tag, std::string& answer);

  AdState& ad_;
  std::string adRoot_;
  std::string siteRoot_;
  // An address request that failed is not repeated before the next fetchAd has run: one
  // attempt per poll, not one per request, as each may take 15 seconds.
  bool addressTried_ = false;
};

}  // namespace news
