// The upload's pieces: base-20 text, boundary (digest computed independently), the file
// name rule and the body layout with its length.
#include <gtest/gtest.h>

#include "api/multipartbody.h"

namespace {

TEST(MultipartBodyTest, Base20) {
  const std::pair<unsigned long, const char*> cases[] = {
      {0, "0"}, {19, "j"}, {20, "10"}, {399, "jj"}, {400, "100"}, {2047, "527"}, {2116, "55g"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(api::toBase20(value), text) << value;
}

TEST(MultipartBodyTest, BoundaryIsTheDigestOfTheBase20TimeSum) {
  std::tm t{};
  t.tm_year = 2009 - 1900;
  t.tm_mon = 11;  // month and minute do not count
  t.tm_mday = 25;
  t.tm_hour = 23;
  t.tm_min = 41;
  t.tm_sec = 59;
  EXPECT_EQ(api::uploadBoundary(t), "a61b798a1b80fcad2638da8702906f0c");  // md5("55g")
}

TEST(MultipartBodyTest, FileNameIsTheFirstPieceWithJpg) {
  const std::pair<const char*, const char*> cases[] = {
      {"\\Storage Card\\My Pictures\\beach.jpg", "beach.jpg"},
      {"/home/u/Pictures/beach.jpg", "beach.jpg"},
      {"/home/u/old.jpgs/beach.jpg", "old.jpgs"},  // a folder piece wins when it comes first
      {"/home/u\\mixed.jpg", "mixed.jpg"},
      {"plain.jpg", "plain.jpg"},
      {"/pics/IMG_0001.JPG", nullptr},  // the match is exact lower case
      {"/pics/photo.jpeg", nullptr},
      {"", nullptr},
      {"/pics/", nullptr},
  };
  for (const auto& [path, name] : cases) {
    const std::optional<std::string> found = api::uploadFileName(path);
    if (name) {
      EXPECT_EQ(found.value_or("<none>"), name) << path;
    } else {
      EXPECT_FALSE(found.has_value()) << path;
    }
  }
}

TEST(MultipartBodyTest, LayoutHeadersAndLength) {
  const std::string b(32, 'b');
  const std::string picture("JP\0EG\r\n", 7);
  const api::MultipartRequest request =
      api::buildMultipartRequest({"api_key=K", "skipped", "v=1.0", "sig=a=b"}, b, "f.jpg", picture);
  const std::string head =
      "--" + b + "\r\n" + "Content-Disposition: form-data; name=\"api_key\"\r\n\r\nK\r\n--" + b +
      "\r\n" + "Content-Disposition: form-data; name=\"v\"\r\n\r\n1.0\r\n--" + b + "\r\n" +
      "Content-Disposition: form-data; name=\"sig\"\r\n\r\na=b\r\n--" + b + "\r\n" +
      "Content-Disposition: form-data; filename=\"f.jpg\"\r\nContent-Type: image/jpg\r\n\r\n";
  EXPECT_EQ(request.body, head + picture + "\r\n--" + b + "--");
  EXPECT_EQ(request.body.size(), head.size() + picture.size() + 4 + 32 + 2);
  EXPECT_EQ(request.headers,
            (std::vector<std::string>{
                "User-Agent: Veltrana", "Content-Type: multipart/form-data; boundary=" + b,
                "MIME-version: 1.0", "Content-Length: " + std::to_string(request.body.size()),
                "Keep-Alive: 300", "Connection: keep-alive"}));
}

TEST(MultipartBodyTest, QuotesAndBackslashesInTheFileNameAreEscaped) {
  const std::pair<const char*, const char*> names[] = {
      {"plain.jpg", "plain.jpg"},
      {"say \"hi\".jpg", "say \\\"hi\\\".jpg"},
      {"back\\slash.jpg", "back\\\\slash.jpg"},
  };
  for (const auto& [name, quoted] : names) {
    const api::MultipartRequest request = api::buildMultipartRequest({}, "b", name, "");
    EXPECT_NE(request.body.find(std::string("filename=\"") + quoted + "\"\r\n"), std::string::npos)
        << request.body;
  }
}

}  // namespace
