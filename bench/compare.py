#!/usr/bin/env python3
"""Times every command of the program beside the standard tools that do the same job.

    compare.py PROGRAM GENERATOR [--sizes 1000000,10000000] [--runs 5] [--data DIR] [--only LETTERS]

PROGRAM is the build with the recording platform (mordavelle-recording), so pauses
and tones take no time. Each command runs as a whole process through its menu
dialogue, alternating with its peer on the same files; the table gives the
median of the runs after one warm-up, and our peak resident memory.

Every process is started by GNU time (/usr/bin/time, Debian package "time"),
which forks it from its own small process: the peak it reports is the
command's alone, not the resident pages of this script that a child forked
from here would start with. The results are compared on disk, never loaded here.
"""
import argparse
import filecmp
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

GNU_TIME = "/usr/bin/time"
MISSING_TOOL = 77  # the exit status that tells CTest a run was skipped

# The files each command reads, for its peak memory against its input.
INPUTS = {"A": ["all.txt"], "D": ["all.txt"], "J": ["all.txt", "resp.txt"], "S": ["all.txt", "resp.txt"],
          "C": ["all.txt"], "L": ["all.txt"], "E": ["text.txt"], "N": ["all.txt"]}

# Letter, menu input, our result file, peer command, result check:
# "same" for the same lines in the same order, "set" for the same lines once
# each in any order, None where the jobs differ in form (C prints a number).
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
     "tr '(),<>' '\\n\\n\\n\\n\\n' < text.txt | tr -s ' \\t\\r\\f\\v' '\\n' | grep @ > peer.txt", "same"),
    ("N", "n all\nq\n", "all_N.txt",
     "awk -F@ '{d=index($1,\".\"); f=substr($1,1,d-1); l=substr($1,d+1);"
     " print toupper(substr(f,1,1)) substr(f,2) \"%\" toupper(substr(l,1,1)) substr(l,2)}' all.txt"
     " | LC_ALL=C sort | sed 's/%/ /' > peer.txt", "same"),
    ("copy", None, None, "cat all.txt > peer.txt", None),
]


def run_once(argv, stdin_path, folder, peak_path):
    """Runs one process to its end under GNU time; returns (seconds, peak resident kilobytes)."""
    with open(stdin_path, "rb") as stdin:
        start = time.perf_counter()
        status = subprocess.run([GNU_TIME, "-f", "%M", "-o", peak_path] + argv, cwd=folder, stdin=stdin,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
        seconds = time.perf_counter() - start
    if status != 0:
        sys.exit(f"{argv} ended with status {status} in {folder}")
    with open(peak_path) as file:
        return seconds, int(file.read().split()[-1])


def same_set(ours, theirs, folder):
    """True when both files hold the same lines, each once, in any order."""
    with open(os.path.join(folder, "ours-sorted.txt"), "wb") as out:
        subprocess.run(["sort", "-u", ours], cwd=folder, stdout=out, check=True, env={**os.environ, "LC_ALL": "C"})
    with open(os.path.join(folder, "peer-sorted.txt"), "wb") as out:
        subprocess.run(["sort", "-u", theirs], cwd=folder, stdout=out, check=True, env={**os.environ, "LC_ALL": "C"})
    agree = filecmp.cmp(os.path.join(folder, "ours-sorted.txt"), os.path.join(folder, "peer-sorted.txt"),
                        shallow=False)
    # Each distinct line once in our file: as many lines as the sorted set has.
    agree = agree and os.path.getsize(os.path.join(folder, ours)) == os.path.getsize(
        os.path.join(folder, "ours-sorted.txt"))
    for name in ("ours-sorted.txt", "peer-sorted.txt"):
        os.remove(os.path.join(folder, name))
    return agree


def check(job, folder):
    _, _, ours, _, how = job
    if how is None:
        return "-"
    if how == "same":
        agree = filecmp.cmp(os.path.join(folder, ours), os.path.join(folder, "peer.txt"), shallow=False)
    else:
        agree = same_set(ours, "peer.txt", folder)
    return "same" if agree else "DIFFERENT"


def measure(program, folder, runs, only, scratch):
    rows = []
    empty = os.path.join(scratch, "empty")
    open(empty, "wb").close()
    peak_path = os.path.join(scratch, "peak")
    for job in JOBS:
        letter, script, ours_file, peer, _ = job
        if only and letter.split("/")[0] not in only and letter != "copy":
            continue
        typed = os.path.join(scratch, "typed")
        if script is not None:
            with open(typed, "w") as file:
                file.write(script)
        ours_times, peer_times, peaks = [], [], []
        for round_number in range(runs + 1):
            if script is not None:
                seconds, peak = run_once([program], typed, folder, peak_path)
                if round_number:
                    ours_times.append(seconds)
                    peaks.append(peak)
            seconds, _ = run_once(["sh", "-c", peer], empty, folder, peak_path)
            if round_number:
                peer_times.append(seconds)
        peer_median = statistics.median(peer_times)
        if script is None:
            rows.append((letter, None, peer_median, None, None, None, "-"))
        else:
            ours_median = statistics.median(ours_times)
            input_bytes = sum(os.path.getsize(os.path.join(folder, name)) for name in INPUTS[letter.split("/")[0]])
            rows.append((letter, ours_median, peer_median, ours_median / peer_median, max(peaks) * 1024 / input_bytes,
                         max(peaks), check(job, folder)))
        # The results of one job are not left to weigh on the page cache of the next.
        for name in (ours_file, "peer.txt"):
            if name and os.path.exists(os.path.join(folder, name)):
                os.remove(os.path.join(folder, name))
    return rows


def print_table(count, folder, rows):
    sizes = ", ".join(f"{name} {os.path.getsize(os.path.join(folder, name)) / 1e6:.1f} MB"
                      for name in ("all.txt", "resp.txt", "text.txt"))
    print(f"\n{count:,} addresses: {sizes}")
    print(f"{'command':<8} {'ours s':>8} {'peer s':>8} {'ratio':>6} {'peak MB':>8} {'peak/input':>10}  result")
    for letter, ours, peer, ratio, share, peak, agree in rows:
        if ours is None:
            print(f"{'cat':<8} {'':>8} {peer:8.3f} {'':>6} {'':>8} {'':>10}  (copy of all.txt, the I/O floor)")
            continue
        print(f"{letter:<8} {ours:8.3f} {peer:8.3f} {ratio:6.2f} {peak / 1024:8.1f} {share:10.2f}  {agree}")
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
    if not os.access(GNU_TIME, os.X_OK):
        print(f"{GNU_TIME} is missing: install GNU time (Debian: apt-get install time)", file=sys.stderr)
        sys.exit(MISSING_TOOL)
    program = os.path.abspath(arguments.program)
    disagree = False
    with tempfile.TemporaryDirectory() as scratch:
        for count in (int(size) for size in arguments.sizes.split(",")):
            folder = os.path.abspath(os.path.join(arguments.data, str(count)))
            if not os.path.exists(os.path.join(folder, "text.txt")):
                subprocess.run([os.path.abspath(arguments.generator), str(count), folder], check=True)
            # Each run works in a folder of its own beside the data, holding links
            # to it, so that runs at the same time never write each other's results.
            work = tempfile.mkdtemp(prefix="run-", dir=folder)
            for name in ("all.txt", "resp.txt", "text.txt"):
                os.link(os.path.join(folder, name), os.path.join(work, name))
            try:
                rows = measure(program, work, arguments.runs, arguments.only, scratch)
                print_table(count, work, rows)
            finally:
                shutil.rmtree(work)
            disagree = disagree or any(row[-1] == "DIFFERENT" for row in rows)
    if disagree:
        sys.exit("a command and its peer disagree")


if __name__ == "__main__":
    main()
