#include "bench/routes.h"

#include <string>

namespace compactor::bench {
namespace {

std::string n(int64_t v) { return std::to_string(v); }

// Each kind sits at its own offset inside its spacing, so no two point
// features ever claim the same cell.
std::string linea(int32_t lunghezza) {
  std::string s = "[generale]\r\nlunghezza percorso,    " + n(lunghezza) +
                  "\r\n"
                  "progressiva chilometrica uno,    31100,    3050,    0\r\n"
                  "sfondo uno,    1\r\nsfondo due,    0\r\nsfondo tre,    0\r\n"
                  "ripetizione segnali 9 codici,    8000,    " +
                  n(lunghezza / 100 * 50) + "\r\n[curve]\r\n";
  int class_ = 0;
  for (int64_t c = 1350; c + 400 < lunghezza; c += 1000, ++class_)
    s += std::string("curva") + (class_ % 2 ? "s" : "d") + n(1 + class_ % 6) + ",  " + n(c) + ",  " +
         n(150 + class_ % 4 * 50) + "\r\n";
  s += "[pendenze]\r\n";
  for (int64_t c = 0; c < lunghezza; c += 500) s += "pendenza,  " + n(c) + ",   " + n(c / 500 % 23 - 11) + "\r\n";
  s += "[gallerie]\r\n";
  int gallerie = 0;
  for (int64_t c = 8750; c + 3000 < lunghezza && gallerie < 60; c += 15000, ++gallerie)
    s += "montagna,   " + n(c) + ",  " + n(c + 2400) + ",  12\r\n";
  s += "[indicatori]\r\n";
  for (int64_t c = 6250; c < lunghezza; c += 10000)
    s += "indicatori_vmax,  " + n(c) + ",  130,  140,  145,  2,  130,  140,  145,  2\r\n";
  s += "[cartelli]\r\n";
  int cartelli = 0;
  for (int64_t c = 4750; c < lunghezza && cartelli < 20; c += 50000, ++cartelli)
    s += "cartello_indicatore,  " + n(c) + ",   (  Cippo  )(Km " + n(c / 1000) + "+" + n(c % 1000 / 100) + "00)\r\n";
  s += "[fine]\r\n";
  return s;
}

std::string treno(int32_t lunghezza) {
  std::string s = "[generale]\r\nnumero vetture,    7\r\npercentuale massa frenata,    120\r\nsabbia,    200\r\n"
                  "orologio,    12              11            50 \r\n[aderenze]\r\n";
  for (int64_t c = 0; c < lunghezza; c += 50000) s += "aderenza,  " + n(c) + ",    " + n(85 + c / 50000 % 12) + "\r\n";
  s += "[vel_limite]\r\nvelocita,   0,    30\r\n";
  for (int64_t c = 1000; c < lunghezza; c += 5000) s += "velocita,  " + n(c) + ",   " + n(80 + c / 5000 % 9 * 10) + "\r\n";
  s += "[stazioni]\r\n";
  int stazioni = 0;
  for (int64_t c = 3100; c + 1000 < lunghezza && stazioni < 50; c += 20000, ++stazioni)
    s += "stazione,  " + n(c) + ", 12,  400,  1, 0, 0,  1,1,0,  2,1,0,    0,  12," + n(stazioni % 60) +
         ", 0, Stazione " + n(stazioni) + "\r\n";
  s += "[rallentamenti]\r\n";
  for (int64_t c = 40250; c + 3000 < lunghezza; c += 100000) s += "rallentamento,  " + n(c) + ",  60,  1000,  1,  1,  0\r\n";
  s += "[segnali]\r\n";
  for (int64_t c = 450; c < lunghezza; c += 1000) s += "segnale,   " + n(c) + ",   2, 4, 1,  0, 0,    2,  2,1,0, 0\r\n";
  s += "[codici]\r\n";
  for (int64_t c = 2650; c < lunghezza; c += 4000) s += "abbattimento,    " + n(c) + ",   270\r\n";
  s += "[fine]\r\n";
  return s;
}

}  // namespace

Sources generated_sources(int32_t lunghezza) { return {linea(lunghezza), treno(lunghezza)}; }

}  // namespace compactor::bench
