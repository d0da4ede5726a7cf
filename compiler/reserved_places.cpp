#include "compiler/reserved_places.h"

#include "compiler/codici_gara.h"

namespace compactor {

void stamp_reserved_places(Model& m) {
  stazione& riga85 = m.stazioni.at(85);
  // A loader that stopped before the route length leaves no cell 1.
  cella* cella1 = m.griglia.contains(1) ? &m.griglia.at(1) : nullptr;

  if (riga85.campo7 != 0 || (cella1 && cella1->dato1 != 0)) throw ErrorStop("1250");
  riga85.campo7 = mark_scenario;
  if (cella1) cella1->dato1 = mark_grid;

  if (riga85.orario != 0 || (cella1 && cella1->dato2 != 0)) throw ErrorStop("1251");
  riga85.orario = codice_gara_st(m);
  const int16_t simple = codice_gara_og(m);
  if (cella1) cella1->dato2 = simple;
}

}  // namespace compactor
