#!/usr/bin/env python3
"""The benchmarks' measuring: runs timed to the microsecond, their spread, and what a traced
run wrote.

    measure.py run OUT -- CMD...        a Linux program: appends "processor wall peak-KB" to OUT
                                        (processor time of it and its children, from wait4)
    measure.py tree CGROUP OUT -- CMD...
                                        a Wine program: appends "processor wall" to OUT, the
                                        processor time of the whole cgroup (the Wine server and
                                        every process it runs, the caller already in it) from
                                        the start until the command and every program it
                                        started have ended (Wine's own services, which stay up,
                                        aside)
    measure.py spread FILE COLUMN       "min median max" of a column (from 1)
    measure.py ratios A B COLUMN        "min median max" of the ratios A/B, line by line (round by round)
    measure.py io ROOT STRACE-LOG...    what the traced run wrote: bytes to files, write calls,
                                        files opened below ROOT, flushes (fsync, fdatasync), and
                                        the files written outside ROOT
    measure.py regdiff BEFORE AFTER     the values that differ between two exported registries
"""
import os
import re
import statistics
import subprocess
import sys
import time


def run(out, command):
    start = time.monotonic()
    with open(os.devnull, "wb") as null:
        child = subprocess.Popen(command, stdout=null)
        _, status, usage = os.wait4(child.pid, 0)
    wall = time.monotonic() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{command[0]} ended with {os.waitstatus_to_exitcode(status)}")
    with open(out, "a") as f:
        f.write(f"{usage.ru_utime + usage.ru_stime:.6f} {wall:.6f} {usage.ru_maxrss}\n")


def cgroup_usage(cgroup):
    """Processor seconds of the cgroup (version 1 cpuacct, or version 2)."""
    v1 = os.path.join(cgroup, "cpuacct.usage")
    if os.path.exists(v1):
        return int(open(v1).read()) / 1e9
    for line in open(os.path.join(cgroup, "cpu.stat")):
        if line.startswith("usage_usec"):
            return int(line.split()[1]) / 1e6
    raise SystemExit(f"no processor time in {cgroup}")


def programs(cgroup):
    pids = set()
    for pid in open(os.path.join(cgroup, "cgroup.procs")).read().split():
        try:
            command = open(f"/proc/{pid}/cmdline", "rb").read().replace(b"\0", b" ").lower()
        except OSError:
            continue
        # Wine's services start when first needed and stay up with the server.
        if b"\\windows\\system32\\" not in command and b"wineserver" not in command:
            pids.add(pid)
    return pids


def tree(cgroup, out, command):
    before = programs(cgroup)
    used = cgroup_usage(cgroup)
    start = time.monotonic()
    with open(os.devnull, "wb") as null:
        subprocess.run(command, stdout=null, stderr=null, check=False)
    deadline = time.monotonic() + 900
    while programs(cgroup) - before and time.monotonic() < deadline:
        time.sleep(0.005)
    wall = time.monotonic() - start
    with open(out, "a") as f:
        f.write(f"{cgroup_usage(cgroup) - used:.6f} {wall:.6f}\n")


def column(path, index):
    return [float(line.split()[index - 1]) for line in open(path) if line.strip()]


def spread(values):
    return f"{min(values):.3f} {statistics.median(values):.3f} {max(values):.3f}"


CALL = re.compile(r"^(\d+)\s+(?:<\.\.\. (\w+) resumed>|(\w+)\((.*?)(?: <unfinished \.\.\.>)?$)")
RESULT = re.compile(r"\)\s+=\s+(-?\d+)(?:<([^>]*)>)?")
FD_PATH = re.compile(r"^\d+<([^>]*)>")


def io(root, logs):
    root = os.path.realpath(root)
    written = writes = opens = flushes = 0
    outside = set()
    for log in logs:
        pending = {}
        for line in open(log, errors="replace"):
            match = CALL.match(line)
            if not match:
                continue
            pid, resumed, name, arguments = match.groups()
            if resumed:
                name, arguments = pending.pop(pid, (resumed, ""))
                arguments += line
            elif line.rstrip().endswith("<unfinished ...>"):
                pending[pid] = (name, arguments)
                continue
            result = RESULT.search(line)
            if not result or int(result.group(1)) < 0:
                continue
            fd = FD_PATH.match(arguments or "")
            path = fd.group(1) if fd else ""
            if name in ("write", "pwrite64", "writev", "pwritev", "pwritev2") and path.startswith("/") \
                    and not path.startswith(("/dev/", "/proc/", "/sys/")):
                written += int(result.group(1))
                writes += 1
                if not path.startswith(root + "/"):
                    outside.add(path)
            elif name in ("fsync", "fdatasync"):
                flushes += 1
            elif name in ("open", "openat", "creat") and (result.group(2) or "").startswith(root + "/"):
                opens += 1
    print(f"{written} {writes} {opens} {flushes}")
    for path in sorted(outside):
        print(f"outside {path}")


def registry(path):
    values, key = {}, ""
    text = open(path, encoding="utf-16", errors="replace").read() if open(path, "rb").read(2) == b"\xff\xfe" \
        else open(path, errors="replace").read()
    for line in text.replace("\\\n", "").splitlines():
        if line.startswith("["):
            key = line.strip("[]")
            values[key + "\\"] = "<key>"
        elif "=" in line and key:
            name, _, data = line.partition("=")
            values[key + "\\" + name] = data.strip()
    return values


def regdiff(before, after):
    a, b = registry(before), registry(after)
    for name in sorted(set(a) | set(b)):
        if a.get(name) != b.get(name):
            print(f"{name} = {b.get(name, '<gone>')}")


def main():
    args = sys.argv[1:]
    if len(args) >= 3 and args[0] == "run" and args[2] == "--":
        run(args[1], args[3:])
    elif len(args) >= 4 and args[0] == "tree" and args[3] == "--":
        tree(args[1], args[2], args[4:])
    elif len(args) == 3 and args[0] == "spread":
        print(spread(column(args[1], int(args[2]))))
    elif len(args) == 4 and args[0] == "ratios":
        print(spread([a / b for a, b in zip(column(args[1], int(args[3])), column(args[2], int(args[3])))]))
    elif len(args) >= 3 and args[0] == "io":
        io(args[1], args[2:])
    elif len(args) == 3 and args[0] == "regdiff":
        regdiff(args[1], args[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
