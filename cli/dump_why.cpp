#include "cli/dump_why.h"

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "model/members.h"
#include "platform/cp1252.h"

namespace compactor::cli {
namespace {

using nlohmann::json;
using session::Origin;

// "file:line: text" for a record; the origin in words for anything else.
std::string origin_text(const session::CompileResult& r, const Origin& o) {
  if (o.kind != Origin::Kind::record) return session::origin_words(o.kind);
  const session::Record& rec = r.provenance.record(o.record);
  return fmt::format("{}:{}: {}", r.source_name(rec.source), rec.line,
                     cp1252_to_utf8(std::string(r.provenance.record_text(o.record))));
}

json origin_json(const session::CompileResult& r, const Origin& o) {
  if (o.kind != Origin::Kind::record) return {{"origin", session::origin_name(o.kind)}, {"words", session::origin_words(o.kind)}};
  const session::Record& rec = r.provenance.record(o.record);
  return {{"file", r.source_name(rec.source)},
          {"line", rec.line},
          {"column", rec.column + 1},
          {"record", cp1252_to_utf8(std::string(r.provenance.record_text(o.record)))}};
}

// The members of one cell or row grouped by origin, in member order of
// each group's first member.
template <typename Member, int kCount, typename Lookup>
std::vector<std::pair<Origin, std::vector<Member>>> by_origin(Lookup origin_of) {
  std::vector<std::pair<Origin, std::vector<Member>>> groups;
  for (int i = 0; i < kCount; ++i) {
    const auto m = static_cast<Member>(i);
    const Origin o = origin_of(m);
    if (o.kind == Origin::Kind::none) continue;
    auto it = groups.begin();
    while (it != groups.end() && !(it->first == o)) ++it;
    if (it == groups.end()) it = groups.insert(groups.end(), {o, {}});
    it->second.push_back(m);
  }
  return groups;
}

template <typename Member>
void lines(const session::CompileResult& r, const std::vector<std::pair<Origin, std::vector<Member>>>& groups,
           std::ostream& out) {
  for (const auto& [origin, members] : groups) {
    std::string names;
    for (const Member m : members) names += (names.empty() ? "" : ", ") + std::string(member_name(m));
    out << fmt::format("          {}: {}\n", names, origin_text(r, origin));
  }
}

// {"member": origin, ...} of the members someone set.
template <typename Member, int kCount, typename Lookup>
json members_json(const session::CompileResult& r, Lookup origin_of) {
  json j = json::object();
  for (int i = 0; i < kCount; ++i) {
    const auto m = static_cast<Member>(i);
    const Origin o = origin_of(m);
    if (o.kind != Origin::Kind::none) j[member_name(m)] = origin_json(r, o);
  }
  return j;
}

}  // namespace

void Why::cell_text(int64_t k, std::ostream& out) const {
  lines(result_, by_origin<CellMember, kCellMemberCount>([&](CellMember m) { return result_.provenance.cell(k, m); }),
        out);
}

void Why::row_text(int r, std::ostream& out) const {
  lines(result_, by_origin<RowMember, kRowMemberCount>([&](RowMember m) { return result_.provenance.row(r, m); }), out);
}

json Why::cell_json(int64_t k) const {
  return members_json<CellMember, kCellMemberCount>(result_, [&](CellMember m) { return result_.provenance.cell(k, m); });
}

json Why::row_json(int r) const {
  return members_json<RowMember, kRowMemberCount>(result_, [&](RowMember m) { return result_.provenance.row(r, m); });
}

}  // namespace compactor::cli
