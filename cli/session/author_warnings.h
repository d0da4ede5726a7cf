// The warnings of a compile: what the loader accepts silently but an author
// wants to see, gathered while the same loader runs.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "loader/load_observer.h"
#include "sources/line_fields.h"
#include "sources/record_fields.h"

namespace compactor::session {

struct AuthorWarning {
  SourcePlace where;
  std::string message;  // UTF-8
  std::string line_text;  // the line as written (Windows-1252)
};

class WarningCollector : public LoadObserver {
 public:
  // Headers, decimal commas and surplus fields are told apart by where a
  // skipped field stands in its line.
  void skipped_field(const SourcePlace& where, std::string_view riga, const std::string& campo) override;
  void record(RecordKind tipo, int32_t chainage, const SourcePlace& where, std::string_view riga) override;
  void marker_replaced(RecordKind tipo, int32_t chainage, const SourcePlace& where, std::string_view riga) override;
  void stage(const char* nome) override {
    if (advance) advance(nome);
  }

  // Told of each stage of the compile, when set.
  std::function<void(const char*)> advance;

  // The route's length as read so far, 0 while unknown; when set, a record
  // past the route's end (inside the 7000 m the grid adds, where the loader
  // takes it without an error) is told.
  std::function<int64_t()> route_length;

  // In source order: line source first, then train source, by line; of each
  // kind the first kMostOfAKind, then one warning that counts the rest.
  std::vector<AuthorWarning> warnings() const;

  static constexpr int kMostOfAKind = 50;
  // The fastest speed limit that is not taken for a slip of the keyboard.
  static constexpr int kFastestLine = 350;

  // Station records read.
  int64_t stations() const { return stations_; }

 private:
  // The kinds of warning, each bounded on its own: a source of ten million
  // misspelt lines is told in fifty warnings and a count, not ten million.
  enum class Kind { decimal_comma, surplus, unrecognised, off_cell, out_of_order, marker, decimal_point, timetable, curve, comment, past_end, slowdown, wrapped, speed, count };
  // The fields of the record's line, split once for every check of it.
  using Fields = std::vector<LineField>;
  Fields fields_;  // of the record's line; its room serves every line
  // A number written with a decimal point, which the reader cuts at the point.
  void decimal_points(RecordKind kind, const SourcePlace& place, std::string_view line, const Fields& fields);
  // A record whose key field begins as a comment does.
  void comment_like(const SourcePlace& place, std::string_view line, const Fields& fields);
  // A curve whose key word does not say s or d after "curva".
  void curve_direction(const SourcePlace& place, std::string_view line, const Fields& fields);
  // A station's time out of range, or before the time of the timed station before it.
  void timetable(int32_t chainage, const SourcePlace& place, std::string_view line, const Fields& fields);
  // A slowdown whose speed wraps to 16 bits, or whose end falls in its start's cell.
  void slowdown(int32_t chainage, const SourcePlace& place, std::string_view line, const Fields& fields);
  // A speed limit a cell keeps otherwise than written, or one far above any
  // line's.
  void speed_limit(int32_t chainage, const SourcePlace& place, std::string_view line, const Fields& fields);
  // Values the record keeps in fewer bits than they are written with.
  void wrapped(RecordKind kind, int32_t chainage, const SourcePlace& place, std::string_view line, const Fields& fields);
  int64_t last_time_ = -1;   // seconds of the day of the last timed station, -1 before one
  int32_t last_time_at_ = 0;  // its chainage
  // False when the warning is one too many of its kind and only counted.
  bool add(Kind kind, const SourcePlace& where, std::string_view riga, std::string message);

  std::vector<AuthorWarning> warnings_;
  int64_t stations_ = 0;
  struct Untold {
    int64_t count = 0;
    SourcePlace first;  // where the first of them stands
    std::string line;
  };
  std::array<int, static_cast<size_t>(Kind::count)> told_{};
  std::array<Untold, static_cast<size_t>(Kind::count)> untold_{};
  // Per source: the line of the last record, of the last skipped key field
  // and of the last surplus field told, so that the fields after them on
  // the same line are told as part of them, not one warning each.
  struct Lines {
    int record = 0;
    int ignored = 0;
    int after_record = 0;
    int surplus = 0;
    size_t which_surplus = 0;  // in surplus_
  };
  std::map<int, Lines> lines_;
  // A surplus warning told for a line, and how many more fields followed it.
  struct Surplus {
    size_t avviso;
    std::string campo;  // UTF-8
    int others = 0;
  };
  std::vector<Surplus> surplus_;
  // Each language's description of each kind of record, looked up once.
  std::array<std::optional<const RecordInfo*>, 2 * (static_cast<size_t>(RecordKind::stazione) + 1)> infos_{};
  // Per source and kind: the last chainage, for the order check.
  std::map<std::pair<int, RecordKind>, int32_t> last_chainage_;
};

}  // namespace compactor::session
