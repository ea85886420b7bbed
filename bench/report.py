#!/usr/bin/env python3
"""Prints the benchmark table from the JSON files of one run.

Inputs: Google Benchmark JSON of engine_member_bench and engine_region_bench,
and the JSON of updater_bench.py. Geometry times are CPU times of the
benchmark thread (the machine is shared, and wall time would charge other
processes to us), the smallest of three repetitions (one for the slowest peer
runs); updater times are wall-clock, best of the rounds.
"""
import argparse
import json
import math
import os
import platform
import re
import subprocess


def load_gbench(path):
    """Benchmarks by run name: the "min" aggregate of repeated runs, else the
    single run."""
    with open(path) as f:
        data = json.load(f)
    out = {}
    for b in data["benchmarks"]:
        name = re.sub(r"/repeats:\d+$", "", b["run_name"])
        if b.get("run_type") == "iteration" and b.get("repetitions", 1) <= 1:
            out[name] = b
        elif b.get("run_type") == "aggregate" and b.get("aggregate_name") == "min":
            out[name] = b
        if b.get("error_occurred"):
            out[name] = {"error_message": b.get("error_message", "")}
    return out


def ms(b):
    """CPU time of one iteration in milliseconds."""
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    return b["cpu_time"] * scale


def ns(b):
    scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}[b["time_unit"]]
    return b["cpu_time"] * scale


def ok(flag):
    return "ok" if flag else "FAILED"


def machine():
    model = "unknown"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    mem_kb = 0
    with open("/proc/meminfo") as f:
        for line in f:
            if line.startswith("MemTotal:"):
                mem_kb = int(line.split()[1])
    try:
        commit = subprocess.run(["git", "rev-parse", "--short", "HEAD"], capture_output=True,
                                text=True, check=False).stdout.strip()
    except OSError:
        commit = "?"
    return {"nproc": os.cpu_count(), "cpu": model, "ram_gib": mem_kb / (1 << 20),
            "kernel": platform.release(), "commit": commit or "?",
            "load": " ".join("%.2f" % x for x in os.getloadavg())}


# The clipping workloads: benchmark name, label, sizes.
CLIP_WORKLOADS = (("BoardMinusPads", "1. Board minus pads", (100, 1000, 10000)),
                  ("TrackUnion", "2. Track union", (100, 1000, 10000)),
                  ("ZoneFill", "3. Zone fill (pads + tracks)", (1000,)))
# The baselines of every clipping workload, as named in the benchmarks.
PEERS = (("ClipperLib", "ClipperLib alone"), ("Boost", "Boost.Geometry"), ("GEOS", "GEOS"))
# Every timed variant, for the growth table.
VARIANTS = (("Execute", "Execute"),) + PEERS


def size_label(n):
    return "N = {:,}".format(n)


def peer_rows(reg):
    """One row per clipping workload and size: Execute against each peer."""
    rows = []
    for name, label, sizes in CLIP_WORKLOADS:
        for n in sizes:
            ex = reg.get("%s/Execute/%d" % (name, n))
            if not ex:
                continue
            peers = [reg.get("%s/%s/%d" % (name, key, n)) for key, _ in PEERS]
            timed = [b if b and "error_message" not in b else None for b in peers]
            row = [label, size_label(n), "%.2f ms" % ms(ex)]
            row += ["%.2f ms" % ms(b) if t else ("failed" if b else "missing")
                    for b, t in zip(peers, timed)]
            row += ["%.2f" % (ms(ex) / ms(t)) if t else "" for t in timed]
            exact = ex.get("exact_area")
            if exact:
                errors = [ex["area_err_arcs"]] + [t["area_err"] if t else None for t in timed[1:]]
                row.append("; ".join("%+.1e" % (e / exact) if e is not None else "n/a"
                                     for e in errors))
            else:
                row.append("")
            row.append("%d / %d" % (ex["arcs"], ex["segments"]))
            if "chords_per_arc" in ex:
                row.append("%.1f (%.1f)" % (ex["chords_per_arc"], ex["chords_per_arc_crossings"]))
            else:
                row.append("")
            row.append("; ".join("%d" % t["vertices"] if t else "n/a" for t in timed[1:]))
            checked = [("Execute", ex)] + [(p[1], t) for p, t in zip(PEERS[1:], timed[1:])]
            failed = [what for what, b in checked if not b or b.get("check_ok") != 1]
            row.append("ok" if not failed else "FAILED: " + ", ".join(failed))
            rows.append(row)
    return rows


PEER_HEADER = ["Workload", "Size", "Execute"] + [p[1] for p in PEERS] + [
    "ours / " + p[1] for p in PEERS] + [
    "Area error vs exact, relative (Execute; Boost; GEOS)", "Execute arcs / segments",
    "Chords per arc (with crossings)", "Vertices (Boost; GEOS)", "Checks"]


def clip_rows(reg, name, sizes, describe):
    """Execute in detail: its own share of the time and its result checks."""
    rows = []
    for n in sizes:
        ex = reg.get("%s/Execute/%d" % (name, n))
        cl = reg.get("%s/ClipperLib/%d" % (name, n))
        sa = reg.get("%s/Sampling/%d" % (name, n))
        rb = reg.get("%s/Rebuild/%d" % (name, n))
        if not (ex and cl and sa and rb):
            continue
        t = ms(ex)
        rows.append([describe[0], size_label(n), "%.1f%%" % (100 * ms(sa) / t),
                     "%.1f%%" % (100 * ms(rb) / t),
                     "%.1f%%" % (100 * max(t - ms(sa) - ms(rb), 0.0) / t),
                     describe[1](ex) + "; check " + ok(ex.get("check_ok") == 1)])
    return rows


def growth(reg, name, what, lo, hi):
    a = reg.get("%s/%s/%d" % (name, what, lo))
    b = reg.get("%s/%s/%d" % (name, what, hi))
    if not (a and b) or "error_message" in a or "error_message" in b:
        return None
    return math.log(ms(b) / ms(a)) / math.log(hi / lo)


def board_figures(b):
    return ("area error %+.4f (Area at 0.00254; bound %.2f), %+.5f from the rebuilt arcs; "
            "%d/%d holes full circles, %d pads matched, centre err max %.1e, radius err max %.1e"
            % (b["area_err"], b["area_bound"], b["area_err_arcs"], b["full_circle_holes"],
               b["holes"], b["pads_matched"], b["max_centre_err"], b["max_radius_err"]))


def union_figures(b):
    return ("%d shapes, %d loops, %d arcs, %d segments; area vs ClipperLib's polygons %+.4f "
            "(bound %.2f)" % (b["shapes"], b["loops"], b["arcs"], b["segments"],
                              b["area_vs_clipperlib"], b["area_bound"]))


def detail_rows(reg):
    rows = []
    for name, label, sizes in CLIP_WORKLOADS:
        figures = board_figures if name == "BoardMinusPads" else union_figures
        rows += clip_rows(reg, name, sizes, (label, figures))
    return rows


def growth_rows(reg):
    rows = []
    for name, label, _ in CLIP_WORKLOADS[:2]:
        ks = [growth(reg, name, key, 1000, 10000) for key, _ in VARIANTS]
        if any(k is not None for k in ks):
            rows.append([label] + ["%.2f" % k if k is not None else "" for k in ks])
    return rows


def geometry_rows(mem, reg):
    rows = []
    ours = reg.get("PointInRegion/IsPointIn/iterations:1")
    base = reg.get("PointInRegion/ClipperLib/iterations:1")
    if ours and base:
        per_ours = ns(ours) / 1e6
        per_base = ns(base) / 1e6
        rows.append(["4. Point in region", "10^6 points, 1,000 holes", "%.0f ns/point" % per_ours,
                     "%.0f ns/point" % per_base, "%.2f" % (per_ours / per_base),
                     "baseline: ClipperLib PointInPolygon on the region's paths; %d wrong outside "
                     "the boundary band (%d points within 0.00508 skipped); check %s"
                     % (ours["wrong"], ours["near_boundary"], ok(ours["check_ok"] == 1 and base["check_ok"] == 1))])
    members = [("BM_SegSegIntersect", "segment-segment intersectWith (flags)"),
               ("BM_ArcSegIntersect", "arc-segment intersectWith"),
               ("BM_ArcArcIntersect", "arc-arc intersectWith"),
               ("BM_ArcArcIntersectFlags", "arc-arc intersectWith (flags)"),
               ("BM_ArcDistanceToPoint", "arc distanceTo point"),
               ("BM_ArcDistanceToSeg", "arc distanceTo segment"),
               ("BM_ArcDistanceToArc", "arc distanceTo arc")]
    for key, label in members:
        b = mem.get(key)
        if b:
            rows.append(["5. Member query", label, "%.0f ns/call" % ns(b), "", "",
                         "contact in %.0f%% of calls" % (100 * b["hits"])])
    for arg, label in (("0", "arcs"), ("1", "circles")):
        exact = mem.get("BM_SampleXY/" + arg)
        fast = mem.get("BM_FastSampleXY/" + arg)
        tol = mem.get("BM_SampleXYTol/" + arg)
        if exact and fast:
            pe = ns(exact) / exact["points_per_call"]
            pf = ns(fast) / fast["points_per_call"]
            note = "%d points per call" % exact["points_per_call"]
            if tol:
                note += "; at tolerance 0.00254: %.1f ns/point" % (ns(tol) / tol["points_per_call"])
            rows.append(["6. Sampling", label + ", count 64",
                         "%.1f ns/point" % pe, "%.1f ns/point (fast)" % pf, "%.2f" % (pe / pf), note])
    return rows


def updater_rows(upd):
    rows = []
    dl = upd.get("download", {})
    peaks = {}
    for mb in sorted(dl, key=int):
        d = dl[mb]
        peaks[int(mb)] = d["rss_peak_kb"] / 1024
        rows.append(["Download (QHttpDownLoad)", "%s MB" % mb, "%.0f MB/s" % d["ours_mb_per_s"],
                     "%.0f MB/s (curl)" % d["curl_mb_per_s"], "%.2f" % d["throughput_ratio"],
                     "peak RSS %.0f MB (%.0f MB before the transfer); file intact %s"
                     % (peaks[int(mb)], d["rss_start_kb"] / 1024, ok(d["check_ok"]))])
    if len(peaks) >= 2:
        lo, hi = min(peaks), max(peaks)
        grows = peaks[hi] - peaks[lo]
        rows.append(["Download memory", "%d MB vs %d MB" % (lo, hi), "", "", "",
                     "peak RSS grows by %.0f MB for %d MB more data: %s"
                     % (grows, hi - lo, "flat, ok" if grows < 16 else "GROWS WITH FILE SIZE")])
    u = upd.get("unzip")
    if u:
        rows.append(["unzipTo", "%d files, %.0f MB (%.0f MB zipped)" % (
            u["entries"], u["uncompressed_bytes"] / 1e6, u["compressed_bytes"] / 1e6),
            "%.3f s" % u["ours_seconds"], "%.3f s (unzip)" % u["unzip_seconds"],
            "%.2f" % u["time_ratio"],
            "%d files; trees identical to Info-ZIP's %s" % (u["files_extracted"], ok(u["check_ok"]))])
    return rows


def table(rows, header):
    out = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    out += ["| " + " | ".join(str(c) for c in r) + " |" for r in rows]
    return "\n".join(out)


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--members", required=True)
    p.add_argument("--regions", required=True)
    p.add_argument("--updater", required=True)
    p.add_argument("--markdown", help="also write the tables here")
    a = p.parse_args()
    mem = load_gbench(a.members)
    reg = load_gbench(a.regions)
    with open(a.updater) as f:
        upd = json.load(f)
    m = machine()

    parts = []
    parts.append("Machine: %d cores (`nproc`), %s, %.1f GiB RAM, Linux %s; commit %s; "
                 "load average at the end %s." % (m["nproc"], m["cpu"], m["ram_gib"], m["kernel"],
                                                  m["commit"], m["load"]))
    parts.append("Boolean operations against the peers (CPU time per call, best of three "
                 "repetitions, Boost.Geometry's 10,000-track union one run; every ratio is "
                 "ours over the peer, measured in the same run on the same sampled paths):\n\n"
                 + table(peer_rows(reg), PEER_HEADER))
    parts.append("Growth from N = 1,000 to 10,000, as the exponent k of time ~ N^k:\n\n"
                 + table(growth_rows(reg), ["Workload"] + [v[1] for v in VARIANTS]))
    parts.append("Execute in detail (shares of its time: the conversion into tagged paths, the "
                 "rebuild of one result tree into shapes, and the rest, the sweeps with their "
                 "splitting and nesting):\n\n" + table(
                     detail_rows(reg),
                     ["Workload", "Size", "Sampling", "Rebuild", "Sweeps", "Figures and checks"]))
    parts.append("Other geometry (CPU time per call or per point, best of three repetitions):\n\n"
                 + table(geometry_rows(mem, reg),
                         ["Workload", "Size", "Ours", "Baseline", "Ratio", "Figures and checks"]))
    parts.append("Updater (wall-clock, best of the rounds; outputs written to %s; the ratio is "
                 "ours over the baseline: throughput for downloads, time for extraction):\n\n"
                 % upd.get("scratch_fs", "disk") + table(
                     updater_rows(upd),
                     ["Workload", "Size", "Ours", "Baseline", "Ratio", "Figures and checks"]))
    text = "\n\n".join(parts) + "\n"
    print(text)
    if a.markdown:
        with open(a.markdown, "w") as f:
            f.write(text)


if __name__ == "__main__":
    main()
