#!/usr/bin/env python3
"""The full-text search's benchmark: a library of N made-up package inserts, indexed
by Hibari (bench_fulltext) and by recoll (recollindex, recollq) as the reference,
with pdftotext over every document, two at a time, as the floor (run by bench_fulltext
right before and after its full build). Prints one table.

    fulltext_bench.py --build build-bench [--count 1000] [--pages 20]

With HIBARI_BENCH_COPIES=n in the environment, Hibari's queries run on its index with
every document stored n times (a larger library for the queries alone).
"""
import argparse
import json
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time
import unicodedata
from pathlib import Path

# Each query: its name in bench_fulltext, the text typed.
QUERIES = [
    ("BM_Query_1char", "1 character (薬)", "薬"),
    ("BM_Query_2chars", "2 characters (肺炎)", "肺炎"),
    ("BM_Query_5chars", "5 characters (間質性肺炎)", "間質性肺炎"),
    ("BM_Query_KanjiDigits", "kanji and digits (12号)", "12号"),
    ("BM_Query_FullWidthLatin", "CYP3A4 for ＣＹＰ３Ａ４", "CYP3A4"),
    ("BM_Query_TwoTerms", "two terms", "ワルファリン 肝機能障害"),
]


def fold(text):
    return re.sub(r"\s+", "", unicodedata.normalize("NFKC", text).casefold())


def run(command, **kwargs):
    return subprocess.run(command, check=True, **kwargs)


def make_library(build, count, pages):
    library = build / f"fulltext-library-{count}x{pages}"
    extra = build / f"fulltext-extra-{pages}"
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    maker = str(build / "tools" / "make-inserts")
    if not (library / ".complete").exists():
        run([maker, str(library), str(count), str(pages)], env=env)
        (library / ".complete").touch()
    if not any(extra.glob("*.pdf")):
        run([maker, str(extra), "1", str(pages), str(count)], env=env)
    return library, next(extra.glob("*.pdf"))


def truth(library):
    """Folded text of each document as pdftotext reads it, for the recall row."""
    texts = {}
    for path in sorted(library.glob("*.pdf")):
        out = subprocess.run(["pdftotext", "-q", "-enc", "UTF-8", str(path), "-"], capture_output=True).stdout
        texts[path.name] = fold(out.decode("utf-8", "replace")) + fold(path.stem)
    return texts


def recoll(library, work):
    confdir = work / "recoll"
    confdir.mkdir()
    (confdir / "recoll.conf").write_text(f"topdirs = {library}\nloglevel = 1\n", encoding="utf-8")
    env = dict(os.environ, RECOLL_CONFDIR=str(confdir))
    started = time.monotonic()
    run(["recollindex", "-c", str(confdir)], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    build = time.monotonic() - started
    size = sum(f.stat().st_size for f in (confdir / "xapiandb").rglob("*") if f.is_file())
    queries = {}
    for name, _, typed in QUERIES:
        times, found = [], 0
        for _ in range(5):
            started = time.monotonic()
            out = subprocess.run(["recollq", "-c", str(confdir), "-b", typed], env=env, capture_output=True).stdout
            times.append(time.monotonic() - started)
            found = len([line for line in out.decode("utf-8", "replace").splitlines() if line.startswith("file://")])
        queries[name] = (statistics.median(times), found)
    return build, size, queries


def ours(build, library, extra, work):
    out = work / "bench_fulltext.json"
    env = dict(os.environ, HIBARI_BENCH_LIBRARY=str(library), HIBARI_BENCH_EXTRA=str(extra),
               QT_QPA_PLATFORM="offscreen")
    run([str(build / "bench" / "bench_fulltext"), "--benchmark_format=json", f"--benchmark_out={out}",
         "--benchmark_out_format=json"], env=env, stdout=subprocess.DEVNULL)
    runs = {}
    for entry in json.loads(out.read_text(encoding="utf-8"))["benchmarks"]:
        if entry.get("error_occurred"):
            runs[entry["name"].split("/")[0]] = None
            continue
        unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[entry["time_unit"]]
        runs[entry["name"].split("/")[0]] = dict(entry, seconds=entry["real_time"] * unit)
    return runs


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, type=Path)
    parser.add_argument("--count", type=int, default=1000)
    parser.add_argument("--pages", type=int, default=20)
    args = parser.parse_args()
    build = args.build.resolve()
    library, extra = make_library(build, args.count, args.pages)
    load = os.getloadavg()[0]
    with tempfile.TemporaryDirectory(prefix="hibari-fulltext-bench-") as temp:
        work = Path(temp)
        hibari = ours(build, library, extra, work)
        recoll_build, recoll_size, recoll_queries = recoll(library, work)
    texts = truth(library)
    characters = statistics.mean(len(t) for t in texts.values())

    def secs(value):
        return "failed" if value is None else (f"{value:.2f} s" if value >= 1 else f"{value * 1000:.1f} ms")

    def ratio(a, b):
        return "-" if a is None or not b else f"{a / b:.2f}"

    full = hibari.get("BM_FullBuild")
    floors = [hibari.get(name) for name in ("BM_FloorBefore", "BM_FloorAfter")]
    floor = None if None in floors else statistics.mean(f["seconds"] for f in floors)
    new = hibari.get("BM_NewDocument")
    gap = hibari.get("BM_EventLoopGapWhileIndexing")
    rows = [
        (f"Full build, {args.count} inserts", secs(full and full["seconds"]),
         "pdftotext, two at a time (floor, mean of the runs right before and after)",
         secs(floor), ratio(full and full["seconds"], floor)),
        ("  the same", secs(full and full["seconds"]), "recollindex", secs(recoll_build),
         ratio(full and full["seconds"], recoll_build)),
        ("One new document", secs(new and new["seconds"]), "-", "-", "-"),
    ]
    copies = max(1, int(os.environ.get("HIBARI_BENCH_COPIES", "1") or "1"))
    found_ours = found_recoll = 0
    for name, title, typed in QUERIES:
        run_ = hibari.get(name)
        expected = sum(all(fold(term) in text for term in typed.split()) for text in texts.values())
        if run_ is not None and int(run_["documents"]) == expected * copies:
            found_ours += 1
        if recoll_queries[name][1] == expected:
            found_recoll += 1
        median = run_ and run_["median_ms"] / 1000
        rows.append((f"Median query, {title}", secs(median), "recollq (a process each)",
                     secs(recoll_queries[name][0]), ratio(median, recoll_queries[name][0])))
    size = full["index_MiB"] if full else None
    rows += [
        ("Index size on disk", "failed" if size is None else f"{size:.1f} MiB", "recoll's xapiandb",
         f"{recoll_size / 1048576:.1f} MiB", ratio(size, recoll_size / 1048576)),
        ("Peak memory while indexing (program)", "failed" if not full else f"{full['peak_MiB']:.1f} MiB",
         "-", "-", "-"),
        ("Longest event-loop pause while indexing", "failed" if not gap else f"{gap['longest_gap_ms']:.0f} ms",
         "-", "-", "-"),
        (f"Recall: test terms whose documents are all found", f"{found_ours} / {len(QUERIES)}", "recollq",
         f"{found_recoll} / {len(QUERIES)}", "-"),
    ]
    print(f"Full-text search: {args.count} inserts of {args.pages} pages, {characters:.0f} characters each "
          f"(folded); load average {load:.1f} at the start"
          + (f"; Hibari's queries on {args.count * copies} documents (each {copies} times)" if copies > 1 else ""))
    print("| Measure | Hibari | Reference | Reference value | Ratio |")
    print("|---|---|---|---|---|")
    for row in rows:
        print("| " + " | ".join(row) + " |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
