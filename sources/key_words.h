// The key-word rules of the two source languages. A key word matches when it
// occurs anywhere inside a key field; some are compared ignoring letter case,
// others exactly, as each language defines them. Fields are Windows-1252
// bytes.
#pragma once

#include <string_view>

namespace compactor {

bool contains(std::string_view campo, std::string_view word);
// Letter case ignored, accented capitals included.
bool contains_ignoring_case(std::string_view campo, std::string_view word);

// A field holding "-" anywhere is passed over as a dash field.
bool has_dash(std::string_view campo);

// ---- Line source, general section ----

// "[generale]", case ignored: the field that opens the general section (also
// the start marker of the train source).
bool opens_general(std::string_view campo);

// The general key words that a field holds, in the order they are tested.
struct GeneralKeys {
  bool lunghezza_percorso = false;   // "lunghezza" and "percorso", case ignored
  bool progressiva_tre = false;      // "progressiva" and "tre", exact
  bool progressiva_due = false;      // "progressiva" and "due", exact
  bool progressiva_uno = false;      // "progressiva" and "uno", exact
  bool sfondo_uno = false;           // "sfondo" and "uno", exact
  bool sfondo_due = false;           // "sfondo" and "due", exact
  bool sfondo_tre = false;           // "sfondo" and "tre", exact
  bool signal_repetition = false;  // "ripetizione" and "segnali", exact
  bool operator==(const GeneralKeys&) const = default;
};
GeneralKeys chiavi_generali(std::string_view campo);

// Number of codes of a signal repetition field: 4 if it holds "4", else 9 if
// it holds "9", else 0.
int repeat_codes(std::string_view campo);

// The field that ends the general section: after its leading blanks it does
// not begin with "-", and it holds both "[" and "]".
bool closes_general_section(std::string_view campo);

// ---- Line source, record part (case ignored throughout) ----

struct LineKeys {
  bool pendenza = false;             // "pendenza"
  bool curva = false;                // "curva"
  bool montagna = false;             // "montagna"
  bool indicatori_v = false;         // "indicatori_v"
  bool cartello_indicatore = false;  // "cartello" and "indicat"
  bool operator==(const LineKeys&) const = default;
};
LineKeys chiavi_linea(std::string_view campo);

// Curve class: the first of the digits 1 to 6 that the field holds, tested in
// that order (not by position); 0 when it holds none.
int curve_class(std::string_view campo);
// The s direction: the field holds "s" or "S"; any other curve is a d curve.
bool curva_s(std::string_view campo);

// ---- Train source (case ignored throughout) ----

struct TrainKeys {
  bool massa_frenata = false;  // "frenata" and "massa"
  bool vetture = false;        // "vetture"
  bool velocita = false;       // "velocit", so that an accented ending matches too
  bool aderenza = false;       // "aderenza"
  bool clock = false;       // "orologio"
  bool sabbia = false;         // "sabbia"
  bool segnale = false;        // "segnale"
  bool rallentamento = false;  // "rallentamento"
  bool abbattimento = false;   // "abbattimento"
  bool stazione = false;       // "stazione"
  bool operator==(const TrainKeys&) const = default;
};
TrainKeys chiavi_treno(std::string_view campo);

}  // namespace compactor
