#!/usr/bin/env python3
"""Prints the one performance table from the JSON files that scripts/bench writes."""
import json
import os
import sys


def medians(path):
    """Benchmark name -> its median aggregate (time in ms, counters as they are)."""
    with open(path, encoding="utf-8") as handle:
        data = json.load(handle)
    found = {}
    for run in data.get("benchmarks", []):
        name = run.get("run_name", run["name"]).split("/")[0]  # without "/iterations:..." and the like
        aggregate = run.get("run_type") == "aggregate"
        if aggregate and run.get("aggregate_name") != "median":
            continue
        if run.get("error_occurred"):
            found[name] = None
            continue
        if aggregate or name not in found:
            unit = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[run.get("time_unit", "ns")]
            found[name] = dict(run, ms=run["real_time"] * unit, cpu_ms=run["cpu_time"] * unit)
    return found


def ms(run, key="ms"):
    if run is None:
        return "failed"
    return f"{run[key]:.2f} ms" if run[key] < 1 else f"{run[key]:.1f} ms"


def ratio(a, b, key="ms", key_b=None):
    key_b = key_b or key
    if a is None or b is None or not b[key_b]:
        return "-"
    return f"{a[key] / b[key_b]:.2f}"


def main():
    folder = sys.argv[1]
    conv = medians(os.path.join(folder, "conversion.json"))
    x11 = medians(os.path.join(folder, "conversion-x11.json"))
    pres = medians(os.path.join(folder, "prescription.json"))
    start = medians(os.path.join(folder, "startup.json"))
    start_x11 = medians(os.path.join(folder, "startup-x11.json"))
    road = medians(os.path.join(folder, "road.json"))
    sess = medians(os.path.join(folder, "session.json"))
    trans = medians(os.path.join(folder, "transfer.json"))
    save = medians(os.path.join(folder, "save.json"))
    origins = medians(os.path.join(folder, "origincheck.json"))

    table = conv.get("BM_EucToSjis")
    window = conv.get("BM_EucToSjisWithWindow")
    window_x11 = x11.get("BM_EucToSjisWithWindow")
    iconv = conv.get("BM_IconvEucJpMsToUtf8")
    memcpy = conv.get("BM_MemoryCopy")
    conversion = pres.get("Conversion")
    scan = pres.get("Scan")
    lists = pres.get("ConversionScanAndLists")
    hibari = start.get("BM_StartToReady_Hibari")
    bare = start.get("BM_StartToReady_BareWindow")
    hibari_x11 = start_x11.get("BM_StartToReady_Hibari")
    bare_x11 = start_x11.get("BM_StartToReady_BareWindow")
    road_http = road.get("BM_Road_Http")
    curl_http = road.get("BM_RoadCurl_Http")
    road_https = road.get("BM_Road_Https")
    curl_https = road.get("BM_RoadCurl_Https")
    session = sess.get("BM_SearchAndDownloadSession")
    download = trans.get("BM_Download50MB")
    download_window = trans.get("BM_Download50MBWithWindow")
    saved = save.get("BM_SaveDocument")
    saved_unsynced = save.get("BM_SaveDocumentWithoutFolderSync")
    check = origins.get("BM_CheckUnchanged")

    def mib(run):
        return "failed" if run is None else f"{run['peak_MiB']:.1f} MiB"

    def growth(run):
        return "failed" if run is None else f"{run['peak_growth_MiB']:.1f} MiB"

    def size(run):
        return "failed" if run is None else f"{run['document_MiB']:.1f} MiB"

    rows = [
        ("Page conversion, 5 MB result page", ms(table), "glibc iconv EUC-JP-MS, same bytes", ms(iconv),
         ratio(table, iconv)),
        ("  the same, CPU time", ms(table, "cpu_ms"), "memcpy of the same bytes, CPU time", ms(memcpy, "cpu_ms"),
         ratio(table, memcpy, "cpu_ms")),
        ("  the same with the progress window, X11 (Xvfb)", ms(window_x11), "glibc iconv EUC-JP-MS, same bytes",
         ms(iconv), ratio(window_x11, iconv)),
        ("  the same with the progress window, offscreen", ms(window), "glibc iconv EUC-JP-MS, same bytes",
         ms(iconv), ratio(window, iconv)),
        ("Scan of a 1000-hit page", ms(scan), "its conversion alone", ms(conversion), ratio(scan, conversion)),
        ("Conversion, scan and list filling, 1000 hits", ms(lists), "its conversion alone", ms(conversion),
         ratio(lists, conversion)),
        ("Whole road, http, 50 ms round trip", ms(road_http), "curl, same URLs, one connection", ms(curl_http),
         ratio(road_http, curl_http)),
        ("Whole road, https, 50 ms round trip", ms(road_https), "curl, same URLs, one connection",
         ms(curl_https), ratio(road_https, curl_https)),
        ("Start to the ready menu, X11 (Xvfb)", ms(hibari_x11), "bare window, Japanese label, same start",
         ms(bare_x11), ratio(hibari_x11, bare_x11)),
        ("Start to the ready menu, offscreen", ms(hibari), "bare window, Japanese label, same start", ms(bare),
         ratio(hibari, bare)),
        ("Peak memory at the ready menu", mib(hibari), "bare window, Japanese label", mib(bare),
         ratio(hibari, bare, "peak_MiB")),
        ("Peak memory, search-and-download session", mib(session), "bare window, Japanese label", mib(bare),
         ratio(session, bare, "peak_MiB")),
        ("50 MB document, progress window shown", ms(download_window), "the same download, no window",
         ms(download), ratio(download_window, download)),
        ("  peak memory growth during the download", growth(download_window), "the document's size",
         size(download_window), ratio(download_window, download_window, "peak_growth_MiB", "document_MiB")),
        ("2 MB document save, folder synced after the rename", ms(saved), "the same save, folder not synced",
         ms(saved_unsynced), ratio(saved, saved_unsynced)),
        ("Check of 1,000 unchanged documents, 50 ms round trip", ms(check), "the goal", "15000.0 ms",
         "failed" if check is None else f"{check['ms'] / 15000:.2f}"),
    ]
    header = ("Measure (median)", "Hibari", "Reference", "Reference value", "Ratio")
    widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(len(header))]
    line = lambda cells: "| " + " | ".join(str(c).ljust(w) for c, w in zip(cells, widths)) + " |"
    print(line(header))
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for row in rows:
        print(line(row))
    if road_http is not None:
        print(f"\nThe road ({road_http['requests']:.0f} requests): a search, a hit's page and foot page, and its "
              "documents with four manuals, against the practice service with 25 ms added each way.")
    if session is not None:
        print(f"\nThe session ({session['ms'] / 1000:.1f} s): a 1000-hit prescription search, the documents of "
              "three hits (ten files), a revision entry, a memo, three OTC documents, the four library lists.")


if __name__ == "__main__":
    main()
