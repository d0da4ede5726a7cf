#include "compiler/compiled_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

#include <fmt/format.h>

#include "compiler/riservati.h"
#include "platform/cp1252.h"

namespace compactor {
namespace {

namespace fs = std::filesystem;

constexpr size_t kCella = 15;
constexpr size_t kRigaSenzaNome = 34;
constexpr size_t kMassimoCelle = kMassimoGriglia / kCella;
constexpr size_t kMassimoVoci = 1007001;  // entries of each coordinate

// Why a file is not what it claims to be; the public functions add the
// "bad compiled file" prefix and, when they know it, the path.
struct Difetto {
  std::string perche;
};

[[noreturn]] void difetto(std::string perche) { throw Difetto{std::move(perche)}; }

// Little-endian reads at a position the caller has already checked.
class Byte {
 public:
  explicit Byte(std::string_view b) : b_(b) {}
  size_t resta() const { return b_.size() - pos_; }
  size_t pos() const { return pos_; }
  void salta(size_t n) { pos_ += n; }

  uint8_t u8() { return static_cast<uint8_t>(b_[pos_++]); }
  int16_t i16() { return static_cast<int16_t>(le(2)); }
  int32_t i32() { return static_cast<int32_t>(le(4)); }
  double f64() { return std::bit_cast<double>(le(8)); }
  std::string testo(size_t n) {
    std::string t(b_.substr(pos_, n));
    pos_ += n;
    return t;
  }

 private:
  uint64_t le(int n) {
    uint64_t v = 0;
    for (int i = 0; i < n; ++i) v |= uint64_t{static_cast<uint8_t>(b_[pos_++])} << (8 * i);
    return v;
  }

  std::string_view b_;
  size_t pos_ = 0;
};

Griglia decodifica_griglia(std::string_view bytes) {
  if (bytes.empty()) difetto("an empty grid file");
  if (bytes.size() % kCella != 0)
    difetto(fmt::format("{} bytes is not a whole number of {}-byte cells", bytes.size(), kCella));
  const size_t celle = bytes.size() / kCella;
  if (celle > kMassimoCelle) difetto(fmt::format("{} cells, more than the longest route has ({})", celle, kMassimoCelle));
  Griglia g;
  g.dimensiona(static_cast<int32_t>(celle - 1));
  Byte in(bytes);
  for (size_t k = 0; k < celle; ++k) {
    cella& c = g.at(static_cast<int64_t>(k));
    c.tipo = in.u8();
    c.dato1 = in.i16();
    c.dato2 = in.i16();
    c.dato3 = in.i16();
    c.dato4 = in.i16();
    c.tempo = in.u8();
    c.preavviso = in.u8();
    c.montagna = in.u8();
    c.velocita = in.u8();
    c.pendenza = in.u8();
    c.aderenza = in.u8();
  }
  // A foreign file of the right length: every compile stamps cell 1.
  if (celle > 1 && g.at(1).dato1 != marca_griglia)
    difetto(fmt::format("cell 1 holds {} where every compiled grid has the mark {}", g.at(1).dato1, marca_griglia));
  return g;
}

Stazioni decodifica_stazioni(std::string_view bytes) {
  if (bytes.size() > static_cast<size_t>(kMassimoScenario))
    difetto(fmt::format("{} bytes, more than 87 rows can take", bytes.size()));
  Stazioni t;
  Byte in(bytes);
  for (int r = 0; r < Stazioni::righe; ++r) {
    // Everything up to the name's length, then the name and the rest.
    if (in.resta() < 16)
      difetto(fmt::format("the file ends inside row {} (byte {} of {}); a scenario file holds 87 rows", r,
                          in.pos(), bytes.size()));
    stazione& s = t.at(r);
    s.tipo = in.u8();
    s.inizio = in.i32();
    s.fine = in.i32();
    s.posizione = in.i32();
    s.campo4 = in.u8();
    const int16_t n = in.i16();
    if (n < 0) difetto(fmt::format("row {} has a name of negative length {}", r, n));
    const size_t lunghezza = static_cast<size_t>(n);
    if (in.resta() < lunghezza + kRigaSenzaNome - 16)
      difetto(fmt::format("row {} claims a name of {} bytes but only {} bytes are left", r, n, in.resta()));
    s.nome = in.testo(lunghezza);
    s.campo7 = in.i16();
    s.campo8 = in.i16();
    s.campo10 = in.i16();
    s.campo11 = in.i16();
    s.campo12 = in.i16();
    s.campo9 = in.u8();
    s.campo13 = in.u8();
    s.campo6 = in.u8();
    s.campo5 = in.u8();
    s.orario = in.i32();
  }
  if (in.resta() != 0) difetto(fmt::format("{} bytes left over after the 87 rows", in.resta()));
  if (t.at(85).campo7 != marca_scenario)
    difetto(fmt::format("row 85 holds {} where every compiled scenario file has the mark {}", t.at(85).campo7,
                        marca_scenario));
  return t;
}

// The shape of one coordinate of the plan: seeded or not, and how many
// points were computed after the seed.
struct Forma {
  bool seminata = false;
  size_t calcolati = 0;
  bool operator==(const Forma&) const = default;
};

// Tags of one coordinate must read 2, 2, then 5 ..., then 0 ...; a plan
// that was never seeded is all 0.
Forma forma(const std::vector<uint8_t>& tag, size_t da, size_t n, char coordinata) {
  Forma f;
  size_t m = 0;
  if (n > 0 && tag[da] != Variante::vuoto) {
    for (; m < 2; ++m)
      if (m >= n || tag[da + m] != Variante::intero)
        difetto(fmt::format("{}({}) should be a seed point (tag 2), {}", coordinata, m,
                            m >= n ? "but the coordinate ends" : fmt::format("found tag {}", tag[da + m])));
    f.seminata = true;
    for (; m < n && tag[da + m] == Variante::doppio; ++m) ++f.calcolati;
  }
  for (; m < n; ++m)
    if (tag[da + m] != Variante::vuoto)
      difetto(fmt::format("{}({}) has tag {} after the computed points, where only empty entries (tag 0) follow",
                          coordinata, m, tag[da + m]));
  return f;
}

Planimetria decodifica_planimetria(std::string_view bytes) {
  if (bytes.empty()) difetto("an empty plan file");
  if (bytes.size() > static_cast<size_t>(kMassimoPlanimetria))
    difetto(fmt::format("{} bytes, more than the plan of the longest route takes", bytes.size()));

  // First the tags alone, each checked against the bytes left.
  std::vector<uint8_t> tag;
  Byte in(bytes);
  while (in.resta() > 0) {
    const size_t pos = in.pos();
    if (in.resta() < 2) difetto(fmt::format("the file ends inside the tag at byte {}", pos));
    const int16_t t = in.i16();
    size_t valore = 0;
    switch (t) {
      case Variante::vuoto: valore = 0; break;
      case Variante::intero: valore = 2; break;
      case Variante::doppio: valore = 8; break;
      default: difetto(fmt::format("unknown tag {} at byte {} (entries are tagged 0, 2 or 5)", t, pos));
    }
    if (in.resta() < valore) difetto(fmt::format("the file ends inside the value of the entry at byte {}", pos));
    in.salta(valore);
    tag.push_back(static_cast<uint8_t>(t));
  }
  if (tag.size() % 2 != 0)
    difetto(fmt::format("{} entries cannot be split into an x half and a y half of equal length", tag.size()));
  const size_t n = tag.size() / 2;
  if (n > kMassimoVoci) difetto(fmt::format("{} entries a coordinate, more than the longest route has", n));
  const Forma fx = forma(tag, 0, n, 'x');
  const Forma fy = forma(tag, n, n, 'y');
  if (!(fx == fy))
    difetto(fmt::format("the x half has {} and the y half {} computed points", fx.calcolati + (fx.seminata ? 2 : 0),
                        fy.calcolati + (fy.seminata ? 2 : 0)));

  Planimetria p;
  p.dimensiona(static_cast<int32_t>(n - 1));
  if (!fx.seminata) return p;
  // Offsets of the values: two seed entries of 4 bytes, computed entries of
  // 10, empty entries of 2.
  const size_t meta = 8 + 10 * fx.calcolati + 2 * (n - 2 - fx.calcolati);
  auto intero = [&](size_t off) {
    Byte b(bytes.substr(off + 2, 2));
    return b.i16();
  };
  if (intero(0) != 0 || intero(4) != 0 || intero(meta) != 0 || intero(meta + 4) != 1)
    difetto(fmt::format("the seed points are ({}, {}) and ({}, {}), not (0, 0) and (0, 1)", intero(0), intero(meta),
                        intero(4), intero(meta + 4)));
  p.semina();
  for (size_t m = 0; m < fx.calcolati; ++m) {
    const size_t off = 8 + 10 * m + 2;
    Byte bx(bytes.substr(off, 8)), by(bytes.substr(meta + off, 8));
    p.aggiungi(bx.f64(), by.f64());
  }
  return p;
}

template <typename F>
auto con_prefisso(const std::string& dove, F&& decodifica) {
  try {
    return decodifica();
  } catch (const Difetto& d) {
    throw FileNonValido("bad compiled file: " + dove + d.perche);
  }
}

bool finisce_con(const std::string& s, std::string_view fine) {
  if (s.size() < fine.size()) return false;
  return cp1252_lower(std::string_view(s).substr(s.size() - fine.size())) == fine;
}

// Bytes of a whole file, refused unread when longer than `massimo`.
std::string contenuto(const std::string& path, int64_t massimo) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) difetto(fs::exists(path, ec) ? "not a regular file" : "no such file");
  const auto dimensione = fs::file_size(path, ec);
  if (ec) difetto("cannot read its size: " + ec.message());
  if (dimensione > static_cast<uintmax_t>(massimo))
    difetto(fmt::format("{} bytes, longer than any compiled file of its kind ({} at most)", dimensione, massimo));
  std::ifstream f(path, std::ios::binary);
  std::string b(static_cast<size_t>(dimensione), '\0');
  if (!f || !f.read(b.data(), static_cast<std::streamsize>(b.size())) || f.peek() != std::char_traits<char>::eof())
    difetto("cannot be read whole (it changed or is unreadable)");
  return b;
}

std::string nome_in(const fs::path& p) { return p.filename().string(); }

}  // namespace

TipoFile tipo_da_nome(const std::string& path) {
  const std::string nome = nome_in(path);
  if (finisce_con(nome, "_linea.dat")) return TipoFile::planimetria;
  if (finisce_con(nome, ".sim")) return TipoFile::scenario;
  if (finisce_con(nome, ".dat")) return TipoFile::griglia;
  throw FileNonValido("bad compiled file: " + path +
                      ": the name ends in neither .sim (scenario), _linea.dat (plan) nor .dat (grid)");
}

Griglia leggi_griglia(std::string_view bytes) {
  return con_prefisso("", [&] { return decodifica_griglia(bytes); });
}

Stazioni leggi_stazioni(std::string_view bytes) {
  return con_prefisso("", [&] { return decodifica_stazioni(bytes); });
}

Planimetria leggi_planimetria(std::string_view bytes) {
  return con_prefisso("", [&] { return decodifica_planimetria(bytes); });
}

FileCompilato leggi_file(const std::string& path) {
  FileCompilato f;
  f.tipo = tipo_da_nome(path);
  con_prefisso(path + ": ", [&] {
    switch (f.tipo) {
      case TipoFile::griglia: f.griglia = decodifica_griglia(contenuto(path, kMassimoGriglia)); break;
      case TipoFile::scenario: f.stazioni = decodifica_stazioni(contenuto(path, kMassimoScenario)); break;
      case TipoFile::planimetria:
        f.planimetria = decodifica_planimetria(contenuto(path, kMassimoPlanimetria));
        break;
    }
    return 0;
  });
  return f;
}

std::vector<FileScenario> scenari_in(const std::string& cartella, const std::string& percorso,
                                     const std::string& treno) {
  const auto percorso_di = [&](const std::string& r) { return r.empty() ? std::string() : cartella + "/" + r + "_linea.dat"; };
  if (!percorso.empty() && !treno.empty()) {
    const std::string rt = percorso + "_" + treno;
    return {{rt, percorso_di(percorso), cartella + "/" + rt + ".sim", cartella + "/" + rt + ".dat"}};
  }

  std::set<std::string> nomi;  // R_T of every .sim and grid .dat
  std::vector<std::string> percorsi;  // R of every plan file
  std::error_code ec;
  for (fs::directory_iterator it(cartella, ec), fine; !ec && it != fine; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const std::string nome = nome_in(it->path());
    if (nome.size() > 10 && nome.ends_with("_linea.dat")) {
      percorsi.push_back(nome.substr(0, nome.size() - 10));
    } else if (nome.size() > 4 && (nome.ends_with(".sim") || nome.ends_with(".dat"))) {
      const std::string rt = nome.substr(0, nome.size() - 4);
      // A scenario's names are R_T: other .dat files are not ours.
      if (rt.find('_') != std::string::npos) nomi.insert(rt);
    }
  }

  std::vector<FileScenario> trovati;
  for (const std::string& rt : nomi) {
    if (!percorso.empty() && !rt.starts_with(percorso + "_")) continue;
    if (!treno.empty() && !rt.ends_with("_" + treno)) continue;
    // The route is the longest R with a plan file such that the name is R_T.
    std::string r = percorso;
    if (r.empty())
      for (const std::string& candidato : percorsi)
        if (rt.size() > candidato.size() + 1 && rt.starts_with(candidato + "_") && candidato.size() > r.size())
          r = candidato;
    trovati.push_back({rt, percorso_di(r), cartella + "/" + rt + ".sim", cartella + "/" + rt + ".dat"});
  }
  return trovati;
}

ScenarioCompilato leggi_scenario(const FileScenario& f) {
  ScenarioCompilato s;
  std::error_code ec;
  const auto esiste = [&](const std::string& p) { return !p.empty() && fs::exists(p, ec); };
  if ((s.con_scenario = esiste(f.scenario))) s.stazioni = leggi_file(f.scenario).stazioni;
  if ((s.con_griglia = esiste(f.griglia))) s.griglia = leggi_file(f.griglia).griglia;
  if ((s.con_planimetria = esiste(f.planimetria))) s.planimetria = leggi_file(f.planimetria).planimetria;
  return s;
}

}  // namespace compactor
