#!/usr/bin/python3
"""Times kolvex-export on generated TRAN tables: the whole process, warm page cache.

    bench/export_bench.py [--build DIR] [--runs N] [--records 36000,1000000,5000000]
                          [--peer-runs N] [--format tsv]
    bench/export_bench.py --workbook [--also LABEL=PROGRAM]...

For each size it writes a table of 500 members, two shifts a day, (size / 1000) days from BS
2081/01/01 with the project's generator (once; tables are kept under DIR/bench-tables), exports
the 31 days in the middle of it N times and reports the median wall time and the largest peak
resident set. On the 1,000,000-record table it then runs kolvex-export and bench/plain_export.c
(the same job done by one plain C pass over the table's bytes) in turns, 4 N times each, and
reports both medians and their ratio: a figure that moves little with the state of the machine.
Last it runs bench/dbfread_export.py, the same job in Python with python3-dbfread, checks that
every program gives the same text, and reports the ratio.

With --workbook it only times, on the 1,000,000-record table, the export of all its days as tsv
and as an .xlsx workbook in turns, 4 N times each (and the workbook of each program given with
--also LABEL=PROGRAM, such as an earlier build, in the same turns), and reports each one's median
wall and CPU time, its ratio to the tsv export, its peak resident set and its output's size.

With --summaries it only times, on the 1,000,000-record table, the plain export and the two
summaries (--summary members, --summary days) of the same 31 days in turns, 4 N times each, and
reports their medians, their ratios to the plain export and each one's peak resident set.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
MEMBERS = 500
SHIFTS = 2
PER_DAY = MEMBERS * SHIFTS


def run(command, output):
    """Runs the command once; returns its wall time and CPU time (user + system) in seconds and
    its peak resident set in KiB."""
    with open(output, "wb") as out:
        start = time.perf_counter()
        process = subprocess.Popen(command, stdout=out)
        _, status, usage = os.wait4(process.pid, 0)
        elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"failed: {' '.join(command)}")
    return elapsed, usage.ru_utime + usage.ru_stime, usage.ru_maxrss


def table(build, records):
    path = os.path.join(build, "bench-tables", str(records), "TRAN.dbf")
    if not os.path.exists(path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        subprocess.run([os.path.join(build, "tools", "make-tran-table"), path,
                        "--days", str(records // PER_DAY), "--members", str(MEMBERS),
                        "--shifts", str(SHIFTS)], check=True, stdout=subprocess.DEVNULL)
    return path


def stored_date(path, record):
    """The BS date of a record, read straight from the generator's fixed layout."""
    with open(path, "rb") as file:
        header = file.read(12)
        header_length = int.from_bytes(header[8:10], "little")
        record_length = int.from_bytes(header[10:12], "little")
        file.seek(header_length + record * record_length + 1 + 5)
        day_key = file.read(10).decode("ascii")
    return day_key[6:] + "/" + day_key[3:5] + "/" + day_key[:2]


def middle_month(path, records):
    days = records // PER_DAY
    first_day = max(0, days // 2 - 15)
    last_day = min(days, first_day + 31) - 1
    return stored_date(path, first_day * PER_DAY), stored_date(path, last_day * PER_DAY)


def warm(path):
    with open(path, "rb") as file:
        while file.read(1 << 24):
            pass


def peak_rss(command, output):
    """The command's peak resident set in KiB, by GNU time when it is there: a child that Python
    starts counts Python's own pages in its peak (28 MiB or so), one that GNU time starts does
    not. None without GNU time."""
    if not os.path.exists("/usr/bin/time"):
        return None
    with tempfile.NamedTemporaryFile("r") as report:
        run(["/usr/bin/time", "-f", "%M", "-o", report.name] + command, output)
        return int(report.read().split()[-1])


def measure(command, runs, output):
    run(command, output)  # warms the page cache and the program's own pages
    results = [run(command, output) for _ in range(runs)]
    rss = peak_rss(command, output)
    return (statistics.median(wall for wall, _, _ in results),
            statistics.median(cpu for _, cpu, _ in results),
            rss if rss is not None else max(rss for _, _, rss in results))


def measure_in_turns(commands, runs, outputs, cpu=False):
    """Runs the commands one after another, `runs` rounds, the order reversed every other round;
    returns each one's median wall time, and with `cpu` also each one's median CPU time."""
    for command, output in zip(commands, outputs):
        run(command, output)
    times = [[] for _ in commands]
    cpu_times = [[] for _ in commands]
    for round_number in range(runs):
        turn = list(range(len(commands)))
        if round_number % 2:
            turn.reverse()
        for i in turn:
            wall, used, _ = run(commands[i], outputs[i])
            times[i].append(wall)
            cpu_times[i].append(used)
    walls = [statistics.median(t) for t in times]
    return (walls, [statistics.median(t) for t in cpu_times]) if cpu else walls


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(HERE, "..", "build"))
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--records", default="36000,1000000,5000000")
    parser.add_argument("--peer-runs", type=int, default=3)
    parser.add_argument("--format", default="tsv", choices=["tsv", "csv", "xlsx"])
    parser.add_argument("--summaries", action="store_true")
    parser.add_argument("--workbook", action="store_true")
    parser.add_argument("--also", action="append", default=[], metavar="LABEL=PROGRAM")
    args = parser.parse_args()
    export = os.path.join(args.build, "app", "kolvex-export")
    out_dir = os.path.join(args.build, "bench-tables")
    if args.summaries:
        return summaries(export, args, out_dir)
    if args.workbook:
        return workbook(export, args, out_dir)

    print(f"kolvex-export, 31 days from the middle, {args.format}, median of {args.runs} runs")
    print("| records | table MB | rows out | wall time (s) | CPU time (s) | peak RSS (MiB) |")
    print("|---:|---:|---:|---:|---:|---:|")
    peer_job = None
    for records in (int(n) for n in args.records.split(",")):
        path = table(args.build, records)
        first, last = middle_month(path, records)
        warm(path)
        output = os.path.join(out_dir, f"out-{records}.{args.format}")
        command = [export, path, first, last, "--format", args.format]
        seconds, cpu, rss = measure(command, args.runs, output)
        with open(output, "rb") as file:
            rows = file.read().count(b"\n") if args.format != "xlsx" else "-"
        size = os.path.getsize(path) / 1e6
        print(f"| {records:,} | {size:.0f} | {rows} | {seconds:.3f} | {cpu:.3f} | "
              f"{rss / 1024:.1f} |")
        if records == 1000000:
            peer_job = (path, first, last, seconds, cpu, output)
        sys.stdout.flush()

    plain = os.path.join(args.build, "bench", "plain_export")
    if peer_job and args.format == "tsv" and os.path.exists(plain):
        path, first, last, _, _, ours_output = peer_job
        plain_output = os.path.join(out_dir, "out-plain.tsv")
        ours_turn, plain_turn = measure_in_turns(
            [[export, path, first, last], [plain, path, first, last]], 4 * args.runs,
            [ours_output, plain_output])
        with open(ours_output, "rb") as a, open(plain_output, "rb") as b:
            same = a.read() == b.read()
        print()
        print(f"In turns with one plain C pass (bench/plain_export.c), 1,000,000 records, median of "
              f"{4 * args.runs}: kolvex-export {ours_turn:.3f} s, plain pass {plain_turn:.3f} s, "
              f"ratio {ours_turn / plain_turn:.2f}; same text: {same}")

    if peer_job and args.peer_runs > 0 and args.format == "tsv":
        path, first, last, ours, ours_cpu, ours_output = peer_job
        peer_output = os.path.join(out_dir, "out-peer.tsv")
        peer = [sys.executable, os.path.join(HERE, "dbfread_export.py"), path, first, last]
        seconds, cpu, rss = measure(peer, args.peer_runs, peer_output)
        with open(ours_output, "rb") as a, open(peer_output, "rb") as b:
            same = a.read() == b.read()
        print()
        print(f"python3-dbfread, same job on 1,000,000 records ({first} to {last}), "
              f"median of {args.peer_runs}: {seconds:.2f} s wall, {cpu:.2f} s CPU, peak RSS "
              f"{rss / 1024:.1f} MiB; kolvex-export is {seconds / ours:.0f} times faster in wall "
              f"time, {cpu / ours_cpu:.0f} times in CPU time; same text: {same}")


def workbook(export, args, out_dir):
    path = table(args.build, 1000000)
    first = stored_date(path, 0)
    last = stored_date(path, 1000000 - 1)
    warm(path)
    jobs = [("tsv", export, "tsv"), ("xlsx", export, "xlsx")]
    for also in args.also:
        label, program = also.split("=", 1)
        jobs.append((label, program, "xlsx"))
    commands = [[program, path, first, last, "--format", kind] for _, program, kind in jobs]
    outputs = [os.path.join(out_dir, f"out-workbook-{i}.{kind}")
               for i, (_, _, kind) in enumerate(jobs)]
    rounds = 4 * args.runs
    walls, cpus = measure_in_turns(commands, rounds, outputs, cpu=True)
    print(f"1,000,000 records, {first} to {last}, in turns, median of {rounds}")
    print("| job | wall time (s) | CPU time (s) | wall / tsv | peak RSS (MiB) | output (MB) |")
    print("|---|---:|---:|---:|---:|---:|")
    for (label, _, _), command, output, wall, cpu in zip(jobs, commands, outputs, walls, cpus):
        rss = peak_rss(command, output)
        shown = f"{rss / 1024:.1f}" if rss is not None else "-"
        print(f"| {label} | {wall:.2f} | {cpu:.2f} | {wall / walls[0]:.2f} | {shown} | "
              f"{os.path.getsize(output) / 1e6:.1f} |")


def summaries(export, args, out_dir):
    path = table(args.build, 1000000)
    first, last = middle_month(path, 1000000)
    warm(path)
    jobs = [("plain export", []), ("--summary members", ["--summary", "members"]),
            ("--summary days", ["--summary", "days"])]
    commands = [[export, path, first, last, "--format", args.format] + extra for _, extra in jobs]
    outputs = [os.path.join(out_dir, f"out-summary-{i}.{args.format}") for i in range(len(jobs))]
    medians = measure_in_turns(commands, 4 * args.runs, outputs)
    print(f"1,000,000 records, {first} to {last}, {args.format}, in turns, median of "
          f"{4 * args.runs}")
    print("| job | wall time (s) | ratio to the plain export | peak RSS (MiB) |")
    print("|---|---:|---:|---:|")
    for (name, _), command, output, seconds in zip(jobs, commands, outputs, medians):
        rss = peak_rss(command, output)
        shown = f"{rss / 1024:.1f}" if rss is not None else "-"
        print(f"| {name} | {seconds:.3f} | {seconds / medians[0]:.2f} | {shown} |")


if __name__ == "__main__":
    main()
