#include "simulator/site/adserver.h"

#include <array>
#include <string_view>

#include "simulator/site/html.h"

namespace sim {
namespace {

struct Ad {
  std::string_view text;
  std::string_view landing;
};

constexpr std::array<Ad, 6> kAds = {{
    {"Fresh coffee delivered to your desk", "Order before 10 and the first cup is free."},
    {"Günstige Flüge nach München", "Jeden Tag günstige Flüge in die Landeshauptstadt."},
    {"Découvrez nos crêpes fraîches", "Crêpes, galettes et cidre, tous les jours."},
    {"Learn Linux in 30 days", "A friendly course for beginners and the curious."},
    {"Señor Taco: 2 for 1 tonight", "Tacos al pastor, horchata y más."},
    {"Phone plans from $19 a month", "Unlimited texts, no contract."},
}};

}  // namespace

int AdServer::adCount() { return static_cast<int>(kAds.size()); }

std::string AdServer::nextAd(const std::string& baseUrl) {
  const unsigned index = next_.fetch_add(1) % kAds.size();
  std::string out = "<div class=\"ad\"><a href=\"";
  out += baseUrl + "/ads/" + std::to_string(index) + ".php";
  out += "\">";
  out += Html::escape(kAds[index].text);
  out += "</a></div>\n";
  return out;
}

std::optional<std::string> AdServer::landingPage(int index) {
  if (index < 0 || index >= adCount()) return std::nullopt;
  const Ad& ad = kAds[static_cast<size_t>(index)];
  return Html::page(ad.text, "<p>" + Html::escape(ad.landing) + "</p>");
}

}  // namespace sim
