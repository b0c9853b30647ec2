#!/usr/bin/env python3
"""Tiling benchmark: `karovel-rmp build` against `vips dzsave` on the same map pictures.

For every size and source format it draws a deterministic map-like picture (bench/make_test_map.cpp),
writes a one-map calibrated .gmap for it, and then runs, alternating, our build and
`vips dzsave` (256-pixel quality-90 JPEG tiles, no overlap, one level) RUNS times each. It prints the
machine, the median wall times, the ratio ours/vips, the time per megapixel and the peak memory, as a
Markdown table ready for docs/BENCHMARKS.md.

    bench/run_tiling_bench.py                         # 2048, 4096, 8192; JPEG and PNG; 5 runs
    bench/run_tiling_bench.py --sizes 2048,4096,8192,16384
    bench/run_tiling_bench.py --vips-only             # before karovel-rmp can build

Standard library only. Needs the build tree configured with -DKAROVEL_BENCH=ON (done here) and the
vips command line tool (Debian package libvips-tools, installed through scripts/install.sh).
"""

import argparse
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Calibration of every test map: 1e-5 degrees a pixel, north up. The origin is off the tile grid, so
# the first tile row and column are partly black, as with a real map.
ORIGIN_LON, ORIGIN_LAT = 8.0, 47.0
LON_PER_PIXEL, LAT_PER_PIXEL = 1e-5, -1e-5
MIB = 1024 * 1024


def real_text(value):
    """A number as the map file writes it: sign column, d.dddddddddddddd, E, sign, 4 exponent digits."""
    mantissa, exponent = ("%.14E" % value).split("E")
    sign = "-" if mantissa.startswith("-") else " "
    return "%s%sE%s%04d" % (sign, mantissa.lstrip("-"), "-" if int(exponent) < 0 else "+", abs(int(exponent)))


def fixed_text(value):
    return "%11.8f" % value


def write_gmap(path, image_path, size):
    last = size - 1
    points = [(0, 0), (last, last)]
    lines = ["Path=" + image_path, "Wexaname=bench%d" % size, "Calib=1",
             " ".join(real_text(v) for v in (ORIGIN_LON, ORIGIN_LAT, LON_PER_PIXEL, LAT_PER_PIXEL))]
    for x, y in points:
        lat = ORIGIN_LAT + y * LAT_PER_PIXEL
        lon = ORIGIN_LON + x * LON_PER_PIXEL
        lines.append("%d %d %s %s 1" % (x, y, fixed_text(lat), fixed_text(lon)))
    lines += ["0 0 %s %s 0" % (fixed_text(0), fixed_text(0))] * (5 - len(points))
    with open(path, "w", newline="") as f:
        f.write("".join(line + "\r\n" for line in lines))


def machine_lines():
    cpu = "unknown CPU"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    mem = ""
    try:
        with open("/proc/meminfo") as f:
            kib = int(f.readline().split()[1])
            mem = ", %.1f GiB memory" % (kib / 1024 / 1024)
    except (OSError, ValueError, IndexError):
        pass
    vips = subprocess.run(["vips", "--version"], capture_output=True, text=True).stdout.strip()
    return ["- Machine: %d cores (nproc), %s%s; %s %s" % (os.cpu_count() or 0, cpu, mem, platform.system(),
                                                          platform.release()),
            "- vips: %s" % vips]


def load_average():
    return "%.2f %.2f %.2f" % os.getloadavg()


def run_measured(command):
    """Runs command under /usr/bin/time -v; returns (wall seconds, max RSS bytes)."""
    timed = ["/usr/bin/time", "-v"] + command
    start = time.perf_counter()
    done = subprocess.run(timed, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    wall = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit("failed (%d): %s\n%s" % (done.returncode, " ".join(command), done.stderr[-2000:]))
    match = re.search(r"Maximum resident set size \(kbytes\): (\d+)", done.stderr)
    return wall, (int(match.group(1)) * 1024 if match else 0)


def remove(path):
    if os.path.isdir(path):
        shutil.rmtree(path)
    elif os.path.exists(path):
        os.remove(path)


def build_tools(build_dir, need_ours):
    subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-DKAROVEL_BENCH=ON"], check=True,
                   stdout=subprocess.DEVNULL)
    targets = ["karovel-make-test-map"] + (["karovel-rmp"] if need_ours else [])
    subprocess.run(["ninja", "-C", build_dir, "-j2"] + targets, check=True, stdout=subprocess.DEVNULL)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--sizes", default="2048,4096,8192", help="picture sizes (default 2048,4096,8192)")
    parser.add_argument("--formats", default="jpeg,png", help="jpeg, png or both (default)")
    parser.add_argument("--runs", type=int, default=5, help="runs of each tool per picture (default 5)")
    parser.add_argument("--build", default=os.path.join(ROOT, "build"), help="build tree (default build)")
    parser.add_argument("--work", default=None, help="pictures and outputs (default BUILD/bench-work)")
    parser.add_argument("--vips-only", action="store_true", help="measure vips alone")
    parser.add_argument("--no-build", action="store_true", help="use the tools already built")
    args = parser.parse_args()

    sizes = [int(s) for s in args.sizes.split(",") if s]
    formats = [f.strip().lower() for f in args.formats.split(",") if f.strip()]
    for f in formats:
        if f not in ("jpeg", "png"):
            sys.exit("unknown format: " + f)
    build_dir = os.path.abspath(args.build)
    work = os.path.abspath(args.work or os.path.join(build_dir, "bench-work"))
    os.makedirs(work, exist_ok=True)

    if shutil.which("vips") is None:
        subprocess.run([os.path.join(ROOT, "scripts", "install.sh"), "libvips-tools"], check=True)
    if not args.no_build:
        build_tools(build_dir, not args.vips_only)
    generator = os.path.join(build_dir, "bin", "karovel-make-test-map")
    ours = os.path.join(build_dir, "bin", "karovel-rmp")

    print("## Tiling benchmark\n")
    for line in machine_lines():
        print(line)
    print("- Command: `bench/run_tiling_bench.py --sizes %s --formats %s --runs %d`"
          % (",".join(map(str, sizes)), ",".join(formats), args.runs))
    print("- Load average at start: %s" % load_average())
    print("- Ours: `karovel-rmp build -o out.rmp map.gmap` on a one-map .gmap; vips: `vips dzsave "
          "IN out --tile-size 256 --overlap 0 --depth one --suffix .jpg[Q=90]`; each run %d times, "
          "alternating; median wall time\n" % args.runs)
    sys.stdout.flush()

    rows = []
    for size in sizes:
        jpeg = os.path.join(work, "map%d.jpg" % size)
        png = os.path.join(work, "map%d.png" % size)
        if not (os.path.exists(jpeg) and os.path.exists(png)):
            print("(drawing the %d x %d test picture)" % (size, size), file=sys.stderr)
            subprocess.run([generator, str(size), jpeg, png], check=True)
        for fmt in formats:
            source = jpeg if fmt == "jpeg" else png
            gmap = os.path.join(work, "map%d-%s.gmap" % (size, fmt))
            write_gmap(gmap, source, size)
            rmp = os.path.join(work, "out%d-%s.rmp" % (size, fmt))
            dz = os.path.join(work, "dz%d-%s" % (size, fmt))
            ours_times, ours_rss, vips_times, vips_rss = [], [], [], []
            rmp_bytes = 0
            for _ in range(args.runs):
                if not args.vips_only:
                    remove(rmp)
                    wall, rss = run_measured([ours, "build", "-o", rmp, gmap])
                    ours_times.append(wall)
                    ours_rss.append(rss)
                    rmp_bytes = os.path.getsize(rmp)
                remove(dz)
                remove(dz + "_files")
                remove(dz + ".dzi")
                wall, rss = run_measured(["vips", "dzsave", source, dz, "--tile-size", "256", "--overlap",
                                          "0", "--depth", "one", "--suffix", ".jpg[Q=90]"])
                vips_times.append(wall)
                vips_rss.append(rss)
            remove(dz + "_files")
            remove(dz + ".dzi")
            row = {"size": size, "fmt": fmt, "source": os.path.getsize(source),
                   "vips": statistics.median(vips_times), "vips_rss": max(vips_rss)}
            if ours_times:
                bitmap = size * size * 3
                row.update(ours=statistics.median(ours_times), ours_rss=max(ours_rss), rmp=rmp_bytes,
                           budget=bitmap + 2 * rmp_bytes + 64 * MIB)
            rows.append(row)
            print("(%d %s done, load %s)" % (size, fmt, load_average()), file=sys.stderr)

    mp = lambda r: r["size"] * r["size"] / 1e6
    print("| Picture | Source | Ours (s) | vips (s) | Ours/vips | Ours ms/MP | vips ms/MP | RMP | "
          "Ours peak RSS | Budget | vips peak RSS |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for r in rows:
        name = "%d² %s" % (r["size"], r["fmt"].upper())
        if "ours" in r:
            print("| %s | %.1f MiB | %.3f | %.3f | %.2f | %.1f | %.1f | %.1f MiB | %.0f MiB | %.0f MiB | %.0f MiB |"
                  % (name, r["source"] / MIB, r["ours"], r["vips"], r["ours"] / r["vips"],
                     1000 * r["ours"] / mp(r), 1000 * r["vips"] / mp(r), r["rmp"] / MIB, r["ours_rss"] / MIB,
                     r["budget"] / MIB, r["vips_rss"] / MIB))
        else:
            print("| %s | %.1f MiB | - | %.3f | - | - | %.1f | - | - | - | %.0f MiB |"
                  % (name, r["source"] / MIB, r["vips"], 1000 * r["vips"] / mp(r), r["vips_rss"] / MIB))
    print("\n- Load average at end: %s" % load_average())
    print("- Budget: decoded bitmap (size² x 3) + 2 x RMP file + 64 MiB")


if __name__ == "__main__":
    main()
