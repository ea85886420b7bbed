#!/usr/bin/env python3
"""Updater workloads against their baselines, measured in the same run.

- Download: QHttpDownLoad (through updater_bench_driver) against curl, both
  fetching the same 64 MB and 256 MB files from a stock `python3 -m
  http.server` on 127.0.0.1. Throughput ratio, and the downloader's peak
  resident memory at both sizes.
- Extraction: unzipTo against Info-ZIP unzip on the same generated archive of
  2,000 files (mostly small, some large, all deflated). Time ratio, and the
  two extracted trees compared file by file.

Downloaded files and extracted trees go to a scratch folder in RAM
(/dev/shm) when there is one: the figures then show the programs rather than
the disk, and ext4's slow inode allocation right after thousands of deletions
(which made repeated extraction rounds on disk several times slower, for both
sides) stays out of them. Each side runs ROUNDS times, alternating, and its best time counts (the
machine is shared; the best time is the least disturbed one). Inputs are generated from fixed seeds into <work>/data and reused when
already present. Writes one JSON file with every figure.
"""
import argparse
import filecmp
import json
import os
import random
import re
import shutil
import subprocess
import sys
import time
import zipfile

MIB = 1 << 20
DOWNLOAD_SIZES_MB = (64, 256)
ARCHIVE_FILES = 2000
ARCHIVE_LARGE_FILES = 50          # 256 KiB to 1 MiB each
ARCHIVE_SMALL_RANGE = (100, 16384)  # bytes, the other files
ROUNDS = 5                        # alternating rounds; the best of each side counts
STEP_TIMEOUT = 300                # seconds for any one process


def fail(message):
    sys.exit("updater_bench: " + message)


def make_payload(path, size_mb, seed):
    """size_mb MiB of seeded pseudo-random bytes (incompressible)."""
    if os.path.exists(path) and os.path.getsize(path) == size_mb * MIB:
        return
    rng = random.Random(seed)
    blocks = [rng.randbytes(MIB) for _ in range(8)]
    with open(path + ".part", "wb") as out:
        for i in range(size_mb):
            out.write(blocks[(i * 5 + (i >> 3)) % 8])
    os.replace(path + ".part", path)


def make_archive(path, seed):
    """2,000 deflated files of seeded text in a two-level folder tree."""
    if os.path.exists(path):
        return
    rng = random.Random(seed)
    words = ["".join(rng.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9)))
             for _ in range(4000)]
    lines = []
    size = 0
    while size < 4 * MIB:
        line = " ".join(rng.choice(words) for _ in range(rng.randint(4, 14))) + "\n"
        lines.append(line)
        size += len(line)
    corpus = "".join(lines).encode()
    large = set(rng.sample(range(ARCHIVE_FILES), ARCHIVE_LARGE_FILES))
    with zipfile.ZipFile(path + ".part", "w", zipfile.ZIP_DEFLATED, compresslevel=6) as z:
        for i in range(ARCHIVE_FILES):
            n = rng.randint(256 * 1024, MIB) if i in large else rng.randint(*ARCHIVE_SMALL_RANGE)
            start = rng.randrange(0, len(corpus) - n)
            info = zipfile.ZipInfo("dir%02d/sub%02d/file%04d.txt" % (i % 20, (i // 20) % 5, i),
                                   date_time=(2024, 1, 2, 3, 4, 6))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3
            info.external_attr = 0o644 << 16
            z.writestr(info, corpus[start:start + n])
    os.replace(path + ".part", path)


def run(cmd, **kwargs):
    try:
        return subprocess.run(cmd, capture_output=True, text=True, timeout=STEP_TIMEOUT,
                              check=False, **kwargs)
    except subprocess.TimeoutExpired:
        fail("timed out: " + " ".join(cmd))


def driver(exe, *args):
    proc = run([exe, *args])
    try:
        return json.loads(proc.stdout.strip().splitlines()[-1])
    except (IndexError, ValueError):
        fail("driver gave no result for %s: %s" % (args, proc.stderr.strip()))


class HttpServer:
    """A stock python3 -m http.server on 127.0.0.1 with an ephemeral port."""

    def __init__(self, folder):
        self.proc = subprocess.Popen(
            [sys.executable, "-u", "-m", "http.server", "0", "--bind", "127.0.0.1",
             "--directory", folder],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        deadline = time.monotonic() + 20
        self.port = None
        while time.monotonic() < deadline and self.port is None:
            line = self.proc.stdout.readline()
            if not line:
                break
            m = re.search(r"port (\d+)", line)
            if m:
                self.port = int(m.group(1))
        if self.port is None:
            self.stop()
            fail("the HTTP server did not start")

    def url(self, name):
        return "http://127.0.0.1:%d/%s" % (self.port, name)

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()


def curl_download(url, target):
    proc = run(["curl", "-s", "-S", "-f", "-o", target, "-w", "%{time_total} %{size_download}", url])
    if proc.returncode != 0:
        fail("curl failed: " + proc.stderr.strip())
    seconds, size = proc.stdout.split()
    return float(seconds), int(float(size))


def scratch_folder(work):
    """A fresh folder for outputs: in RAM when /dev/shm is usable."""
    shm = "/dev/shm"
    if os.path.isdir(shm) and os.access(shm, os.W_OK) and shutil.disk_usage(shm).free > 2 << 30:
        return os.path.join(shm, "gk-bench-%d" % os.getpid())
    return os.path.join(work, "out")


def filesystem_of(path):
    proc = run(["stat", "-f", "-c", "%T", path])
    return proc.stdout.strip() or "?"


def bench_downloads(exe, work, out):
    serve = os.path.join(work, "data", "serve")
    os.makedirs(serve, exist_ok=True)
    for mb in DOWNLOAD_SIZES_MB:
        make_payload(os.path.join(serve, "payload%d.bin" % mb), mb, 1000 + mb)
    results = {}
    server = HttpServer(serve)
    try:
        for mb in DOWNLOAD_SIZES_MB:
            name = "payload%d.bin" % mb
            source = os.path.join(serve, name)
            ours_path = os.path.join(out, "ours-" + name)
            curl_path = os.path.join(out, "curl-" + name)
            curl_download(server.url(name), curl_path)  # warms the page cache
            ours, theirs, peaks, starts = [], [], [], []
            ok = True
            for _ in range(ROUNDS):
                r = driver(exe, "download", server.url(name), ours_path)
                ok = ok and r["result"] == 0 and r["bytes"] == mb * MIB
                ours.append(r["seconds"])
                peaks.append(r["rss_peak_kb"])
                starts.append(r["rss_start_kb"])
                seconds, size = curl_download(server.url(name), curl_path)
                ok = ok and size == mb * MIB
                theirs.append(seconds)
            ok = ok and filecmp.cmp(source, ours_path, shallow=False)
            os.remove(ours_path)
            os.remove(curl_path)
            t_ours = min(ours)
            t_curl = min(theirs)
            results[str(mb)] = {
                "bytes": mb * MIB,
                "ours_seconds": t_ours,
                "curl_seconds": t_curl,
                "ours_mb_per_s": mb / t_ours,
                "curl_mb_per_s": mb / t_curl,
                "throughput_ratio": (mb / t_ours) / (mb / t_curl),
                "rss_start_kb": max(starts),
                "rss_peak_kb": max(peaks),
                "check_ok": ok,
            }
    finally:
        server.stop()
    return results


def trees_equal(a, b):
    """Same relative file names and the same bytes in every file."""
    names = []
    for root, _, files in os.walk(a):
        names += [os.path.relpath(os.path.join(root, f), a) for f in files]
    for root, _, files in os.walk(b):
        if len(files) and not os.path.isdir(os.path.join(a, os.path.relpath(root, b))):
            return False, len(names)
    match, mismatch, errors = filecmp.cmpfiles(a, b, names, shallow=False)
    return not mismatch and not errors and len(match) == ARCHIVE_FILES, len(names)


def bench_unzip(exe, work, out):
    data = os.path.join(work, "data")
    os.makedirs(data, exist_ok=True)
    archive = os.path.join(data, "files2000.zip")
    make_archive(archive, 2000)
    ours_dir = os.path.join(out, "unzip-ours")
    theirs_dir = os.path.join(out, "unzip-infozip")
    ours, theirs = [], []
    ok = True
    for _ in range(ROUNDS):
        shutil.rmtree(ours_dir, ignore_errors=True)
        shutil.rmtree(theirs_dir, ignore_errors=True)
        r = driver(exe, "unzip", archive, ours_dir)
        ok = ok and r["result"] == 0
        ours.append(r["seconds"])
        start = time.perf_counter()
        proc = run(["unzip", "-q", "-o", archive, "-d", theirs_dir])
        theirs.append(time.perf_counter() - start)
        ok = ok and proc.returncode == 0
    same, count = trees_equal(ours_dir, theirs_dir)
    shutil.rmtree(ours_dir, ignore_errors=True)
    shutil.rmtree(theirs_dir, ignore_errors=True)
    with zipfile.ZipFile(archive) as z:
        infos = z.infolist()
    t_ours = min(ours)
    t_unzip = min(theirs)
    return {
        "entries": len(infos),
        "uncompressed_bytes": sum(i.file_size for i in infos),
        "compressed_bytes": sum(i.compress_size for i in infos),
        "ours_seconds": t_ours,
        "unzip_seconds": t_unzip,
        "time_ratio": t_ours / t_unzip,
        "files_extracted": count,
        "check_ok": ok and same,
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--driver", required=True, help="path of updater_bench_driver")
    parser.add_argument("--work", required=True, help="folder for data and scratch output")
    parser.add_argument("--out", required=True, help="JSON file to write")
    args = parser.parse_args()
    for tool in ("curl", "unzip"):
        if shutil.which(tool) is None:
            fail(tool + " is not installed (scripts/setup.sh installs it)")
    out = scratch_folder(args.work)
    os.makedirs(out, exist_ok=True)
    try:
        results = {"scratch_fs": filesystem_of(out),
                   "download": bench_downloads(args.driver, args.work, out),
                   "unzip": bench_unzip(args.driver, args.work, out)}
    finally:
        shutil.rmtree(out, ignore_errors=True)
    with open(args.out, "w") as f:
        json.dump(results, f, indent=2)
    print(json.dumps(results, indent=2))


if __name__ == "__main__":
    main()
