#!/usr/bin/env python3
"""Times our decoders and Pillow's on the same files in one run and prints the ratios.

Our side is decode-timer (built with the benchmarks), which decodes each file from its file as
import and quorvel-cli decode do; Pillow's side opens and loads the same file. The series are
interleaved (ours and Pillow's, file by file, SERIES times over) and each figure is the median
of the series' medians, so a drift of the machine's speed moves both sides alike. Both sides
count processor time (user and system, so page faults and file reads are in), which other work
on a shared machine does not inflate. Pillow is a benchmark dependency only: when no
interpreter here can import it, the comparison is skipped.

usage: same_file_compare.py [--timer build/bench/decode-timer] [--series 3] [--reps 15]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

# The files decode-timer writes, and the two Pillow writes itself, with what the table calls them.
FILES = [
    ("photo24.bmp", "BMP 24-bit"),
    ("noclear.gif", "GIF without clear codes"),
    ("clearing.gif", "GIF with clear codes"),
    ("8bit.pcx", "PCX 8-bit"),
    ("24bit.pcx", "PCX 24-bit"),
    ("pillow24.pcx", "PCX 24-bit (Pillow's file)"),
    ("uncompressed32.tga", "TGA 32-bit"),
    ("runlength24.tga", "TGA 24-bit run-length"),
]


def pillow_python():
    """An interpreter that imports PIL: this one, or another on the machine."""
    try:
        import PIL  # noqa: F401
        return sys.executable
    except ImportError:
        pass
    for candidate in ("/usr/bin/python3", shutil.which("python3"), "/usr/local/bin/python3"):
        if candidate and os.path.exists(candidate) and os.path.realpath(candidate) != os.path.realpath(sys.executable):
            if subprocess.run([candidate, "-c", "import PIL"], capture_output=True).returncode == 0:
                return candidate
    return None


def pillow_times(folder, names, reps):
    """Pillow's median load time of each file, in milliseconds (run inside the Pillow interpreter)."""
    from PIL import Image
    out = {}
    for name in names:
        path = os.path.join(folder, name)
        times = []
        for _ in range(reps):
            start = time.process_time()
            with Image.open(path) as image:
                image.load()
            times.append((time.process_time() - start) * 1000)
        out[name] = statistics.median(times)
    return out


def our_times(timer, folder, names, reps):
    paths = [os.path.join(folder, n) for n in names]
    result = subprocess.run([timer, "time", str(reps)] + paths, capture_output=True, text=True, check=True)
    out = {}
    for line in result.stdout.splitlines():
        path, ms = line.rsplit(" ", 1)
        out[os.path.basename(path)] = float(ms)
    return out


def run_pillow_side(python, folder, names, reps):
    code = ("import sys, json; sys.path.insert(0, %r); import same_file_compare as s; "
            "print(json.dumps(s.pillow_times(%r, %r, %d)))" % (os.path.dirname(os.path.abspath(__file__)),
                                                               folder, names, reps))
    import json
    result = subprocess.run([python, "-c", code], capture_output=True, text=True, check=True)
    return json.loads(result.stdout)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--timer", default=os.path.join("build", "bench", "decode-timer"))
    parser.add_argument("--series", type=int, default=3)
    parser.add_argument("--reps", type=int, default=15)
    args = parser.parse_args()

    python = pillow_python()
    if python is None:
        print("skipped: no Python here imports Pillow (PIL)")
        return 0
    if not os.access(args.timer, os.X_OK):
        print("skipped: %s is not built (configure with -DQUORVEL_BENCH=ON)" % args.timer)
        return 0

    root = "/dev/shm" if os.path.isdir("/dev/shm") else None
    with tempfile.TemporaryDirectory(prefix="quorvel-same-file-", dir=root) as folder:
        subprocess.run([args.timer, "write", folder], check=True, capture_output=True)
        subprocess.run([python, "-c", "from PIL import Image; import sys; "
                        "Image.open(sys.argv[1]).convert('RGB').save(sys.argv[2])",
                        os.path.join(folder, "photo24.bmp"), os.path.join(folder, "pillow24.pcx")], check=True)
        names = [n for n, _ in FILES]
        ours = {n: [] for n in names}
        theirs = {n: [] for n in names}
        for _ in range(args.series):
            for name in names:
                ours[name].append(our_times(args.timer, folder, [name], args.reps)[name])
                theirs[name].append(run_pillow_side(python, folder, [name], args.reps)[name])

    print("%-28s %10s %10s %14s" % ("file (1024 x 1024)", "ours ms", "Pillow ms", "Pillow / ours"))
    for name, label in FILES:
        a, b = statistics.median(ours[name]), statistics.median(theirs[name])
        print("%-28s %10.2f %10.2f %14.2f" % (label, a, b, b / a))
    return 0


if __name__ == "__main__":
    sys.exit(main())
