#include "simulator/fql/fqlevaluator.h"

#include <algorithm>
#include <memory>
#include <numeric>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "simulator/fql/eventtable.h"
#include "simulator/fql/fqlparser.h"
#include "simulator/fql/friendtable.h"
#include "simulator/fql/grouptable.h"
#include "simulator/fql/usertable.h"
#include "simulator/rest/restxml.h"
#include "simulator/rest/xmlwriter.h"

namespace sim {
namespace {

// Byte offsets of UTF-8 characters, so that substr never splits a letter.
std::vector<size_t> characterStarts(const std::string& s) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < s.size(); ++i)
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) starts.push_back(i);
  return starts;
}

bool truthy(const FqlValue& v) {
  if (v.isNull()) return false;
  if (const auto n = v.toNumber()) return *n != 0;
  return !v.toText().empty();
}

struct InList {
  std::vector<FqlValue> values;  // in the order of the list or of the sub-select's rows
  std::unordered_set<std::string> keys;
};

class Evaluation {
 public:
  Evaluation(const World& world, const std::string& baseUrl, int64_t now)
      : world_(world), baseUrl_(baseUrl), now_(now) {}

  FqlTable* tableOf(const FqlQuery& query) { return tables_.at(&query).get(); }

  bool bind(FqlQuery& query, std::string& error) {
    auto table = makeTable(query.table);
    if (!table) {
      error = "unknown table " + query.table;
      return false;
    }
    FqlTable& t = *table;
    tables_[&query] = std::move(table);
    for (auto& item : query.select)
      if (!bindExpr(*item, t, error)) return false;
    if (query.where && !bindExpr(*query.where, t, error)) return false;
    if (query.orderBy && !bindExpr(*query.orderBy, t, error)) return false;
    return true;
  }

  std::vector<size_t> rows(const FqlQuery& query) {
    const FqlTable& table = *tableOf(query);
    if (query.where) prepare(*query.where, table);

    std::vector<size_t> candidates;
    if (!keyedCandidates(query.where.get(), table, candidates)) {
      candidates.resize(table.rowCount());
      std::iota(candidates.begin(), candidates.end(), size_t{0});
    }
    std::vector<size_t> matching;
    matching.reserve(candidates.size());
    for (const size_t row : candidates)
      if (!query.where || truthy(eval(*query.where, table, row))) matching.push_back(row);

    if (query.orderBy) {
      std::vector<FqlValue> keys(table.rowCount());
      for (const size_t row : matching) keys[row] = eval(*query.orderBy, table, row);
      std::stable_sort(matching.begin(), matching.end(), [&](size_t a, size_t b) {
        const int c = keys[a].compare(keys[b]);
        return query.descending ? c > 0 : c < 0;
      });
    }
    const size_t offset = std::min(matching.size(), static_cast<size_t>(query.offset));
    matching.erase(matching.begin(), matching.begin() + static_cast<std::ptrdiff_t>(offset));
    if (query.limit && matching.size() > static_cast<size_t>(*query.limit))
      matching.resize(static_cast<size_t>(*query.limit));
    return matching;
  }

  FqlValue eval(const FqlExpr& e, const FqlTable& table, size_t row) {
    switch (e.kind) {
      case FqlExpr::Kind::Column:
        return table.value(row, e.column);
      case FqlExpr::Kind::Literal:
        return e.literal;
      case FqlExpr::Kind::Call:
        return call(e, table, row);
      case FqlExpr::Kind::Compare: {
        const FqlValue a = eval(*e.operands[0], table, row);
        const FqlValue b = eval(*e.operands[1], table, row);
        if (a.isNull() || b.isNull()) return FqlValue::number(0);
        bool result = false;
        if (e.name == "=")
          result = a.equals(b);
        else if (e.name == "!=")
          result = !a.equals(b);
        else if (e.name == "<")
          result = a.compare(b) < 0;
        else if (e.name == ">")
          result = a.compare(b) > 0;
        else if (e.name == "<=")
          result = a.compare(b) <= 0;
        else if (e.name == ">=")
          result = a.compare(b) >= 0;
        return FqlValue::number(result ? 1 : 0);
      }
      case FqlExpr::Kind::In: {
        const FqlValue tested = eval(*e.operands[0], table, row);
        bool found = false;
        if (tested.isNull()) return FqlValue::number(0);
        if (const auto it = inLists_.find(&e); it != inLists_.end()) {
          found = it->second.keys.count(tested.key()) != 0;
        } else {
          for (size_t i = 1; i < e.operands.size() && !found; ++i)
            found = tested.equals(eval(*e.operands[i], table, row));
        }
        return FqlValue::number(found != e.negated ? 1 : 0);
      }
      case FqlExpr::Kind::And:
        return FqlValue::number(truthy(eval(*e.operands[0], table, row)) &&
                                        truthy(eval(*e.operands[1], table, row))
                                    ? 1
                                    : 0);
      case FqlExpr::Kind::Or:
        return FqlValue::number(truthy(eval(*e.operands[0], table, row)) ||
                                        truthy(eval(*e.operands[1], table, row))
                                    ? 1
                                    : 0);
      case FqlExpr::Kind::Not:
        return FqlValue::number(truthy(eval(*e.operands[0], table, row)) ? 0 : 1);
    }
    return FqlValue();
  }

 private:
  std::unique_ptr<FqlTable> makeTable(const std::string& name) const {
    if (name == "user") return std::make_unique<UserTable>(world_, baseUrl_);
    if (name == "friend") return std::make_unique<FriendTable>(world_);
    if (name == "group") return std::make_unique<GroupTable>(world_);
    if (name == "event") return std::make_unique<EventTable>(world_);
    return nullptr;
  }

  bool bindExpr(FqlExpr& e, const FqlTable& table, std::string& error) {
    if (e.kind == FqlExpr::Kind::Column) {
      const auto column = table.column(e.name);
      if (!column) {
        error = "unknown column " + e.name;
        return false;
      }
      e.column = *column;
    }
    if (e.kind == FqlExpr::Kind::Call) {
      struct Arity {
        std::string_view name;
        size_t min, max;
      };
      static const Arity kFunctions[] = {{"substr", 2, 3}, {"strlen", 1, 1},  {"lower", 1, 1},
                                         {"upper", 1, 1},  {"concat", 1, 64}, {"now", 0, 0}};
      const auto known = std::find_if(std::begin(kFunctions), std::end(kFunctions),
                                      [&](const Arity& a) { return a.name == e.name; });
      if (known == std::end(kFunctions)) {
        error = "unknown function " + e.name;
        return false;
      }
      if (e.operands.size() < known->min || e.operands.size() > known->max) {
        error = "wrong number of arguments to " + e.name;
        return false;
      }
    }
    if (e.subquery) {
      if (!bind(*e.subquery, error)) return false;
      if (e.subquery->select.size() != 1) {
        error = "a sub-select must select one column";
        return false;
      }
    }
    for (auto& operand : e.operands)
      if (!bindExpr(*operand, table, error)) return false;
    return true;
  }

  // Works out every IN list that does not depend on the row, sub-selects included, once.
  void prepare(const FqlExpr& e, const FqlTable& table) {
    for (const auto& operand : e.operands) prepare(*operand, table);
    if (e.kind != FqlExpr::Kind::In || inLists_.count(&e)) return;
    InList list;
    if (e.subquery) {
      const FqlQuery& sub = *e.subquery;
      const FqlTable& subTable = *tableOf(sub);
      for (const size_t row : rows(sub)) list.values.push_back(eval(*sub.select[0], subTable, row));
    } else {
      for (size_t i = 1; i < e.operands.size(); ++i) {
        if (!e.operands[i]->isConstant()) return;
        list.values.push_back(eval(*e.operands[i], table, 0));
      }
    }
    for (const FqlValue& v : list.values)
      if (!v.isNull()) list.keys.insert(v.key());
    inLists_.emplace(&e, std::move(list));
  }

  // The rows named by a key condition at the top of the WHERE clause ("uid = 5",
  // "uid in (...)"), in the order they are named; false when there is none.
  bool keyedCandidates(const FqlExpr* where, const FqlTable& table, std::vector<size_t>& out) {
    if (!where) return false;
    if (where->kind == FqlExpr::Kind::And) {
      return keyedCandidates(where->operands[0].get(), table, out) ||
             keyedCandidates(where->operands[1].get(), table, out);
    }
    std::vector<FqlValue> keys;
    const auto isKey = [&](const FqlExpr& x) {
      return x.kind == FqlExpr::Kind::Column && x.column == table.keyColumn();
    };
    if (where->kind == FqlExpr::Kind::In && !where->negated && isKey(*where->operands[0])) {
      const auto it = inLists_.find(where);
      if (it == inLists_.end()) return false;
      keys = it->second.values;
    } else if (where->kind == FqlExpr::Kind::Compare && where->name == "=") {
      const FqlExpr& a = *where->operands[0];
      const FqlExpr& b = *where->operands[1];
      if (isKey(a) && b.isConstant())
        keys.push_back(eval(b, table, 0));
      else if (isKey(b) && a.isConstant())
        keys.push_back(eval(a, table, 0));
      else
        return false;
    } else {
      return false;
    }
    std::unordered_set<size_t> seen;
    std::vector<size_t> found;
    for (const FqlValue& key : keys) {
      found.clear();
      table.rowsWithKey(key, found);
      for (const size_t row : found)
        if (seen.insert(row).second) out.push_back(row);
    }
    return true;
  }

  FqlValue call(const FqlExpr& e, const FqlTable& table, size_t row) {
    if (e.name == "now") return FqlValue::number(now_);
    std::vector<FqlValue> args;
    for (const auto& operand : e.operands) args.push_back(eval(*operand, table, row));
    if (e.name == "substr") {
      const std::string text = args[0].toText();
      const std::vector<size_t> starts = characterStarts(text);
      const int64_t count = static_cast<int64_t>(starts.size());
      const int64_t from = std::clamp<int64_t>(args[1].toNumber().value_or(0), 0, count);
      int64_t length = args.size() > 2 ? args[2].toNumber().value_or(0) : count - from;
      length = std::clamp<int64_t>(length, 0, count - from);
      const size_t begin = from < count ? starts[static_cast<size_t>(from)] : text.size();
      const size_t end =
          from + length < count ? starts[static_cast<size_t>(from + length)] : text.size();
      return FqlValue::text(text.substr(begin, end - begin));
    }
    if (e.name == "strlen") {
      return FqlValue::number(static_cast<int64_t>(characterStarts(args[0].toText()).size()));
    }
    if (e.name == "lower" || e.name == "upper") {
      std::string text = args[0].toText();
      for (char& c : text) {
        if (e.name == "lower" && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (e.name == "upper" && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      }
      return FqlValue::text(std::move(text));
    }
    std::string joined;  // concat
    for (const FqlValue& arg : args) joined += arg.toText();
    return FqlValue::text(std::move(joined));
  }

  const World& world_;
  const std::string& baseUrl_;
  int64_t now_;
  std::unordered_map<const FqlQuery*, std::unique_ptr<FqlTable>> tables_;
  std::unordered_map<const FqlExpr*, InList> inLists_;
};

}  // namespace

FqlEvaluator::FqlEvaluator(const World& world, std::string baseUrl, int64_t now)
    : world_(world), baseUrl_(std::move(baseUrl)), now_(now) {}

std::optional<std::string> FqlEvaluator::run(std::string_view text, std::string& error) const {
  std::string out;
  if (!write(text, out, error)) return std::nullopt;
  return out;
}

bool FqlEvaluator::write(std::string_view text, std::string& out, std::string& error) const {
  out.clear();
  std::unique_ptr<FqlQuery> query = FqlParser::parse(text, error);
  if (!query) return false;
  Evaluation evaluation(world_, baseUrl_, now_);
  if (!evaluation.bind(*query, error)) return false;
  const std::vector<size_t> rows = evaluation.rows(*query);
  const FqlTable& table = *evaluation.tableOf(*query);

  out.reserve(256 + rows.size() * 160 * query->select.size());
  XmlWriter xml(out);
  xml.declaration();
  std::string rootAttributes(restxml::kNamespaces);
  rootAttributes += ' ';
  rootAttributes += restxml::kList;
  if (rows.empty()) {
    xml.empty("fql_query_response", rootAttributes);
    return true;
  }
  xml.open("fql_query_response", rootAttributes);
  for (const size_t row : rows) {
    xml.open(table.rowElement());
    for (const auto& item : query->select) {
      if (item->kind == FqlExpr::Kind::Column) {
        table.write(xml, row, item->column);
      } else {
        // Computed columns have no name of their own; the server calls them "anon".
        xml.element("anon", evaluation.eval(*item, table, row).toText());
      }
    }
    xml.close();
  }
  xml.close();
  return true;
}

}  // namespace sim
