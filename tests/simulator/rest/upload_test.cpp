// The multipart upload is read byte-exact, in the client's own body format.
#include <gtest/gtest.h>

#include "simharness.h"
#include "simulator/http/multipartparser.h"

namespace simtest {
namespace {

const std::string kBoundary = "0f1e2d3c4b5a69788796a5b4c3d2e1f0";

// Picture bytes that a careless parser would stumble over: NUL bytes, line ends, dashes, a
// line that starts like the delimiter, and every byte value.
std::string awkwardPicture() {
  std::string bytes("\xFF\xD8\xFF\xE0", 4);
  bytes += std::string("\0\0\r\n\r\n--", 8);
  bytes += "\r\n--" + kBoundary.substr(0, 20) + "\r\n";
  bytes += "\r\n--\r\n";
  for (int round = 0; round < 12; ++round)
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>((b * 7 + round) & 0xFF);
  bytes += std::string("\xFF\xD9", 2);
  return bytes;
}

// The body exactly as the client builds it: parameters in their list order, the file part
// without a name, the picture, then the close delimiter with no line end after it.
std::string clientBody(const Params& params, const std::string& filename,
                       const std::string& picture) {
  std::string body = "--" + kBoundary + "\r\n";
  for (const auto& [name, value] : params) {
    body += "Content-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n--" +
            kBoundary + "\r\n";
  }
  body += "Content-Disposition: form-data; filename=\"" + filename +
          "\"\r\nContent-Type: image/jpg\r\n\r\n";
  body += picture;
  body += "\r\n--" + kBoundary + "--";
  return body;
}

TEST(MultipartParser, SplitsWellFormedBodiesAndRefusesBrokenOnes) {
  struct Case {
    const char* what;
    std::string body;
    bool ok;
    size_t parts;
  };
  const std::string d = "--" + kBoundary;
  const Case cases[] = {
      {"two fields",
       d + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n" + d +
           "\r\nContent-Disposition: form-data; name=\"b\"\r\n\r\n\r\n" + d + "--\r\n",
       true, 2},
      {"preamble and epilogue",
       "ignored\r\n" + d +
           "\r\nContent-Disposition: form-data; "
           "name=\"a\"\r\n\r\nx\r\n" +
           d + "--\r\nepilogue",
       true, 1},
      {"part without headers", d + "\r\n\r\nraw\r\n" + d + "--", true, 1},
      {"no delimiter", "Content-Disposition: form-data; name=\"a\"\r\n\r\nx", false, 0},
      {"headers not closed", d + "\r\nContent-Disposition: form-data; name=\"a\"\r\n", false, 0},
      {"part not closed", d + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nx", false, 0},
      {"delimiter glued to text", d + "x\r\n\r\n\r\n" + d + "--", false, 0},
      {"header line without a colon", d + "\r\nnonsense\r\n\r\nx\r\n" + d + "--", false, 0},
      {"empty body", "", false, 0},
  };
  for (const Case& c : cases) {
    std::string error;
    const auto parts = sim::MultipartParser::parse(c.body, kBoundary, error);
    EXPECT_EQ(parts.has_value(), c.ok) << c.what << ": " << error;
    if (parts) {
      EXPECT_EQ(parts->size(), c.parts) << c.what;
    }
  }
}

TEST(MultipartParser, ReadsDispositionParameters) {
  const std::string d = "--" + kBoundary;
  const std::string body = d +
                           "\r\ncontent-disposition: form-data; name=\"photo\"; "
                           "filename=\"a;b \\\"c\\\".jpg\"\r\nContent-Type: image/jpeg\r\n\r\n" +
                           awkwardPicture() + "\r\n" + d + "--";
  std::string error;
  const auto parts = sim::MultipartParser::parse(body, kBoundary, error);
  ASSERT_TRUE(parts) << error;
  ASSERT_EQ(parts->size(), 1u);
  EXPECT_EQ((*parts)[0].name, "photo");
  EXPECT_TRUE((*parts)[0].hasFilename);
  EXPECT_EQ((*parts)[0].filename, "a;b \"c\".jpg");
  EXPECT_EQ((*parts)[0].contentType, "image/jpeg");
  EXPECT_EQ((*parts)[0].data, awkwardPicture());
  EXPECT_EQ(sim::MultipartParser::boundaryOf("multipart/form-data; boundary=" + kBoundary),
            kBoundary);
  EXPECT_EQ(sim::MultipartParser::boundaryOf("multipart/form-data; boundary=\"q;x\""), "q;x");
  EXPECT_EQ(sim::MultipartParser::boundaryOf("multipart/form-data"), "");
}

class Upload : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(h.login()); }

  // The client's upload parameters: in list order, signed over the sorted entries.
  Params uploadParams(unsigned callId) {
    Params params = {{"api_key", kApiKey},
                     {"v", "1.0"},
                     {"method", "facebook.photos.upload"},
                     {"session_key", h.sessionKey()},
                     {"call_id", std::to_string(callId)}};
    params.emplace_back("sig", clientSignature(params, h.secret()));
    return params;
  }

  Answer send(const std::string& body) {
    httplib::Client client("127.0.0.1", h.port());
    const httplib::Headers headers = {{"User-Agent", "Veltrana"}, {"MIME-version", "1.0"}};
    Answer answer;
    if (auto res = client.Post("/restserver.php", headers, body,
                               ("multipart/form-data; boundary=" + kBoundary).c_str())) {
      answer.transferred = true;
      answer.status = res->status;
      answer.body = res->body;
    }
    return answer;
  }

  SimHarness h;
};

TEST_F(Upload, PictureBytesArriveExactly) {
  const std::string picture = awkwardPicture();
  const Answer answer = send(clientBody(uploadParams(50), "IMG_0001.jpg", picture));
  pugi::xml_document doc;
  const pugi::xml_node top = topElement(doc, answer.body);
  ASSERT_STREQ(top.name(), "photos_upload_response") << answer.body;
  EXPECT_EQ(top.child("owner").text().as_llong(), h.userUid());
  EXPECT_GT(top.child("pid").text().as_llong(), 0);
  EXPECT_GT(top.child("aid").text().as_llong(), 0);
  const std::string src = top.child("src").text().get();
  ASSERT_EQ(src.rfind(h.url(), 0), 0u) << src;
  EXPECT_EQ(h.get(src.substr(h.url().size())).body, picture);

  const sim::Json uploads = h.controlGet("/uploads")["uploads"];
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(uploads[0]["filename"].get<std::string>(), "IMG_0001.jpg");
  EXPECT_EQ(uploads[0]["content_type"].get<std::string>(), "image/jpg");
  EXPECT_EQ(uploads[0]["size"].get<int64_t>(), static_cast<int64_t>(picture.size()));
  EXPECT_EQ(uploads[0]["md5"].get<std::string>(), md5Hex(picture));

  const sim::Json log = h.controlGet("/requests")["requests"];
  const sim::Json& entry = log[log.size() - 2];  // the last one fetched the photo
  EXPECT_EQ(entry["method"].get<std::string>(), "facebook.photos.upload");
  EXPECT_TRUE(entry["signature_valid"].get<bool>());
  EXPECT_EQ(entry["params"].size(), 6u);
  EXPECT_EQ(entry["params"][5]["name"].get<std::string>(), "sig");
  EXPECT_EQ(entry["files"][0]["md5"].get<std::string>(), md5Hex(picture));
}

TEST_F(Upload, RefusedUploads) {
  const std::string picture = awkwardPicture();
  Params badSig = uploadParams(60);
  badSig.back().second = std::string(32, '0');
  // Parameters only, no file part.
  std::string noFile = "--" + kBoundary + "\r\n";
  for (const auto& [name, value] : uploadParams(61))
    noFile += "Content-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n--" +
              kBoundary + "\r\n";
  noFile.replace(noFile.size() - 2, 2, "--");
  std::string broken = clientBody(uploadParams(62), "x.jpg", picture);
  broken.resize(broken.size() - kBoundary.size() - 6);  // the close delimiter is gone

  EXPECT_EQ(errorCode(send(clientBody(badSig, "x.jpg", picture)).body), 104);
  EXPECT_EQ(errorCode(send(noFile).body), 324);
  EXPECT_EQ(errorCode(send(broken).body), 100);
  EXPECT_EQ(h.controlGet("/uploads")["uploads"].size(), 0u);
}

}  // namespace
}  // namespace simtest
