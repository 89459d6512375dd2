// The picture cache against socialsim: the three address queries, the download into the
// folders, error answers and answers cut short that store nothing, and a broken file or
// download that the next look deletes and the look after repairs.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <atomic>
#include <cstdio>
#include <mutex>

#include "friends/cachepaths.h"
#include "friends/syncfixture.h"
#include "jpegwriter.h"
#include "pictures/image.h"
#include "pictures/picturecache.h"
#include "pictures/pictureurls.h"
#include "support/rawhttpserver.h"

namespace {

using testsupport::fileExists;
using testsupport::readWhole;

class Pictures : public friendstest::SimFixture {
 protected:
  void SetUp() override {
    startSim();
    uid = testsupport::friendUids(sim).at(0);
    for (const std::string* folder : {&paths.picSquare, &paths.pic, &paths.picBig})
      ::mkdir(folder->c_str(), 0755);
  }
  int picturesFetched() { return testsupport::occurrences(log(), "\"path\":\"/pics/"); }
  friends::CachePaths paths = friends::CachePaths::inFolder(dir.path());
  std::vector<bool> busy;
  pictures::PictureCache cache{paths, [this](bool on) { busy.push_back(on); }};
  std::string uid;
};

TEST_F(Pictures, AddressQueries) {
  using Query = std::optional<std::string> (*)(api::ApiClient&, uint32_t, const std::string&);
  struct Row {
    Query query;
    const char* field;
    const char* kind;
    const char* noUser;
    const char* failed;
  };
  const Row rows[] = {
      {pictures::getSquarePicture, "pic_square", "q", "getSquarePicture(): Current UID = 0. \n",
       "getSquarePicture(): Query failed.\n"},
      {pictures::getPicture, "pic", "s", "getPicture(): Current UID = 0. \n",
       "getPicture(): Query failed.\n"},
      {pictures::getBigPictureUrl, "pic_big", "n",
       "getBigPictureUrl(): Current UID = 0.  Exiting.\n", "getBigPictureUrl(): Query failed.\n"},
  };
  for (const Row& row : rows) {
    testsupport::clearRequestLog(sim);
    EXPECT_EQ(row.query(*session.client, session.userId, uid),
              sim.url() + "/pics/" + row.kind + uid + ".jpg");
    EXPECT_EQ(testsupport::occurrences(log(), std::string("\"select ") + row.field +
                                                  " from user where uid =" + uid + "\""),
              1);

    ::testing::internal::CaptureStdout();
    EXPECT_EQ(row.query(*session.client, 0, uid), std::nullopt);
    ASSERT_EQ(sim.control("/faults", R"({"match": "facebook.fql.query", "action": "cut"})").status,
              200);
    EXPECT_EQ(row.query(*session.client, session.userId, uid), std::nullopt);
    EXPECT_EQ(row.query(*session.client, session.userId, "1 or 1=1"), std::nullopt);
    std::fflush(stdout);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find(row.noUser), 0u) << out;
    EXPECT_EQ(testsupport::occurrences(out, row.failed), 2);
    // A user without the picture field: no address.
    EXPECT_EQ(row.query(*session.client, session.userId, "999999999"), std::nullopt);
    // An answer ended inside the address, without Content-Length: no address either.
    const std::string answer =
        session.client
            ->fqlQuery(std::string("select ") + row.field + " from user where uid =" + uid, {}, 45)
            .body;
    const std::size_t inside = answer.find(std::string("<") + row.field + ">") + 20;
    ASSERT_EQ(sim.control("/faults", R"({"fql": "from user where uid =", "action": "truncate",)"
                                     R"( "bytes": )" +
                                         std::to_string(inside) + "}")
                  .status,
              200);
    EXPECT_EQ(row.query(*session.client, session.userId, uid), std::nullopt);
  }
}

TEST_F(Pictures, EachKindIsDownloadedOnceIntoItsFolder) {
  using pictures::PictureKind;
  for (const PictureKind kind : {PictureKind::Square, PictureKind::Standard, PictureKind::Big}) {
    testsupport::clearRequestLog(sim);
    busy.clear();
    EXPECT_TRUE(cache.ensurePicture(kind, *session.client, session.userId, uid));
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
    pictures::Image image;
    EXPECT_TRUE(image.load(cache.pathOf(kind, uid)));
    EXPECT_EQ(picturesFetched(), 1);
    // A picture that is there is neither asked for nor fetched again.
    EXPECT_TRUE(cache.ensurePicture(kind, *session.client, session.userId, uid));
    EXPECT_EQ(picturesFetched(), 1);
    EXPECT_EQ(testsupport::occurrences(log(), "\"name\":\"query\""), 1);
  }
  EXPECT_EQ(cache.fetchPicture("../" + uid, sim.url() + "/pics/q" + uid + ".jpg", paths.pic), "");
}

TEST_F(Pictures, ABrokenDownloadLeavesNoFileAndTheNextLookFetchesIt) {
  const std::string file = cache.pathOf(pictures::PictureKind::Square, uid);
  pictures::Image image;
  // A body shorter than its Content-Length fails the transfer; one sent without a length and
  // closed early (anywhere inside it) succeeds and only fails to decode.
  for (const char* action : {"cut", "truncate"}) {
    SCOPED_TRACE(action);
    ::unlink(file.c_str());
    ASSERT_EQ(sim.control("/faults", R"({"match": "/pics/q)" + uid + R"(.jpg", "action": ")" +
                                         action + R"("})")
                  .status,
              200);
    EXPECT_FALSE(cache.ensureSquarePicture(*session.client, session.userId, uid));
    EXPECT_FALSE(fileExists(file));

    testsupport::clearRequestLog(sim);
    EXPECT_TRUE(cache.ensureSquarePicture(*session.client, session.userId, uid));
    EXPECT_EQ(picturesFetched(), 1);
    EXPECT_TRUE(image.load(file));
  }

  // Nothing fetched from an unreachable server either, and an empty file is fetched over.
  const std::string standard = cache.pathOf(pictures::PictureKind::Standard, uid);
  EXPECT_EQ(cache.fetchPicture(uid, "http://127.0.0.1:1/never.jpg", paths.pic), standard);
  EXPECT_FALSE(fileExists(standard));
  testsupport::writeWhole(standard, "");
  EXPECT_EQ(cache.fetchPicture(uid, sim.url() + "/pics/s" + uid + ".jpg", paths.pic), standard);
  EXPECT_TRUE(image.load(standard));
}

// An empty file, an error page or a picture cut short that an older build kept is broken.
TEST_F(Pictures, ABrokenFileIsDeletedAtTheNextLookAndFetchedAtTheOneAfter) {
  const std::string file = cache.pathOf(pictures::PictureKind::Square, uid);
  const std::string whole = picturestest::encodeJpeg(50, 50, 200, 40, 40);
  for (const std::string& broken :
       {std::string(), std::string("<html><body><h1>404 Not Found</h1></body></html>\n"),
        std::string("\xFF"), whole.substr(0, whole.size() / 2),
        whole.substr(0, whole.size() - 2)}) {
    SCOPED_TRACE(broken.size());
    testsupport::writeWhole(file, broken);
    testsupport::clearRequestLog(sim);
    EXPECT_FALSE(cache.ensureSquarePicture(*session.client, session.userId, uid));
    EXPECT_FALSE(fileExists(file));
    EXPECT_EQ(log().find("\"path\":\"/"), std::string::npos) << "nothing is asked for";

    EXPECT_TRUE(cache.ensureSquarePicture(*session.client, session.userId, uid));
    EXPECT_EQ(picturesFetched(), 1);
    pictures::Image image;
    EXPECT_TRUE(image.load(file));
  }
}

// A 200 without Content-Length whose connection closes early is a transfer that succeeded,
// and the body starts as a JPEG does: only decoding tells it from the whole picture.
TEST(PictureDownload, AnAnswerCutShortIsNotStoredAndTheNextWholeOneIs) {
  using pictures::PictureKind;
  const std::string whole =
      picturestest::encodeJpeg(120, 90, 30, 90, 200, picturestest::JpegKind::Progressive);
  const std::string head =
      "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nConnection: close\r\n\r\n";
  std::atomic<std::size_t> sendBytes = 0;  // read on the server's thread
  testsupport::RawHttpServer server([&](const testsupport::RawHttpServer::Request&) {
    return testsupport::RawHttpServer::Response{testsupport::RawHttpServer::Action::Raw,
                                                head + whole.substr(0, sendBytes)};
  });
  const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/pics/x.jpg";
  testsupport::TempFolder dir;
  const friends::CachePaths paths = friends::CachePaths::inFolder(dir.path());
  for (const std::string* folder : {&paths.picSquare, &paths.pic, &paths.picBig})
    ::mkdir(folder->c_str(), 0755);
  pictures::PictureCache cache(paths);

  // Just the start marker, inside the header, inside the scans, all but the end marker.
  const std::size_t cuts[] = {
      2, 40, whole.size() / 3, whole.size() / 2, whole.size() - 2, whole.size() - 1};
  const PictureKind kinds[] = {PictureKind::Square, PictureKind::Standard, PictureKind::Big};
  for (std::size_t i = 0; i < std::size(cuts); ++i) {
    const PictureKind kind = kinds[i % std::size(kinds)];
    const std::string file = cache.pathOf(kind, "7" + std::to_string(i));
    SCOPED_TRACE(file + " cut after " + std::to_string(cuts[i]));
    sendBytes = cuts[i];
    EXPECT_EQ(cache.fetchPicture("7" + std::to_string(i), url, cache.folderOf(kind)), file);
    EXPECT_FALSE(fileExists(file));

    sendBytes = whole.size();
    cache.fetchPicture("7" + std::to_string(i), url, cache.folderOf(kind));
    EXPECT_EQ(readWhole(file), whole);
  }
  EXPECT_EQ(server.requests().size(), 2 * std::size(cuts));
}

// A whole picture of `bytes` bytes or a little more: `small` with comment segments after its
// start marker, which decoding skips.
std::string paddedJpeg(const std::string& small, std::size_t bytes) {
  constexpr std::size_t kSegment = 65000;
  std::string padding;
  while (small.size() + padding.size() < bytes) {
    const std::size_t length = kSegment + 2;
    padding += "\xFF\xFE";
    padding += static_cast<char>(length >> 8);
    padding += static_cast<char>(length & 0xFF);
    padding += std::string(kSegment, 'c');
  }
  return small.substr(0, 2) + padding + small.substr(2);
}

// A server may send a picture of any size: past 2 MiB it is not stored, whether its length
// was announced or not, and the folder keeps no trace of it.
TEST(PictureDownload, APicturePastTheCapIsNotStored) {
  using testsupport::RawHttpServer;
  const std::string small = picturestest::encodeJpeg(40, 30, 90, 160, 60);
  const struct {
    const char* what;
    std::size_t bytes;
    bool announced;
    bool stored;
  } rows[] = {
      {"1.5 MiB", 3u << 19, true, true},
      {"3 MiB", 3u << 20, true, false},
      {"3 MiB without a length", 3u << 20, false, false},
  };
  std::mutex pictureLock;
  std::string reply;
  RawHttpServer server([&](const RawHttpServer::Request&) {
    std::lock_guard<std::mutex> lock(pictureLock);
    return RawHttpServer::Response{RawHttpServer::Action::Raw, reply};
  });
  const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/pics/n1.jpg";
  testsupport::TempFolder dir;
  const friends::CachePaths paths = friends::CachePaths::inFolder(dir.path());
  ::mkdir(paths.picBig.c_str(), 0755);
  pictures::PictureCache cache(paths);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string picture = paddedJpeg(small, row.bytes);
    {
      std::lock_guard<std::mutex> lock(pictureLock);
      reply = "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nConnection: close\r\n" +
              (row.announced ? "Content-Length: " + std::to_string(picture.size()) + "\r\n"
                             : std::string()) +
              "\r\n" + picture;
    }
    const std::string file = cache.pathOf(pictures::PictureKind::Big, "1");
    ::unlink(file.c_str());
    EXPECT_EQ(cache.fetchPicture("1", url, paths.picBig), file);
    EXPECT_EQ(fileExists(file), row.stored);
    if (row.stored) {
      EXPECT_TRUE(readWhole(file) == picture);
    }
  }
}

// Error statuses and pages are no pictures: a fresh cache stays empty.
TEST_F(Pictures, ErrorAnswersStoreNoPicture) {
  using pictures::PictureKind;
  const struct {
    PictureKind kind;
    const char* letter;
    const char* action;
  } rows[] = {{PictureKind::Square, "q", "http404"}, {PictureKind::Standard, "s", "http500"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.action);
    ASSERT_EQ(sim.control("/faults", std::string(R"({"match": "/pics/)") + row.letter + uid +
                                         R"(.jpg", "action": ")" + row.action + R"("})")
                  .status,
              200);
    EXPECT_FALSE(cache.ensurePicture(row.kind, *session.client, session.userId, uid));
    EXPECT_FALSE(fileExists(cache.pathOf(row.kind, uid)));
  }
  const std::string standard = cache.pathOf(PictureKind::Standard, uid);
  EXPECT_EQ(cache.fetchPicture(uid, sim.url() + "/home.php", paths.pic), standard);
  EXPECT_FALSE(fileExists(standard)) << "a page answered with 200 is no picture";
}

}  // namespace
