#include "model/members.h"

namespace compactor {

const char* member_name(CellMember m) {
  static constexpr const char* names[kCellMemberCount] = {"tipo",  "dato1",     "dato2",    "dato3",    "dato4",   "tempo",
                                                          "preavviso", "montagna", "velocita", "pendenza", "aderenza"};
  return names[static_cast<int>(m)];
}

const char* member_name(RowMember m) {
  static constexpr const char* names[kRowMemberCount] = {"tipo",    "inizio",  "fine",    "posizione", "campo4", "nome",
                                                         "campo7",  "campo8",  "campo10", "campo11",   "campo12", "campo9",
                                                         "campo13", "campo6",  "campo5",  "orario"};
  return names[static_cast<int>(m)];
}

int64_t member_value(const cella& c, CellMember m) {
  switch (m) {
    case CellMember::tipo: return c.tipo;
    case CellMember::dato1: return c.dato1;
    case CellMember::dato2: return c.dato2;
    case CellMember::dato3: return c.dato3;
    case CellMember::dato4: return c.dato4;
    case CellMember::tempo: return c.tempo;
    case CellMember::preavviso: return c.preavviso;
    case CellMember::montagna: return c.montagna;
    case CellMember::velocita: return c.velocita;
    case CellMember::pendenza: return c.pendenza;
    case CellMember::aderenza: return c.aderenza;
  }
  return 0;
}

int64_t member_value(const stazione& s, RowMember m) {
  switch (m) {
    case RowMember::tipo: return s.tipo;
    case RowMember::inizio: return s.inizio;
    case RowMember::fine: return s.fine;
    case RowMember::posizione: return s.posizione;
    case RowMember::campo4: return s.campo4;
    case RowMember::nome: return 0;
    case RowMember::campo7: return s.campo7;
    case RowMember::campo8: return s.campo8;
    case RowMember::campo10: return s.campo10;
    case RowMember::campo11: return s.campo11;
    case RowMember::campo12: return s.campo12;
    case RowMember::campo9: return s.campo9;
    case RowMember::campo13: return s.campo13;
    case RowMember::campo6: return s.campo6;
    case RowMember::campo5: return s.campo5;
    case RowMember::orario: return s.orario;
  }
  return 0;
}

std::string kind_name(uint8_t tipo) {
  switch (tipo) {
    case tipo_cella::nothing: return "nothing";
    case tipo_cella::segnale: return "signal";
    case tipo_cella::fine_rallentamento: return "end of slowdown";
    case tipo_cella::inizio_rallentamento: return "start of slowdown";
    case tipo_cella::avviso: return "warning board";
    case tipo_cella::preavviso_avviso: return "pre-warning";
    case tipo_cella::indicatore_v_max: return "speed indicator board";
    case tipo_cella::fermata: return "station stop point";
    case tipo_cella::marcatore_montagna: return "tunnel marker";
    case tipo_cella::abbattimento: return "code drop";
    case tipo_cella::abbattimento_senza_valore: return "code drop without value";
    case tipo_cella::cartello: return "signboard";
    default: return "unknown kind " + std::to_string(tipo);
  }
}

}  // namespace compactor
