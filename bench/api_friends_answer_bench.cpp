// Reading the all-friends answer (uid, name, timezone, affiliations of 5,000 friends) the way
// the friend synchronisation does (rows from the last to the first, fields by name), beside a
// bare pugixml parse of the same bytes.
#include <benchmark/benchmark.h>

#include <pugixml.hpp>
#include <string>

#include "api/responsedocument.h"

namespace {

constexpr int kFriends = 5000;

std::string allFriendsAnswer() {
  static const char* const kNames[] = {"Ann Lee", "Bob O&apos;Neil", "Chen Wei", "Dora Diaz",
                                       "Eve &amp; Co"};
  static const char* const kTypes[] = {"college", "work", "high school", "region"};
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<fql_query_response "
      "xmlns=\"http://api.facebook.com/1.0/\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" list=\"true\">\n";
  for (int i = 0; i < kFriends; ++i) {
    xml += "  <user>\n    <uid>" + std::to_string(100000 + i) + "</uid>\n    <name>" +
           kNames[i % 5] + " " + std::to_string(i) + "</name>\n    <timezone>" +
           std::to_string(i % 24 - 11) + "</timezone>\n";
    if (i % 3 == 0) {
      xml += "    <affiliations list=\"true\"/>\n";
    } else {
      xml += "    <affiliations list=\"true\">\n      <affiliation>\n        <nid>" +
             std::to_string(16777000 + i % 97) + "</nid>\n        <name>Network " +
             std::to_string(i % 97) + "</name>\n        <type>" + kTypes[i % 4] +
             "</type>\n        <status>Alumnus/Alumna</status>\n        <year>" +
             std::to_string(1990 + i % 20) + "</year>\n      </affiliation>\n    </affiliations>\n";
    }
    xml += "  </user>\n";
  }
  xml += "</fql_query_response>\n";
  return xml;
}

const std::string& answer() {
  static const std::string text = allFriendsAnswer();
  return text;
}

void BM_BarePugixmlParse(benchmark::State& state) {
  const std::string& text = answer();
  for ([[maybe_unused]] auto _ : state) {
    pugi::xml_document document;
    benchmark::DoNotOptimize(document.load_buffer(text.data(), text.size()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_ParseAndWalkAllFriends(benchmark::State& state) {
  const std::string& text = answer();
  for ([[maybe_unused]] auto _ : state) {
    const api::XmlNode top = api::ResponseDocument::parse(text).child("fql_query_response");
    const std::size_t n = top.count("user");
    std::size_t fields = 0;
    for (const api::XmlNode user : top.children("user").reversed()) {
      const std::optional<std::string> uid = user.child("uid").text();
      const std::optional<std::string> name = user.child("name").text();
      if (!uid || !name) continue;
      const std::string timezone = user.child("timezone").text().value_or("N");
      const api::XmlNode affiliation = user.child("affiliations").child("affiliation");
      for (const char* field : {"name", "type", "status", "year"}) {
        if (affiliation.child(field).text()) ++fields;
      }
      fields += 2 + timezone.size();
    }
    benchmark::DoNotOptimize(fields);
    if (n != kFriends) state.SkipWithError("wrong user count");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

BENCHMARK(BM_BarePugixmlParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseAndWalkAllFriends)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
