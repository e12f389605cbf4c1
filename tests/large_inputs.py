#!/usr/bin/env python3
"""Large inputs, run by CI beside the unit suite: a 100 MB entry, a 1 GiB file
of addresses, ten million copies of one address, and too little memory.

    large_inputs.py PROGRAM GENERATOR WORK_FOLDER

PROGRAM is the build with the recording platform. Each run must give the right
result within 2.5 times the size of its input files in resident memory, or,
under a memory limit too small for the list, the out-of-memory failure.
"""
import os
import resource
import shutil
import subprocess
import sys

failures = []
passes = []


def run(program, folder, typed, memory_limit=None):
    def limit():
        if memory_limit:
            resource.setrlimit(resource.RLIMIT_AS, (memory_limit, memory_limit))

    # GNU time forks the program from its own small process, so the peak it
    # reports is the program's alone (a child forked from this script would
    # start with the script's own resident pages counted).
    typed_path, out_path, peak_path = (os.path.join(folder, "..", name) for name in ("typed", "out", "peak"))
    with open(typed_path, "wb") as file:
        file.write(typed.encode())
    with open(typed_path, "rb") as stdin, open(out_path, "wb") as stdout:
        status = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", peak_path, program], cwd=folder, stdin=stdin,
                                stdout=stdout, stderr=subprocess.DEVNULL, preexec_fn=limit).returncode
    with open(out_path, "rb") as file:
        out = file.read().decode("latin-1")
    with open(peak_path) as file:
        peak = int(file.read().split()[-1]) * 1024
    return out, status, peak


def expect(condition, what):
    print(("ok      " if condition else "FAILED  ") + what, flush=True)
    (passes if condition else failures).append(what)


def lines_of(path):
    with open(path, "rb") as file:
        return file.read().split(b"\n")[:-1]


def check_memory(peak, input_bytes, what):
    expect(peak <= 2.5 * input_bytes + 64 * 2**20,
           f"{what}: peak {peak / 2**20:.0f} MiB for {input_bytes / 2**20:.0f} MiB of input")


def huge_entry(program, folder):
    entry = b"x" * (100 * 2**20)
    with open(os.path.join(folder, "huge.txt"), "wb") as file:
        file.write(b"b@y.se\n" + entry + b"\na@z.se")
    out, status, peak = run(program, folder, "a huge\nq\n")
    expect(status == 0 and lines_of(os.path.join(folder, "huge_a.txt")) == [b"a@z.se", b"b@y.se", entry],
           "an entry of 100 MB sorts whole")
    check_memory(peak, os.path.getsize(os.path.join(folder, "huge.txt")), "an entry of 100 MB")
    out, status, _ = run(program, folder, "a huge\nq\n", memory_limit=60 * 2**20)
    expect(status == 1 and "not enough memory for these lists\nExiting...\n" in out and "Sorted!" not in out,
           "too little memory: a clear message, status 1, no success line")


def gigabyte_of_addresses(program, generator, folder):
    subprocess.run([generator, "1000000", folder], check=True, stdout=subprocess.DEVNULL)
    all_path = os.path.join(folder, "all.txt")
    with open(all_path, "rb") as file:
        block = file.read()
    copies = (2**30 + len(block) - 1) // len(block)
    with open(os.path.join(folder, "giga.txt"), "wb") as file:
        for _ in range(copies):
            file.write(block)
    size = os.path.getsize(os.path.join(folder, "giga.txt"))
    entries = block.count(b"\n") * copies
    out, status, peak = run(program, folder, "c giga\nq\n")
    expect(status == 0 and f"The list  giga.txt contains {entries} strings." in out, "1 GiB of addresses counts")
    out, status, peak = run(program, folder, "a giga\nq\n")
    sorted_ok = subprocess.run(["sort", "-c", "giga_a.txt"], cwd=folder, env={"LC_ALL": "C"}).returncode == 0
    expect(status == 0 and sorted_ok and os.path.getsize(os.path.join(folder, "giga_a.txt")) == size,
           "1 GiB of addresses sorts in byte order, nothing lost")
    check_memory(peak, size, "sorting 1 GiB")
    for name in ("giga.txt", "giga_a.txt"):
        os.remove(os.path.join(folder, name))


def one_address_ten_million_times(program, folder):
    with open(os.path.join(folder, "same.txt"), "wb") as file:
        file.write(b"ann.lee@hr.se\n" * 10_000_000)
    size = os.path.getsize(os.path.join(folder, "same.txt"))
    out, status, peak = run(program, folder, "j same same\nq\n")
    expect(status == 0 and lines_of(os.path.join(folder, "same_same.txt")) == [b"ann.lee@hr.se"],
           "ten million copies of one address join into one")
    check_memory(peak, 2 * size, "joining ten million copies")
    out, status, peak = run(program, folder, "d same\nq\n")
    expect(status == 0 and os.path.getsize(os.path.join(folder, "sameDEPT.txt")) == size,
           "ten million copies of one address sort by department")
    out, status, peak = run(program, folder, "n same\nq\n")
    expect(status == 0 and os.path.getsize(os.path.join(folder, "same_N.txt")) == size - 6 * 10_000_000,
           "ten million copies of one address give ten million names")


def main():
    program, generator, folder = (os.path.abspath(arg) for arg in sys.argv[1:4])
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    huge_entry(program, folder)
    one_address_ten_million_times(program, folder)
    gigabyte_of_addresses(program, generator, folder)
    shutil.rmtree(folder, ignore_errors=True)
    print(f"{len(passes)} passed, {len(failures)} failed")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
