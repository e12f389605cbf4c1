#!/usr/bin/env python3
"""Times every command of the program beside the standard tools that do the same job.

    compare.py PROGRAM GENERATOR [--sizes 1000000,10000000] [--runs 5] [--data DIR]

PROGRAM is the build with the recording platform (mordavelle-bench), so pauses
and tones take no time. Each command runs as a whole process through its menu
dialogue, alternating with its peer on the same files; the table gives the
median of the runs after one warm-up, and our peak resident memory.
"""
import argparse
import os
import statistics
import subprocess
import sys
import time

# Letter, menu input, our result file, peer command, result check.
JOBS = [
    ("A", "a all\nq\n", "all_a.txt", "LC_ALL=C sort all.txt > peer.txt", "same"),
    ("D", "d all\nq\n", "allDEPT.txt", "LC_ALL=C sort -s -t@ -k2 all.txt > peer.txt", "same"),
    ("J", "j all resp\nq\n", "all_resp.txt", "LC_ALL=C sort -u all.txt resp.txt > peer.txt", "set"),
    ("J/awk", "j all resp\nq\n", "all_resp.txt", "awk '!s[$0]++' all.txt resp.txt > peer.txt", "same"),
    ("S", "s all resp\nq\n", "Reminders.txt",
     "awk 'NR==FNR{r[$0];next} !($0 in r)' resp.txt all.txt > peer.txt", "same"),
    ("C", "c all\nq\n", None, "wc -w all.txt > peer.txt", None),
    ("L", "l all\nq\n", "all_low.txt", "tr A-Z a-z < all.txt > peer.txt", "same"),
    ("E", "e text\nq\n", "textEPX.txt",
     "tr '(),<>' '\\n\\n\\n\\n\\n' < text.txt | tr -s ' \\t\\r\\f\\v' '\\n' | grep @ > peer.txt", None),
    ("N", "n all\nq\n", "all_N.txt",
     "awk -F@ '{d=index($1,\".\"); f=substr($1,1,d-1); l=substr($1,d+1);"
     " print toupper(substr(f,1,1)) substr(f,2) \"%\" toupper(substr(l,1,1)) substr(l,2)}' all.txt"
     " | LC_ALL=C sort | sed 's/%/ /' > peer.txt", "same"),
    ("copy", None, None, "cat all.txt > peer.txt", None),
]


def run_once(argv, stdin_text, folder, shell=False):
    """Runs one process to its end; returns (seconds, peak resident kilobytes)."""
    start = time.perf_counter()
    process = subprocess.Popen(argv, cwd=folder, shell=shell, stdin=subprocess.PIPE,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if stdin_text is not None:
        process.stdin.write(stdin_text.encode())
    process.stdin.close()
    _, status, usage = os.wait4(process.pid, 0)
    seconds = time.perf_counter() - start
    process.returncode = status
    if status != 0:
        sys.exit(f"{argv} ended with status {status} in {folder}")
    return seconds, usage.ru_maxrss


def read_lines(path):
    with open(path, "rb") as file:
        return file.read().split(b"\n")[:-1]


def check(job, folder):
    letter, _, ours, _, how = job
    if how is None:
        return "-"
    mine, theirs = read_lines(os.path.join(folder, ours)), read_lines(os.path.join(folder, "peer.txt"))
    agree = mine == theirs if how == "same" else sorted(mine) == sorted(theirs)
    return "same" if agree else "DIFFERENT"


def measure(program, folder, runs, only):
    rows = []
    input_bytes = sum(os.path.getsize(os.path.join(folder, name)) for name in ("all.txt", "resp.txt"))
    copy_seconds = None
    for job in JOBS:
        letter, script, _, peer, _ = job
        if only and letter.split("/")[0] not in only and letter != "copy":
            continue
        ours_times, peer_times, peaks = [], [], []
        for round_number in range(runs + 1):
            if script is not None:
                seconds, peak = run_once([program], script, folder)
                if round_number:
                    ours_times.append(seconds)
                    peaks.append(peak)
            seconds, _ = run_once(peer, None, folder, shell=True)
            if round_number:
                peer_times.append(seconds)
        peer_median = statistics.median(peer_times)
        if script is None:
            copy_seconds = peer_median
            rows.append((letter, None, peer_median, None, None, "-"))
            continue
        ours_median = statistics.median(ours_times)
        rows.append((letter, ours_median, peer_median, ours_median / peer_median, max(peaks), check(job, folder)))
    return rows, input_bytes, copy_seconds


def print_table(count, rows, input_bytes, copy_seconds):
    print(f"\n{count:,} addresses, all.txt + resp.txt = {input_bytes / 1e6:.1f} MB")
    print(f"{'command':<8} {'ours s':>8} {'peer s':>8} {'ratio':>6} {'peak MB':>8} {'peak/input':>10}  result")
    for letter, ours, peer, ratio, peak, agree in rows:
        if ours is None:
            print(f"{'cat':<8} {'':>8} {peer:8.3f} {'':>6} {'':>8} {'':>10}  (copy of all.txt, the I/O floor)")
            continue
        print(f"{letter:<8} {ours:8.3f} {peer:8.3f} {ratio:6.2f} {peak / 1024:8.1f} "
              f"{peak * 1024 / input_bytes:10.2f}  {agree}")
    sys.stdout.flush()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("program")
    parser.add_argument("generator")
    parser.add_argument("--sizes", default="1000000,10000000")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--data", default="build/bench-data")
    parser.add_argument("--only", default="", help="letters to run, e.g. AS")
    arguments = parser.parse_args()
    program = os.path.abspath(arguments.program)
    for count in (int(size) for size in arguments.sizes.split(",")):
        folder = os.path.abspath(os.path.join(arguments.data, str(count)))
        if not os.path.exists(os.path.join(folder, "text.txt")):
            subprocess.run([arguments.generator, str(count), folder], check=True)
        rows, input_bytes, copy_seconds = measure(program, folder, arguments.runs, arguments.only)
        print_table(count, rows, input_bytes, copy_seconds)
        if any(row[5] == "DIFFERENT" for row in rows):
            sys.exit("a command and its peer disagree")


if __name__ == "__main__":
    main()
