// Turns the carried texts (UTF-8, one line per line) into line tables.
//
//   embed_texts OUTPUT.cpp linea.txt treno.txt note.txt rallentamenti.txt scheda_treno.txt
//
// Each table holds the lines in slots 0..n-1 and the end marker in slot n;
// a text of more than 1000 lines fails the build.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/c_literal.h"

namespace {

const char* const kFunctions[] = {"line_lines", "train_lines", "note_lines", "slowdown_lines",
                                  "card_lines"};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 7) {
    std::cerr << "usage: embed_texts OUTPUT.cpp linea treno note rallentamenti scheda_treno\n";
    return 2;
  }
  std::ostringstream out;
  out << "// Generated from emitters/texts by embed_texts; do not edit.\n"
      << "#include \"emitters/carried_texts.h\"\n\nnamespace compactor {\n\n";
  for (int t = 0; t < 5; ++t) {
    const auto bytes = tools::file_bytes(argv[t + 2]);
    if (!bytes) {
      std::cerr << "embed_texts: cannot read " << argv[t + 2] << "\n";
      return 1;
    }
    const std::string& text = *bytes;
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      if (line.find('\r') != std::string::npos) {
        std::cerr << "embed_texts: " << argv[t + 2] << ": carriage return in line " << lines.size() + 1
                  << " (texts are kept with LF line ends)\n";
        return 1;
      }
      lines.push_back(line);
      start = end + 1;
    }
    if (lines.size() > 1000) {
      std::cerr << "embed_texts: " << argv[t + 2] << " has " << lines.size()
                << " lines; a line table holds at most 1000 and the end marker\n";
      return 1;
    }
    out << "const LineTable& " << kFunctions[t] << "() {\n"
        << "  static const LineTable lines = [] {\n"
        << "    LineTable r{};\n";
    for (size_t i = 0; i < lines.size(); ++i) out << "    r[" << i << "] = " << tools::c_literal(lines[i]) << ";\n";
    out << "    r[" << lines.size() << "] = end_marker;\n"
        << "    return r;\n  }();\n  return lines;\n}\n\n";
  }
  out << "}  // namespace compactor\n";
  std::ofstream file(argv[1], std::ios::binary);
  file << out.str();
  if (!file.flush()) {
    std::cerr << "embed_texts: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
