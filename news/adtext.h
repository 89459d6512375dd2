#pragma once
// The sponsored ad's texts: the request body, the request tag, the link and text pulled out
// of an answer, the line the ad button shows, and which links may be opened.
#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace news {

// The ad values that live for the program's run.
struct AdState {
  std::string link;
  std::string text;
  std::string clientAddress;  // an IP literal, or empty
  std::string gender;         // nothing sets it: requests carry the default
};

inline constexpr const char* kPublisherId = "a7305518264c9de";
inline constexpr const char* kUserAgentField =
    "u=Mozilla%2F4.0+%28compatible%3B+MSIE+6.0%3B+Windows+CE%3B+IEMobile+7.11%29";
inline constexpr const char* kCreditLine = "Brought to you by Corvanta, Inc.";
// How much of an answer the token walk reads.
inline constexpr std::size_t kAdAnswerWindow = 1499;
// The longest ad text the button shows, in characters.
inline constexpr std::size_t kMaxAdLineCharacters = 100;

// Hour, day of the month, month and year, one after another without separators or zeros.
std::string adRequestTag(const std::tm& local);

// The form body of one ad request. The client address goes in only when it is longer than
// 4 characters.
std::string adRequestBody(const AdState& ad, const std::string& tag);

// Walks the tokens of the answer's first kAdAnswerWindow bytes: markup is skipped, a token
// naming an address becomes the link, the first plain token after a link the text. Link and
// text are replaced together; an answer lacking either leaves both as they were.
void walkAdTokens(std::string_view answer, AdState& ad);

// True when the ad needs no second request.
bool adComplete(const AdState& ad);

// The client address in the body of the product site's answer: the trimmed text when it is
// an IPv4 or IPv6 literal, else nullopt (an error page or a proxy's text is not an address).
std::optional<std::string> clientAddressFrom(std::string_view body);

// What the ad button shows: the credit line for a text shorter than 3 characters or a link
// openableAdLink refuses. Runs of non-ASCII bytes in the ad text become one apostrophe
// each; the text keeps that form.
struct AdLine {
  bool credit = false;  // the credit line stands in for an ad
  std::string text;
};
AdLine adLine(AdState& ad);

// The address the browser opens for the ad link: an http or https address as it is, a
// "www." host name as "http://" + the link; nullopt for anything else (no other scheme,
// no host, no control characters or blanks).
std::optional<std::string> openableAdLink(std::string_view link);

}  // namespace news
