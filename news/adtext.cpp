#include "news/adtext.h"

#include <arpa/inet.h>

#include <cctype>

#include "api/formbody.h"
#include "news/utf8text.h"

namespace news {
namespace {

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

}  // namespace

std::string adRequestTag(const std::tm& local) {
  return std::to_string(local.tm_hour) + std::to_string(local.tm_mday) +
         std::to_string(local.tm_mon + 1) + std::to_string(local.tm_year + 1900);
}

std::string adRequestBody(const AdState& ad, const std::string& tag) {
  // Appended piece by piece: GCC 12 takes a chain of + on a short string for an overflow.
  std::string body = "s=";
  body += kPublisherId;
  body += "&e=UTF-8&f=html&y=text&d%5Bac%5D=";
  if (ad.clientAddress.size() > 4) body += "&i=" + api::percentEncode(ad.clientAddress);
  body += "&d%5Bgender%5D=";
  body += ad.gender.empty() ? std::string("m") : api::percentEncode(firstCharacters(ad.gender, 1));
  body += "&t=" + api::percentEncode(tag);
  body += "&v=Veltranav1&";
  body += kUserAgentField;
  return body;
}

void walkAdTokens(std::string_view answer, AdState& ad) {
  const std::string_view window = prefixWithin(answer, kAdAnswerWindow);
  std::string_view link;
  std::size_t at = 0;
  while (at < window.size()) {
    const std::size_t start = window.find_first_not_of("<>\"", at);
    if (start == std::string_view::npos) break;
    std::size_t end = window.find_first_of("<>\"", start);
    if (end == std::string_view::npos) end = window.size();
    const std::string_view token = window.substr(start, end - start);
    at = end;
    if (contains(token, "href=") || contains(token, "//a")) continue;
    if (contains(token, "http") || contains(token, "www")) {
      link = token;
    } else if (!link.empty()) {
      // Only together: a new link beside the old ad's text would open another ad's page.
      ad.link = std::string(link);
      ad.text = std::string(token);
      return;
    }
  }
}

bool adComplete(const AdState& ad) {
  return characterCount(ad.text) >= 4 && characterCount(ad.link) > 3;
}

std::optional<std::string> clientAddressFrom(std::string_view body) {
  const std::string text(trimmed(body));
  if (text.empty() || text.size() > INET6_ADDRSTRLEN) return std::nullopt;
  unsigned char address[sizeof(in6_addr)];
  if (inet_pton(AF_INET, text.c_str(), address) == 1 ||
      inet_pton(AF_INET6, text.c_str(), address) == 1)
    return text;
  return std::nullopt;
}

AdLine adLine(AdState& ad) {
  // A link the browser is not given would leave a button that does nothing.
  if (characterCount(ad.text) < 3 || !openableAdLink(ad.link)) return {true, kCreditLine};
  std::string plain;
  bool inRun = false;
  for (char c : ad.text) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      if (!inRun) plain.push_back('\'');
      inRun = true;
    } else {
      plain.push_back(c);
      inRun = false;
    }
  }
  ad.text = plain;
  return {false, plain.substr(0, kMaxAdLineCharacters)};
}

std::optional<std::string> openableAdLink(std::string_view link) {
  for (char c : link)
    if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F) return std::nullopt;
  // After the scheme (or the bare "www." the walk also takes for a link) a host must follow.
  const auto hostFollows = [link](std::size_t at) {
    return at < link.size() && link[at] != '/' && link[at] != '?' && link[at] != '#';
  };
  for (const std::string_view scheme : {"http://", "https://"})
    if (startsWithNoCase(link, scheme))
      return hostFollows(scheme.size()) ? std::optional<std::string>(link) : std::nullopt;
  if (startsWithNoCase(link, "www.") && hostFollows(4)) return "http://" + std::string(link);
  return std::nullopt;
}

}  // namespace news
