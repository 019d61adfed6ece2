#!/usr/bin/python3
"""Core benchmark: nx-ipar crc against a bare pugixml parse and the Python + lxml peer.

    run_core_bench.py BUILD_DIR [--sizes 1000,10000,100000,1000000] [--repeats 3]

Generates the templates into BUILD_DIR/bench-data (kept between runs), checks that the peer
prints the same CRC as nx-ipar on every generated file and every example, then runs the three
side by side on each file and prints wall time (best of the repeats), the CPU time (user +
system) of that fastest run, which a busy machine disturbs less, and peak memory (the largest max
RSS of the repeats), followed by the ratios the targets are stated in (on wall time).

Exit status: 0 when every program ran and the peer agreed everywhere, 1 otherwise. A missed
target is a figure to act on, not a failure of the run.
"""

import argparse
import glob
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PYTHON = "/usr/bin/python3"
DEFAULT_SIZES = "1000,10000,100000,1000000"

TOOLS = ("nx", "bare", "peer")
TITLES = {"nx": "nx-ipar crc", "bare": "bare parse", "peer": "python+lxml peer"}


def commands(build, path):
    return {
        "nx": [os.path.join(build, "bin", "nx-ipar"), "crc", path],
        "bare": [os.path.join(build, "bin", "bare_parse"), path],
        "peer": [PYTHON, os.path.join(HERE, "peer_crc.py"), path],
    }


class Run:
    def __init__(self, seconds, cpu_seconds, max_rss_kib, status, out, err):
        self.seconds = seconds
        self.cpu_seconds = cpu_seconds
        self.max_rss_kib = max_rss_kib
        self.status = status
        self.out = out
        self.err = err


def measure(argv):
    """Runs argv once; wall time from spawn to reap, max RSS of the child from wait4."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        start = time.perf_counter()
        child = subprocess.Popen(argv, stdout=out, stderr=err, stdin=subprocess.DEVNULL)
        _, status, usage = os.wait4(child.pid, 0)
        seconds = time.perf_counter() - start
        child.returncode = os.waitstatus_to_exitcode(status)
        out.seek(0)
        err.seek(0)
        return Run(seconds, usage.ru_utime + usage.ru_stime, usage.ru_maxrss, child.returncode,
                   out.read().decode("utf-8", "replace").strip(),
                   err.read().decode("utf-8", "replace").strip())


def warm_cache(path):
    """Reads the file once so that no program pays for the disk and all meet the page cache."""
    with open(path, "rb") as f:
        while f.read(1 << 24):
            pass


def build_type(build):
    try:
        with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8") as cache:
            for line in cache:
                if line.startswith("CMAKE_BUILD_TYPE:"):
                    return line.split("=", 1)[1].strip() or "(none)"
    except OSError:
        pass
    return "(unknown)"


def check_examples(build, examples):
    """CRC agreement on the shipped examples; returns the number of disagreements."""
    bad = 0
    print("Peer agreement on the examples:")
    for path in examples:
        cmd = commands(build, path)
        nx = measure(cmd["nx"])
        peer = measure(cmd["peer"])
        name = os.path.basename(path)
        if nx.status != 0:
            print("  %-28s nx-ipar refuses it (%s); not compared" % (name, nx.err.splitlines()[:1]))
            continue
        same = peer.status == 0 and nx.out == peer.out
        bad += not same
        print("  %-28s nx-ipar %-12s peer %-12s %s" %
              (name, nx.out, peer.out if peer.status == 0 else "error: " + peer.err,
               "agree" if same else "DISAGREE"))
    return bad


def fmt_int(n):
    return "{:,}".format(n)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", help="the CMake build directory (holds bin/nx-ipar)")
    parser.add_argument("--sizes", default=DEFAULT_SIZES)
    parser.add_argument("--repeats", type=int, default=3)
    args = parser.parse_args(argv)
    build = os.path.abspath(args.build)
    sizes = [int(s) for s in args.sizes.split(",") if s]

    for exe in ("nx-ipar", "bare_parse"):
        if not os.access(os.path.join(build, "bin", exe), os.X_OK):
            print("missing %s/bin/%s: build the targets nx-ipar and bare_parse first" % (build, exe),
                  file=sys.stderr)
            return 1

    data = os.path.join(build, "bench-data")
    subprocess.run([PYTHON, os.path.join(HERE, "generate_templates.py"), data,
                    "--sizes", ",".join(map(str, sizes))], check=True)

    print("Core benchmark: build type %s, %d cores, load average %.2f, best of %d" %
          (build_type(build), os.cpu_count(), os.getloadavg()[0], args.repeats))
    print()
    disagreements = check_examples(
        build, sorted(glob.glob(os.path.join(os.path.dirname(HERE), "examples", "*.xml"))))
    print()

    files = []
    for n in sizes:
        for order in ("be", "le"):
            files.append((n, order, os.path.join(data, "template_%d_%s.xml" % (n, order))))

    results = {}
    failures = 0
    for n, order, path in files:
        warm_cache(path)
        cmd = commands(build, path)
        runs = {tool: [] for tool in TOOLS}
        # Interleaved, so that a change in the machine's load hits every program alike.
        for _ in range(args.repeats):
            for tool in TOOLS:
                runs[tool].append(measure(cmd[tool]))
        results[(n, order)] = runs
        for tool in TOOLS:
            for run in runs[tool]:
                if run.status != 0:
                    failures += 1
                    print("%s failed on %s (status %d): %s" %
                          (TITLES[tool], path, run.status, run.err[:300]), file=sys.stderr)

    head = "%-24s %9s | %-25s | %-25s | %-25s | %s" % (
        "file", "params", TITLES["nx"], TITLES["bare"], TITLES["peer"], "CRC (nx / peer)")
    print(head)
    print("%-24s %9s |%s" % ("", "", " %7s %6s %10s |" % ("time s", "cpu s", "max RSS MB") * 3))
    print("-" * len(head))
    for n, order, path in files:
        runs = results[(n, order)]
        cells = []
        for tool in TOOLS:
            fastest = min(runs[tool], key=lambda r: r.seconds)
            cells.append("%7.3f %6.3f %10.1f" %
                         (fastest.seconds, fastest.cpu_seconds, peak(runs[tool]) / 1024))
        nx_out = {r.out for r in runs["nx"]}
        peer_out = {r.out for r in runs["peer"]}
        same = len(nx_out) == 1 and nx_out == peer_out and all(
            r.status == 0 for r in runs["nx"] + runs["peer"])
        disagreements += not same
        crc = "%s %s" % (next(iter(nx_out)), "agree" if same else
                         "DISAGREE: nx %s, peer %s" % (sorted(nx_out), sorted(peer_out)))
        print("%-24s %9s | %s | %s" % (os.path.basename(path), fmt_int(n), " | ".join(cells), crc))
    print()

    print_targets(files, results, sizes)

    if disagreements:
        print("\nThe peer disagrees with nx-ipar on %d file(s): these figures compare different "
              "answers." % disagreements)
    return 1 if disagreements or failures else 0


def best(runs):
    return min(r.seconds for r in runs)


def peak(runs):
    return max(r.max_rss_kib for r in runs)


def verdict(ok):
    return "met" if ok else "MISSED"


def print_targets(files, results, sizes):
    print("Targets for nx-ipar crc:")
    print("  time vs bare parse, >= 100,000 parameters (target <= 1.00):")
    for n, order, _ in files:
        if n >= 100_000:
            r = best(results[(n, order)]["nx"]) / best(results[(n, order)]["bare"])
            print("    %10s %s  %.2f  %s" % (fmt_int(n), order, r, verdict(r <= 1.0)))
    print("  peak memory vs bare parse, >= 100,000 parameters (target <= 1.00):")
    for n, order, _ in files:
        if n >= 100_000:
            r = peak(results[(n, order)]["nx"]) / peak(results[(n, order)]["bare"])
            print("    %10s %s  %.2f  %s" % (fmt_int(n), order, r, verdict(r <= 1.0)))
    print("  python+lxml peer time / nx-ipar time (target >= 3.0):")
    for n, order, _ in files:
        r = best(results[(n, order)]["peer"]) / best(results[(n, order)]["nx"])
        print("    %10s %s  %.1f  %s" % (fmt_int(n), order, r, verdict(r >= 3.0)))
    print("  time growth per 10x parameters (target <= 12.0; bare parse and peer for comparison):")
    for small, large in zip(sizes, sizes[1:]):
        if large != small * 10:
            continue
        for order in ("be", "le"):
            growth = {t: best(results[(large, order)][t]) / best(results[(small, order)][t])
                      for t in TOOLS}
            print("    %10s -> %10s %s  nx %.1f  %s   (bare %.1f, peer %.1f)" %
                  (fmt_int(small), fmt_int(large), order, growth["nx"],
                   verdict(growth["nx"] <= 12.0), growth["bare"], growth["peer"]))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
