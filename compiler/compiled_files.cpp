#include "compiler/compiled_files.h"

#include <stdexcept>

#include "compiler/little_endian.h"

namespace compactor {
namespace {

constexpr size_t kCella = 15;
constexpr size_t kRigaSenzaNome = 34;

void append_cella(std::string& out, const cella& c) {
  le::u8(out, c.tipo);
  le::i16(out, c.dato1);
  le::i16(out, c.dato2);
  le::i16(out, c.dato3);
  le::i16(out, c.dato4);
  le::u8(out, c.tempo);
  le::u8(out, c.preavviso);
  le::u8(out, c.montagna);
  le::u8(out, c.velocita);
  le::u8(out, c.pendenza);
  le::u8(out, c.aderenza);
}

void append_stazione(std::string& out, const stazione& s) {
  // The length in front of a text is a signed 16-bit number.
  if (s.nome.size() > 32767) throw std::length_error("a text of more than 32767 bytes cannot be stored");
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

void append_voce(std::string& out, const Variante& v) {
  le::i16(out, static_cast<int16_t>(v.tag));
  if (v.tag == Variante::intero) le::i16(out, v.i);
  if (v.tag == Variante::doppio) le::f64(out, v.d);
}

}  // namespace

std::string bytes_griglia(const Griglia& griglia) {
  std::string out;
  out.reserve(griglia.celle().size() * kCella);
  for (const cella& c : griglia.celle()) append_cella(out, c);
  return out;
}

std::string bytes_stazioni(const Stazioni& stazioni) {
  std::string out;
  out.reserve(Stazioni::righe * kRigaSenzaNome);
  for (const stazione& s : stazioni.tutte()) append_stazione(out, s);
  return out;
}

std::string bytes_planimetria(const Planimetria& planimetria) {
  std::string out;
  out.reserve(static_cast<size_t>(planimetria.punti()) * 2 * 10);
  for (int c = 0; c < 2; ++c)
    for (int64_t m = 0; m < planimetria.punti(); ++m) append_voce(out, planimetria.voce(m, c));
  return out;
}

std::vector<std::string> scrivi_file_compilati(const Modello& m, const NomiFile& nomi, Files& files) {
  std::vector<std::string> scritti;
  if (m.con_planimetria != 0) {
    write_whole(files, nomi.planimetria, bytes_planimetria(m.planimetria));
    scritti.push_back(nomi.planimetria);
  }
  write_whole(files, nomi.scenario, bytes_stazioni(m.stazioni));
  scritti.push_back(nomi.scenario);
  write_whole(files, nomi.griglia, bytes_griglia(m.griglia));
  scritti.push_back(nomi.griglia);
  return scritti;
}

}  // namespace compactor
