#include "platform/networkpath.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/connectionkeeper.h"

using namespace std::chrono_literals;

namespace {

struct UrlCase {
  const char* url;
  bool valid;
  const char* host;
  const char* port;
};

const UrlCase kUrls[] = {
    {"http://m.example.com", true, "m.example.com", "80"},
    {"http://127.0.0.1:8080/home.php?x=1", true, "127.0.0.1", "8080"},
    {"https://secure.example.com/", true, "secure.example.com", "443"},
    {"HTTP://user:pw@host.example:81#frag", true, "host.example", "81"},
    {"http://host?query", true, "host", "80"},
    {"http://[::1]:9000/", true, "::1", "9000"},
    {"http://[fe80::1]/", true, "fe80::1", "80"},
    {"http://host:/", true, "host", "80"},
    {"", false, "", ""},
    {"m.example.com/home.php", false, "", ""},
    {"http://", false, "", ""},
    {"http:///path", false, "", ""},
    {"http://:80/", false, "", ""},
    {"http://host:99999/", false, "", ""},
    {"http://host:0/", false, "", ""},
    {"http://host:8o/", false, "", ""},
    {"http://[::1/", false, "", ""},
    {"http://ho st/", false, "", ""},
    {"ht tp://host/", false, "", ""},
};

class UrlHost : public testing::TestWithParam<UrlCase> {};

TEST_P(UrlHost, Parsed) {
  const auto& c = GetParam();
  const auto parsed = platform::parseUrlHost(c.url);
  ASSERT_EQ(parsed.has_value(), c.valid) << c.url;
  if (!parsed) return;
  EXPECT_EQ(parsed->host, c.host) << c.url;
  EXPECT_EQ(parsed->port, c.port) << c.url;
}

INSTANTIATE_TEST_SUITE_P(Table, UrlHost, testing::ValuesIn(kUrls));

template <typename F>
std::chrono::milliseconds timed(F&& f) {
  const auto begin = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               begin);
}

TEST(NetworkPath, LoopbackHasAPath) {
  EXPECT_EQ(platform::checkNetworkPath("http://127.0.0.1:8080/"), platform::kPathExists);
  EXPECT_EQ(platform::checkNetworkPath("http://127.0.0.1"), platform::kPathExists);
  EXPECT_EQ(platform::checkNetworkPath("http://localhost:9/home.php"), platform::kPathExists);
}

TEST(NetworkPath, MalformedAddressHasNoPath) {
  for (const char* url : {"", "not a url", "http://", "http://:8080/"}) {
    EXPECT_EQ(platform::checkNetworkPath(url), platform::kPathBadAddress) << url;
  }
}

TEST(NetworkPath, UnresolvableHostFailsWithinTheDeadline) {
  long result = 0;
  const auto took =
      timed([&] { result = platform::checkNetworkPath("http://no-such-host.invalid/"); });
  EXPECT_NE(result, platform::kPathExists);
  EXPECT_LT(took, 1500ms);
}

TEST(NetworkPath, HangingResolverGivesEFailAfter400ms) {
  const platform::HostResolver hanging = [](const std::string&, const std::string&) {
    std::this_thread::sleep_for(1500ms);
    return std::vector<platform::ResolvedAddress>{};
  };
  long result = 0;
  const auto took = timed([&] {
    result =
        platform::checkNetworkPath("http://slow.example/", hanging, platform::kPathTestDeadline);
  });
  EXPECT_EQ(result, platform::kPathTimedOut);
  EXPECT_EQ(result, 0x80004005L);
  EXPECT_GE(took, 390ms);
  EXPECT_LT(took, 1200ms);
}

TEST(NetworkPath, ResolverSeesHostAndPortAndNoAddressMeansNoPath) {
  std::string seenHost, seenPort;
  const platform::HostResolver empty = [&](const std::string& host, const std::string& port) {
    seenHost = host;
    seenPort = port;
    return std::vector<platform::ResolvedAddress>{};
  };
  EXPECT_EQ(platform::checkNetworkPath("https://m.example.com/x", empty, 2000ms),
            platform::kNoPath);
  EXPECT_EQ(seenHost, "m.example.com");
  EXPECT_EQ(seenPort, "443");
}

}  // namespace
