#!/usr/bin/env python3
"""Every Quaylink benchmark figure in one run: run.py BUILD_DIR

Each figure is a ratio to a baseline measured in the same run (the machine may be shared and
loaded, so absolute times say little); the absolute medians follow for reference."""
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile

build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
bench = os.path.join(build, "bench")
runs = int(os.environ.get("BENCH_RUNS", "30"))  # start-up runs of each program, over all rounds
rounds = 3
rows = []  # (figure, ratio, target, measured, baseline)


def entry(i):
    return ("ftp://a%07d.example.com/pub/" % i).ljust(40, "x")


def appdir(root, name, entries):
    path = os.path.join(root, name)
    os.mkdir(path)
    with open(os.path.join(path, "ftpurl.txt"), "wb") as f:
        f.write("".join(entry(i) + "\r\n" for i in range(entries)).encode())
    return path


def need(program):
    if not os.path.exists(program):
        sys.exit("%s is missing: build first (make build)" % program)


def maxrss_kb(command):
    out = subprocess.run(["/usr/bin/time", "-v"] + command, capture_output=True, text=True)
    return int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", out.stderr).group(1))


def show(rows):
    print("\n| figure | ratio | target | measured (median) | baseline (median) |")
    print("|---|---|---|---|---|")
    for figure, ratio, target, measured, base in rows:
        mark = "" if target is None else (" (met)" if ratio <= target else " (MISSED)")
        print("| %s | %.2f%s | %s | %s | %s |" % (figure, ratio, mark, "-" if target is None else "<= %.2f" % target,
                                                measured, base))


root = tempfile.mkdtemp(prefix="quaylink-bench-")
try:
    startup, bare = os.path.join(bench, "bench_startup"), os.path.join(bench, "bench_startup_bare")
    need(startup)
    need(bare)
    empty = appdir(root, "empty", 0)
    book = appdir(root, "book32767", 32767)
    million = appdir(root, "book1000000", 1000000)
    platform = os.environ.get("QT_QPA_PLATFORM") or ("xcb on DISPLAY=%s" % os.environ.get("DISPLAY", "?"))
    print("Start-up on %s: %d runs of each program in %d hyperfine rounds" % (platform, runs, rounds), flush=True)

    # Start-up: hyperfine runs every program in turn, a few rounds, so that a change in the
    # machine's load during the run falls on all of them alike; each ratio is the median of
    # the rounds' ratios.
    commands = {"bare": [bare], "empty": [startup, empty], "32767": [startup, book], "1000000": [startup, million]}
    times = {name: [] for name in commands}
    ratios = {"empty/bare": [], "32767/empty": [], "1000000/empty": []}
    for round in range(rounds):
        result = os.path.join(root, "startup%d.json" % round)
        subprocess.run(["hyperfine", "-N", "--warmup", "2", "--runs", str(runs // rounds), "--export-json", result,
                        "--style", "none"]
                       + ["--command-name=%s" % name for name in commands]
                       + [" ".join(command) for command in commands.values()], check=True)
        with open(result) as f:
            medians = {r["command"]: statistics.median(r["times"]) for r in json.load(f)["results"]}
            f.seek(0)
            for r in json.load(f)["results"]:
                times[r["command"]] += r["times"]
        for pair in ratios:
            a, b = pair.split("/")
            ratios[pair].append(medians[a] / medians[b])
    ms = lambda name: "%.1f ms" % (statistics.median(times[name]) * 1000)
    ratio = lambda pair: statistics.median(ratios[pair])
    rows.append(("start-up, empty book, vs bare Qt window", ratio("empty/bare"), 1.10, ms("empty"), ms("bare")))
    rows.append(("start-up, 32,767 entries, vs empty book", ratio("32767/empty"), 1.30, ms("32767"), ms("empty")))
    rows.append(("start-up, 1,000,000 entries, vs empty book", ratio("1000000/empty"), None, ms("1000000"),
                 ms("empty")))

    # Peak memory, alternating the programs so that all see the same conditions.
    rss = {"bare": [], "empty": [], "32767": [], "1000000": []}
    for _ in range(5):
        for name in rss:
            rss[name].append(maxrss_kb(commands[name]))
    kb = {name: statistics.median(values) for name, values in rss.items()}
    mb = lambda name: "%.1f MB" % (kb[name] / 1024)
    rows.append(("peak memory (max RSS), empty book, vs bare Qt window", kb["empty"] / kb["bare"], 1.15, mb("empty"),
                 mb("bare")))
    rows.append(("peak memory, 32,767 entries, vs empty book", kb["32767"] / kb["empty"], None, mb("32767"),
                 mb("empty")))
    rows.append(("peak memory, 1,000,000 entries, vs empty book", kb["1000000"] / kb["empty"], None, mb("1000000"),
                 mb("empty")))

    # The Save Url round trip, in process (Google Benchmark).
    addressbook = os.path.join(bench, "bench_addressbook")
    if os.path.exists(addressbook):
        out = subprocess.run([addressbook, "--benchmark_format=json", "--benchmark_repetitions=5",
                              "--benchmark_report_aggregates_only=true"], capture_output=True, text=True, check=True)
        medians = {b["run_name"]: b["real_time"] for b in json.loads(out.stdout)["benchmarks"]
                   if b.get("aggregate_name") == "median"}
        for entries, label in (("32767", "32,767"), ("1000000", "1,000,000")):
            ours, base = medians["roundtrip/%s/real_time" % entries], medians["baseline/%s/real_time" % entries]
            rows.append(("Save Url round trip, %s entries, vs QSaveFile + read + addItems" % label, ours / base,
                         2.0 if entries == "32767" else None, "%.1f ms" % ours, "%.1f ms" % base))
    else:
        print("bench_addressbook not built (needs libbenchmark-dev): no round-trip figures")

    # A drop's upload against `gio copy`, on a session bus and FTP server of its own.
    import upload
    os.mkdir(os.path.join(root, "upload"))
    rows += upload.figures(bench, os.path.join(root, "upload"), int(os.environ.get("BENCH_UPLOAD_ROUNDS", "3"))) or []

    show(rows)

    # The browser pane's first and second navigation, where that benchmark has been built.
    navigation = os.path.join(bench, "bench_navigation")
    if os.path.exists(navigation):
        print("\nBrowser pane navigation (bench_navigation):", flush=True)
        subprocess.run([navigation], check=True)
    else:
        print("\nbench_navigation not built: no browser-pane navigation figures")

    # Click on "Go" to the ftp:// handler, the first "Go" after start against a later one.
    firstgo = os.path.join(bench, "bench_firstgo")
    if os.path.exists(firstgo):
        print("\nFirst \"Go\" against a later one (bench_firstgo), target <= 1.20:", flush=True)
        subprocess.run([firstgo], check=True)
finally:
    shutil.rmtree(root, ignore_errors=True)
