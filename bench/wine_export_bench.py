#!/usr/bin/python3
"""Times the Windows kolvex-export.exe under Wine against the Linux kolvex-export, for scale.

    bench/wine_export_bench.py --linux build/app/kolvex-export \\
        --windows build-windows/app/kolvex-export.exe --table TRAN.dbf FROM TO [--runs N]

Runs both programs in turns, N times each after one warm-up run, on the same table and dates,
with the Wine server of the build's prefix kept running between runs (so each run is one start of
a Windows program in a running Wine, not the start of Wine itself). Reports the median and
fastest wall time of each and checks that both print the same bytes. Wine is not Windows: the
figures only say what the Windows build costs next to the Linux one on this machine.
"""
import argparse
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
WINE_RUN = os.path.join(HERE, "..", "scripts", "wine-run.sh")


def timed(command):
    start = time.perf_counter()
    result = subprocess.run(command, stdout=subprocess.PIPE, check=True)
    return time.perf_counter() - start, result.stdout


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--linux", required=True)
    parser.add_argument("--windows", required=True)
    parser.add_argument("--table", required=True)
    parser.add_argument("dates", nargs=2)
    parser.add_argument("--runs", type=int, default=15)
    args = parser.parse_args()
    prefix = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(args.windows))), "wine")
    os.environ["KOLVEX_WINEPREFIX"] = prefix
    os.environ["WINEPREFIX"] = prefix
    commands = {
        "linux": [args.linux, args.table, *args.dates],
        "wine": [WINE_RUN, args.windows, "Z:" + os.path.abspath(args.table), *args.dates],
    }
    # Exits at once with an error when a server already runs, which is as good.
    subprocess.run(["wineserver", "-p"], stderr=subprocess.DEVNULL)
    try:
        outputs = {name: timed(command)[1] for name, command in commands.items()}
        if outputs["linux"] != outputs["wine"]:
            sys.exit("the two programs print different texts")
        times = {name: [] for name in commands}
        for _ in range(args.runs):
            for name, command in commands.items():
                times[name].append(timed(command)[0])
    finally:
        subprocess.run(["wineserver", "-k"])
    for name, values in times.items():
        print(f"{name:6} median {statistics.median(values):.3f} s, fastest {min(values):.3f} s, "
              f"{len(values)} runs, {len(outputs[name])} bytes")
    print(f"wine / linux: {statistics.median(times['wine']) / statistics.median(times['linux']):.1f}")


if __name__ == "__main__":
    main()
