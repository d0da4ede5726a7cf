// A small builder of SVG documents: one element a line, attributes in the
// order given, every text escaped, numbers in one fixed format so that the
// same drawing always gives the same bytes.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace compactor::cli {

using Attributes = std::vector<std::pair<std::string_view, std::string>>;

// A coordinate or length with two decimals ("12.50", never "-0.00").
std::string num(double v);

// UTF-8 text made safe for XML content and attribute values: the five
// special characters become entities and control characters that XML does
// not allow become blanks.
std::string xml_escape(std::string_view utf8);

class Svg {
 public:
  Svg(double width, double height);

  void open(std::string_view tag, const Attributes& a = {});
  void close();
  void vuoto(std::string_view tag, const Attributes& a = {});
  // <tag ...>text</tag> on one line.
  void text(std::string_view tag, const Attributes& a, std::string_view utf8);

  // Closes whatever is still open and hands the document over.
  std::string fine();

 private:
  void open_tag(std::string_view tag, const Attributes& a);

  std::string out_;
  std::vector<std::string> open_;
};

}  // namespace compactor::cli
