// The line half of the loader: the route's length, references, gradients,
// plan, tunnels, speed indicator boards and signboards.
#include <algorithm>
#include <array>

#include "loader/rounding.h"
#include "loader/load_state.h"
#include "loader/line_records.h"
#include "sources/key_words.h"

namespace compactor {
namespace {

constexpr int64_t kLunghezzaMassima = 1'000'000;
constexpr int64_t kPuntiMassimi = 1'000'000;

double curvatura(int classe) {
  static constexpr std::array<double, 7> k = {0.0, 0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};
  return k[static_cast<size_t>(classe)];
}

// Working values of the record part.
struct Lavoro {
  int64_t puntatore_pendenza = 0;
  int32_t pendenza = 0;
  int32_t gradient_giver = kNoRecord;  // the record that gave it
};

// The points of the plan from its index through `fino`, each continuing the
// last step; with k not 0 each step also turns by about k radians.
void punti_successivi(Planimetria& p, int64_t fino, double k) { p.prolunga_tratto(fino, k); }

// General section: returns false when loading ends.
bool sezione_generale(LoadState& c) {
  Model& m = c.m;
  for (;;) {
    c.record_ends();
    if (c.fine_file()) return true;
    m.riga = c.testo();
    if (c.fine_file()) return true;
    for (int volte = 0; volte < 10; ++volte)
      if (ha_trattino(m.riga)) m.riga = c.testo();
    c.record_begins();
    const ChiaviGenerali chiavi = chiavi_generali(m.riga);

    if (chiavi.lunghezza_percorso) {
      const int32_t lunghezza = c.numero();
      m.stazioni.at(84).fine = lunghezza;
      note_row(c.provenance, 84, RowMembers(RowMember::fine));
      if (lunghezza > kLunghezzaMassima) {
        c.ferma(1, c.qui());
        return false;
      }
      m.metri_totali = in_long(metri_del_percorso(lunghezza));
      m.celle_totali = in_long(ultima_cella(m.metri_totali));
      m.griglia.dimensiona(m.celle_totali);
      if (m.con_planimetria != 0) m.planimetria.dimensiona(m.metri_totali);
    }
    const std::array<std::pair<bool, int>, 3> riferimenti = {
        {{chiavi.progressiva_tre, 81}, {chiavi.progressiva_due, 82}, {chiavi.progressiva_uno, 83}}};
    for (const auto& [letta, r] : riferimenti) {
      if (!letta) continue;
      c.read_into_row(r, RowMember::inizio);
      c.read_into_row(r, RowMember::fine);
      c.read_into_row(r, RowMember::posizione);
    }
    if (chiavi.sfondo_uno) c.read_into_row(85, RowMember::inizio);
    if (chiavi.sfondo_due) c.read_into_row(85, RowMember::posizione);
    if (chiavi.sfondo_tre) c.read_into_row(85, RowMember::fine);
    if (chiavi.ripetizione_segnali) {
      const auto chiave = c.qui();
      stazione& r86 = m.stazioni.at(86);
      c.read_into_row(86, RowMember::inizio);
      const auto dove_inizio = c.qui();
      c.read_into_row(86, RowMember::fine);
      const auto dove_fine = c.qui();
      int errore = 0;
      LoadState::Punto dove;
      if (r86.inizio % 50 != 0) {
        errore = 3;
        dove = dove_inizio;
      } else if (r86.fine % 50 != 0) {
        errore = 4;
        dove = dove_fine;
      } else if (const int codici = codici_ripetizione(m.riga); codici != 0) {
        r86.posizione = codici;
        note_row(c.provenance, 86, RowMembers(RowMember::posizione));
      } else {
        // Neither "4" nor "9": the number of codes stays as it was.
        errore = 5;
        dove = chiave;
      }
      if (errore != 0) {
        c.ferma(errore, dove);
        return false;
      }
      if (r86.fine == 0) {
        r86.posizione = 0;
        note_row(c.provenance, 86, RowMembers(RowMember::posizione));
      }
    }
    if (chiude_sezione_generale(m.riga)) return true;
    if (chiavi == ChiaviGenerali{}) c.ignorato(m.riga);
  }
}


Esito pendenza(LoadState& c, Lavoro& w) {
  Model& m = c.m;
  const int32_t chainage = c.numero();
  const auto dove = c.qui();
  const int32_t valore = c.numero();
  if (!c.dentro(chainage, 100, dove)) return Esito::fine_record;
  const int64_t n = round_half_even(chainage / 50.0);
  // The cells before this gradient get the one before it; the first cell is
  // written even when the fill pointer already stands at or past n.
  if (n > 0) {
    const int64_t first = w.puntatore_pendenza;
    riempi(m.griglia, w.puntatore_pendenza, n, [&](cella& k) { k.pendenza = basso8(int64_t{w.pendenza} + 100); });
    c.profile_filled(first, w.puntatore_pendenza, CellMember::pendenza, w.gradient_giver);
  }
  w.pendenza = valore;
  w.gradient_giver = c.record;
  c.registrato(RecordKind::pendenza, chainage, dove);
  return Esito::continua;
}

Esito curva(LoadState& c) {
  Model& m = c.m;
  const auto chiave = c.qui();
  const int32_t inizio = c.numero();
  const auto dove = c.qui();
  const int32_t lunghezza = c.numero();
  if (!c.dentro(inizio, 100, dove)) return Esito::fine_record;
  const int classe = classe_curva(m.riga);
  if (classe == 0) return c.ferma(103, chiave);
  const double k = curva_s(m.riga) ? -curvatura(classe) : curvatura(classe);
  Planimetria& p = m.planimetria;
  const int64_t fine = int64_t{inizio} + lunghezza;
  for (int tratto = 0; tratto < 2; ++tratto) {
    const int64_t ultimo = tratto == 0 ? inizio : fine;
    // One call reaches `ultimo`, or stops past the last point a plan may
    // hold.
    if (p.prossimo() <= ultimo) {
      punti_successivi(p, std::min(ultimo, kPuntiMassimi), tratto == 0 ? 0.0 : k);
      if (p.prossimo() > kPuntiMassimi) return c.ferma(103, dove);
    }
  }
  c.registrato(RecordKind::curva, inizio, dove);
  return Esito::continua;
}

Esito montagna(LoadState& c) {
  int32_t inizio = c.numero();
  const auto dove = c.qui();
  int32_t fine = c.numero();
  int32_t tipo = c.numero();
  if (!c.dentro(inizio, 100, dove)) return Esito::fine_record;
  memo_montagna(c.m, inizio, fine, tipo, c.provenance);
  c.registrato(RecordKind::montagna, inizio, dove);
  return Esito::continua;
}

Esito indicatori(LoadState& c) {
  const int32_t posizione = c.numero();
  const auto dove = c.qui();
  std::array<int32_t, 8> v{};
  for (int32_t& x : v) x = c.numero();
  if (!c.dentro(posizione, 100, dove)) return Esito::fine_record;
  const bool su_marcatore =
      c.m.griglia.at(round_half_even(posizione / 50.0 + 1)).tipo == tipo_cella::marcatore_montagna;
  memo_indicatori_v_max(c.m, posizione, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], c.provenance);
  if (c.m.numero_errore > 0) return c.ferma(c.m.numero_errore, posizione, dove);
  if (su_marcatore) c.sostituito(RecordKind::indicatore_v_max, posizione, dove);
  c.registrato(RecordKind::indicatore_v_max, posizione, dove);
  return Esito::continua;
}

Esito cartello(LoadState& c) {
  Model& m = c.m;
  const int32_t chainage = c.numero();
  const auto dove = c.qui();
  m.riga = c.testo();
  if (m.riga.size() > testo_massimo) throw LoadFailure("sign text longer than 32767 bytes");
  if (!c.dentro(chainage, 100, dove)) return Esito::fine_record;
  const int64_t k = round_half_even(chainage / 50.0 + 1);
  cella& cell = m.griglia.at(k);
  if (!libera(cell)) return c.ferma(6, chainage, dove);
  // Signboard rows count down from 80 without a check of their own: the
  // 81st takes row 0 and the 82nd fails on its row, after its cell is set.
  if (cell.tipo == tipo_cella::marcatore_montagna) c.sostituito(RecordKind::cartello, chainage, dove);
  cell.tipo = tipo_cella::cartello;
  cell.dato1 = basso16(c.prossima_riga_cartello);
  note_cells(c.provenance, k, k, CellMembers(CellMember::tipo, CellMember::dato1));
  m.stazioni.at(c.prossima_riga_cartello).nome = m.riga;
  note_row(c.provenance, c.prossima_riga_cartello, RowMembers(RowMember::nome));
  --c.prossima_riga_cartello;
  c.registrato(RecordKind::cartello, chainage, dove);
  return Esito::continua;
}

// Record part: returns false when loading ends.
bool parte_record(LoadState& c, Lavoro& w) {
  Model& m = c.m;
  for (;;) {
    c.record_ends();
    if (!c.leggi_chiave()) return true;
    c.record_begins();
    const ChiaviLinea chiavi = chiavi_linea(m.riga);
    const bool curva_letta = chiavi.curva && m.con_planimetria != 0;
    if (!chiavi.pendenza && !curva_letta && !chiavi.montagna && !chiavi.indicatori_v && !chiavi.cartello_indicatore)
      c.ignorato(m.riga);
    Esito esito = Esito::continua;
    if (chiavi.pendenza) esito = pendenza(c, w);
    if (esito == Esito::continua && curva_letta) esito = curva(c);
    if (esito == Esito::continua && chiavi.montagna) esito = montagna(c);
    if (esito == Esito::continua && chiavi.indicatori_v) esito = indicatori(c);
    if (esito == Esito::continua && chiavi.cartello_indicatore) esito = cartello(c);
    if (esito == Esito::fine_record) return true;
    if (esito == Esito::fine_caricamento) return false;
  }
}

}  // namespace

bool carica_linea(LoadState& c) {
  Model& m = c.m;
  m.stazioni.at(85).nome = m.nome_percorso;
  m.stazioni.at(86).nome = m.nome_treno;
  if (!c.files.exists(c.nomi.linea_txt)) {
    m.numero_errore = 101;
    return false;
  }
  c.apri(LoadReport::linea, c.nomi.linea_txt);

  // Everything before "[generale]" is skipped.
  do {
    m.riga = c.testo();
    if (c.fine_file()) {
      c.ferma(102, c.qui());
      return false;
    }
  } while (!apre_generale(m.riga));

  if (!sezione_generale(c)) return false;
  const std::array<int, 3> from = progressive_ordina(m);
  if (c.provenance) c.provenance->rows_reordered(from);

  m.numero_montagne = 0;
  c.prossima_riga_cartello = 80;
  Lavoro w;
  if (m.con_planimetria != 0) m.planimetria.semina();
  if (!parte_record(c, w)) return false;
  c.chiudi_ed_elimina();

  // The last gradient runs to the end of the route.
  const int64_t first = w.puntatore_pendenza;
  riempi(m.griglia, w.puntatore_pendenza, int64_t{m.celle_totali} - 2,
         [&](cella& k) { k.pendenza = basso8(int64_t{w.pendenza} + 100); });
  c.profile_filled(first, w.puntatore_pendenza, CellMember::pendenza, w.gradient_giver);
  // And the route runs straight from its last curve to the end of the plan.
  if (m.con_planimetria != 0)
    punti_successivi(m.planimetria, int64_t{m.metri_totali} - 2, 0.0);
  return true;
}

}  // namespace compactor
