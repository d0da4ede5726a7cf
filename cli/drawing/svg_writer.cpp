#include "cli/drawing/svg_writer.h"

#include <fmt/format.h>

#include <cmath>

namespace compactor::cli {

std::string num(double v) {
  if (!std::isfinite(v)) v = 0;
  std::string s = fmt::format("{:.2f}", v);
  if (s == "-0.00") s = "0.00";
  return s;
}

std::string xml_escape(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (const char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    switch (ch) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        // XML 1.0 allows no control characters but tab, LF and CR; keep none
        // of them, so a text stays on one line.
        out += c < 0x20 || c == 0x7F ? ' ' : ch;
    }
  }
  return out;
}

Svg::Svg(double width, double height) {
  out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  open("svg", {{"xmlns", "http://www.w3.org/2000/svg"},
               {"width", num(width)},
               {"height", num(height)},
               {"viewBox", "0 0 " + num(width) + " " + num(height)},
               {"font-family", "DejaVu Sans, Verdana, Arial, sans-serif"}});
}

void Svg::open_tag(std::string_view tag, const Attributes& a) {
  out_.append(open_.size() * 2, ' ');
  out_ += '<';
  out_ += tag;
  for (const auto& [nome, valore] : a) {
    out_ += ' ';
    out_ += nome;
    out_ += "=\"";
    out_ += xml_escape(valore);
    out_ += '"';
  }
}

void Svg::open(std::string_view tag, const Attributes& a) {
  open_tag(tag, a);
  out_ += ">\n";
  open_.emplace_back(tag);
}

void Svg::close() {
  if (open_.empty()) return;
  const std::string tag = std::move(open_.back());
  open_.pop_back();
  out_.append(open_.size() * 2, ' ');
  out_ += "</" + tag + ">\n";
}

void Svg::vuoto(std::string_view tag, const Attributes& a) {
  open_tag(tag, a);
  out_ += "/>\n";
}

void Svg::text(std::string_view tag, const Attributes& a, std::string_view utf8) {
  open_tag(tag, a);
  out_ += '>';
  out_ += xml_escape(utf8);
  out_ += "</";
  out_ += tag;
  out_ += ">\n";
}

std::string Svg::fine() {
  while (!open_.empty()) close();
  return std::move(out_);
}

}  // namespace compactor::cli
