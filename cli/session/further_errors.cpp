#include "cli/session/further_errors.h"

#include <string>

namespace compactor::session {
namespace {

// `bytes` with its line `line` (1-based) emptied; the line end stays, so the
// lines after it keep their numbers.
std::string without_line(const std::string& bytes, int line) {
  size_t begin = 0;
  for (int k = 1; k < line; ++k) {
    const size_t end = bytes.find('\n', begin);
    if (end == std::string::npos) return bytes;
    begin = end + 1;
  }
  size_t end = bytes.find('\n', begin);
  if (end == std::string::npos) end = bytes.size();
  if (end > begin && bytes[end - 1] == '\r') --end;
  return bytes.substr(0, begin) + bytes.substr(end);
}

}  // namespace

CompileResult compiled_past_errors(CompileRequest request, const CompileResult& first) {
  request.on_stage = {};
  Diagnostic last = first.error() ? *first.error() : Diagnostic{};
  CompileResult result;
  for (int k = 1; k < kMostErrors && last.line > 0 && last.source != Source::none; ++k) {
    SourceText& source = last.source == Source::line ? request.line : request.train;
    source.bytes = without_line(source.bytes, last.line);
    result = compile(request);
    const Diagnostic* e = result.error();
    if (!e || (e->source == last.source && e->line == last.line)) break;
    last = *e;
  }
  return result;
}

std::vector<Diagnostic> further_errors(const CompileRequest& request, const CompileResult& first) {
  std::vector<Diagnostic> found;
  CompileRequest next = request;
  next.provenance = false;
  next.on_stage = {};
  const Diagnostic* last = first.error();
  while (last && last->line > 0 && last->source != Source::none && 1 + found.size() < kMostErrors) {
    SourceText& source = last->source == Source::line ? next.line : next.train;
    source.bytes = without_line(source.bytes, last->line);
    const CompileResult again = compile(next);
    const Diagnostic* e = again.error();
    if (!e || (e->source == last->source && e->line == last->line && e->number == last->number)) break;
    found.push_back(*e);
    last = &found.back();
  }
  return found;
}

}  // namespace compactor::session
