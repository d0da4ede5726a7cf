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

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT / "fuzz" / "corpus"
SEPARATOR = b"\n~~~~ treno ~~~~\n"  # as in fuzz/bersagli.h

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


if __name__ == "__main__":
    main()
