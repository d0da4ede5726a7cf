#include "sources/key_word_hint.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "sources/line_fields.h"

namespace compactor {
namespace {

std::string folded(std::string_view s) {
  std::string out(without_blanks(s));
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Insertions, deletions, substitutions and swaps of two neighbours.
size_t distance(const std::string& a, const std::string& b) {
  const size_t n = a.size(), m = b.size();
  std::vector<std::vector<size_t>> d(n + 1, std::vector<size_t>(m + 1));
  for (size_t i = 0; i <= n; ++i) d[i][0] = i;
  for (size_t j = 0; j <= m; ++j) d[0][j] = j;
  for (size_t i = 1; i <= n; ++i)
    for (size_t j = 1; j <= m; ++j) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[n][m];
}

}  // namespace

std::string_view nearest_key_word(SourceLanguage language, std::string_view field) {
  const std::string f = folded(field);
  // A long field is no misspelt key word, and the table stays small.
  if (f.empty() || f.size() > 64) return {};
  std::string_view best;
  size_t best_distance = SIZE_MAX;
  for (const RecordInfo& r : records(language)) {
    const std::string key = folded(r.key);
    const size_t d = distance(f, key);
    if (d < best_distance) {
      best_distance = d;
      best = r.key;
    }
  }
  if (best_distance == 0 || best_distance > std::max<size_t>(1, best.size() / 4)) return {};
  return best;
}

}  // namespace compactor
