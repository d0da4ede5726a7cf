#include "cli/drawing/render_data.h"

#include <gtest/gtest.h>

namespace compactor::cli {
namespace {

// The carried references as the loader leaves them: ordered, flag 1 stored
// with 100 m more.
Stazioni carried_references() {
  Stazioni s;
  s.at(81).inizio = 315950, s.at(81).fine = 412150, s.at(81).posizione = 1;
  s.at(82).inizio = 284500, s.at(82).fine = -284500;
  s.at(83).inizio = 31100, s.at(83).fine = 3050;
  s.at(84).fine = 334000;
  return s;
}

TEST(RenderData, KilometreReadingsFollowTheThreeReferences) {
  const Stazioni s = carried_references();
  EXPECT_EQ(km_reading(s, 0), 0);
  EXPECT_EQ(km_reading(s, 31099), 31099);
  EXPECT_EQ(km_reading(s, 31100), 34150);
  EXPECT_EQ(km_reading(s, 31450), 34500);
  EXPECT_EQ(km_reading(s, 93050), 96100);
  EXPECT_EQ(km_reading(s, 284499), 287549);
  EXPECT_EQ(km_reading(s, 284500), 0);
  EXPECT_EQ(km_reading(s, 315949), 31449);
  EXPECT_EQ(km_reading(s, 315950), 96100);
  EXPECT_EQ(km_reading(s, 334000), 78050);
}

TEST(RenderData, WithoutReferencesTheReadingIsTheChainage) {
  Stazioni s;
  EXPECT_EQ(km_reading(s, 12345), 12345);
  // Only "uno" at 0 with a second value: the whole route is shifted.
  s.at(81).fine = 3050;
  EXPECT_EQ(km_reading(s, 0), 3050);
  EXPECT_EQ(km_reading(s, 1000), 4050);
}

TEST(RenderData, TicksFallEveryTenKilometresOfReadingAndChangesAreListed) {
  Stazioni s = carried_references();
  Griglia g;
  g.resize(6820);
  const RouteData d = route_data(s, g);

  std::vector<std::pair<int32_t, int64_t>> ticks;
  for (const Tick& t : d.ticks) ticks.emplace_back(t.posizione, t.reading);
  std::vector<std::pair<int32_t, int64_t>> awaited;
  for (int64_t k = 0; k <= 30000; k += 10000) awaited.emplace_back(k, k);
  for (int64_t k = 40000; k <= 280000; k += 10000) awaited.emplace_back(k - 3050, k);
  for (int64_t k = 0; k <= 30000; k += 10000) awaited.emplace_back(284500 + k, k);
  awaited.emplace_back(412050 - 90000, 90000);
  awaited.emplace_back(412050 - 80000, 80000);
  EXPECT_EQ(ticks, awaited);

  ASSERT_EQ(d.jumps.size(), 3u);
  EXPECT_EQ(d.jumps[0].posizione, 31100);
  EXPECT_EQ(d.jumps[0].before, 31100);
  EXPECT_EQ(d.jumps[0].after, 34150);
  EXPECT_EQ(d.jumps[1].posizione, 284500);
  EXPECT_EQ(d.jumps[1].before, 287550);
  EXPECT_EQ(d.jumps[1].after, 0);
  EXPECT_EQ(d.jumps[2].posizione, 315950);
  EXPECT_EQ(d.jumps[2].before, 31450);
  EXPECT_EQ(d.jumps[2].after, 96100);
}

TEST(RenderData, FeaturesComeFromTheGridAndTheTable) {
  Stazioni s;
  s.at(84).fine = 2000;  // 40 cells of route; the grid runs 7000 m further
  s.at(85).nome = "Citt\xE0";
  s.at(86).nome = "R 1";
  Griglia g;
  g.resize(180);
  // Two stations: a timed stop and a place the train passes.
  s.at(1).posizione = 0, s.at(1).tipo = 8, s.at(1).orario = 8 * 3600, s.at(1).nome = "Alfa";
  s.at(2).posizione = 1500, s.at(2).tipo = 28, s.at(2).nome = " Beta ";
  // Signboards from row 80 down: a kilometre post and something else.
  s.at(80).nome = "(  Cippo  )(Km 1+000)";
  s.at(79).nome = "(Dev.I.)";
  g.at(20) = {.tipo = tipo_cella::cartello, .dato1 = 80};
  g.at(25) = {.tipo = tipo_cella::cartello, .dato1 = 79};
  g.at(7).tipo = tipo_cella::segnale;
  g.at(30).tipo = tipo_cella::segnale;
  g.at(200 / 50 + 1).tipo = tipo_cella::avviso;
  g.at(13) = {.tipo = tipo_cella::inizio_rallentamento, .dato1 = 60};
  g.at(17).tipo = tipo_cella::fine_rallentamento;
  for (int k = 10; k <= 12; ++k) g.at(k).montagna = 2;
  for (int k = 14; k <= 15; ++k) g.at(k).montagna = 3;
  for (int k = 0; k <= 180; ++k) {
    g.at(k).velocita = k < 20 ? 6 : 19;
    g.at(k).aderenza = 95;
    g.at(k).pendenza = k < 10 ? 110 : 100;  // +10 per mille for 500 m
  }
  g.at(39).pendenza = 0;  // never written: drawn as level

  const RouteData d = route_data(s, g);
  EXPECT_EQ(d.percorso, "Citt\xC3\xA0");
  EXPECT_EQ(d.treno, "R 1");
  EXPECT_EQ(d.lunghezza, 2000);
  ASSERT_EQ(d.stazioni.size(), 2u);
  EXPECT_TRUE(d.stazioni[0].fermata);
  EXPECT_FALSE(d.stazioni[1].fermata);
  EXPECT_EQ(d.stazioni[1].nome, "Beta");
  ASSERT_EQ(d.cippi.size(), 1u);
  EXPECT_EQ(d.cippi[0].posizione, 950);
  EXPECT_EQ(d.cippi[0].text, "(  Cippo  )(Km 1+000)");
  EXPECT_EQ(d.segnali, (std::vector<int32_t>{300, 1450}));
  EXPECT_EQ(d.avvisi, (std::vector<int32_t>{200}));
  ASSERT_EQ(d.rallentamenti.size(), 1u);
  EXPECT_EQ(d.rallentamenti[0].da, 600);
  EXPECT_EQ(d.rallentamenti[0].a, 800);
  EXPECT_EQ(d.rallentamenti[0].velocita, 60);
  ASSERT_EQ(d.gallerie.size(), 2u);
  EXPECT_EQ(d.gallerie[0].da, 500);
  EXPECT_EQ(d.gallerie[0].a, 650);
  EXPECT_EQ(d.gallerie[1].da, 700);
  EXPECT_EQ(d.gallerie[1].a, 800);
  ASSERT_EQ(d.velocita.size(), 2u);
  EXPECT_EQ(d.velocita[0].da, 0);
  EXPECT_EQ(d.velocita[0].a, 1000);
  EXPECT_EQ(d.velocita[0].valore, 30);
  EXPECT_EQ(d.velocita[1].a, 2000) << "the profile ends with the route, not with the grid";
  EXPECT_EQ(d.velocita[1].valore, 95);
  ASSERT_EQ(d.aderenza.size(), 1u);
  ASSERT_EQ(d.quote.size(), 41u);
  EXPECT_DOUBLE_EQ(d.quote[10], 5.0);
  EXPECT_DOUBLE_EQ(d.quote[40], 5.0);
}

TEST(RenderData, StationsStopAtTheSignboardRows) {
  Stazioni s;
  s.at(84).fine = 1000;
  Griglia g;
  g.resize(160);
  for (int r = 1; r <= 3; ++r) s.at(r).posizione = r * 100, s.at(r).nome = "S";
  s.at(4).nome = "(Cippo)";  // a signboard row met from below
  g.at(3) = {.tipo = tipo_cella::cartello, .dato1 = 4};
  EXPECT_EQ(route_data(s, g).stazioni.size(), 3u);
}

TEST(RenderData, NothingLoadedDrawsNothing) {
  const RouteData d = route_data(Stazioni{}, Griglia{});
  EXPECT_EQ(d.lunghezza, 0);
  EXPECT_TRUE(d.stazioni.empty());
  EXPECT_TRUE(d.quote.empty());
}

}  // namespace
}  // namespace compactor::cli
