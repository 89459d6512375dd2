// Reading the all-friends answer (uid, name, timezone, affiliations of 5,000 friends) the way
// the friend synchronisation does (rows from the last to the first, fields by name), beside
// its floor: the same bytes parsed by pugixml with the reader's options and the same fields
// walked in the same order through pugixml's own calls. A bare parse with pugixml's default
// options is kept for reference.
//
// Each benchmark warms up first and reports the median of its repetitions (bench/run runs
// them in a fresh process each, in both allocator settings). All three free and allocate the
// same sizes, so what one leaves in the allocator is what the next would leave itself.
#include <benchmark/benchmark.h>

#include <cstring>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <utility>

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

constexpr const char* kAffiliationFields[] = {"name", "type", "status", "year"};
// The same names as the friend synchronisation reads them: a row's own fields in one walk,
// then the affiliation's.
constexpr std::string_view kRowFields[] = {"uid", "name", "timezone"};
constexpr std::string_view kAffiliationViews[] = {"name", "type", "status", "year"};

void BM_BarePugixmlParse(benchmark::State& state) {
  const std::string& text = answer();
  for ([[maybe_unused]] auto _ : state) {
    pugi::xml_document document;
    benchmark::DoNotOptimize(document.load_buffer(text.data(), text.size()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// The floor. The reader's options (CDATA kept, references expanded, UTF-8), the same walk:
// rows counted on it, each field read as a view (its bytes and their length), counted when
// its element has character data. What the reader adds on top: its name rule (ASCII case
// folded, prefixes), trimming, and the check of references that decide the parse options.
void BM_BarePugixmlParseAndWalk(benchmark::State& state) {
  const std::string& text = answer();
  for ([[maybe_unused]] auto _ : state) {
    pugi::xml_document document;
    document.load_buffer(text.data(), text.size(), pugi::parse_cdata | pugi::parse_escapes,
                         pugi::encoding_utf8);
    const pugi::xml_node top = document.child("fql_query_response");
    std::size_t n = 0;
    std::size_t fields = 0;
    for (pugi::xml_node user = top.last_child(); user; user = user.previous_sibling()) {
      if (std::strcmp(user.name(), "user") != 0) continue;
      ++n;
      // A field is read as a view of its bytes, as the sync hands it on.
      const std::string_view uid = user.child_value("uid");
      const std::string_view name = user.child_value("name");
      if (uid.empty() || name.empty()) continue;
      const std::size_t timezone = std::string_view(user.child_value("timezone")).size();
      const pugi::xml_node affiliation = user.child("affiliations").child("affiliation");
      for (const char* field : kAffiliationFields) {
        if (!std::string_view(affiliation.child_value(field)).empty()) ++fields;
      }
      fields += 2 + (timezone == 0 ? 1 : timezone);
    }
    benchmark::DoNotOptimize(fields);
    if (n != kFriends) state.SkipWithError("wrong user count");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_ParseAndWalkAllFriends(benchmark::State& state) {
  const std::string& text = answer();
  for ([[maybe_unused]] auto _ : state) {
    const api::XmlNode top = api::ResponseDocument::parse(text).child("fql_query_response");
    std::size_t n = 0;
    std::size_t fields = 0;
    for (const api::XmlNode user : top.children("user").reversed()) {
      ++n;
      std::optional<std::string_view> row[3];
      api::XmlNode affiliations = user.childTexts(kRowFields, row, "affiliations");
      if (!row[0] || !row[1]) continue;
      const std::string_view timezone = row[2].value_or("N");
      std::optional<std::string_view> affiliation[std::size(kAffiliationViews)];
      std::move(affiliations).child("affiliation").childTexts(kAffiliationViews, affiliation);
      for (const auto& piece : affiliation) {
        if (piece) ++fields;
      }
      fields += 2 + timezone.size();
    }
    benchmark::DoNotOptimize(fields);
    if (n != kFriends) state.SkipWithError("wrong user count");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// Warm-up first: the allocator's first growth and the caches belong to no one's figure.
#define ANSWER_BENCHMARK(fn) \
  BENCHMARK(fn)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.3)->Repetitions(5)

ANSWER_BENCHMARK(BM_BarePugixmlParse);
ANSWER_BENCHMARK(BM_BarePugixmlParseAndWalk);
ANSWER_BENCHMARK(BM_ParseAndWalkAllFriends);

}  // namespace

BENCHMARK_MAIN();
