#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

Seeds come from the carried texts (emitters/texts/, turned into the
Windows-1252 bytes the program writes) and from the record lines that the
loader's tests use, each set into a small source around it. Run it again
after the carried texts or the tests change; libFuzzer's own finds are
merged in by hand (see the README).
"""
import hashlib
import pathlib
import re
import subprocess
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT / "fuzz" / "corpus"
SEPARATOR = b"\n~~~~ treno ~~~~\n"  # as in fuzz/targets.h
FILE_SEPARATOR = b"\n~~~~ file ~~~~\n"  # as in fuzz/reader_target.h
SCENARIO = ROOT / "build" / "default" / "scenario"

LINE_WORDS = ("pendenza", "curva", "montagna", "indicatori_v", "cartello", "lunghezza", "progressiva",
              "sfondo", "ripetizione")
TRAIN_WORDS = ("velocit", "aderenza", "segnale", "rallentamento", "abbattimento", "stazione", "orologio",
               "sabbia", "vetture", "frenata")


def carried(name):
    text = (ROOT / "emitters" / "texts" / name).read_text(encoding="utf-8")
    return "".join(line + "\r\n" for line in text.splitlines()).encode("cp1252")


def crlf(*lines):
    return "".join(line + "\r\n" for line in lines).encode("cp1252", errors="replace")


def record_lines():
    """Record lines written out in the loader's and the reader's tests."""
    found = set()
    for test in sorted((ROOT / "loader").glob("*_test.cpp")) + sorted((ROOT / "sources").glob("*_test.cpp")):
        for literal in re.findall(r'"((?:[^"\\\n]|\\.)*)"', test.read_text(encoding="utf-8")):
            if "," in literal and "X" not in literal and "\\" not in literal:
                found.add(literal)
    line = sorted(l for l in found if l.lower().lstrip().startswith(LINE_WORDS))
    train = sorted(l for l in found if l.lower().lstrip().startswith(TRAIN_WORDS))
    return line, train


def write(target, data):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / hashlib.sha1(data).hexdigest()).write_bytes(data)


def framed(body):
    return b"Content-Length: %d\r\n\r\n" % len(body) + body


def message_seeds():
    initialize = b'{"jsonrpc":"2.0","id":1,"method":"initialize","params":{}}'
    typed = b"Content-Length: 2\r\nContent-Type: application/vscode-jsonrpc; charset=utf-8\r\n\r\n{}"
    return [framed(initialize), typed + framed(b"[1]"), b"Content-Length: 99999999999999\r\n\r\n"]


def main():
    linea, treno = carried("linea.txt"), carried("treno.txt")
    line_records, train_records = record_lines()
    small_line = crlf("[generale]", "lunghezza percorso,    20000", "[curve]")
    small_train = crlf("[generale]", "velocita,   0,    30")

    lines = [linea, crlf("[generale]", "lunghezza percorso,    20000", "[fine]")]
    lines += [small_line + crlf(r, "[fine]") for r in line_records]
    trains = [treno, crlf("[generale]", "[fine]")]
    trains += [small_train + crlf(r, "[fine]") for r in train_records]

    for data in lines:
        write("line_loading", data)
    for data in trains:
        write("train_loading", data)
    # The field reader: the sources under a few patterns of reads.
    for data in (linea, treno):
        write("field_reader", bytes([0xE4]) + data)  # text, 32-bit, 16-bit, byte in turn
    for pattern in (0x00, 0x55, 0x54, 0xAA, 0xE4, 0xFF):
        for data in (small_line + crlf(*line_records[:20]), small_train + crlf(*train_records[:20])):
            write("field_reader", bytes([pattern]) + data)
    # The whole compile: the carried pair, and each small source with the
    # other half carried.
    write("compile", linea + SEPARATOR + treno)
    for data in lines[1:]:
        write("compile", data + SEPARATOR + small_train + crlf("[fine]"))
    for data in trains[1:]:
        write("compile", crlf("[generale]", "lunghezza percorso,    20000", "[fine]") + SEPARATOR + data)
    # The language server's framing: whole messages, two in a row, a refused length.
    for data in message_seeds():
        write("message_reader", data)


def compiled_seeds():
    """Compiled files of short routes, small enough for the fuzzer to change
    at will: written by the scenario tool of build/default."""
    if not SCENARIO.exists():
        print(f"no {SCENARIO}: the compiled_reader seeds are left as they are")
        return
    small_train = crlf("[generale]", "velocita,   0,    30", "velocita,   150,    60", "[fine]")
    routes = {
        # 300 m with the run-out: a grid of 7 cells and a plan of 301 points.
        "short": (crlf("[generale]", "lunghezza percorso,    -6700", "[curve]", "curvas1,  50,  150",
                       "curvad2,  150,  100", "[fine]"), small_train, []),
        # Loading stops before the plan is seeded: every entry empty.
        "unseeded": (crlf("[generale]", "lunghezza percorso,    -6700",
                          "ripetizione segnali 9 codici,    1010,    18000", "[fine]"), small_train, []),
        # 1000 m with stations, signals, a slowdown and a signboard; no plan.
        "features": (crlf("[generale]", "lunghezza percorso,    1000",
                          "progressiva chilometrica uno,    500,    1000,    0", "[pendenze]", "pendenza,  0,   0",
                          "pendenza,  400,   8", "[montagne]", "montagna,   600,  900,  2", "[cartelli]",
                          "indicatori_vmax,  2000,  75,  80,  85,  0,  75,  80,  85,  0", "[indicazioni]",
                          "cartello_indicatore,  2950,   (  Cippo  )(Km 3+000)", "[fine]"),
                     crlf("[generale]", "numero vetture,    5", "percentuale massa frenata,    110",
                          "sabbia,    100", "orologio,    8              0            0 ", "[aderenze]",
                          "aderenza,       0,    95", "[vel_limite]", "velocita,   0,    30",
                          "velocita,    1000,    95", "[stazioni]",
                          "stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,   8, 0, 0, Alfa",
                          "stazione,    3000, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   0, 0, 0, Citt\u00e0",
                          "[rallentamenti]", "rallentamento,  5000,  60,  1000,  1,  1,  0", "[segnali]",
                          "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
                          "segnale,    4100,   2, 4, 1,  1, 0,    2,  2,1,1, 0", "[fine]"), ["--no-plan"]),
    }
    with tempfile.TemporaryDirectory() as tmp:
        tmp = pathlib.Path(tmp)
        for name, (line, train, options) in routes.items():
            (tmp / "line.txt").write_bytes(line)
            (tmp / "train.txt").write_bytes(train)
            out = tmp / name
            subprocess.run([str(SCENARIO), "compile", "line.txt", "train.txt", "--route", "R", "--train", "T",
                            "--out", name, "--quiet", *options], cwd=tmp, check=False, capture_output=True)
            files = [out / "R_T.sim", out / "R_T.dat", out / "R_linea.dat"]
            present = [f.read_bytes() for f in files if f.exists()]
            for data in present:
                write("compiled_reader", data)
            if len(present) == 3:
                write("compiled_reader", FILE_SEPARATOR.join(present))


if __name__ == "__main__":
    main()
    compiled_seeds()
