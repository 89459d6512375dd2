#include "barehttp.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <cctype>
#include <cstdlib>
#include <strings.h>

namespace bench {

namespace {

bool startsWithNoCase(const std::string& line, const char* prefix) {
  const std::size_t n = std::char_traits<char>::length(prefix);
  return line.size() >= n && ::strncasecmp(line.c_str(), prefix, n) == 0;
}

size_t keepAnswer(char* data, size_t size, size_t count, void* answer) {
  static_cast<std::string*>(answer)->append(data, size * count);
  return size * count;
}

}  // namespace

std::vector<HttpRequest> parseRequests(const std::string& stream) {
  std::vector<HttpRequest> requests;
  std::size_t at = 0;
  while (at < stream.size()) {
    const std::size_t headEnd = stream.find("\r\n\r\n", at);
    if (headEnd == std::string::npos) break;
    HttpRequest request;
    std::size_t length = 0;
    std::size_t lineStart = at;
    for (bool first = true; lineStart < headEnd + 2; first = false) {
      const std::size_t lineEnd = stream.find("\r\n", lineStart);
      const std::string line = stream.substr(lineStart, lineEnd - lineStart);
      lineStart = lineEnd + 2;
      if (first) {
        const std::size_t space = line.find(' ');
        request.method = line.substr(0, space);
        request.target = line.substr(space + 1, line.rfind(' ') - space - 1);
      } else if (startsWithNoCase(line, "content-length:")) {
        length = std::strtoull(line.c_str() + 15, nullptr, 10);
      } else if (startsWithNoCase(line, "transfer-encoding:")) {
        return requests;
      } else if (!startsWithNoCase(line, "host:")) {
        request.headers.push_back(line);
      }
    }
    at = headEnd + 4;
    if (at + length > stream.size()) break;
    request.body = stream.substr(at, length);
    at += length;
    requests.push_back(std::move(request));
  }
  return requests;
}

std::vector<HttpRequest> parseRequests(const std::vector<std::string>& connections) {
  std::vector<HttpRequest> all;
  for (const std::string& stream : connections)
    for (HttpRequest& request : parseRequests(stream)) all.push_back(std::move(request));
  return all;
}

void sendEachIteration(benchmark::State& state, const std::string& base,
                       const std::vector<HttpRequest>& requests) {
  if (requests.empty()) {
    state.SkipWithError("no requests were recorded");
    return;
  }
  BareHttpClient http;
  long long bytes = 0;
  bool failed = false;
  for ([[maybe_unused]] auto _ : state) {
    for (const HttpRequest& request : requests) {
      const long long n = http.send(base, request);
      failed = failed || n < 0;
      bytes += n;
    }
    if (failed) {
      state.SkipWithError("a request sent again failed");
      break;
    }
  }
  state.counters["requests"] = static_cast<double>(requests.size());
  state.counters["answer_bytes"] =
      static_cast<double>(bytes) / static_cast<double>(state.iterations());
}

BareHttpClient::BareHttpClient() : curl_(curl_easy_init()) {}

BareHttpClient::~BareHttpClient() { curl_easy_cleanup(static_cast<CURL*>(curl_)); }

long long BareHttpClient::send(const std::string& base, const HttpRequest& request) {
  CURL* curl = static_cast<CURL*>(curl_);
  if (!curl) return -1;
  // The headers as our client sent them; an empty "Expect:" keeps libcurl from adding one
  // our client did not send.
  curl_slist* headers = nullptr;
  bool expect = false;
  for (const std::string& h : request.headers) {
    headers = curl_slist_append(headers, h.c_str());
    expect = expect || startsWithNoCase(h, "expect:");
  }
  if (!expect) headers = curl_slist_append(headers, "Expect:");
  answer_.clear();
  const std::string url = base + request.target;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, keepAnswer);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer_);
  if (request.method == "POST") {
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(request.body.size()));
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.data());
  } else {
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  }
  const CURLcode result = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
  curl_slist_free_all(headers);
  if (result != CURLE_OK || status < 200 || status > 299) return -1;
  return static_cast<long long>(answer_.size());
}

}  // namespace bench
