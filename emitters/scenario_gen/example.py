#!/usr/bin/env python3
"""Writes the example scenario of docs/example: a 36 km route with every kind
of record, a slowdown among them.

    python3 emitters/scenario_gen/example.py [--check]

The scenario is described below and written by the machinery of the carried
scenario (generate.py): the same record writers, the same speed indicator
boards derived from the speed limits, the same model of the loader's grid,
which refuses to write a source that would record a load error. The files
are what the program writes: Windows-1252 (here plain ASCII), lines ended by
CR LF. With --check it only compares the committed files with what it would
write.
"""

import os
import sys

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import generate  # noqa: E402

OUT = os.path.join(HERE, "..", "..", "docs", "example")
ROUTE = "Valdora_Pianetto"
TRAIN = "REG 2201"

# chainage, type, zone length, campo4..campo13, timed stop, name
STATIONS = [
    (0, 8, 500, (1, 0, 0, 4, 1, 0, 2, 1, 1, 1), True, "Valdora"),
    (9800, 22, 300, (1, 0, 0, 1, 1, 0, 2, 1, 0, 0), True, "Corte Alba"),
    (17500, 28, 300, (0, 0, 0, 0, 0, 0, 0, 0, 0, 0), False, "Sasso Basso"),
    (26200, 12, 400, (1, 0, 0, 1, 1, 0, 4, 1, 1, 0), True, "Molinella"),
    (34500, 12, 600, (1, 1, 0, 1, 1, 0, 2, 1, 1, 0), True, "Pianetto"),
]
# hours, minutes, seconds at each station; 0, 0, 0 where the train passes
TIMES = {0: (8, 5, 0), 9800: (8, 13, 0), 17500: (0, 0, 0), 26200: (8, 24, 0), 34500: (8, 31, 0)}

EXAMPLE = generate.Scenario(
    length=36000,
    line_general=[
        "lunghezza percorso,    36000",
        "progressiva chilometrica uno,    18000,    2000,    0",
        "sfondo uno,    1",
        "sfondo due,    0",
        "sfondo tre,    0",
        "ripetizione segnali 9 codici,    2000,    35000",
    ],
    tunnels=[(14000, 15600, 12), (22000, 22400, 2)],
    speed_limits=[(0, 30), (1000, 100), (6000, 120), (12000, 140), (20500, 110), (24000, 130),
                  (33000, 90)],
    accented=(),
    first_boards=[],
    boards_from=1,
    announced_reductions=(20500, 33000),
    single_track=(),
    board_shifts={},
    third_speed={},
    adhesion=[(0, 95), (18000, 90)],
    stations=STATIONS,
    # start, speed, length, start and end value, pre-warning, second value
    slowdowns=[(28500, 60, 800, 1, 1, 0)],
    train_general=["numero vetture,    4", "percentuale massa frenata,    110",
                   "sabbia,    150", "orologio,    8              5            0 "],
)

# chainage, length, direction, class
CURVES = [(1350, 150, "s", 1), (2250, 500, "d", 4), (7000, 600, "s", 3), (11000, 800, "d", 2),
          (16500, 400, "s", 3), (19000, 1000, "d", 1), (23000, 500, "s", 3), (28000, 700, "d", 2),
          (31000, 300, "s", 2)]
GRADIENTS = [(0, "0"), (600, "-6"), (3000, "4"), (8000, "9"), (12000, "3"), (14500, "11"),
             (16000, "-5"), (21000, "0"), (27000, "-3"), (33500, "0")]
# kilometre posts one cell before the reading (up to 18000 m the reading is
# the chainage, from there the chainage plus 2000), and a junction board
SIGNBOARDS = [(4950, "(  Cippo  )(Km 5+000)"), (9950, "(  Cippo  )(Km 10+000)"),
              (14950, "(  Cippo  )(Km 15+000)"), (22950, "(  Cippo  )(Km 25+000)"),
              (27950, "(  Cippo  )(Km 30+000)"), (32950, "(  Cippo  )(Km 35+000)"),
              (33950, "(Dev.)(I.  )")]
# block signals between the stations, protection signals before them and
# departure signals after them, in the carried signals' shapes
SIGNALS = [(1050, generate.FORMA_PARTENZA), (3950, generate.FORMA_BLOCCO), (6950, generate.FORMA_BLOCCO),
           (9050, generate.FORMA_PROTEZIONE), (9900, generate.FORMA_PARTENZA), (12950, generate.FORMA_BLOCCO),
           (16000, generate.FORMA_BLOCCO), (19000, generate.FORMA_BLOCCO), (22000, generate.FORMA_BLOCCO),
           (25400, generate.FORMA_PROTEZIONE), (26350, generate.FORMA_PARTENZA), (29000, generate.FORMA_BLOCCO),
           (31500, generate.FORMA_BLOCCO), (33600, generate.FORMA_PROTEZIONE)]
CODE_DROPS = [3950, 12950, 19000]


def texts():
    line = generate.testo_linea(EXAMPLE, CURVES, GRADIENTS, generate.tabelle(EXAMPLE), SIGNBOARDS)
    times = {c: {"sorgente": t} for c, t in TIMES.items()}
    train = generate.testo_treno(EXAMPLE, times, SIGNALS, CODE_DROPS)
    errors, _ = generate.carica(EXAMPLE, line, train)
    generate.verifica(not errors, "the example would not load: %s" % errors[:5])
    return {ROUTE + "_linea.txt": line, ROUTE + "_" + TRAIN + "-.txt": train}


def main():
    files = {name: "".join(x + "\r\n" for x in lines).encode("cp1252") for name, lines in texts().items()}
    return generate.write_or_check(files, OUT, "--check" in sys.argv)


if __name__ == "__main__":
    sys.exit(main())
