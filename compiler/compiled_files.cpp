#include "compiler/compiled_files.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "compiler/compiled_format.h"
#include "compiler/little_endian.h"
#include "platform/signal_cleanup.h"

namespace compactor {
namespace {

using compiled_format::cell_bytes;
using compiled_format::double_entry_bytes;
using compiled_format::empty_entry_bytes;
using compiled_format::integer_entry_bytes;
using compiled_format::seed_points;

// A fixed block that is handed to the file whenever it fills up: large
// enough that the system calls are few, small enough to stay in the cache
// and to keep the peak memory low.
class Blocco {
 public:
  static constexpr size_t kSize = 256 << 10;

  explicit Blocco(OutputFile& out) : out_(out), data_(std::make_unique_for_overwrite<char[]>(kSize)) {}

  // Room for at least n bytes (n at most kSize).
  char* space(size_t n) {
    if (kSize - used_ < n) empty_out();
    return data_.get() + used_;
  }
  size_t free_() const { return kSize - used_; }
  void advance_(size_t n) { used_ += n; }
  void empty_out() {
    if (used_ != 0) out_.write({data_.get(), used_});
    used_ = 0;
  }

 private:
  OutputFile& out_;
  std::unique_ptr<char[]> data_;
  size_t used_ = 0;
};

char* metti16(char* p, uint16_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>(v >> 8);
  return p + 2;
}

char* metti64(char* p, uint64_t v) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &v, 8);
  } else {
    for (int s = 0; s < 64; s += 8) p[s / 8] = static_cast<char>((v >> s) & 0xFF);
  }
  return p + 8;
}

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

// One coordinate: the seed as 16-bit integers, the computed points as
// doubles, the rest empty. Which is which follows from the index alone.
void write_coordinate(Blocco& b, const double* v, int64_t computed, int64_t points) {
  int64_t m = 0;
  for (; m < std::min(computed, seed_points); ++m) {
    char* p = b.space(integer_entry_bytes);
    p = metti16(p, Variant::intero);
    metti16(p, static_cast<uint16_t>(static_cast<int16_t>(v[m])));
    b.advance_(integer_entry_bytes);
  }
  while (m < computed) {
    char* p = b.space(double_entry_bytes);
    const int64_t n = std::min<int64_t>(computed - m, static_cast<int64_t>(b.free_() / double_entry_bytes));
    // Unrolled: the loop's own counting was as many instructions as the entry.
#pragma GCC unroll 8
    for (int64_t k = 0; k < n; ++k) {
      p = metti16(p, Variant::doppio);
      p = metti64(p, std::bit_cast<uint64_t>(v[m + k]));
    }
    b.advance_(static_cast<size_t>(n) * double_entry_bytes);
    m += n;
  }
  while (m < points) {
    char* p = b.space(empty_entry_bytes);
    const int64_t n = std::min<int64_t>(points - m, static_cast<int64_t>(b.free_() / empty_entry_bytes));
    std::memset(p, 0, static_cast<size_t>(n) * empty_entry_bytes);  // tag 0, no value
    b.advance_(static_cast<size_t>(n) * empty_entry_bytes);
    m += n;
  }
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
  double x2 = x[ready - 2], x1 = x[ready - 1], y2 = y[ready - 2], y1 = y[ready - 1];
  int64_t da = ready;
  for (const Stretch& t : planimetria.pending_stretches()) {
    while (da < t.up_to) {
      char* p = b.space(double_entry_bytes);
      const int64_t n = std::min<int64_t>(t.up_to - da, static_cast<int64_t>(b.free_() / double_entry_bytes));
      walk_stretch(x2, x1, y2, y1, da, da + n, t.k, [&p, ys](int64_t i, double xi, double yi) {
        p = metti16(p, Variant::doppio);
        p = metti64(p, std::bit_cast<uint64_t>(xi));
        ys[i] = yi;
      });
      b.advance_(static_cast<size_t>(n) * double_entry_bytes);
      da += n;
    }
  }
  write_coordinate(b, nullptr, 0, points - computed);  // the empty x entries
  write_coordinate(b, ys, computed, points);
}

// Collects a structure's bytes in a string, for bytes_*.
class IntoString : public OutputFile {
 public:
  void write(std::string_view bytes) override { bytes_.append(bytes); }
  void commit() override {}
  std::string bytes_;
};


}  // namespace

void write_grid(const Griglia& griglia, OutputFile& out) {
  out.reserve(griglia.celle().size() * cell_bytes);
  Blocco b(out);
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
  out.reserve(2 * static_cast<uint64_t>(coordinate_size(computed, planimetria.points())));
  Blocco b(out);
  if (planimetria.pending_stretches().empty()) {
    write_coordinate(b, planimetria.all_x(), computed, planimetria.points());
    write_coordinate(b, planimetria.all_y(), computed, planimetria.points());
  } else {
    write_computing(b, planimetria);
  }
  b.empty_out();
}

std::string grid_bytes(const Griglia& griglia) {
  IntoString s;
  write_grid(griglia, s);
  return std::move(s.bytes_);
}

std::string station_bytes(const Stazioni& stazioni) {
  IntoString s;
  write_stations(stazioni, s);
  return std::move(s.bytes_);
}

std::string plan_bytes(const Planimetria& planimetria) {
  IntoString s;
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
