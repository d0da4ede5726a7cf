// For the tests: a strict reader of the XML that the SVG writer produces,
// so a test can check that a picture is well-formed and look inside it.
// Throws std::runtime_error at the first thing that is not well-formed XML.
#pragma once

#include <cctype>
#include <cstdint>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace compactor::testing {

struct Element {
  std::string nome;
  std::map<std::string, std::string> attributes;  // values with entities resolved
  std::vector<Element> children;
  std::string text;  // the text directly inside, entities resolved

  std::string attr(const std::string& a) const {
    const auto it = attributes.find(a);
    return it == attributes.end() ? std::string() : it->second;
  }
  bool has_class(std::string_view c) const {
    std::istringstream in(attr("class"));
    for (std::string word; in >> word;)
      if (word == c) return true;
    return false;
  }
};

class XmlReader {
 public:
  explicit XmlReader(std::string_view s) : s_(s) {}

  Element document() {
    if (s_.substr(0, 5) == "<?xml") {
      const auto fine = s_.find("?>");
      if (fine == std::string_view::npos) errore("unclosed XML declaration");
      i_ = fine + 2;
    }
    skip_blanks_and_comments();
    Element root = element();
    skip_blanks_and_comments();
    if (i_ != s_.size()) errore("content after the root element");
    return root;
  }

 private:
  [[noreturn]] void errore(const std::string& why) const {
    throw std::runtime_error("not well-formed XML at byte " + std::to_string(i_) + ": " + why);
  }
  bool fine() const { return i_ >= s_.size(); }
  char c() const { return fine() ? '\0' : s_[i_]; }
  static bool vuoto(char x) { return x == ' ' || x == '\n' || x == '\r' || x == '\t'; }
  static bool from_name(char x) {
    return std::isalnum(static_cast<unsigned char>(x)) || x == '-' || x == '_' || x == ':' || x == '.';
  }

  void skip_blanks() {
    while (!fine() && vuoto(c())) ++i_;
  }
  void skip_blanks_and_comments() {
    for (;;) {
      skip_blanks();
      if (s_.substr(i_, 4) != "<!--") return;
      const auto f = s_.find("-->", i_);
      if (f == std::string_view::npos) errore("unclosed comment");
      i_ = f + 3;
    }
  }
  std::string nome() {
    const size_t inizio = i_;
    while (!fine() && from_name(c())) ++i_;
    if (i_ == inizio) errore("a name was expected");
    return std::string(s_.substr(inizio, i_ - inizio));
  }
  static void utf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  // Text up to `stop`, entities resolved; '<' and a bare '&' are errors.
  std::string text_up_to(char stop) {
    std::string out;
    while (!fine() && c() != stop) {
      const char x = c();
      if (x == '<') errore("'<' inside a value");
      const auto b = static_cast<unsigned char>(x);
      if (b < 0x20 && !vuoto(x)) errore("a control character");
      if (x != '&') {
        out += x;
        ++i_;
        continue;
      }
      const auto f = s_.find(';', i_);
      if (f == std::string_view::npos || f - i_ > 10) errore("a bare '&'");
      const std::string_view ent = s_.substr(i_ + 1, f - i_ - 1);
      if (ent == "amp")
        out += '&';
      else if (ent == "lt")
        out += '<';
      else if (ent == "gt")
        out += '>';
      else if (ent == "quot")
        out += '"';
      else if (ent == "apos")
        out += '\'';
      else if (ent.size() > 1 && ent[0] == '#')
        utf8(out, static_cast<uint32_t>(ent[1] == 'x' ? std::stoul(std::string(ent.substr(2)), nullptr, 16)
                                                      : std::stoul(std::string(ent.substr(1)))));
      else
        errore("an unknown entity");
      i_ = f + 1;
    }
    return out;
  }
  Element element() {
    if (c() != '<') errore("'<' was expected");
    ++i_;
    Element e;
    e.nome = nome();
    for (;;) {
      const bool space = vuoto(c());
      skip_blanks();
      if (c() == '/') {
        if (s_.substr(i_, 2) != "/>") errore("'/>' was expected");
        i_ += 2;
        return e;
      }
      if (c() == '>') {
        ++i_;
        break;
      }
      if (!space) errore("a blank was expected before an attribute");
      const std::string a = nome();
      skip_blanks();
      if (c() != '=') errore("'=' was expected");
      ++i_;
      skip_blanks();
      const char q = c();
      if (q != '"' && q != '\'') errore("a quoted value was expected");
      ++i_;
      std::string v = text_up_to(q);
      if (fine()) errore("unclosed attribute value");
      ++i_;
      if (!e.attributes.emplace(a, std::move(v)).second) errore("attribute '" + a + "' given twice");
    }
    for (;;) {
      if (fine()) errore("element <" + e.nome + "> is not closed");
      if (s_.substr(i_, 4) == "<!--") {
        skip_blanks_and_comments();
        continue;
      }
      if (s_.substr(i_, 2) == "</") {
        i_ += 2;
        if (nome() != e.nome) errore("end tag does not match <" + e.nome + ">");
        skip_blanks();
        if (c() != '>') errore("'>' was expected");
        ++i_;
        return e;
      }
      if (c() == '<') {
        e.children.push_back(element());
        continue;
      }
      e.text += text_up_to('<');
    }
  }

  std::string_view s_;
  size_t i_ = 0;
};

inline Element read_xml(std::string_view s) { return XmlReader(s).document(); }

// Every element below `e` (and `e` itself) that satisfies `p`, in document order.
inline void find(const Element& e, const std::function<bool(const Element&)>& p, std::vector<const Element*>& out) {
  if (p(e)) out.push_back(&e);
  for (const Element& f : e.children) find(f, p, out);
}
inline std::vector<const Element*> with_class(const Element& e, std::string_view class_) {
  std::vector<const Element*> out;
  find(
      e, [&](const Element& x) { return x.has_class(class_); }, out);
  return out;
}
inline const Element* with_id(const Element& e, const std::string& id) {
  std::vector<const Element*> out;
  find(
      e, [&](const Element& x) { return x.attr("id") == id; }, out);
  return out.empty() ? nullptr : out.front();
}

}  // namespace compactor::testing
