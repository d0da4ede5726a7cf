#!/usr/bin/env python3
"""Time from a didChange to its publishDiagnostics, through `scenario lsp`.

    bench/lsp_latency.py SCENARIO [ROUTE_LENGTH]

Exports the carried sources, opens the pair, then sends 50 changes of the
train source (a station's zone length broken and mended in turn) and times
each change's diagnostics. With ROUTE_LENGTH the line source's route length
is set to it first (1000000 for the longest route). Prints the median, the
95th percentile and the server's peak memory.
"""
import json, os, statistics, subprocess, sys, tempfile, time


def frame(message):
    body = json.dumps(message).encode()
    return b"Content-Length: %d\r\n\r\n" % len(body) + body


def read_message(stream):
    length = None
    while True:
        line = stream.readline()
        if not line:
            raise EOFError
        if line in (b"\r\n", b"\n"):
            break
        if line.lower().startswith(b"content-length:"):
            length = int(line.split(b":")[1])
    return json.loads(stream.read(length))


def main():
    scenario = sys.argv[1]
    route_length = sys.argv[2] if len(sys.argv) > 2 else None
    folder = tempfile.mkdtemp()
    subprocess.run([scenario, "export", folder + "/s"], check=True, stdout=subprocess.DEVNULL)
    line_path = folder + "/s/Orvena_Lusco_linea.txt"
    train_path = folder + "/s/Orvena_Lusco_REG 4105-.txt"
    if route_length:
        text = open(line_path, "rb").read().decode("cp1252")
        start = text.index("lunghezza percorso")
        end = text.index("\r\n", start)
        open(line_path, "wb").write((text[:start] + "lunghezza percorso,    " + route_length + text[end:]).encode("cp1252"))
    train = open(train_path, "rb").read().decode("cp1252")
    broken = train.replace("stazione,    3100, 12,  400", "stazione,    3100, 12,  450")
    server = subprocess.Popen([scenario, "lsp"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    send = lambda m: (server.stdin.write(frame(m)), server.stdin.flush())
    uri = "file://" + train_path.replace(" ", "%20")

    def wait_diagnostics(version):
        while True:
            m = read_message(server.stdout)
            if m.get("method") == "textDocument/publishDiagnostics" and m["params"]["uri"] == uri \
                    and m["params"].get("version") == version:
                return m

    send({"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {"capabilities": {}}})
    read_message(server.stdout)
    send({"jsonrpc": "2.0", "method": "textDocument/didOpen",
          "params": {"textDocument": {"uri": uri, "languageId": "scenario", "version": 1, "text": train}}})
    wait_diagnostics(1)
    times = []
    for version in range(2, 52):
        text = broken if version % 2 == 0 else train
        started = time.perf_counter()
        send({"jsonrpc": "2.0", "method": "textDocument/didChange",
              "params": {"textDocument": {"uri": uri, "version": version}, "contentChanges": [{"text": text}]}})
        wait_diagnostics(version)
        times.append((time.perf_counter() - started) * 1000)
    peak = next(l for l in open("/proc/%d/status" % server.pid) if l.startswith("VmHWM")).split()[1]
    send({"jsonrpc": "2.0", "id": 2, "method": "shutdown"})
    send({"jsonrpc": "2.0", "method": "exit"})
    server.wait(timeout=10)
    times.sort()
    print("%s: didChange to publishDiagnostics over %d changes: median %.1f ms, 95th percentile %.1f ms; "
          "server peak %.1f MiB" % ("route length " + route_length if route_length else "carried", len(times),
                                    statistics.median(times), times[int(len(times) * 0.95) - 1],
                                    int(peak) / 1024))


if __name__ == "__main__":
    main()
