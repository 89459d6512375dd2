#include "news/adfetcher.h"

#include "api/timedfetch.h"

namespace news {
namespace {

constexpr const char* kAdPath = "/ad_source.php";
constexpr const char* kAddressPath = "/verify/ip.php";
// The token walk reads 1,499 bytes; an address is a few dozen.
constexpr std::size_t kMaxAdAnswer = 64u << 10;
constexpr std::size_t kMaxAddressAnswer = 4u << 10;

}  // namespace

AdFetcher::AdFetcher(AdState& ad, std::string adRoot, std::string siteRoot)
    : ad_(ad), adRoot_(std::move(adRoot)), siteRoot_(std::move(siteRoot)) {}

void AdFetcher::fetchClientAddress() {
  addressTried_ = true;
  std::string answer;
  api::timedGet(siteRoot_ + kAddressPath,
                {kAddressRequestSeconds, kAddressRequestSeconds, kMaxAddressAnswer}, answer);
  ad_.clientAddress = clientAddressFrom(answer).value_or("");
}

void AdFetcher::fetchClientAddressIfShort() {
  if (ad_.clientAddress.size() < kWindowAddressBelow) fetchClientAddress();
}

void AdFetcher::requestOnce(const std::string& tag, std::string& answer) {
  if (ad_.clientAddress.size() < kRequestAddressBelow && !addressTried_) fetchClientAddress();
  api::timedFormPost(adRoot_ + kAdPath, adRequestBody(ad_, tag),
                     {kAdRequestSeconds, kAdRequestSeconds, kMaxAdAnswer}, answer);
}

void AdFetcher::fetchAd(const std::string& tag) {
  // Judged by what this fetch found, so a failed request is tried again even while an older
  // ad is shown; the older ad stays where the answers give nothing new. Each answer is an ad
  // of its own: one cut after its link must not take its text from the next. The later
  // answer's pair wins, the first's stands when the second gives none.
  AdState found;
  for (int request = 0; request < kMaxAdRequests; ++request) {
    std::string answer;
    requestOnce(tag, answer);
    AdState walked;
    walkAdTokens(answer, walked);
    if (!walked.link.empty() && !walked.text.empty()) found = walked;
    if (adComplete(walked)) break;
  }
  // The walk gives both or neither: the old ad stays whole.
  if (!found.link.empty() && !found.text.empty()) {
    ad_.link = found.link;
    ad_.text = found.text;
  }
  addressTried_ = false;
}

}  // namespace news
