// The ad transfers against a local server: the client-address request and its thresholds,
// at most two ad requests with each answer walked on its own, only 2xx answers read, redirects
// followed over http only.
#include <gtest/gtest.h>
#include <httplib.h>

#include <deque>
#include <mutex>
#include <thread>

#include "news/adfetcher.h"

namespace {

struct Reply {
  int status = 200;
  std::string body;
};

// The product site and the ad server in one: answers are taken from queues, and every
// request is noted ("GET /verify/ip.php", "POST /ad_source.php <body>").
class AdSite {
 public:
  AdSite() {
    server_.Get("/verify/ip.php", [this](const httplib::Request&, httplib::Response& res) {
      serve("GET /verify/ip.php", addresses_, res);
    });
    server_.Post("/ad_source.php", [this](const httplib::Request& req, httplib::Response& res) {
      serve("POST /ad_source.php " + req.body, ads_, res);
    });
    // Ad servers under "/moved" and "/to-file" send the request on elsewhere.
    server_.Post("/moved/ad_source.php", [](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("/ad_source.php", 307);
    });
    server_.Post("/to-file/ad_source.php", [](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("file:///etc/hostname", 302);
      res.set_content(R"(<a href="http://redirect.example">Redirect page</a>)", "text/html");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~AdSite() {
    server_.stop();
    thread_.join();
  }
  std::string root() const { return "http://127.0.0.1:" + std::to_string(port_); }
  void queueAd(Reply reply) { push(ads_, std::move(reply)); }
  void queueAddress(Reply reply) { push(addresses_, std::move(reply)); }
  std::vector<std::string> requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  void push(std::deque<Reply>& queue, Reply reply) {
    std::lock_guard lock(mutex_);
    queue.push_back(std::move(reply));
  }
  void serve(const std::string& note, std::deque<Reply>& queue, httplib::Response& res) {
    std::lock_guard lock(mutex_);
    requests_.push_back(note);
    Reply reply{404, ""};
    if (!queue.empty()) {
      reply = queue.front();
      queue.pop_front();
    }
    res.status = reply.status;
    res.set_content(reply.body, "text/html");
  }

  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::deque<Reply> ads_, addresses_;
  std::vector<std::string> requests_;
};

const std::string kAd = R"(<div class="ad"><a href="http://shop.example/1">Fresh coffee</a></div>)";

std::string adBody(const std::string& addressPiece) {
  return "POST /ad_source.php s=a7305518264c9de&e=UTF-8&f=html&y=text&d%5Bac%5D=" + addressPiece +
         "&d%5Bgender%5D=m&t=1712024&v=Veltranav1&u=Mozilla%2F4.0+%28compatible%3B+MSIE+6.0%3B+"
         "Windows+CE%3B+IEMobile+7.11%29";
}

TEST(AdFetch, AddressFirstThenOneRequestWhenTheAdIsWhole) {
  AdSite site;
  site.queueAddress({200, "127.0.0.1\n"});
  site.queueAd({200, kAd});
  news::AdState ad;
  news::AdFetcher(ad, site.root(), site.root()).fetchAd("1712024");
  EXPECT_EQ(site.requests(),
            (std::vector<std::string>{"GET /verify/ip.php", adBody("&i=127.0.0.1")}));
  EXPECT_EQ(ad.link, "http://shop.example/1");
  EXPECT_EQ(ad.text, "Fresh coffee");
  EXPECT_EQ(ad.clientAddress, "127.0.0.1");
}

TEST(AdFetch, ASecondRequestFollowsAnAnswerWithoutAWholeAd) {
  AdSite site;
  site.queueAddress({200, "198.51.100.23"});
  site.queueAd({200, R"(<a href="http://shop.example/2">)"});
  site.queueAd({200, R"(<a href="http://shop.example/3">Cheap flights</a>)"});
  news::AdState ad;
  news::AdFetcher fetcher(ad, site.root(), site.root());
  fetcher.fetchAd("1712024");
  EXPECT_EQ(site.requests().size(), 3u);
  EXPECT_EQ(ad.link, "http://shop.example/3");
  EXPECT_EQ(ad.text, "Cheap flights");
  // The address is long enough now: neither the ad request nor the window asks again.
  fetcher.fetchClientAddressIfShort();
  site.queueAd({200, kAd});
  fetcher.fetchAd("1712024");
  const auto requests = site.requests();
  EXPECT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests.back(), adBody("&i=198.51.100.23"));
}

TEST(AdFetch, ErrorPagesAreNoAdsAndTheOldAdStays) {
  AdSite site;
  site.queueAddress({502, "10.0.0.1"});
  site.queueAd({500, R"(<a href="http://error.example">Server error page</a>)"});
  site.queueAd({404, R"(<a href="http://missing.example">Not found page</a>)"});
  news::AdState ad{"http://old.example", "Old ad", "", ""};
  news::AdFetcher(ad, site.root(), site.root()).fetchAd("1712024");
  // A failed address request is made once per fetch, not once per ad request.
  EXPECT_EQ(site.requests(),
            (std::vector<std::string>{"GET /verify/ip.php", adBody(""), adBody("")}));
  EXPECT_EQ(ad.link, "http://old.example");
  EXPECT_EQ(ad.text, "Old ad");
  EXPECT_EQ(ad.clientAddress, "");
}

TEST(AdFetch, TheWindowAsksForAShortAddressAndTheFetchThenDoesNot) {
  AdSite site;
  site.queueAddress({200, "<html>not an address</html>"});
  site.queueAd({200, kAd});
  news::AdState ad;
  ad.clientAddress = "10.1.1.1";  // 8 characters: enough for a request, short for the window
  news::AdFetcher fetcher(ad, site.root(), site.root());
  fetcher.fetchClientAddressIfShort();
  EXPECT_EQ(ad.clientAddress, "");
  fetcher.fetchAd("1712024");
  EXPECT_EQ(site.requests(), (std::vector<std::string>{"GET /verify/ip.php", adBody("")}));
}

// Text and link are one ad, and each answer is one ad: an answer lacking either leaves the
// old pair as it was, and a first answer cut after its link takes nothing from the second.
TEST(AdFetch, AnAnswerReplacesTextAndLinkOnlyAsAPair) {
  const std::string linkOnly = R"(<a href="http://new.example/x">)";
  const struct {
    const char* what;
    std::vector<Reply> answers;
    std::string link, text;
  } cases[] = {
      {"a link and no text, twice",
       {{200, linkOnly}, {200, linkOnly}},
       "http://old.example",
       "Old ad"},
      {"a link, then an error page",
       {{200, linkOnly}, {500, "Bad gateway"}},
       "http://old.example",
       "Old ad"},
      {"the link first, the text in the second answer",
       {{200, linkOnly}, {200, "New ad</a>"}},
       "http://old.example",
       "Old ad"},
      {"a cut first answer, then a whole ad",
       {{200, linkOnly}, {200, R"(<p>Sale</p><a href="http://other.example/y">Other ad</a>)"}},
       "http://other.example/y",
       "Other ad"},
      {"a short pair, then nothing",
       {{200, linkOnly + "Hi</a>"}, {500, linkOnly + "Error page</a>"}},
       "http://new.example/x",
       "Hi"},
      {"a short text comes with its link",
       {{200, linkOnly + "Hi</a>"}},
       "http://new.example/x",
       "Hi"},
  };
  for (const auto& c : cases) {
    AdSite site;
    for (const Reply& answer : c.answers) site.queueAd(answer);
    news::AdState ad{"http://old.example", "Old ad", "192.0.2.10", ""};
    news::AdFetcher(ad, site.root(), site.root()).fetchAd("1712024");
    EXPECT_EQ(ad.link, c.link) << c.what;
    EXPECT_EQ(ad.text, c.text) << c.what;
  }
}

TEST(AdFetch, RedirectsAreFollowedOverHttpOnly) {
  AdSite site;
  site.queueAd({200, kAd});
  news::AdState ad;
  ad.clientAddress = "192.0.2.10";
  news::AdFetcher(ad, site.root() + "/moved", site.root()).fetchAd("1712024");
  EXPECT_EQ(site.requests(), (std::vector<std::string>{adBody("&i=192.0.2.10")}));
  EXPECT_EQ(ad.text, "Fresh coffee");

  news::AdState refused;
  refused.clientAddress = "192.0.2.10";
  news::AdFetcher(refused, site.root() + "/to-file", site.root()).fetchAd("1712024");
  EXPECT_EQ(refused.link, "");
  EXPECT_EQ(refused.text, "");
}

}  // namespace
