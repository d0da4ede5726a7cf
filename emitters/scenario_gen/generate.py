#!/usr/bin/env python3
"""Writes the five carried texts of the scenario into emitters/texts.

    python3 emitters/scenario_gen/generate.py [--check]

The scenario is described once, below (stations, speed limits, trackside
items); the line source, the train source and the timetable card are all
derived from that one description, so they agree with each other. The order
form and the notes are fixed text. Before writing, the script loads both
sources into a model of the 50 m route grid with the loader's cell rules and
refuses to write anything that would record a load error. With --check it
only compares the committed files with what it would write.
"""

import os
import random
import sys

QUI = os.path.dirname(os.path.abspath(__file__))
TESTI = os.path.join(QUI, "..", "texts")

LUNGHEZZA = 334000
NOME_TRENO = "REG 4105"


class Guasto(Exception):
    pass


def verifica(cond, msg):
    if not cond:
        raise Guasto(msg)


# ---------------------------------------------------------------------------
# Kilometre readings along the route (the three chainage references).

def lettura(c, dopo=True):
    """Kilometre reading in metres at chainage c. At a chainage where the
    numbering changes, dopo=False gives the reading of the stretch before."""
    if c > 315950 or (c == 315950 and dopo):
        return 412050 - c
    if c > 284500 or (c == 284500 and dopo):
        return c - 284500
    if c > 31100 or (c == 31100 and dopo):
        return c + 3050
    return c


CAMBI_LETTURA = (31100, 284500, 315950)


def progressiva_di(km_metri, tratta):
    """Chainage of a reading on a stretch: 'A' before the first change,
    'P' main line, 'B' after the restart at 0, 'C' falling readings."""
    return {"A": km_metri, "P": km_metri - 3050, "B": km_metri + 284500,
            "C": 412050 - km_metri}[tratta]


def fmt_km(m):
    return "%d.%03d" % (m // 1000, m % 1000)


# ---------------------------------------------------------------------------
# The scenario.

# chainage, type, zone length, campo4..campo13, timed stop, name
STAZIONI = [
    (0, 8, 500, (1, 0, 0, 4, 1, 0, 2, 1, 1, 1), True, "Orvena"),
    (3100, 12, 400, (0, 0, 0, 1, 1, 0, 5, 1, 1, 0), False, "Orvena Tessaro"),
    (8200, 22, 300, (1, 0, 0, 1, 1, 0, 2, 1, 0, 0), True, "Pradalbo"),
    (11600, 22, 300, (1, 0, 0, 1, 1, 0, 2, 1, 0, 0), False, "Vicorsano"),
    (17450, 28, 300, (0, 0, 0, 0, 0, 0, 0, 0, 0, 0), False, "Tolmenza"),
    (22900, 22, 300, (1, 0, 0, 1, 1, 0, 2, 1, 0, 0), True, "Castrovello Alto"),
    (31100, 12, 400, (1, 0, 1, 1, 1, 0, 4, 1, 1, 1), True, "Ferrazzola"),
    (38650, 22, 300, (1, 0, 0, 1, 1, 0, 2, 1, 0, 0), False, "Monte Sirpio"),
    (45300, 28, 300, (0, 0, 0, 0, 0, 0, 0, 0, 0, 0), False, "Carbellona"),
    (52900, 12, 500, (1, 0, 0, 1, 1, 0, 4, 1, 1, 1), True, "Roncolfo Scalo"),
    (61250, 22, 300, (1, 0, 0, 1, 1, 0, 2, 1, 0, 0), True, "Bellanzo"),
    (68400, 27, 200, (0, 0, 0, 0, 0, 0, 0, 0, 0, 0), False, "Trevignola"),
    (74300, 22, 400, (1, 0, 0, 1, 1, 0, 2, 1, 0, 0), True, "Pontorba"),
    (82550, 12, 500, (1, 0, 0, 1, 1, 0, 4, 1, 1, 60), True, "Arvaglio Terme"),
    (90100, 28, 300, (0, 0, 0, 0, 0, 0, 0, 0, 0, 0), False, "Lusenta"),
    (97600, 22, 300, (1, 0, 0, 1, 1, 0, 2, 1, 0, 0), False, "Marcellera"),
    (105450, 21, 400, (1, 0, 0, 1, 1, 0, 4, 1, 1, 1), True, "Sorbolina"),
    (113200, 22, 300, (1, 0, 0, 1, 1, 0, 2, 1, 0, 0), True, "Vallorsetta"),
    (121750, 28, 200, (0, 0, 0, 0, 0, 0, 0, 0, 0, 0), False, "Gattarola"),
    (129300, 22, 400, (1, 0, 0, 1, 1, 0, 2, 1, 0, 0), True, "Pievescura"),
    (137050, 22, 300, (1, 0, 1, 1, 1, 0, 2, 1, 0, 0), False, "Corvinale"),
    (144900, 28, 300, (0, 0, 0, 0, 0, 0, 0, 0, 0, 0), False, "Ascolona"),
    (152950, 12, 600, (1, 1, 0, 1, 1, 0, 4, 1, 1, 60), True, "Terrapelle"),
    (160400, 22, 300, (1, 0, 0, 1, 1, 0, 2, 1, 0, 0), False, "Brunisca"),
    (168250, 2, 400, (1, 0, 0, 1, 1, 0, 5, 1, 1, 0), True, "Casteldolmo"),
    (176100, 22, 300, (1, 0, 0, 1, 1, 0, 2, 1, 0, 0), True, "Rivallena"),
    (184650, 28, 300, (0, 0, 0, 0, 0, 0, 0, 0, 0, 0), False, "Montefrisa"),
    (192300, 12, 500, (1, 0, 0, 1, 1, 0, 4, 1, 1, 1), True, "Sanguinara"),
    (200750, 22, 300, (1, 0, 0, 1, 1, 0, 2, 1, 0, 0), False, "Cerrosecco"),
    (208900, 27, 300, (0, 0, 0, 0, 0, 0, 0, 0, 0, 0), False, "Isola Vertana"),
    (216450, 22, 300, (1, 0, 0, 1, 1, 0, 2, 1, 0, 0), True, "Pozzalbo"),
    (224800, 4, 400, (1, 0, 0, 1, 1, 0, 2, 1, 1, 0), True, "Tramonzo"),
    (232350, 22, 300, (1, 0, 0, 1, 1, 0, 2, 1, 0, 0), False, "Collerupe"),
    (240600, 28, 300, (0, 0, 0, 0, 0, 0, 0, 0, 0, 0), False, "Piagnotto"),
    (248900, 12, 500, (1, 0, 0, 1, 1, 0, 4, 1, 1, 1), True, "Borgolento"),
    (257150, 22, 300, (1, 0, 0, 1, 1, 0, 2, 1, 0, 0), False, "Marzanella"),
    (265250, 2, 400, (1, 0, 0, 1, 1, 0, 5, 1, 1, 0), True, "Cavalvina"),
    (273400, 28, 300, (0, 0, 0, 0, 0, 0, 0, 0, 0, 0), False, "Gorgheto"),
    (280150, 22, 300, (1, 0, 0, 1, 1, 0, 2, 1, 0, 0), True, "Rupiscura"),
    (286850, 22, 300, (1, 0, 0, 0, 1, 0, 2, 1, 0, 0), True, "Velmonte"),
    (301200, 28, 300, (0, 0, 0, 0, 0, 0, 0, 0, 0, 0), False, "Scarzona"),
    (308700, 22, 300, (1, 0, 0, 0, 1, 0, 2, 1, 0, 0), False, "Olivarsa"),
    (315950, 12, 400, (1, 0, 1, 1, 1, 0, 4, 1, 1, 99), True, "Fenilosso"),
    (324300, 22, 300, (1, 0, 0, 0, 1, 0, 2, 1, 0, 0), False, "Quercianera"),
    (332750, 12, 600, (1, 1, 0, 1, 1, 0, 2, 1, 1, 0), True, "Lusco Borgo Alto"),
]
DESTINAZIONE_BREVE = "Lusco B.A."
BIVIO = (284500, "Bivio Tarsenna")

# chainage, speed limit (km/h); the first row writes its chainage narrow,
# two rows spell the key word with the accent.
VELOCITA = [
    (0, 30), (1000, 95), (8200, 80), (12050, 90), (17450, 150), (27050, 140),
    (31100, 160), (41950, 150), (46950, 160), (61250, 140), (70950, 130),
    (74300, 110), (76150, 85), (78950, 130), (82550, 150), (96950, 160),
    (105450, 140), (116950, 160), (129300, 130), (137050, 150), (146950, 160),
    (160950, 125), (168250, 110), (176100, 140), (184650, 160), (196950, 150),
    (208900, 130), (216450, 155), (224800, 140), (232350, 160), (246950, 145),
    (257150, 160), (265250, 130), (284500, 140), (286850, 145), (292350, 120),
    (304500, 140), (315450, 100), (317050, 130), (330750, 120),
]
VELOCITA_ACCENTATE = (284500, 286850)
# reductions announced by two warning boards (two stripes, then one)
RIDUZIONI_AVVISATE = (27050, 61250, 70950, 74300, 76150, 105450, 129300,
                      160950, 208900, 265250, 292350, 315450)
# stretches whose boards stand on one track only (d set left empty)
BINARIO_UNICO = ((0, 5000), (160000, 185000), (284000, 334000))

ADERENZE = [(0, 95), (265300, 87), (312450, 93), (325950, 96)]

# Trackside items of the timetable card: chainage, text. The kilometre posts
# marked True also stand in the line source as signboards.
CIPPI = [  # (reading km, stretch, signboard caption or None)
    (5, "A", "( Cippo )(Km 5+000)"), (14, "A", "(Cippo   )(Km 14+000)"),
    (20, "A", None), (28, "A", "(  Cippo  )(Km 28+000)"),
    (45, "P", None), (50, "P", "(  Cippo )(Km 50+000)"), (66, "P", None),
    (74, "P", None), (82, "P", None), (100, "P", "(Cippo)(Km 100+000)"),
    (120, "P", None), (125, "P", "( Cippo  )(Km 125+000)"),
    (150, "P", "(  Cippo  )(Km 150+000)"), (164, "P", None), (180, "P", None),
    (200, "P", "(Cippo )(Km 200+000)"), (250, "P", "(   Cippo )(Km 250+000)"),
    (275, "P", "( Cippo   )(Km 275+000)"), (10, "B", None),
    (20, "B", "(  Cippo  )(Km 20+000)"), (95, "C", None),
    (90, "C", "(Cippo  )(Km 90+000)"), (85, "C", "( Cippo )(Km 85+000)"),
]
VOCI = [  # chainage of the card row, text
    (1000, "Dev.U."), (8000, "C.C. Km 8.000"), (12050, "Dev.U."),
    (27050, "Ponte sul Varsella"), (76150, "Segn.Avv."),
    (100250, "C.C. Km 103.300"), (152350, "Dev.I."),
    (187450, "Ponte sul Lurenza"), (236150, "C.C. Km 239.200"),
    (283450, "Segn.Prot."), (292350, "C.C. Km 7.850"),
    (314550, "Segn.Prot."), (315450, "Dev.I."), (330750, "Dev.I."),
]
# the other signboards: chainage, caption
CARTELLI_ALTRI = [
    (950, "(Dev.)(U.  )"), (7950, "(Zona)(Cod )"), (284450, "(Bivio)(Tarsenna)"),
    (315400, "(Dev.I.)"), (330650, "(Zona)(Cod )"), (330700, "(Dev.)(I.  )"),
]

# the further speed ("No Rs") shown on a few card rows
VEL_RS = {74300: "100", 76150: "80", 168250: "100", 315450: "90"}
# recovery margins at some stops
RECUPERI = {31100: "1", 82550: "1.5", 129300: "0.5", 152950: "0.5",
            192300: "2", 248900: "1", 286850: "0.5", 315950: "1.5"}
# set speeds that differ from min(limit, 150)
MARCIA = {96950: 140, 116950: 140, 137050: 140, 146950: 140, 152950: 150}


def curva_di_stazione(s):
    c, tipo, lung, campi = s[0], s[1], s[2], s[3]
    campo6 = campi[2]
    if tipo in (5, 6):
        return c - lung, c + 150
    if tipo in (7, 8):
        return c - lung, c + lung
    return c - lung // 2, c + lung // 2 + (50 if campo6 else 0)


# ---------------------------------------------------------------------------
# Speed indicator boards, derived from the speed limits.

# boards standing a little before the point of their speed record
SPOSTA_TABELLA = {76150: -50}
# boards whose third speed (the fastest trains') is above the usual step:
# chainage, that speed
THIRD_SPEED = {46950: 170}


def terna(v):
    return (v - 5 if v < 100 else v - 10, v, v + 5)


def tabelle(sc):
    """The speed indicator boards of a scenario, one at each speed limit
    after the first ones, with two forerunners before an announced
    reduction."""
    out = list(sc.first_boards)
    for c, v in sc.speed_limits[sc.boards_from:]:
        t = terna(v)
        if c in sc.third_speed:
            t = t[:2] + (sc.third_speed[c],)
        c += sc.board_shifts.get(c, 0)
        if c + 50 in sc.announced_reductions or c in sc.announced_reductions:
            out.append((c - (700 if c == 27050 else 650), t, 2))
            out.append((c - (350 if c == 27050 else 300), t, 1))
        out.append((c, t, 0))
    out.sort()
    speeds = {x for _, t, _ in out for x in t}
    verifica(all(x % 5 == 0 for x in speeds) and min(speeds) >= 75 and max(speeds) <= 170,
             "board speeds %d to %d" % (min(speeds), max(speeds)))
    righe = []
    for c, (a, b, cc), strisce in out:
        if any(a <= c < b for a, b in sc.single_track):
            righe.append((c, (a, b, cc, strisce), None))
        else:
            righe.append((c, (a, b, cc, strisce), (a, b, cc, strisce)))
    return righe


# ---------------------------------------------------------------------------
# Signboards.

def cartelli():
    out = []
    for km, tratta, didascalia in CIPPI:
        if didascalia:
            c = progressiva_di(km * 1000, tratta) - 50
            verifica(lettura(c + 50) == km * 1000, "post %d" % km)
            out.append((c, didascalia))
    out += CARTELLI_ALTRI
    out.sort()
    return out


# ---------------------------------------------------------------------------
# Signals and code drops.

FORMA_BLOCCO = (2, 4, 0, 0, 0, 2, 1, 0, 0, 0)
FORMA_PROTEZIONE = (2, 4, 1, 0, 0, 2, 2, 1, 0, 0)
FORMA_PARTENZA = (2, 4, 1, 1, 0, 2, 2, 1, 1, 0)
FORME_BLOCCO_ALTRE = [(2, 5, 0, 0, 0, 2, 1, 0, 0, 0), (2, 2, 0, 0, 0, 0, 0, 0, 0, 0),
                      (2, 3, 0, 0, 0, 1, 1, 0, 0, 0)]
SEGNALI_FISSI = {
    1050: (2, 4, 1, 1, 0, 2, 2, 1, 1, 0),
    29850: (2, 4, 1, 0, 0, 2, 2, 1, 0, 0),
    76150: (2, 3, 1, 1, 0, 2, 2, 1, 1, 250),
    283450: (2, 4, 2, 1, 1, 2, 2, 1, 1, 0),
    314550: (2, 5, 6, 1, 1, 1, 3, 1, 1, 199),
    331100: (2, 4, 1, 0, 0, 2, 2, 1, 0, 0),
}
NUMERO_SEGNALI = 179


def segnali(occupate):
    """occupate: grid cells already taken by the line and the stations."""
    sig = dict(SEGNALI_FISSI)
    libera = lambda c: (c // 50 + 1) not in occupate
    for s in STAZIONI[1:-1]:
        if s[1] >= 25:
            continue  # halts without signals
        inizio, fine = curva_di_stazione(s)
        if not any(inizio - 1600 <= c < inizio for c in SEGNALI_FISSI):
            e = inizio - 600
            while not libera(e):
                e -= 50
            sig[e] = FORMA_PROTEZIONE
        u = fine - 50
        while not libera(u):
            u += 50
        sig[u] = FORMA_PARTENZA
    # block signals in the gaps, spaced evenly
    fissi = sorted(sig)
    gaps = [(a, b) for a, b in zip(fissi, fissi[1:])]
    da_mettere = NUMERO_SEGNALI - len(sig)
    passo = 2000
    for _ in range(200):
        n = sum(max(0, round((b - a) / passo) - 1) for a, b in gaps)
        if n == da_mettere:
            break
        passo += 10 if n > da_mettere else -10
    verifica(n == da_mettere, "block signals: %d for %d" % (n, da_mettere))
    blocchi = []
    for a, b in gaps:
        k = max(0, round((b - a) / passo) - 1)
        for i in range(1, k + 1):
            c = round((a + (b - a) * i / (k + 1)) / 50) * 50
            for d in (0, 50, -50, 100, -100, 150, -150):
                if libera(c + d) and c + d not in sig and (c + d) not in blocchi:
                    c += d
                    break
            else:
                raise Guasto("no place for a block signal near %d" % c)
            blocchi.append(c)
    rng = random.Random(4105)
    altre = sorted(rng.sample(blocchi, len(blocchi) - 91))
    for i, c in enumerate(blocchi):
        sig[c] = FORME_BLOCCO_ALTRE[altre.index(c) % 3] if c in altre else FORMA_BLOCCO
    verifica(len(sig) == NUMERO_SEGNALI, "signal count %d" % len(sig))
    return sorted(sig.items())


def abbattimenti(sig, occupate):
    """78 code drops, value 270: 52 at signals, the others before stations."""
    pos_sig = [c for c, _ in sig]
    insieme = set(pos_sig)
    celle_sig = {c // 50 + 1 for c in pos_sig}
    libera = lambda c: c // 50 not in occupate and c // 50 not in celle_sig
    candidati = [c for c, f in sig
                 if 7050 < c < 327450 and libera(c) and f[1] in (4, 5) and f[2] in (0, 1)]
    rng = random.Random(270)
    ai_segnali = sorted(rng.sample(candidati, 52))
    altri = {7050, 327450}
    ordine = sorted(STAZIONI[2:-1], key=lambda s: not s[4])  # stops first
    for s in ordine:
        if len(altri) == 26:
            break
        if s[1] >= 25:
            continue
        inizio, _ = curva_di_stazione(s)
        c = inizio - 1200
        while not libera(c) or c in insieme or c in ai_segnali:
            c -= 50
        if 7050 < c < 327450:
            altri.add(c)
    verifica(len(altri) == 26, "code drops away from signals: %d" % len(altri))
    return sorted(set(ai_segnali) | altri)


# ---------------------------------------------------------------------------
# Curves, gradients, tunnels.

MONTAGNE = [
    (8750, 11150, 12), (12300, 12400, 12), (12650, 16950, 12), (17900, 18600, 12),
    (18850, 19450, 12), (19800, 21050, 12), (21400, 22300, 12), (23600, 25100, 12),
    (25450, 27000, 12),
    (292600, 292850, 2), (293300, 294900, 2), (295350, 296000, 2), (296400, 297900, 2),
    (298300, 299600, 2), (302700, 304100, 2),
]


class Scenario:
    """What the two sources are written from. CARRIED is the carried
    scenario; docs/example (example.py) is another."""

    def __init__(self, **fields):
        self.__dict__.update(fields)


CARRIED = Scenario(
    length=LUNGHEZZA,
    line_general=[
        "lunghezza percorso,    334000",
        "progressiva chilometrica uno,    31100,    3050,    0",
        "progressiva chilometrica due,    284500,    -284500,    0",
        "progressiva chilometrica tre,    315950,    412050,    1",
        "sfondo uno,    1",
        "sfondo due,    0",
        "sfondo tre,    0",
        "ripetizione segnali 9 codici,    8000,    330700",
    ],
    tunnels=MONTAGNE,
    speed_limits=VELOCITA,
    accented=VELOCITA_ACCENTATE,
    first_boards=[(1000, terna(95), 0), (7300, terna(80), 0)],
    boards_from=2,
    announced_reductions=RIDUZIONI_AVVISATE,
    single_track=BINARIO_UNICO,
    board_shifts=SPOSTA_TABELLA,
    third_speed=THIRD_SPEED,
    adhesion=ADERENZE,
    stations=STAZIONI,
    slowdowns=[],
    train_general=["numero vetture,    7", "percentuale massa frenata,    120",
                   "sabbia,    200", "orologio,    12              11            50 "],
)


def limite(c):
    v = VELOCITA[0][1]
    for p, s in VELOCITA:
        if p <= c:
            v = s
    return v


def curve():
    rng = random.Random(173)
    fisse = [(1350, 150, "s", 1), (2250, 500, "d", 5), (77700, 250, "d", 6),
             (332050, 400, "s", 2)]
    da_fare = 173 - len(fisse)
    spazi = [(a[0] + a[1], b[0]) for a, b in zip(fisse, fisse[1:])]
    totale = sum(b - a for a, b in spazi)
    quanti = [round(da_fare * (b - a) / totale) for a, b in spazi]
    quanti[-1] += da_fare - sum(quanti)
    out = list(fisse)
    for (a, b), n in zip(spazi, quanti):
        passo = (b - a) / (n + 1)
        for i in range(1, n + 1):
            centro = a + passo * i
            lung_max = max(50, int((passo - 300) / 50) * 50)
            lung = min(lung_max, rng.choice([150, 200, 250, 300, 350, 400, 450, 500, 600,
                                              700, 800, 900, 1000, 1200]))
            s = round((centro - lung / 2) / 50) * 50
            out.append([s, lung, None, None])
    out.sort(key=lambda x: x[0])
    # the longest and the shortest curve
    libere = [x for x in out if x[2] is None]
    libere[40][1] = 50
    for x in libere[60:]:
        i = out.index(x)
        spazio = out[i + 1][0] - out[i - 1][0] - out[i - 1][1]
        if spazio >= 2300 and limite(x[0]) >= 150:
            x[0] = out[i - 1][0] + out[i - 1][1] + (spazio - 1900) // 100 * 50
            x[1] = 1900
            break
    else:
        raise Guasto("no room for the longest curve")
    versi = ["s"] * 94 + ["d"] * 75
    rng.shuffle(versi)
    k = 0
    for x in out:
        if x[2] is None:
            x[2] = versi[k]
            k += 1
            vmax = max(limite(c) for c in range(x[0], x[0] + x[1] + 1, 50))
            massima = 5 if vmax <= 100 else 4 if vmax <= 145 else 3
            if x[1] >= 1000:
                massima = min(massima, 2)
            x[3] = rng.choice([c for c in range(1, massima + 1)] + [1, 2])
    # every class on both sides at least once (class 6 only on the d side):
    # a missing class goes to a short curve where the limit allows it; the
    # side it takes is given back by a gentle curve of the other side
    fisse_pos = {f[0] for f in fisse}
    for verso, classe in [(v, c) for v in "sd" for c in range(1, 6)]:
        if any(x[2] == verso and x[3] == classe for x in out):
            continue
        ammessa = 100 if classe == 5 else 145 if classe == 4 else 160
        x = next(x for x in out if x[0] not in fisse_pos and x[1] <= 500
                 and max(limite(c) for c in range(x[0], x[0] + x[1] + 1, 50)) <= ammessa
                 and sum(1 for y in out if (y[2], y[3]) == (x[2], x[3])) > 1)
        if x[2] != verso:
            altro = next(y for y in out if y[0] not in fisse_pos and y[2] == verso and y[3] == 1)
            altro[2] = x[2]
            x[2] = verso
        x[3] = classe
    return [tuple(x) for x in out]


def pendenze():
    rng = random.Random(251)
    fisse = [(0, "0"), (600, "-11"), (1250, "-4,5")]
    ultima = (317750, "0")
    n = 251 - len(fisse) - 1
    a, b = 1250, 317750
    passo = (b - a) / (n + 1)
    pos = []
    for i in range(1, n + 1):
        c = round((a + passo * i + rng.uniform(-0.3, 0.3) * passo) / 50) * 50
        pos.append(c)
    pos = sorted(set(pos))
    verifica(len(pos) == n, "gradient positions")
    # 90 zero rows, never two in a row and never right before the last row
    scelta = sorted(rng.sample(range(n - 1 - 90 + 1), 90))
    zeri = {b + i for i, b in enumerate(scelta)}
    valori = []
    prec = -4
    for i, c in enumerate(pos):
        if i in zeri:
            g = 0
        else:
            montagna = 8000 <= c <= 28000 or 290000 <= c <= 305000
            ampiezza = 11 if montagna else 7
            g = prec + rng.randint(-5, 5)
            g = max(-ampiezza, min(ampiezza, g))
            if g == 0 or g == prec:
                g = prec + 2 if prec < ampiezza - 2 else prec - 2
                g = g if g != 0 else 2
        valori.append(g)
        prec = g
    # the steepest climb, once
    i = max(range(n), key=lambda j: (8000 <= pos[j] <= 28000 and valori[j] > 0, valori[j]))
    valori[i] = 11
    out = fisse + [(c, str(g)) for c, g in zip(pos, valori)] + [ultima]
    return out


# ---------------------------------------------------------------------------
# Texts.

def testo_linea(sc, curv, pend, tab, cart):
    r = ["[generale]"] + sc.line_general + ["[curve]"]
    r += ["curva%s%d,  %d,  %d" % (v, k, s, l) for s, l, v, k in curv]
    r.append("[pendenze]")
    r += ["pendenza,  %d,   %s" % (c, g) for c, g in pend]
    r.append("[montagne]")
    r += ["montagna,   %d,  %d,  %d" % m for m in sc.tunnels]
    r.append("[cartelli]")
    for c, s, d in tab:
        campi = [str(c)] + [str(x) for x in s]
        campi += [str(x) for x in d] if d else ["", "", "", "0"]
        r.append("indicatori_vmax," + ",".join("  " + x for x in campi))
    r.append("[indicazioni]")
    r += ["cartello_indicatore,  %d,   %s" % (c, t) for c, t in cart]
    r.append("[fine]")
    return r


def orario_di(t):
    return t // 3600, t // 60 % 60, t % 60


def testo_treno(sc, orari, sig, abb):
    r = ["[generale]"] + sc.train_general + ["[aderenze]"]
    r += ["aderenza,%8d,%6d" % a for a in sc.adhesion]
    r.append("[vel_limite]")
    for c, v in sc.speed_limits:
        if c == 0:
            r.append("velocita,   0,%6d" % v)
        else:
            chiave = "velocità" if c in sc.accented else "velocita"
            r.append("%s,%8d,%6d" % (chiave, c, v))
    r.append("[stazioni]")
    for s in sc.stations:
        c, tipo, lung, k, fermata, nome = s
        h, m, sec = orari[c]["sorgente"]
        r.append("stazione,%8d,%3d,%5d,%3d,%2d,%2d,%3d,%1d,%1d,%3d,%1d,%1d,%5d,%4d,%2d,%2d, %s"
                 % ((c, tipo, lung) + k + (h, m, sec, nome)))
    r.append("[rallentamenti]")
    r += ["rallentamento,%8d,%5d,%6d,%3d,%3d,%3d" % x for x in sc.slowdowns]
    r.append("[segnali]")
    for c, f in sig:
        r.append("segnale,%8d,%4d,%2d,%2d,%3d,%2d,%5d,%3d,%1d,%1d, %d" % ((c,) + f))
    r.append("[codici]")
    r += ["abbattimento,%8d,%6d" % (c, 270) for c in abb]
    r.append("[fine]")
    return r


# ---- timetable -------------------------------------------------------------

def tempi():
    """Passing or arrival time (s) at every station and at the junction."""
    punti = sorted([(s[0], s[4]) for s in STAZIONI] + [(BIVIO[0], False)])
    marcia = lambda c: min(limite(c), 150) * 0.85 / 3.6
    grezzo = {}
    t = 0.0
    prec = 0
    for c, fermata in punti:
        for x in range(prec, c, 50):
            t += 50 / marcia(x)
        if c and fermata:
            t += 150  # braking and starting again
        grezzo[c] = t
        if c and fermata and c != STAZIONI[-1][0]:
            t += 60  # dwell
        prec = c
    # fit the run between the fixed times
    partenza, arrivo_meta, arrivo = 43910, 51120, 59400
    meta = 152950
    fermate1 = sum(1 for s in STAZIONI if s[4] and 0 < s[0] < meta)
    fermate2 = sum(1 for s in STAZIONI if s[4] and meta < s[0] < STAZIONI[-1][0])
    k1 = (arrivo_meta - partenza - 60 * fermate1) / (grezzo[meta] - 60 * fermate1)
    k2 = (arrivo - arrivo_meta - 60 - 60 * fermate2) / (
        grezzo[STAZIONI[-1][0]] - grezzo[meta] - 60 - 60 * fermate2)
    verifica(0.85 < k1 < 1.15 and 0.85 < k2 < 1.15, "timing model off: %f %f" % (k1, k2))
    reale = {}
    soste = 0
    for c, fermata in punti:
        if c <= meta:
            corsa = grezzo[c] - 60 * soste
            reale[c] = partenza + 60 * soste + corsa * k1
        else:
            corsa = grezzo[c] - grezzo[meta] - 60 - 60 * (soste - fermate1 - 1)
            reale[c] = arrivo_meta + 60 + 60 * (soste - fermate1 - 1) + corsa * k2
        if c and fermata and c != STAZIONI[-1][0]:
            soste += 1
    reale[meta] = arrivo_meta
    reale[STAZIONI[-1][0]] = arrivo
    reale[0] = partenza
    out = {}
    for c, fermata in punti:
        t = int(reale[c])
        if c == 0:
            out[c] = {"sorgente": orario_di(t), "partenza": t}
        elif c == STAZIONI[-1][0]:
            out[c] = {"sorgente": orario_di(t), "arrivo": t}
        elif fermata:
            arr = t // 60 * 60
            out[c] = {"sorgente": orario_di(arr + 60), "arrivo": arr, "partenza": arr + 60}
        else:
            out[c] = {"sorgente": (0, 0, 0), "transito": t}
    return out


def hm(t):
    return "%02d.%02d" % (t // 3600, t // 60 % 60)


def hms(t):
    return "%02d.%02d.%02d" % (t // 3600, t // 60 % 60, t % 60)


def riga_scheda(lim="", marc="", km="", barra=False, rs="", nome="", orario="", rec=""):
    f1 = "%4s " % lim if lim else " " * 5
    f2 = "%4s " % marc if marc else " " * 5
    f3 = "%9s%s" % (km, "/" if barra else " ") if km else " " * 10
    f4 = " ___ " if rs == "___" else ("%4s " % rs if rs else " " * 5)
    f5 = nome.ljust(28)
    f7 = " " + rec.ljust(4) if rec else " " * 5
    campi = [f1, f2, f3, f4, f5, orario or " " * 16, f7]
    for f, w in zip(campi, (5, 5, 10, 5, 28, 16, 5)):
        verifica(len(f) == w, "card field %r" % f)
    return " |" + "|".join(campi) + "|"


def righe_corpo(orari):
    """The 126 body rows of the card, in route order."""
    vel = dict(VELOCITA)
    eventi = []  # (chainage, order, kind, text)
    for s in STAZIONI:
        eventi.append((s[0], 1, "stazione", s[5]))
    eventi.append((BIVIO[0], 1, "bivio", BIVIO[1]))
    for km, tratta, _ in CIPPI:
        c = progressiva_di(km * 1000, tratta)
        eventi.append((c, 0, "voce", "Cippo Km " + fmt_km(km * 1000)))
    for c, t in VOCI:
        eventi.append((c, 0, "voce", t))
    eventi.sort()
    posti = [c for c, _, _, _ in eventi]
    verifica(len(posti) == len(set(posti)), "two card rows at one place")
    verifica(all(c in posti for c in vel), "a speed limit without its card row")
    marcia = None
    righe = []
    for c, _, tipo, testo in eventi:
        lim = vel.get(c)
        m = MARCIA.get(c)
        if m is None and lim is not None:
            m = min(lim, 150)
        mostra_marcia = m is not None and m != marcia
        if m is not None:
            marcia = m
        campi = dict(lim=str(lim) if lim else "", marc=str(m) if mostra_marcia else "",
                     nome=testo, rs=VEL_RS.get(c, ""), rec=RECUPERI.get(c, ""))
        if tipo in ("stazione", "bivio"):
            o = orari[c]
            if c == 0:
                campi["orario"] = " " * 9 + hm(o["partenza"]) + "  "
                campi["rs"] = "___"
            elif "transito" in o and tipo == "bivio":
                campi["orario"] = " " * 5 + hms(o["transito"]) + "   "
            elif "transito" in o:
                campi["orario"] = " " * 5 + hm(o["transito"]) + " " * 6
            elif "partenza" in o:
                campi["orario"] = " " + hm(o["arrivo"]) + "   " + hm(o["partenza"]) + "  "
            else:
                campi["orario"] = " " * 5 + hm(o["arrivo"]) + " " * 6
        if c == 0:
            # the origin also shows the reading of the line that ends there
            righe.append(("dati", riga_scheda(km=fmt_km(46210), barra=True, **campi), c))
            righe.append(("km", riga_scheda(km=fmt_km(0)), c))
        elif c in CAMBI_LETTURA:
            righe.append(("dati", riga_scheda(km=fmt_km(lettura(c, False)), barra=True, **campi), c))
            righe.append(("km", riga_scheda(km=fmt_km(lettura(c))), c))
        else:
            righe.append(("dati", riga_scheda(km=fmt_km(lettura(c)), **campi), c))
    return righe


def testo_scheda(orari):
    corpo = righe_corpo(orari)
    meta = [i for i, r in enumerate(corpo) if r[0] == "dati" and r[2] == 152950][0]
    prima, seconda = corpo[:meta + 1], corpo[meta + 1:]
    vuota = riga_scheda()

    def con_spaziatori(righe, n):
        # spacer rows after the stops, spread evenly over the half
        fermate = [i for i, r in enumerate(righe[:-1])
                   if r[0] == "dati" and righe[i + 1][0] != "km"]
        scelte = set(fermate[round(j * len(fermate) / n)] for j in range(n))
        verifica(len(scelte) == n, "spacers")
        out = []
        for i, r in enumerate(righe):
            out.append(r[1])
            if i in scelte:
                out.append(vuota)
        return out

    p1 = con_spaziatori(prima, 63 - len(prima))
    p2 = con_spaziatori(seconda, 63 - len(seconda))
    verifica(len(p1) == 63 and len(p2) == 63, "card halves %d %d" % (len(p1), len(p2)))
    corpo = p1 + p2

    def chiusura(riga):
        interno = riga[2:-1]
        return " |" + interno.replace(" ", "_") + "|"

    origine = STAZIONI[0][5]
    def testata(p, dest):
        return [
            "  " + "_" * 19 + " " * 47 + "_" * 14,
            " |" + " " * 19 + "|" + " " * 20 + "SCHEDA %d/4" % p + " " * 15 + "|" + " " * 14 + "|",
            " |   TRENO n. 4105   |" + " " * 19 + "da: " + origine.ljust(22)
            + ("|    V160 C    |" if p == 4 else "|    V160 B    |"),
            " |___________________|" + " " * 20 + "a: " + dest.ljust(22) + "|     120%     |",
            " " * 67 + "|______________|",
            "  " + "_" * 19 + " " * 16 + "_" * 19,
            " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
            " |" + "Reg".center(19) + "|" + " " * 14 + "|      350T         |",
            " |___________________|              |___________________|",
            "",
            "  " + "_" * 80,
            " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
            " | Lim.|Marc.|          |  Rs |                            |                |     |",
            " |_____|_____|__________|_____|____________________________|________________|_____|",
        ]
    regola = " |_____|_____|__________|_____|____________________________|________________|_____|"
    dest = STAZIONI[-1][5]
    r = ["", ""]
    r += testata(1, dest) + corpo[0:31] + [regola, "", "", "." * 81, "", ""]
    r += testata(2, DESTINAZIONE_BREVE) + corpo[31:62] + [chiusura(corpo[62]), "", "", "." * 72, ""]
    r += testata(3, DESTINAZIONE_BREVE) + corpo[63:94] + [regola, "", "." * 72, ""]
    r += testata(4, DESTINAZIONE_BREVE) + corpo[94:125] + [chiusura(corpo[125]), ""]
    return r


def testo_rallentamenti():
    testa = [
        " |   |                            |Inizio dopo |          |         |            |",
        " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
        " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
        " |___|____________________________|____________|__________|_________|____________|",
    ]
    vuota = " |   |                            |            |          |         |            |"
    return ([
        "",
        " " * 31 + "Modulo M. 3",
        " " * 27 + "ORDINE DI RALLENTAMENTO",
        " " + "_" * 80,
        "  Linea  xxxxxx xxxxxxx",
        "",
        "  Si ordina al macchinista del treno xxxxx di effettuare i seguenti rallentamenti",
        "  " + "_" * 79,
    ] + testa + [vuota] * 26 + [testa[3], "", " " * 14 + "Prescrizioni specifiche",
        " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
        " B - Interessa anche la stazione di.......",
        " D - Rallentamneto N. ... e N. ...  sono contigui",
        " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
        "     i giorni esclusi i seguenti:........."])


sys.dont_write_bytecode = True
from note import NOTE  # noqa: E402


# ---------------------------------------------------------------------------
# A model of the loader: the grid cells that the records claim.

def carica(sc, linea, treno):
    celle_totali = round((sc.length + 7000) / 50)
    tipo = {}
    errori = []

    def fuori(c, margine=100):
        return celle_totali < (c + margine) / 50

    def libera(j):
        return tipo.get(j, 0) in (0, 11)

    def num(x):
        return int(x.strip()) if x.strip() else 0

    sezione = None
    for riga in linea:
        if riga.startswith("["):
            sezione = riga
            continue
        campi = [x.strip() for x in riga.split(",")]
        chiave = campi[0]
        if chiave.startswith("montagna"):
            a, b, t = map(num, campi[1:4])
            verifica(not fuori(a), "tunnel beyond the grid")
            if t > 10:
                for i, j in enumerate(range(round(a / 50), round(b / 50) - 1 + 1), 1):
                    if i % 4 == 0 and tipo.get(j, 0) == 0:
                        tipo[j] = 11
        elif chiave.startswith("indicatori_v"):
            c = num(campi[1])
            j = c // 50 + 1
            if fuori(c) or not libera(j):
                errori.append((21, c))
            tipo[j] = 6
        elif chiave.startswith("cartello"):
            c = num(campi[1])
            j = c // 50 + 1
            if fuori(c) or not libera(j):
                errori.append((6, c))
            tipo[j] = 14
        elif chiave.startswith("curva") or chiave.startswith("pendenza"):
            verifica(not fuori(num(campi[1])), "record beyond the grid")
    limite = 80 - sum(1 for r in linea if r.startswith("cartello"))
    riga_staz = 1
    fine_prec = None
    for riga in treno:
        campi = [x.strip() for x in riga.split(",")]
        chiave = campi[0].lower()
        if "velocit" in chiave:
            c, v = num(campi[1]), num(campi[2])
            if fuori(c) or not 0 <= round(v / 5) <= 255:
                errori.append((15, c))
        elif "aderenza" in chiave:
            if fuori(num(campi[1])):
                errori.append((15, num(campi[1])))
        elif "stazione" in chiave:
            c, t, l = num(campi[1]), num(campi[2]), num(campi[3])
            c6 = num(campi[6])
            if fuori(c, 800) or c % 50:
                errori.append((8, c))
            if l % 100:
                errori.append((9, c))
            if t in (5, 6):
                inizio, fine = c - l, c + 150
            elif t in (7, 8):
                inizio, fine = c - l, c + l
            else:
                inizio, fine = c - l / 2, c + l / 2 + (50 if c6 else 0)
            if t < 25:
                j = round(fine / 50) - 1
                if j <= 1:
                    errori.append((24, c))
                if tipo.get(j, 0) not in (0, 11):
                    errori.append(("stop mark over a feature", c))
                tipo[j] = 10
            if riga_staz > 1 and inizio - 350 < fine_prec:
                errori.append((22, c))
            fine_prec = fine
            riga_staz += 1
            if riga_staz >= limite:
                errori.append((10, c))
        elif "segnale" in chiave:
            c = num(campi[1])
            j = round(c / 50) + 1
            if fuori(c) or not libera(j):
                errori.append((16, c))
            tipo[j] = 1
        elif "abbattimento" in chiave:
            c = num(campi[1])
            j = round(c / 50)
            if fuori(c) or not libera(j):
                errori.append((7, c))
            tipo[j] = 12
        elif "rallentamento" in chiave:
            x, l, f_ta = num(campi[1]), num(campi[3]), num(campi[5])
            s, e = round(x / 50) + 1, round((x + l) / 50) + 1
            w, b = round((x - 1200) / 50) + 1, round((x - 1200) / 50)
            avviso = x > 1500
            if fuori(x) or (avviso and not libera(w)) or not libera(s) or not libera(e) \
                    or (avviso and f_ta and not all(libera(b - i) for i in range(4))):
                errori.append(("slowdown", x))
            tipo[e], tipo[s] = 2, 3
            if avviso:
                tipo[w] = 4
                if f_ta:
                    for i in range(4):
                        tipo[b - i] = 5
    return errori, tipo


# ---------------------------------------------------------------------------

def costruisci():
    curv = curve()
    pend = pendenze()
    tab = tabelle(CARRIED)
    speeds = {x for _, t, d in tab for x in t[:3] + (d[:3] if d else ())}
    verifica(min(speeds) == 75 and max(speeds) == 170, "the boards span 75 to 170 km/h")
    cart = cartelli()
    linea = testo_linea(CARRIED, curv, pend, tab, cart)
    # cells taken before the signals: line features and station stop marks
    _, occupate = carica(CARRIED, linea, [])
    occupate = {j for j, t in occupate.items() if t not in (0, 11)}
    for s in STAZIONI:
        if s[1] < 25:
            occupate.add(curva_di_stazione(s)[1] // 50 - 1)
    sig = segnali(occupate)
    abb = abbattimenti(sig, occupate)
    orari = tempi()
    treno = testo_treno(CARRIED, orari, sig, abb)
    errori, _ = carica(CARRIED, linea, treno)
    verifica(not errori, "the scenario would not load: %s" % errori[:5])
    testi = {
        "linea.txt": linea,
        "treno.txt": treno,
        "note.txt": NOTE,
        "rallentamenti.txt": testo_rallentamenti(),
        "scheda_treno.txt": testo_scheda(orari),
    }
    attesi = {"linea.txt": 537, "treno.txt": 358, "note.txt": 31,
              "rallentamenti.txt": 46, "scheda_treno.txt": 199}
    for nome, righe in testi.items():
        verifica(len(righe) == attesi[nome], "%s: %d lines" % (nome, len(righe)))
    return testi


def write_or_check(files, folder, check):
    """Writes each file (name: bytes) into folder, or with check only
    compares them with the files there; 1 when any differs."""
    stale = []
    for name, data in files.items():
        path = os.path.join(folder, name)
        if check:
            with open(path, "rb") as f:
                if f.read() != data:
                    stale.append(name)
        else:
            os.makedirs(folder, exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
    if stale:
        print("out of date: " + ", ".join(stale))
        return 1
    return 0


def main():
    sys.path.insert(0, QUI)
    testi = costruisci()
    dati = {nome: ("\n".join(righe) + "\n").encode("utf-8") for nome, righe in testi.items()}
    return write_or_check(dati, TESTI, "--check" in sys.argv)


if __name__ == "__main__":
    sys.exit(main())
