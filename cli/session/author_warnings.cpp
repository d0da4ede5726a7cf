#include "cli/session/author_warnings.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "loader/rounding.h"
#include "platform/cp1252.h"
#include "sources/key_word_hint.h"
#include "sources/key_words.h"
#include "sources/line_fields.h"
#include "sources/record_fields.h"

namespace compactor::session {
namespace {

const char* record_name(RecordKind t) {
  switch (t) {
    case RecordKind::pendenza: return "gradient";
    case RecordKind::curva: return "curve";
    case RecordKind::montagna: return "tunnel";
    case RecordKind::indicatore_v_max: return "speed indicator board";
    case RecordKind::cartello: return "signboard";
    case RecordKind::velocita: return "speed limit";
    case RecordKind::aderenza: return "adhesion";
    case RecordKind::segnale: return "signal";
    case RecordKind::rallentamento: return "slowdown";
    case RecordKind::abbattimento: return "code drop";
    case RecordKind::stazione: return "station";
  }
  return "record";
}

// The key word a record kind is described under.
std::string_view record_key(RecordKind t) {
  switch (t) {
    case RecordKind::pendenza: return "pendenza";
    case RecordKind::curva: return "curva";
    case RecordKind::montagna: return "montagna";
    case RecordKind::indicatore_v_max: return "indicatori_vmax";
    case RecordKind::cartello: return "cartello_indicatore";
    case RecordKind::velocita: return "velocita";
    case RecordKind::aderenza: return "aderenza";
    case RecordKind::segnale: return "segnale";
    case RecordKind::rallentamento: return "rallentamento";
    case RecordKind::abbattimento: return "abbattimento";
    case RecordKind::stazione: return "stazione";
  }
  return {};
}

// Kinds whose records fill the grid forward from the one before, so that a
// record behind its predecessor goes wrong.
bool order_count(RecordKind t) {
  return t == RecordKind::pendenza || t == RecordKind::curva || t == RecordKind::velocita ||
         t == RecordKind::aderenza || t == RecordKind::stazione;
}

bool digits_only(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

// The key words whose case matters, written with a capital by mistake.
bool key_with_capital(const std::string& campo) {
  for (const char* word : {"progressiva", "sfondo", "ripetizione", "segnali", "uno", "due", "tre"})
    if (contains_ignoring_case(campo, word) && !contains(campo, word)) return true;
  return false;
}

}  // namespace

bool WarningCollector::add(Kind kind, const SourcePlace& where, std::string_view riga, std::string message) {
  const auto k = static_cast<size_t>(kind);
  if (told_[k] >= kMostOfAKind) {
    if (untold_[k].count++ == 0) {
      untold_[k].first = where;
      untold_[k].line = std::string(riga);
    }
    return false;
  }
  ++told_[k];
  warnings_.push_back({where, std::move(message), std::string(riga)});
  return true;
}

void WarningCollector::skipped_field(const SourcePlace& where, std::string_view linea, const std::string& campo) {
  const std::string text(without_blanks(campo));
  // Headers, comments and empty fields are what authors write on purpose.
  if (text.empty() || (text.front() == '[' && text.back() == ']')) return;
  Lines& r = lines_[where.source];
  if (r.ignored == where.line) return;  // told with the key field before it
  if (r.record == where.line) {
    // Only the field right after the record can be the rest of its last number.
    const bool first = r.after_record != where.line;
    r.after_record = where.line;
    const auto col = static_cast<size_t>(where.column);
    const bool after_number_comma = col >= 2 && col <= linea.size() && linea[col - 1] == ',' &&
                                        std::isdigit(static_cast<unsigned char>(linea[col - 2]));
    if (first && digits_only(text) && after_number_comma) {
      size_t inizio = col - 1;
      while (inizio > 0 && (std::isdigit(static_cast<unsigned char>(linea[inizio - 1])) || linea[inizio - 1] == '-' ||
                            linea[inizio - 1] == '+'))
        --inizio;
      const std::string_view numero = linea.substr(inizio, col - 1 - inizio);
      add(Kind::decimal_comma, where, linea, fmt::format("a decimal comma splits \"{},{}\": the value reads as {} and \"{}\" is skipped",
                                 numero, text, numero, text));
      return;
    }
    if (r.surplus == where.line) {
      if (r.which_surplus != SIZE_MAX) ++surplus_.at(r.which_surplus).others;
      return;
    }
    r.surplus = where.line;
    const std::string campo = cp1252_to_utf8(text);
    const size_t avviso = warnings_.size();
    if (add(Kind::surplus, where, linea,
                 fmt::format("surplus field \"{}\" after the record on this line is skipped", campo))) {
      r.which_surplus = surplus_.size();
      surplus_.push_back({avviso, campo});
    } else {
      r.which_surplus = SIZE_MAX;  // only counted
    }
    return;
  }
  r.ignored = where.line;
  // Past the kind's bound only counted: no words to make.
  if (told_[static_cast<size_t>(Kind::unrecognised)] >= kMostOfAKind) {
    add(Kind::unrecognised, where, linea, {});
    return;
  }
  std::string message = fmt::format("unrecognised key field \"{}\": no key word matches, so it and the fields after it "
                                      "on this line are skipped",
                                      cp1252_to_utf8(text));
  if (key_with_capital(text)) {
    message += " (these key words are matched with their letter case)";
  } else {
    const auto language = where.source == LoadReport::linea ? SourceLanguage::line : SourceLanguage::train;
    if (const std::string_view hint = nearest_key_word(language, text); !hint.empty())
      message += fmt::format("; did you mean \"{}\"?", hint);
  }
  add(Kind::unrecognised, where, linea, message);
}

void WarningCollector::record(RecordKind tipo, int32_t chainage, const SourcePlace& where, std::string_view linea) {
  const int source_ = where.source;
  lines_[source_].record = where.line;
  if (tipo == RecordKind::stazione) ++stations_;
  line_fields(linea, fields_);
  const Fields& fields = fields_;
  decimal_points(tipo, where, linea, fields);
  if (tipo == RecordKind::stazione) timetable(chainage, where, linea, fields);
  if (tipo == RecordKind::curva) curve_direction(where, linea, fields);
  if (tipo == RecordKind::rallentamento) slowdown(chainage, where, linea, fields);
  wrapped(tipo, chainage, where, linea, fields);
  if (tipo == RecordKind::velocita) speed_limit(chainage, where, linea, fields);
  comment_like(where, linea, fields);
  if (const int64_t length = route_length ? route_length() : 0; length > 0 && chainage > length)
    add(Kind::past_end, where, linea,
             fmt::format("{} at {} m is past the route's end at {} m: the grid's 7000 m beyond the end take it "
                         "without an error; is the chainage or the route length (lunghezza percorso) wrong?",
                         record_name(tipo), chainage, length));
  // Stations keep their chainage and curves are laid out metre by metre;
  // every other record is rounded to a cell.
  if (tipo != RecordKind::stazione && tipo != RecordKind::curva && chainage % 50 != 0)
    add(Kind::off_cell, where, linea, fmt::format("{} at {} m: the chainage is not a multiple of 50 and is rounded to a cell",
                                         record_name(tipo), chainage));
  if (!order_count(tipo)) return;
  const auto key = std::make_pair(source_, tipo);
  const auto before = last_chainage_.find(key);
  if (before != last_chainage_.end() && chainage <= before->second)
    add(Kind::out_of_order, where, linea, fmt::format("{} at {} m is out of chainage order: the one before is at {} m",
                                         record_name(tipo), chainage, before->second));
  last_chainage_[key] = chainage;
}

void WarningCollector::decimal_points(RecordKind kind, const SourcePlace& place, std::string_view line, const Fields& fields) {
  if (line.find('.') == std::string_view::npos) return;
  // The key field comes first, and the text that ends a station or a
  // signboard may hold points of its own.
  const bool ends_in_text = kind == RecordKind::stazione || kind == RecordKind::cartello;
  const size_t last = ends_in_text ? fields.size() - 1 : fields.size();
  for (size_t k = 1; k < last; ++k) {
    const std::string_view text = fields[k].text;
    const size_t point = text.find('.');
    if (point == std::string_view::npos) continue;
    const std::string_view whole = text.substr(0, point), fraction = text.substr(point + 1);
    size_t digits = (!whole.empty() && (whole[0] == '-' || whole[0] == '+')) ? 1 : 0;
    const bool number = whole.size() > digits && !fraction.empty() &&
                        std::all_of(whole.begin() + static_cast<std::ptrdiff_t>(digits), whole.end(),
                                    [](unsigned char c) { return std::isdigit(c); }) &&
                        std::all_of(fraction.begin(), fraction.end(), [](unsigned char c) { return std::isdigit(c); });
    if (!number) continue;
    add(Kind::decimal_point, {place.source, place.line, static_cast<int>(fields[k].at)}, line,
             fmt::format("a decimal point in \"{}\": numbers are whole, and the value reads as {}", text, whole));
  }
}

void WarningCollector::comment_like(const SourcePlace& place, std::string_view line, const Fields& fields) {
  // A key word is found anywhere in its field, so a line an author meant as
  // a comment ("# pendenza raised") is a record when it holds one.
  const LineField& key = fields.front();
  if (key.text.empty() || std::string_view("#/;'*%!").find(key.text.front()) == std::string_view::npos) return;
  add(Kind::comment, {place.source, place.line, static_cast<int>(key.at)}, line,
           fmt::format("\"{}\" looks like a comment but holds a key word, so the line is read as a record; a line "
                       "that holds \"-\" is passed over",
                       cp1252_to_utf8(key.text)));
}

void WarningCollector::curve_direction(const SourcePlace& place, std::string_view line, const Fields& fields) {
  // The reader turns left for an "s" anywhere in the key word and right
  // otherwise: "curvax5" is a right-hand curve without a word.
  const std::string_view written = fields.front().text;
  const std::string key = cp1252_lower(written);
  const size_t at = key.find("curva");
  if (at == std::string::npos) return;
  const size_t letter = at + 5;
  if (letter < key.size() && (key[letter] == 's' || key[letter] == 'd')) return;
  add(Kind::curve, {place.source, place.line, 0}, line,
           fmt::format("curve \"{}\": \"curva\" is followed by s (left) or d (right); this one turns {}",
                       cp1252_to_utf8(written), curva_s(written) ? "left" : "right"));
}

void WarningCollector::timetable(int32_t chainage, const SourcePlace& place, std::string_view line, const Fields& fields) {
  // Hours, minutes and seconds are the 15th to 17th fields of a station's
  // line; a record spread over several lines is not looked at.
  if (fields.size() < 18) return;
  const auto h_read = whole_number(fields[14].text), m_read = whole_number(fields[15].text),
             s_read = whole_number(fields[16].text);
  if (!h_read || !m_read || !s_read) return;
  const int64_t h = *h_read, m = *m_read, sec = *s_read;
  if (h == 0 && m == 0 && sec == 0) return;  // a station the train passes
  const SourcePlace at{place.source, place.line, static_cast<int>(fields[14].at)};
  const auto clock = [](int64_t t) { return fmt::format("{:02}:{:02}:{:02}", t / 3600, t / 60 % 60, t % 60); };
  const int64_t seconds = (h * 60 + m) * 60 + sec;
  if (h < 0 || h > 23 || m < 0 || m > 59 || sec < 0 || sec > 59) {
    add(Kind::timetable, at, line,
             fmt::format("station at {} m: the time {}, {}, {} is out of range (hours 0 to 23, minutes and seconds 0 "
                         "to 59); it counts as {} seconds{}",
                         chainage, h, m, sec, seconds, seconds >= 0 && seconds < 86400 ? ", " + clock(seconds) : ""));
  } else if (last_time_ >= 0 && seconds < last_time_) {
    add(Kind::timetable, at, line,
             fmt::format("station at {} m: its time {} is before {}, the time of the station before it at {} m",
                         chainage, clock(seconds), clock(last_time_), last_time_at_));
  }
  last_time_ = seconds;
  last_time_at_ = chainage;
}

void WarningCollector::slowdown(int32_t chainage, const SourcePlace& place, std::string_view line, const Fields& fields) {
  // Speed and length are the 2nd and 3rd fields of the record's line; a
  // record spread over several lines is not looked at.
  if (fields.size() < 4) return;
  const auto length = whole_number(fields[3].text);
  if (length && *length >= 0 && chainage >= 0 && chainage / 50 == (chainage + *length) / 50)
    add(Kind::slowdown, {place.source, place.line, static_cast<int>(fields[3].at)}, line,
             fmt::format("slowdown at {} m: its end at {} m falls in the start's cell, so no end mark is stored and "
                         "the codes after the start run on to the route's end; a length of at least {} m puts the end "
                         "in the next cell",
                         chainage, chainage + *length, 50 - chainage % 50));
}

void WarningCollector::speed_limit(int32_t chainage, const SourcePlace& place, std::string_view line, const Fields& fields) {
  if (fields.size() < 3) return;
  const auto speed = whole_number(fields[2].text);
  // Above 1277 km/h the load fails: that is an error of its own.
  if (!speed || *speed < 0 || *speed > 1277) return;
  const SourcePlace at{place.source, place.line, static_cast<int>(fields[2].at)};
  const int64_t kept = round_half_even(static_cast<double>(*speed) / 5.0) * 5;
  if (kept != *speed)
    add(Kind::speed, at, line,
        fmt::format("speed limit at {} m: a cell holds the speed in steps of 5 km/h, so {} km/h is stored as {} km/h",
                    chainage, *speed, kept));
  else if (*speed > kFastestLine)
    add(Kind::speed, at, line,
        fmt::format("speed limit at {} m: {} km/h is above {} km/h, faster than any line; is a digit too many?",
                    chainage, *speed, kFastestLine));
}

void WarningCollector::wrapped(RecordKind kind, int32_t chainage, const SourcePlace& place, std::string_view line, const Fields& fields) {
  // The record's fields follow its key field on its line; a record spread
  // over several lines is not looked at.
  const bool line_source = place.source == LoadReport::linea;
  std::optional<const RecordInfo*>& looked_up = infos_[2 * static_cast<size_t>(kind) + (line_source ? 0 : 1)];
  if (!looked_up)
    looked_up = record_with_key(line_source ? SourceLanguage::line : SourceLanguage::train, record_key(kind));
  const RecordInfo* info = *looked_up;
  if (info == nullptr) return;
  if (fields.size() < info->fields.size() + 1) return;
  for (size_t k = 0; k < info->fields.size(); ++k) {
    const FieldInfo& field = info->fields[k];
    if (field.stored_bits == 0) continue;
    const auto value = whole_number(fields[k + 1].text);
    if (!value) continue;
    const auto kept = wrapped_value(field, *value);
    if (!kept) continue;
    const std::string how =
        field.stored_offset == 0
            ? fmt::format("does not fit {} bits and is stored as {}", field.stored_bits, *kept)
            : fmt::format("is outside {} to {}: {} + {} does not fit a byte and is stored as {}", field.lowest,
                          field.highest, field.name, field.stored_offset, *kept);
    add(Kind::wrapped, {place.source, place.line, static_cast<int>(fields[k + 1].at)}, line,
        fmt::format("{} at {} m: the {} {} {}", record_name(kind), chainage, field.name, *value, how));
  }
}

void WarningCollector::marker_replaced(RecordKind tipo, int32_t chainage, const SourcePlace& where,
                                            std::string_view linea) {
  add(Kind::marker, where, linea, fmt::format("{} at {} m replaces a tunnel marker", record_name(tipo), chainage));
}

std::vector<AuthorWarning> WarningCollector::warnings() const {
  std::vector<AuthorWarning> sorted = warnings_;
  for (const Surplus& s : surplus_)
    if (s.others > 0)
      sorted.at(s.avviso).message =
          fmt::format("surplus field \"{}\" and {} more after the record on this line are skipped", s.campo, s.others);
  static constexpr const char* kWhat[] = {"decimal commas", "surplus fields", "unrecognised key fields",
                                          "chainages off a cell", "records out of chainage order",
                                          "tunnel markers replaced", "decimal points", "timetable times",
                                          "curve directions", "comment-like records",
                                          "records past the route's end", "slowdowns",
                                          "values that do not fit", "speed limits"};
  static_assert(std::size(kWhat) == static_cast<size_t>(Kind::count));
  for (size_t k = 0; k < untold_.size(); ++k) {
    const Untold& u = untold_[k];
    if (u.count == 0) continue;
    sorted.push_back({u.first,
                        fmt::format("{} more warnings of {}, from this line on, are not shown (the first {} are)",
                                    u.count, kWhat[k], kMostOfAKind),
                        u.line});
  }
  std::stable_sort(sorted.begin(), sorted.end(), [](const AuthorWarning& a, const AuthorWarning& b) {
    return std::tie(a.where.source, a.where.line) < std::tie(b.where.source, b.where.line);
  });
  return sorted;
}

}  // namespace compactor::session
