#include "compiler/compiled_files.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>

#include "compiler/compiled_format.h"
#include "compiler/little_endian.h"
#include "compiler/plan_entries.h"
#include "compiler/plan_points.h"
#include "platform/memory_files.h"
#include "platform/signal_cleanup.h"

namespace compactor {
namespace {

using compiled_format::cell_bytes;
using compiled_format::double_entry_bytes;
using compiled_format::empty_entry_bytes;
using compiled_format::integer_entry_bytes;
using compiled_format::seed_points;

// Takes `n` bytes of a block to the file, where they belong: at byte `at`
// of the file.
using WriteBlock = std::function<void(uint64_t at, const char* bytes, size_t n)>;

// A fixed block that is handed to the file whenever it fills up: large
// enough that the system calls are few, small enough to stay in the cache
// and to keep the peak memory low, and no larger than the file needs. Its
// pages are taken in one call: a page fault each costs more than filling
// the page. A block of two halves is filled in step, the same number of
// bytes in each, and each half is the next part of its own stretch of the
// file. Byte b of a half stands for byte base + b of the file, base a
// multiple of the half's size, so a full half is a whole, aligned run of
// pages of the file, which the system fills in fewer and cheaper steps
// than pages cut in two (1,000,000 m compile 11.4 -> 10.0 ms in all,
// against writes of whole blocks). A stretch starting mid-run (the plan's
// y entries) starts as far into its half, and the entry that crosses a
// half's end is moved to its front once the half is written.
class Blocco {
 public:
  static constexpr size_t kSize = 512 << 10;
  // Room past each half for the entries that cross its end.
  static constexpr size_t kSlack = 64;

  // For a file of about `bytes` bytes (or each half of one); each half's
  // bytes go to the file from starts[half] on.
  Blocco(WriteBlock write, uint64_t bytes, int halves = 1, std::array<uint64_t, 2> starts = {0, 0})
      : write_(std::move(write)),
        halves_(halves),
        size_(static_cast<size_t>(std::clamp<uint64_t>(bytes, 64, kSize / static_cast<uint64_t>(halves)))),
        stride_(size_ + kSlack),
        memory_(stride_ * static_cast<size_t>(halves)),
        data_(static_cast<char*>(map_coordinates(memory_))) {
    for (int h = 0; h < halves_; ++h) {
      base_[h] = starts[h] / size_ * size_;
      from_[h] = used_[h] = static_cast<size_t>(starts[h] - base_[h]);
    }
  }
  ~Blocco() { free_coordinates(data_, memory_); }
  Blocco(const Blocco&) = delete;
  Blocco& operator=(const Blocco&) = delete;

  // Room for at least n bytes in each half (n at most the slack); where
  // they go in the first half.
  char* space(size_t n) {
    for (int h = 0; h < halves_; ++h)
      if (used_[h] >= size_) write_out(h, size_);
    if (free_() < n) empty_out();
    return half(0);
  }
  // Where the next bytes of half h go.
  char* half(int h) { return data_ + static_cast<size_t>(h) * stride_ + used_[h]; }
  // A block of one half leaves used_[1] at 0.
  size_t free_() const { return stride_ - std::max(used_[0], used_[1]); }
  void advance_(size_t n) {
    for (int h = 0; h < halves_; ++h) used_[h] += n;
  }
  int halves() const { return halves_; }
  // Everything still held to the file.
  void empty_out() {
    for (int h = 0; h < halves_; ++h) write_out(h, used_[h]);
  }

 private:
  // Half h's bytes up to `upto` to the file, those after it to its front.
  void write_out(int h, size_t upto) {
    char* const bytes = data_ + static_cast<size_t>(h) * stride_;
    if (upto > from_[h]) write_(base_[h] + from_[h], bytes + from_[h], upto - from_[h]);
    std::memmove(bytes, bytes + upto, used_[h] - upto);
    base_[h] += upto;
    from_[h] = 0;
    used_[h] -= upto;
  }

  WriteBlock write_;
  int halves_;
  size_t size_;    // of each half
  size_t stride_;  // from one half to the next: the size and the slack
  size_t memory_;
  char* data_;
  std::array<uint64_t, 2> base_ = {0, 0};  // where each half's first byte goes in the file
  std::array<size_t, 2> from_ = {0, 0};    // the first byte of each half not yet written
  std::array<size_t, 2> used_ = {0, 0};
};

char* put_cell(char* p, const cella& c) {
  *p++ = static_cast<char>(c.tipo);
  p = metti16(p, static_cast<uint16_t>(c.dato1));
  p = metti16(p, static_cast<uint16_t>(c.dato2));
  p = metti16(p, static_cast<uint16_t>(c.dato3));
  p = metti16(p, static_cast<uint16_t>(c.dato4));
  p[0] = static_cast<char>(c.tempo);
  p[1] = static_cast<char>(c.preavviso);
  p[2] = static_cast<char>(c.montagna);
  p[3] = static_cast<char>(c.velocita);
  p[4] = static_cast<char>(c.pendenza);
  p[5] = static_cast<char>(c.aderenza);
  return p + 6;
}

void append_station(std::string& out, const stazione& s) {
  if (s.nome.size() > testo_massimo) throw std::length_error("a text of more than 32767 bytes cannot be stored");
  le::u8(out, s.tipo);
  le::i32(out, s.inizio);
  le::i32(out, s.fine);
  le::i32(out, s.posizione);
  le::u8(out, s.campo4);
  le::i16(out, static_cast<int16_t>(s.nome.size()));
  out += s.nome;
  le::i16(out, s.campo7);
  le::i16(out, s.campo8);
  le::i16(out, s.campo10);
  le::i16(out, s.campo11);
  le::i16(out, s.campo12);
  le::u8(out, s.campo9);
  le::u8(out, s.campo13);
  le::u8(out, s.campo6);
  le::u8(out, s.campo5);
  le::i32(out, s.orario);
}

// The entries from m to `points` empty (tag 0, no value), in each half of
// the block.
void put_empty(Blocco& b, int64_t m, int64_t points) {
  while (m < points) {
    b.space(empty_entry_bytes);
    const int64_t n = std::min<int64_t>(points - m, static_cast<int64_t>(b.free_() / empty_entry_bytes));
    for (int h = 0; h < b.halves(); ++h) std::memset(b.half(h), 0, static_cast<size_t>(n) * empty_entry_bytes);
    b.advance_(static_cast<size_t>(n) * empty_entry_bytes);
    m += n;
  }
}

// One coordinate: the seed as 16-bit integers, the computed points as
// doubles, the rest empty. Which is which follows from the index alone.
void write_coordinate(Blocco& b, const double* v, int64_t computed, int64_t points) {
  int64_t m = 0;
  for (; m < std::min(computed, seed_points); ++m) {
    put_integer(b.space(integer_entry_bytes), v[m]);
    b.advance_(integer_entry_bytes);
  }
  while (m < computed) {
    char* p = b.space(double_entry_bytes);
    const int64_t n = std::min<int64_t>(computed - m, static_cast<int64_t>(b.free_() / double_entry_bytes));
    // Unrolled: the loop's own counting was as many instructions as the entry.
#pragma GCC unroll 8
    for (int64_t k = 0; k < n; ++k) p = put_double(p, v[m + k]);
    b.advance_(static_cast<size_t>(n) * double_entry_bytes);
    m += n;
  }
  put_empty(b, m, points);
}

// The bytes write_coordinate writes.
int64_t coordinate_size(int64_t computed, int64_t points) {
  const int64_t integers = std::min(computed, seed_points);
  return integers * static_cast<int64_t>(integer_entry_bytes) + (computed - integers) * static_cast<int64_t>(double_entry_bytes) +
         (points - computed) * static_cast<int64_t>(empty_entry_bytes);
}

// Memory for one coordinate of every computed point, given back at the end.
class Coordinate {
 public:
  explicit Coordinate(int64_t points)
      : bytes_(static_cast<size_t>(points) * sizeof(double)), v_(static_cast<double*>(map_coordinates(bytes_))) {}
  ~Coordinate() { free_coordinates(v_, bytes_); }
  Coordinate(const Coordinate&) = delete;
  Coordinate& operator=(const Coordinate&) = delete;
  double* get() const { return v_; }

 private:
  size_t bytes_;
  double* v_;
};

// The entries of a plan whose last runs are not computed yet: each point is
// computed once, its x entry laid out at once (in the shadow of the wait on
// the point before) and its y kept for the second half. The plan's x is
// never held, so half the memory of its coordinates is never asked for.
void write_computing(Blocco& b, const Planimetria& planimetria) {
  const int64_t computed = planimetria.next(), points = planimetria.points();
  const int64_t ready = planimetria.stored();  // at least the seed
  const double* const x = planimetria.x_stored();
  const double* const y = planimetria.y_stored();
  const Coordinate all_y_(computed);
  double* const ys = all_y_.get();
  std::copy(y, y + ready, ys);

  write_coordinate(b, x, ready, ready);
  LastTwo last{x[ready - 2], x[ready - 1], y[ready - 2], y[ready - 1]};
  int64_t da = ready;
  for (const Stretch& t : planimetria.pending_stretches()) {
    while (da < t.up_to) {
      char* const p = b.space(double_entry_bytes);
      const int64_t n = std::min<int64_t>(t.up_to - da, static_cast<int64_t>(b.free_() / double_entry_bytes));
      last = lay_out_points(last, da, da + n, t.k, p, nullptr, ys);
      b.advance_(static_cast<size_t>(n) * double_entry_bytes);
      da += n;
    }
  }
  put_empty(b, computed, points);  // the empty x entries
  write_coordinate(b, ys, computed, points);
}

// The plan's two coordinates laid out in step: entry m of either has the
// same length, so a block's first half takes x entries and its second half
// the y entries of the same points, and each half goes to its own place in
// the file, x from the start and y from the middle. Each point is computed
// once and neither coordinate is ever held.
void write_in_step(Blocco& b, const Planimetria& planimetria) {
  const int64_t computed = planimetria.next(), points = planimetria.points();
  const bool pending = !planimetria.pending_stretches().empty();
  const int64_t ready = pending ? planimetria.stored() : computed;
  const double* const x = planimetria.x_stored();
  const double* const y = planimetria.y_stored();
  int64_t m = 0;
  for (; m < std::min(ready, seed_points); ++m) {
    put_integer(b.space(integer_entry_bytes), x[m]);
    put_integer(b.half(1), y[m]);
    b.advance_(integer_entry_bytes);
  }
  while (m < ready) {
    char* p = b.space(double_entry_bytes);
    char* q = b.half(1);
    const int64_t n = std::min<int64_t>(ready - m, static_cast<int64_t>(b.free_() / double_entry_bytes));
#pragma GCC unroll 4
    for (int64_t k = 0; k < n; ++k) {
      p = put_double(p, x[m + k]);
      q = put_double(q, y[m + k]);
    }
    b.advance_(static_cast<size_t>(n) * double_entry_bytes);
    m += n;
  }
  if (pending) {
    LastTwo last{x[ready - 2], x[ready - 1], y[ready - 2], y[ready - 1]};
    while (m < computed) {
      char* const p = b.space(double_entry_bytes);
      const int64_t n = std::min<int64_t>(computed - m, static_cast<int64_t>(b.free_() / double_entry_bytes));
      last = lay_out_runs(last, planimetria.pending_stretches(), ready, m, m + n, p, b.half(1));
      b.advance_(static_cast<size_t>(n) * double_entry_bytes);
      m += n;
    }
  }
  put_empty(b, m, points);
}

}  // namespace

void write_grid(const Griglia& griglia, OutputFile& out) {
  out.reserve(griglia.celle().size() * cell_bytes);
  Blocco b([&out](uint64_t, const char* bytes, size_t n) { out.write({bytes, n}); },
           griglia.celle().size() * cell_bytes);
  for (const cella& c : griglia.celle()) {
    put_cell(b.space(cell_bytes), c);
    b.advance_(cell_bytes);
  }
  b.empty_out();
}

void write_stations(const Stazioni& stazioni, OutputFile& out) {
  // A few kilobytes: one string, one write.
  std::string bytes;
  bytes.reserve(compiled_format::rows * compiled_format::row_bytes);
  for (const stazione& s : stazioni.all()) append_station(bytes, s);
  out.reserve(bytes.size());
  out.write(bytes);
}

void write_plan(const Planimetria& planimetria, OutputFile& out) {
  const int64_t computed = planimetria.next();
  const uint64_t half = static_cast<uint64_t>(coordinate_size(computed, planimetria.points()));
  out.reserve(2 * half);
  if (out.writes_at()) {
    Blocco b([&out](uint64_t at, const char* bytes, size_t n) { out.write_at(at, {bytes, n}); }, half, 2,
             {0, half});
    write_in_step(b, planimetria);
    b.empty_out();
    return;
  }
  // A file written front to back only: the x entries, then the y entries.
  Blocco b([&out](uint64_t, const char* bytes, size_t n) { out.write({bytes, n}); }, 2 * half);
  if (planimetria.pending_stretches().empty()) {
    write_coordinate(b, planimetria.all_x(), computed, planimetria.points());
    write_coordinate(b, planimetria.all_y(), computed, planimetria.points());
  } else {
    write_computing(b, planimetria);
  }
  b.empty_out();
}

std::string grid_bytes(const Griglia& griglia) {
  StringOutput s;
  write_grid(griglia, s);
  return std::move(s.bytes_);
}

std::string station_bytes(const Stazioni& stazioni) {
  StringOutput s;
  write_stations(stazioni, s);
  return std::move(s.bytes_);
}

std::string plan_bytes(const Planimetria& planimetria) {
  StringOutput s;
  write_plan(planimetria, s);
  return std::move(s.bytes_);
}

std::vector<std::string> write_compiled_files(const Model& m, const FileNames& names, Files& files) {
  // The three files are one set: each is written whole to its temporary
  // before any is put in place, so a failure while writing (a full disk, a
  // signal) leaves the old set as it was, never a new plan beside an old grid.
  std::vector<std::string> written;
  std::vector<std::unique_ptr<OutputFile>> ready;
  auto write = [&](const std::string& path, auto&& content) {
    auto out = files.create(path);
    content(*out);
    out->finish();
    ready.push_back(std::move(out));
    written.push_back(path);
  };
  if (m.con_planimetria != 0)
    write(names.planimetria, [&](OutputFile& out) { write_plan(m.planimetria, out); });
  write(names.scenario, [&](OutputFile& out) { write_stations(m.stazioni, out); });
  write(names.griglia, [&](OutputFile& out) { write_grid(m.griglia, out); });
  // Put in place together: an interruption waits for the last rename.
  const SignalsHeld held;
  for (auto& out : ready) out->commit();
  return written;
}

}  // namespace compactor
