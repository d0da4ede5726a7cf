#include "sources/record_fields.h"

#include <array>
#include <limits>

#include "sources/key_words.h"
#include "sources/line_fields.h"

// The tables name only the members a field has; the others (a member name,
// a unit) are meant to be empty.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace compactor {
namespace {

constexpr int64_t kLongMin = std::numeric_limits<int32_t>::min();
constexpr int64_t kLongMax = std::numeric_limits<int32_t>::max();
constexpr int64_t kIntegerMin = std::numeric_limits<int16_t>::min();
constexpr int64_t kIntegerMax = std::numeric_limits<int16_t>::max();

using W = FieldWidth;

// The first chainage of a record: range-checked, error 15 beyond the grid.
constexpr FieldInfo chainage(std::string_view member, std::string_view meaning, std::string_view stored) {
  return {.name = "chainage",
          .member = member,
          .width = W::bits32,
          .unit = "m",
          .lowest = 0,
          .highest = 1'006'900,
          .range = "0 to the route length + 6900 (else error 15: the record lies beyond the grid)",
          .meaning = meaning,
          .stored = stored};
}

// Errors that any record can meet while its fields are read.
constexpr ErrorInfo kReadFailure = {25, "the file ends inside the record, or a number does not fit its width"};
constexpr ErrorInfo kBeyondGrid = {15, "the first chainage lies beyond the grid: the route length + 6900 m"};

// ---------------------------------------------------------------- line source, general section

constexpr FieldInfo kRouteLength[] = {
    {.name = "route length",
     .width = W::bits32,
     .unit = "m",
     .lowest = 1,
     .highest = 1'000'000,
     .range = "at most 1,000,000 (else error 1)",
     .meaning = "the length of the route from chainage 0",
     .stored = "row 84 fine; the grid gets (length + 7000) / 50 cells of 50 m and the plan a point per metre "
               "to length + 7000"},
};
constexpr ErrorInfo kRouteLengthErrors[] = {
    {1, "the length is above 1,000,000 m"},
    {25, "no route length before the first record of the record part: nothing can be stored"},
    kReadFailure,
};

constexpr FieldInfo kReference[] = {
    {.name = "from chainage",
     .member = "inizio",
     .width = W::bits32,
     .unit = "m",
     .lowest = kLongMin,
     .highest = kLongMax,
     .range = "a multiple of 50 (else error 2, after both sources are read)",
     .meaning = "the route chainage from which this reference gives the kilometre reading",
     .stored = "inizio of the reference's row"},
    {.name = "reading value",
     .member = "fine",
     .width = W::bits32,
     .unit = "m",
     .lowest = kLongMin,
     .highest = kLongMax - 100,
     .range = "a multiple of 50, negative allowed (else error 2)",
     .meaning = "rising readings: the reading is the chainage plus this; falling readings: this less the chainage",
     .stored = "fine of the reference's row; 100 is added when the flag is 1"},
    {.name = "falling flag",
     .member = "posizione",
     .width = W::bits32,
     .lowest = 0,
     .highest = 1,
     .range = "0 or 1",
     .meaning = "1: the readings fall as the train runs on",
     .stored = "posizione of the reference's row"},
};
constexpr ErrorInfo kReferenceErrors[] = {
    {2, "the from chainage or the reading value (after the 100 added for a falling flag) is not a multiple of 50"},
    kReadFailure,
};
constexpr std::string_view kReferenceLoader =
    "The three references go into rows 81 to 83 and are then ordered by their from chainage, largest "
    "first, into rows 81, 82, 83 (when all three from chainages are 0, by the reading values instead). "
    "A reference read alone therefore ends in row 81.";

constexpr FieldInfo background(std::string_view member, std::string_view where) {
  return {.name = "setting",
          .member = member,
          .width = W::bits32,
          .lowest = kLongMin,
          .highest = kLongMax,
          .range = "any; the carried route writes 0 or 1",
          .meaning = "a setting of the scenery, for the simulator",
          .stored = where};
}
constexpr FieldInfo kBackgroundOne[] = {background("inizio", "row 85 inizio")};
constexpr FieldInfo kBackgroundTwo[] = {background("posizione", "row 85 posizione")};
constexpr FieldInfo kBackgroundThree[] = {background("fine", "row 85 fine")};
constexpr ErrorInfo kOnlyReadFailure[] = {kReadFailure};

constexpr FieldInfo kRepetition[] = {
    {.name = "first chainage",
     .member = "inizio",
     .width = W::bits32,
     .unit = "m",
     .lowest = kLongMin,
     .highest = kLongMax,
     .range = "a multiple of 50 (else error 3)",
     .meaning = "where the cab signal repetition begins",
     .stored = "row 86 inizio"},
    {.name = "last chainage",
     .member = "fine",
     .width = W::bits32,
     .unit = "m",
     .lowest = kLongMin,
     .highest = kLongMax,
     .range = "a multiple of 50 (else error 4); 0 turns the repetition off",
     .meaning = "where the cab signal repetition ends",
     .stored = "row 86 fine; when 0, the number of codes is stored as 0"},
};
constexpr ErrorInfo kRepetitionErrors[] = {
    {3, "the first chainage is not a multiple of 50"},
    {4, "the last chainage is not a multiple of 50"},
    {5, "the key field holds neither \"4\" nor \"9\""},
    kReadFailure,
};

// ---------------------------------------------------------------- line source, record part

constexpr FieldInfo kGradient[] = {
    chainage("", "where the gradient begins", "the gradient governs the cells from chainage / 50 up to the next "
                                          "gradient's cell; the last one runs to the end of the route"),
    {.name = "gradient",
     .width = W::bits32,
     .unit = "per mille",
     .lowest = -100,
     .highest = 155,
     .range = "a whole number, -100 to 155 (outside, the stored byte wraps)",
     .meaning = "the track's gradient, rising positive",
     .stored = "pendenza of each cell it governs, as gradient + 100 (low 8 bits)",
     .stored_bits = 8,
     .stored_offset = 100},
};
constexpr ErrorInfo kGradientErrors[] = {kBeyondGrid, kReadFailure};

constexpr FieldInfo kCurve[] = {
    chainage("", "where the curve begins", "the plan runs straight up to this point and bends the points after it"),
    {.name = "length",
     .width = W::bits32,
     .unit = "m",
     .lowest = 0,
     .highest = 1'000'000,
     .range = "0 or more; the curve may not reach past plan point 1,000,000 (error 103)",
     .meaning = "the length of the curve",
     .stored = "points start + 1 to start + length turn by the class's curvature each metre"},
};
constexpr ErrorInfo kCurveErrors[] = {
    kBeyondGrid,
    {103, "the key field holds none of the digits 1 to 6, or the plan would pass 1,000,000 points"},
    kReadFailure,
};

constexpr FieldInfo kTunnel[] = {
    chainage("inizio", "where the tunnel begins", "the tunnel covers cells start / 50 to end / 50 - 1"),
    {.name = "end chainage",
     .member = "fine",
     .width = W::bits32,
     .unit = "m",
     .lowest = 0,
     .highest = 1'006'950,
     .range = "within the grid (else error 25); an end at or before the start covers no cell",
     .meaning = "where the tunnel ends",
     .stored = "the last covered cell is end / 50 - 1"},
    {.name = "type",
     .member = "tipo",
     .width = W::bits32,
     .lowest = 0,
     .highest = 265,
     .range = "1 to 10, or 11 to 20 for the same type with markers (the stored byte keeps the low 8 bits)",
     .meaning = "the tunnel's type; above 10, the type less 10 with a marker every fourth cell",
     .stored = "montagna of every covered cell; a tunnel starting 150 m or less after the previous one's "
               "end gets type 3; markers are tipo 11 on free cells"},
};
constexpr ErrorInfo kTunnelErrors[] = {
    kBeyondGrid,
    {25, "an end beyond the grid, or more than 80 tunnels"},
    kReadFailure,
};

constexpr FieldInfo board_speed(std::string_view name, std::string_view member, std::string_view meaning,
                                std::string_view stored) {
  return {.name = name,
          .member = member,
          .width = W::bits32,
          .unit = "km/h",
          .lowest = 0,
          .highest = 1635,
          .range = "a multiple of 5, 75 to 170 on the carried route; empty reads 0; the stored sum must fit "
                   "16 bits (else error 25)",
          .meaning = meaning,
          .stored = stored};
}
constexpr FieldInfo kBoard[] = {
    chainage("posizione", "where the board stands", "the board takes cell chainage / 50 + 1, which must be free"),
    board_speed("s set, first speed", "vas", "the s (left-hand) set's speed for the slowest trains",
                "dato1 = vas x 20 + vad / 5"),
    board_speed("s set, second speed", "vbs", "the s set's speed for the middle trains", "dato2 = vbs x 20 + vbd / 5"),
    board_speed("s set, third speed", "vcs", "the s set's speed for the fastest trains", "dato3 = vcs x 20 + vcd / 5"),
    {.name = "s set, stripes",
     .member = "strisces",
     .width = W::bits32,
     .lowest = 0,
     .highest = 9,
     .range = "0, 1 or 2",
     .meaning = "0: the board itself; 2 and 1: its forerunners, 600 to 700 m and 200 to 350 m before it",
     .stored = "dato4 = strisces x 10 + strisced"},
    board_speed("d set, first speed", "vad", "the d (right-hand) set's speed for the slowest trains; empty when "
                "the line has one track", "enters dato1 as vad / 5"),
    board_speed("d set, second speed", "vbd", "the d set's speed for the middle trains", "enters dato2 as vbd / 5"),
    board_speed("d set, third speed", "vcd", "the d set's speed for the fastest trains", "enters dato3 as vcd / 5"),
    {.name = "d set, stripes",
     .member = "strisced",
     .width = W::bits32,
     .lowest = 0,
     .highest = 9,
     .range = "0, 1 or 2",
     .meaning = "as the s set's stripes",
     .stored = "enters dato4"},
};
constexpr ErrorInfo kBoardErrors[] = {
    kBeyondGrid,
    {21, "the board's cell already holds something other than a tunnel marker"},
    {25, "a sum stored in dato1 to dato4 does not fit 16 bits"},
    kReadFailure,
};

constexpr FieldInfo kSignboard[] = {
    chainage("", "where the signboard stands", "the signboard takes cell chainage / 50 + 1, which must be free"),
    {.name = "caption",
     .width = W::text,
     .range = "to the next comma or line end, at most 32767 bytes (else error 25)",
     .meaning = "the text on the board, such as \"(  Cippo  )(Km 28+000)\"",
     .stored = "nome of the next signboard row, counting down from row 80; the cell gets tipo 14 and dato1 = "
               "that row"},
};
constexpr ErrorInfo kSignboardErrors[] = {
    kBeyondGrid,
    {6, "the signboard's cell already holds something other than a tunnel marker"},
    {25, "a caption over 32767 bytes, or more than 81 signboards"},
    kReadFailure,
};

// ---------------------------------------------------------------- train source

constexpr FieldInfo kBrakedMass[] = {
    {.name = "braked mass",
     .width = W::bits32,
     .unit = "%",
     .lowest = kLongMin,
     .highest = kLongMax,
     .range = "any; the carried train has 120",
     .meaning = "the train's braked mass percentage",
     .stored = "row 84 inizio"},
};
constexpr FieldInfo kCars[] = {
    {.name = "cars",
     .width = W::bits32,
     .lowest = kLongMin,
     .highest = kLongMax,
     .range = "any; the carried train has 7",
     .meaning = "the number of cars",
     .stored = "row 84 posizione"},
};

constexpr FieldInfo kSpeed[] = {
    chainage("posizione", "where the limit begins", "the limit governs the cells from chainage / 50 up to the next limit's cell; "
                                       "the last one runs to the end of the route"),
    {.name = "speed limit",
     .member = "velocita",
     .width = W::bits32,
     .unit = "km/h",
     .lowest = 0,
     .highest = 1277,
     .range = "speed / 5 rounded must lie in 0 to 255, so 0 to 1277 (else error 25)",
     .meaning = "the line's speed limit",
     .stored = "velocita of each cell it governs, in units of 5 km/h (speed / 5, halves to even)"},
};
constexpr ErrorInfo kSpeedErrors[] = {
    kBeyondGrid,
    {25, "the speed / 5 does not fit 0 to 255 (told when the cells are written)"},
    kReadFailure,
};

constexpr FieldInfo kAdhesion[] = {
    chainage("posizione", "where the adhesion begins", "the value governs the cells from chainage / 50 up to the next adhesion's "
                                          "cell; the last one runs to the end of the route"),
    {.name = "adhesion",
     .member = "aderenza",
     .width = W::bits32,
     .lowest = 0,
     .highest = 255,
     .range = "0 to 255 (outside, the low 8 bits are kept); the carried train has 87 to 96",
     .meaning = "the rail's adhesion",
     .stored = "aderenza of each cell it governs (low 8 bits)",
     .stored_bits = 8},
};
constexpr ErrorInfo kAdhesionErrors[] = {
    kBeyondGrid,
    {25, "records out of chainage order push the filling past the end of the grid"},
    kReadFailure,
};

constexpr FieldInfo clock_part(std::string_view name, std::string_view member, std::string_view unit,
                               std::string_view range, std::string_view stored) {
  return {.name = name,
          .member = member,
          .width = W::bits16,
          .unit = unit,
          .lowest = kIntegerMin,
          .highest = kIntegerMax,
          .range = range,
          .meaning = "the clock at the start of the run",
          .stored = stored};
}
constexpr FieldInfo kClock[] = {
    clock_part("hours", "campo10", "h", "0 to 23; outside 16 bits, error 25", "row 86 campo10"),
    clock_part("minutes", "campo11", "min", "0 to 59; outside 16 bits, error 25", "row 86 campo11"),
    clock_part("seconds", "campo12", "s", "0 to 59; outside 16 bits, error 25", "row 86 campo12"),
};
constexpr FieldInfo kSand[] = {
    {.name = "sand",
     .member = "campo7",
     .width = W::bits16,
     .lowest = kIntegerMin,
     .highest = kIntegerMax,
     .range = "16 bits (else error 25); the carried train has 200",
     .meaning = "the sand the train carries",
     .stored = "row 86 campo7"},
};

constexpr FieldInfo signal_digit(std::string_view name, std::string_view member, std::string_view meaning,
                                 std::string_view stored) {
  return {.name = name,
          .member = member,
          .width = W::bits32,
          .lowest = 0,
          .highest = 9,
          .range = "a digit; the carried signals use 0 to 6",
          .meaning = meaning,
          .stored = stored};
}
constexpr FieldInfo kSignal[] = {
    chainage("posizione", "where the signal stands", "the signal takes cell chainage / 50 + 1, which must be free"),
    signal_digit("left code", "sx", "the left-hand code of the signal; 2 on every carried signal",
                 "dato4 = rapp x 10 + sx x 3 + dx; approach codes (sx x 3 + dx) x 10 + 1 to 4; the time value is "
                 "kept only when sx is 2"),
    signal_digit("first aspect, left", "s1", "the left digit of the first aspect", "dato1 = s1 x 10 + d1"),
    signal_digit("second aspect, left", "s2", "the left digit of the second aspect", "dato2 = s2 x 10 + d2"),
    signal_digit("third aspect, left", "s3", "the left digit of the third aspect", "dato3 = s3 x 10 + d3"),
    signal_digit("combined code tens", "rapp", "the tens of the combined code; 0 or 1 on the carried signals",
                 "enters dato4"),
    signal_digit("right code", "dx", "the right-hand code of the signal; 0 to 2 on the carried signals",
                 "enters dato4 and the approach codes"),
    signal_digit("first aspect, right", "d1", "the right digit of the first aspect", "enters dato1"),
    signal_digit("second aspect, right", "d2", "the right digit of the second aspect", "enters dato2"),
    signal_digit("third aspect, right", "d3", "the right digit of the third aspect", "enters dato3"),
    {.name = "time value",
     .member = "tempo",
     .width = W::bits32,
     .lowest = 0,
     .highest = 255,
     .range = "0, or 101 to 255 (1 to 100 count as 101; the low 8 bits are kept)",
     .meaning = "a time value of the signal; 0 on all carried signals but two (250 and 199)",
     .stored = "tempo of the cell when sx is 2, else 0"},
};
constexpr ErrorInfo kSignalErrors[] = {
    kBeyondGrid,
    {16, "the signal's cell already holds something other than a tunnel marker"},
    {25, "a chainage below 350 m: the approach codes would fall before the first cell"},
    kReadFailure,
};

constexpr FieldInfo kSlowdown[] = {
    {.name = "start chainage",
     .member = "x",
     .width = W::bits32,
     .unit = "m",
     .lowest = 0,
     .highest = 1'006'900,
     .range = "0 to the route length + 6900 (else error 15); above 1500 it gets a warning board 1200 m before",
     .meaning = "where the slowdown begins",
     .stored = "start mark (tipo 3) in cell x / 50 + 1; warning board (tipo 4) in cell (x - 1200) / 50 + 1"},
    {.name = "speed",
     .member = "v",
     .width = W::bits32,
     .unit = "km/h",
     .lowest = kIntegerMin,
     .highest = kIntegerMax,
     .range = "a multiple of 5 in practice; outside 16 bits the stored value wraps (34000 is stored as -31536)",
     .meaning = "the speed through the slowdown",
     .stored = "dato1 of the warning board, the start and the end mark (low 16 bits)",
     .stored_bits = 16},
    {.name = "length",
     .member = "l",
     .width = W::bits32,
     .unit = "m",
     .lowest = 0,
     .highest = 1'006'900,
     .range = "0 or more; the end must lie within the grid (else error 25); start and end in one cell leave "
              "only the start mark",
     .meaning = "the length of the slowdown",
     .stored = "end mark (tipo 2) in cell (x + l) / 50 + 1"},
    {.name = "start and end value",
     .member = "f_tt",
     .width = W::bits32,
     .lowest = kIntegerMin,
     .highest = kIntegerMax,
     .range = "16 bits (outside, the stored value wraps); 0 or 1 in practice",
     .meaning = "a value of the start and end marks, for the simulator",
     .stored = "dato3 of the start and the end mark",
     .stored_bits = 16},
    {.name = "pre-warning",
     .member = "f_ta",
     .width = W::bits32,
     .lowest = kLongMin,
     .highest = kLongMax,
     .range = "0 or 1; ignored when the start is at or before 1500 m",
     .meaning = "non-zero: four pre-warning cells before the warning board",
     .stored = "the four cells before the warning board get tipo 5 and dato1 1 (nearest) to 4"},
    {.name = "second value",
     .member = "d_v",
     .width = W::bits32,
     .lowest = kIntegerMin,
     .highest = kIntegerMax,
     .range = "16 bits (outside, the stored value wraps); 0 stores nothing",
     .meaning = "a second value of the marks, for the simulator",
     .stored = "when not 0: dato2 of the warning board, start and end marks, and dato2 1 to 4 of the "
               "pre-warning cells",
     .stored_bits = 16},
};
constexpr ErrorInfo kSlowdownErrors[] = {
    kBeyondGrid,
    {17, "the warning board's cell is taken"},
    {18, "the start cell is taken"},
    {19, "the end cell is taken"},
    {20, "one of the four pre-warning cells is taken (the other marks stay)"},
    {25, "the end lies beyond the grid"},
    kReadFailure,
};

constexpr FieldInfo kCodeDrop[] = {
    chainage("posizione", "where the cab code drops", "the drop takes cell chainage / 50 (not + 1), which must be free"),
    {.name = "value",
     .member = "valore",
     .width = W::bits32,
     .lowest = kLongMin,
     .highest = kIntegerMax,
     .range = "above 0 stored (low 16 bits); 0 or less gives a drop without value; the carried drops have 270",
     .meaning = "the value of the drop",
     .stored = "above 0: tipo 12 and dato1 = value; else tipo 13",
     .stored_bits = 16},
};
constexpr ErrorInfo kCodeDropErrors[] = {
    kBeyondGrid,
    {7, "the drop's cell already holds something other than a tunnel marker"},
    kReadFailure,
};

constexpr FieldInfo station_value(std::string_view member, FieldWidth width, std::string_view carried) {
  return {.name = "station value",
          .member = member,
          .width = width,
          .lowest = width == W::bits8 ? 0 : kIntegerMin,
          .highest = width == W::bits8 ? 255 : kIntegerMax,
          .range = carried,
          .meaning = "a value of the station for the simulator; the compile gives it no meaning",
          .stored = "stored as read"};
}
constexpr FieldInfo time_part(std::string_view name, std::string_view member, std::string_view unit,
                              std::string_view range) {
  return {.name = name,
          .member = member,
          .width = W::bits32,
          .unit = unit,
          .lowest = kLongMin,
          .highest = kLongMax,
          .range = range,
          .meaning = "the timetable time at the station; 0, 0, 0 for a station the train passes",
          .stored = "orario = (hours x 60 + minutes) x 60 + seconds"};
}
constexpr FieldInfo kStation[] = {
    {.name = "chainage",
     .member = "posizione",
     .width = W::bits32,
     .unit = "m",
     .lowest = 0,
     .highest = 1'006'200,
     .range = "a multiple of 50 (else error 8), at most the route length + 6200 (else error 15)",
     .meaning = "where the station stands",
     .stored = "posizione; the zone is laid around it"},
    {.name = "type",
     .member = "tipo",
     .width = W::bits8,
     .lowest = 0,
     .highest = 255,
     .range = "0 to 255; the carried stations use 2, 4, 8, 12, 21, 22, 27 and 28",
     .meaning = "the kind of station: 5 and 6 a zone ending 150 m after the chainage and no approach codes; 7 and "
                "8 a zone of the zone length on both sides; others a zone centred on the chainage; 25 and above "
                "no mark in the grid",
     .stored = "tipo"},
    {.name = "zone length",
     .member = "lunghezza",
     .width = W::bits32,
     .unit = "m",
     .lowest = kLongMin,
     .highest = kLongMax,
     .range = "a multiple of 100 (else error 9); the carried stations have 200 to 600",
     .meaning = "the length of the station's zone",
     .stored = "not stored; gives inizio and fine, the zone's ends"},
    station_value("campo4", W::bits8, "0 to 255; the carried stations have 0 or 1"),
    {.name = "long-zone value",
     .member = "campo5",
     .width = W::bits8,
     .lowest = 0,
     .highest = 255,
     .range = "0 to 255; the carried stations have 0 or 1",
     .meaning = "a value of the station for the simulator, kept only for zones of 600 m or more",
     .stored = "stored; set to 0 when the zone length is below 600, and for the first station"},
    {.name = "zone extension",
     .member = "campo6",
     .width = W::bits8,
     .lowest = 0,
     .highest = 255,
     .range = "0 or 1",
     .meaning = "not 0: the zone ends 50 m further (types other than 5 to 8)",
     .stored = "stored; set to 0 for types 5 to 8 and, after its zone is laid, for the first station"},
    station_value("campo7", W::bits16, "16 bits (else error 25); the carried stations have 0, 1 or 4"),
    station_value("campo8", W::bits16, "16 bits (else error 25); the carried stations have 0 or 1"),
    station_value("campo9", W::bits8, "0 to 255; 0 on every carried station"),
    station_value("campo10", W::bits16, "16 bits (else error 25); the carried stations have 0, 2, 4 or 5"),
    station_value("campo11", W::bits16, "16 bits (else error 25); the carried stations have 0 or 1"),
    station_value("campo12", W::bits16, "16 bits (else error 25); the carried stations have 0 or 1"),
    station_value("campo13", W::bits8, "0 to 255; the carried stations have 0, 1, 60 or 99"),
    time_part("hours", "ore", "h", "0 to 23"),
    time_part("minutes", "minuti", "min", "0 to 59"),
    time_part("seconds", "secondi", "s", "0 to 59"),
    {.name = "name",
     .member = "nome",
     .width = W::text,
     .range = "to the line end or the next comma (a name in double quotes may hold commas), at most 32767 bytes "
              "(else error 25)",
     .meaning = "the station's name",
     .stored = "nome"},
};
constexpr ErrorInfo kStationErrors[] = {
    {15, "the chainage lies beyond the route length + 6200 m"},
    {8, "the chainage is not a multiple of 50 (the rest of the record is not read)"},
    {9, "the zone length is not a multiple of 100"},
    {24, "a station of type below 25 whose zone ends at or before 100 m"},
    {22, "the zone begins less than 350 m after the end of the previous station's zone"},
    {10, "too many stations: the next station row meets the signboard rows"},
    {25, "the file ends inside the record, a number does not fit its width, a name is over 32767 bytes, or the "
         "stop mark falls beyond the grid"},
};

using L = SourceLanguage;
using P = SourcePart;

constexpr std::string_view kGeneralLoader = "Stores the value in its route-wide row.";

const std::array kLineRecords = {
    RecordInfo{
        .language = L::line,
        .part = P::general,
        .key = "lunghezza percorso",
        .match = "\"lunghezza\" and \"percorso\", case ignored",
        .name = "route length",
        .meaning = "how long the route is; required before the record part",
        .fields = kRouteLength,
        .loader = "Sizes the grid and the plan and stores the length in row 84. A second route length line starts "
                  "both afresh.",
        .errors = kRouteLengthErrors,
        .example = "lunghezza percorso,    52000",
        .example_stores = "row 84: fine 52000"},
    RecordInfo{
        .language = L::line,
        .part = P::general,
        .key = "progressiva chilometrica tre",
        .match = "\"progressiva\" and \"tre\", exact case",
        .name = "chainage reference three",
        .meaning = "where the line's kilometre numbering changes, and how it runs from there",
        .fields = kReference,
        .loader = kReferenceLoader,
        .errors = kReferenceErrors,
        .example = "progressiva chilometrica tre,    315950,    412050,    1",
        .example_stores = "row 81: inizio 315950, fine 412150, posizione 1"},
    RecordInfo{
        .language = L::line,
        .part = P::general,
        .key = "progressiva chilometrica due",
        .match = "\"progressiva\" and \"due\", exact case",
        .name = "chainage reference two",
        .meaning = "where the line's kilometre numbering changes, and how it runs from there",
        .fields = kReference,
        .loader = kReferenceLoader,
        .errors = kReferenceErrors,
        .example = "progressiva chilometrica due,    284500,    -284500,    0",
        .example_stores = "row 81: inizio 284500, fine -284500, posizione 0"},
    RecordInfo{
        .language = L::line,
        .part = P::general,
        .key = "progressiva chilometrica uno",
        .match = "\"progressiva\" and \"uno\", exact case",
        .name = "chainage reference one",
        .meaning = "where the line's kilometre numbering changes, and how it runs from there",
        .fields = kReference,
        .loader = kReferenceLoader,
        .errors = kReferenceErrors,
        .example = "progressiva chilometrica uno,    31100,    3050,    0",
        .example_stores = "row 81: inizio 31100, fine 3050, posizione 0"},
    RecordInfo{
        .language = L::line,
        .part = P::general,
        .key = "sfondo uno",
        .match = "\"sfondo\" and \"uno\", exact case",
        .name = "background setting one",
        .meaning = "a setting of the scenery",
        .fields = kBackgroundOne,
        .loader = kGeneralLoader,
        .errors = kOnlyReadFailure,
        .example = "sfondo uno,    1",
        .example_stores = "row 85: inizio 1"},
    RecordInfo{
        .language = L::line,
        .part = P::general,
        .key = "sfondo due",
        .match = "\"sfondo\" and \"due\", exact case",
        .name = "background setting two",
        .meaning = "a setting of the scenery",
        .fields = kBackgroundTwo,
        .loader = kGeneralLoader,
        .errors = kOnlyReadFailure,
        .example = "sfondo due,    1",
        .example_stores = "row 85: posizione 1"},
    RecordInfo{
        .language = L::line,
        .part = P::general,
        .key = "sfondo tre",
        .match = "\"sfondo\" and \"tre\", exact case",
        .name = "background setting three",
        .meaning = "a setting of the scenery",
        .fields = kBackgroundThree,
        .loader = kGeneralLoader,
        .errors = kOnlyReadFailure,
        .example = "sfondo tre,    1",
        .example_stores = "row 85: fine 1"},
    RecordInfo{
        .language = L::line,
        .part = P::general,
        .key = "ripetizione segnali 9 codici",
        .match = "\"ripetizione\" and \"segnali\", exact case; the key field also gives the number of codes, "
                 "\"4\" or \"9\" (\"4\" tested first)",
        .name = "signal repetition",
        .meaning = "the stretch over which signals are repeated in the cab, and with how many codes",
        .fields = kRepetition,
        .loader = "Stores the stretch and the number of codes in row 86.",
        .errors = kRepetitionErrors,
        .example = "ripetizione segnali 9 codici,    8000,    50700",
        .example_stores = "row 86: inizio 8000, fine 50700, posizione 9"},
    RecordInfo{
        .language = L::line,
        .part = P::records,
        .key = "pendenza",
        .match = "\"pendenza\", case ignored",
        .name = "gradient",
        .meaning = "the gradient from a chainage on",
        .fields = kGradient,
        .loader = "Fills the cells before this gradient's cell with the gradient before it (0 at the start). "
                  "Gradients must come in increasing chainage order: one behind the filling still writes one cell.",
        .errors = kGradientErrors,
        .example = "pendenza,  600,   -11",
        .example_stores = "cell 11: pendenza 100; cell 12: pendenza 89"},
    RecordInfo{
        .language = L::line,
        .part = P::records,
        .key = "curva",
        .match = "\"curva\", case ignored; the key field also gives the class, the first of the digits 1 to 6 "
                 "that it holds (tested in that order), and the direction: \"s\" (either case) anywhere for the "
                 "s (left-hand) direction, else d (right-hand)",
        .name = "curve",
        .meaning = "a curve of the plan: class 1 has a radius of 10000 m, 2 5000 m, 3 2500 m, 4 1000 m, 5 500 m, "
                   "6 about 333 m",
        .fields = kCurve,
        .loader = "Runs the plan straight to the start, then bends it over the length. Curves must come in "
                  "increasing order without overlap: a curve that starts behind the plan bends only what is left "
                  "of it.",
        .errors = kCurveErrors,
        .example = "curvad5,  2250,  500",
        .example_stores = "point 2250: x 0, y 2250; point 2750: x 230.42, y 2670.70"},
    RecordInfo{
        .language = L::line,
        .part = P::records,
        .key = "montagna",
        .match = "\"montagna\", case ignored",
        .name = "tunnel",
        .meaning = "a tunnel between two chainages",
        .fields = kTunnel,
        .loader = "Counts the tunnel in the tunnel tables and marks its cells.",
        .errors = kTunnelErrors,
        .example = "montagna,   8750,  11150,  12",
        .example_stores = "cell 175: montagna 2, tipo 0; cell 178: montagna 2, tipo 11; cell 222: montagna 2, "
                          "tipo 11; cell 223: montagna 0"},
    RecordInfo{
        .language = L::line,
        .part = P::records,
        .key = "indicatori_vmax",
        .match = "\"indicatori_v\", case ignored",
        .name = "speed indicator board",
        .meaning = "a board showing the line's speeds for three kinds of train, on the s and the d set",
        .fields = kBoard,
        .loader = "Stores the board in its cell (tipo 6); the sums are rounded halves to even.",
        .errors = kBoardErrors,
        .example = "indicatori_vmax,  26350,  130,  140,  145,  2,  130,  140,  145,  2",
        .example_stores = "cell 528: tipo 6, dato1 2626, dato2 2828, dato3 2929, dato4 22"},
    RecordInfo{
        .language = L::line,
        .part = P::records,
        .key = "cartello_indicatore",
        .match = "\"cartello\" and \"indicat\", case ignored",
        .name = "signboard",
        .meaning = "a board with a caption beside the line: a kilometre post, a junction",
        .fields = kSignboard,
        .loader = "Stores the caption in the next signboard row (80, 79, ...) and points the cell at it. Each "
                  "signboard takes a row from the stations: with k signboards at most 78 - k stations load.",
        .errors = kSignboardErrors,
        .example = "cartello_indicatore,  27950,   (  Cippo  )(Km 28+000)",
        .example_stores = "cell 560: tipo 14, dato1 80; row 80: nome \"(  Cippo  )(Km 28+000)\""},
};

const std::array kTrainRecords = {
    RecordInfo{
        .language = L::train,
        .key = "percentuale massa frenata",
        .match = "\"frenata\" and \"massa\", case ignored",
        .name = "braked mass",
        .meaning = "the train's braked mass percentage",
        .fields = kBrakedMass,
        .loader = kGeneralLoader,
        .errors = kOnlyReadFailure,
        .example = "percentuale massa frenata,    120",
        .example_stores = "row 84: inizio 120"},
    RecordInfo{
        .language = L::train,
        .key = "numero vetture",
        .match = "\"vetture\", case ignored",
        .name = "cars",
        .meaning = "the number of cars",
        .fields = kCars,
        .loader = kGeneralLoader,
        .errors = kOnlyReadFailure,
        .example = "numero vetture,    7",
        .example_stores = "row 84: posizione 7"},
    RecordInfo{
        .language = L::train,
        .key = "velocita",
        .match = "\"velocit\", case ignored (so \"velocita\" and \"velocità\")",
        .name = "speed limit",
        .meaning = "the speed limit from a chainage on",
        .fields = kSpeed,
        .loader = "Fills the cells before this limit's cell with the limit before it (0 before the first). "
                  "Limits must come in increasing chainage order: one behind the filling still writes one cell.",
        .errors = kSpeedErrors,
        .example = "velocita,   17450,   150",
        .example_stores = "cell 348: velocita 0; cell 349: velocita 30"},
    RecordInfo{
        .language = L::train,
        .key = "aderenza",
        .match = "\"aderenza\", case ignored",
        .name = "adhesion",
        .meaning = "the adhesion from a chainage on",
        .fields = kAdhesion,
        .loader = "Fills the cells before this record's cell with the adhesion before it (0 before the first), "
                  "in increasing chainage order as speed limits.",
        .errors = kAdhesionErrors,
        .example = "aderenza,   26500,    87",
        .example_stores = "cell 529: aderenza 0; cell 530: aderenza 87"},
    RecordInfo{
        .language = L::train,
        .key = "orologio",
        .match = "\"orologio\", case ignored",
        .name = "clock",
        .meaning = "the time of day at the start of the run",
        .fields = kClock,
        .loader = "Stores the three numbers in row 86. Blanks alone may separate them.",
        .errors = kOnlyReadFailure,
        .example = "orologio,    12              11            50 ",
        .example_stores = "row 86: campo10 12, campo11 11, campo12 50"},
    RecordInfo{
        .language = L::train,
        .key = "sabbia",
        .match = "\"sabbia\", case ignored",
        .name = "sand",
        .meaning = "the sand the train carries",
        .fields = kSand,
        .loader = kGeneralLoader,
        .errors = kOnlyReadFailure,
        .example = "sabbia,    200",
        .example_stores = "row 86: campo7 200"},
    RecordInfo{
        .language = L::train,
        .key = "segnale",
        .match = "\"segnale\", case ignored",
        .name = "signal",
        .meaning = "a signal with its three aspects",
        .fields = kSignal,
        .loader = "Stores the signal in its cell (tipo 1) and approach codes in the cells 100, 200, 300 and 400 m "
                  "before it, whatever they hold.",
        .errors = kSignalErrors,
        .example = "segnale,   29850,   2, 4, 1,  0, 0,    2,  2,1,0, 0",
        .example_stores = "cell 598: tipo 1, dato1 42, dato2 11, dato3 0, dato4 8, tempo 0; cell 596: preavviso 81; "
                          "cell 590: preavviso 84"},
    RecordInfo{
        .language = L::train,
        .key = "rallentamento",
        .match = "\"rallentamento\", case ignored",
        .name = "slowdown",
        .meaning = "a temporary speed restriction over a stretch, announced by a warning board 1200 m before it",
        .fields = kSlowdown,
        .loader = "Stores the end, start and warning marks and, when asked, the four pre-warning cells. The "
                  "finishing pass later adds code drops around it.",
        .errors = kSlowdownErrors,
        .example = "rallentamento,   20650,   60,  1000,  1,  1,  0",
        .example_stores = "cell 414: tipo 3, dato1 60, dato3 1; cell 434: tipo 2, dato1 60, dato3 1; cell 390: "
                          "tipo 4, dato1 60; cell 389: tipo 5, dato1 1; cell 386: tipo 5, dato1 4"},
    RecordInfo{
        .language = L::train,
        .key = "abbattimento",
        .match = "\"abbattimento\", case ignored",
        .name = "code drop",
        .meaning = "a point where the cab signal code drops",
        .fields = kCodeDrop,
        .loader = "Stores the drop in its cell.",
        .errors = kCodeDropErrors,
        .example = "abbattimento,    7050,   270",
        .example_stores = "cell 141: tipo 12, dato1 270"},
    RecordInfo{
        .language = L::train,
        .key = "stazione",
        .match = "\"stazione\", case ignored",
        .name = "station",
        .meaning = "a station with its zone and timetable time",
        .fields = kStation,
        .loader = "Takes the next station row (1, 2, ...), lays the zone, puts approach codes 81 to 84 in the "
                  "four cells before the stop mark and the stop mark (tipo 10, dato1 = the row) in cell zone end / "
                  "50 - 1, replacing whatever stood there. Stations must come in increasing chainage order, each "
                  "zone at least 350 m after the one before.",
        .errors = kStationErrors,
        .example = "stazione,    3100, 12,  400,  1, 0, 0,  1,1,0,  4,1,1,    1,  12,23, 0, Orvena Tessaro",
        .example_stores = "row 1: posizione 3100, tipo 12, inizio 2900, fine 3300, campo4 1, orario 44580, nome "
                          "\"Orvena Tessaro\"; cell 65: tipo 10, dato1 1; cell 64: preavviso 81; cell 61: "
                          "preavviso 84"},
};

const RecordInfo* find_key(std::span<const RecordInfo> all, std::string_view key) {
  for (const RecordInfo& r : all)
    if (r.key == key) return &r;
  return nullptr;
}

}  // namespace

std::optional<int64_t> wrapped_value(const FieldInfo& field, int64_t value) {
  if (field.stored_bits == 0 || (value >= field.lowest && value <= field.highest)) return std::nullopt;
  const auto low = static_cast<uint64_t>(value + field.stored_offset);
  const int64_t kept = field.stored_bits == 8 ? static_cast<int64_t>(low & 0xff)
                                              : static_cast<int64_t>(static_cast<int16_t>(low & 0xffff));
  if (kept == value + field.stored_offset) return std::nullopt;
  return kept;
}

std::string_view width_name(FieldWidth width) {
  switch (width) {
    case FieldWidth::bits32: return "32-bit";
    case FieldWidth::bits16: return "16-bit";
    case FieldWidth::bits8: return "8-bit";
    case FieldWidth::text: return "text";
  }
  return "";
}

std::span<const RecordInfo> records(SourceLanguage language) {
  if (language == SourceLanguage::line) return kLineRecords;
  return kTrainRecords;
}

std::vector<const RecordInfo*> records_of(SourceLanguage language, SourcePart part, std::string_view key_field) {
  std::vector<const RecordInfo*> out;
  auto add = [&](bool holds, std::string_view key) {
    if (holds) out.push_back(find_key(records(language), key));
  };
  if (language == SourceLanguage::train) {
    const TrainKeys k = chiavi_treno(key_field);
    add(k.massa_frenata, "percentuale massa frenata");
    add(k.vetture, "numero vetture");
    add(k.velocita, "velocita");
    add(k.aderenza, "aderenza");
    add(k.clock, "orologio");
    add(k.sabbia, "sabbia");
    add(k.segnale, "segnale");
    add(k.rallentamento, "rallentamento");
    add(k.abbattimento, "abbattimento");
    add(k.stazione, "stazione");
  } else if (part == SourcePart::general) {
    const GeneralKeys k = chiavi_generali(key_field);
    add(k.lunghezza_percorso, "lunghezza percorso");
    add(k.progressiva_tre, "progressiva chilometrica tre");
    add(k.progressiva_due, "progressiva chilometrica due");
    add(k.progressiva_uno, "progressiva chilometrica uno");
    add(k.sfondo_uno, "sfondo uno");
    add(k.sfondo_due, "sfondo due");
    add(k.sfondo_tre, "sfondo tre");
    add(k.signal_repetition, "ripetizione segnali 9 codici");
  } else {
    const LineKeys k = chiavi_linea(key_field);
    add(k.pendenza, "pendenza");
    add(k.curva, "curva");
    add(k.montagna, "montagna");
    add(k.indicatori_v, "indicatori_vmax");
    add(k.cartello_indicatore, "cartello_indicatore");
  }
  return out;
}

std::vector<const RecordInfo*> records_of_line(SourceLanguage language, std::string_view line) {
  const std::string_view key = line_fields(line).front().text;
  if (key.empty() || key.front() == '[') return {};
  auto found = records_of(language, SourcePart::records, key);
  if (found.empty()) found = records_of(language, SourcePart::general, key);
  return found;
}

const RecordInfo* record_with_key(SourceLanguage language, std::string_view key) {
  return find_key(records(language), key);
}

const FieldInfo* field_with_member(const RecordInfo& record, std::string_view member) {
  for (const FieldInfo& f : record.fields)
    if (f.member == member) return &f;
  return nullptr;
}

const RecordInfo& station_record() { return *find_key(kTrainRecords, "stazione"); }

}  // namespace compactor
