#!/usr/bin/env python3
"""Plants single-line faults in the code, one at a time, and tells which the tests catch.

Each fault in the list (tests/planted-faults.txt by default) is a block:

    ## <id> <what the fault is>
    file: <path from the repository root>
    - <text that stands in that file, once>
    + <text that replaces it>

For each fault the script makes the change, builds the given build folder, runs the fast
tests (the end-to-end runs excluded), and puts the file back, whatever happens. A fault is
caught when a test fails. Run it on a clean, built tree.
"""
import argparse
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# End-to-end runs of the executable, the match and the scenes on the real server: slow, and
# a planted fault shows in faster tests first.
SLOW_TESTS = "OnlineRun|StartTeam|EndToEnd|^Match\\.|^TrainerScene\\."


def read_faults(path):
    faults = []
    current = None
    with open(path, encoding="utf-8") as listing:
        for number, line in enumerate(listing, 1):
            line = line.rstrip("\n")
            if line.startswith("## "):
                ident, _, what = line[3:].partition(" ")
                current = {"id": ident, "what": what, "line": number}
                faults.append(current)
            elif current is None or not line.strip() or line.startswith("#"):
                continue
            elif line.startswith("file: "):
                current["file"] = line[6:].strip()
            elif line.startswith("- "):
                current["old"] = line[2:]
            elif line.startswith("+ "):
                current["new"] = line[2:]
            else:
                sys.exit(f"{path}:{number}: not part of a fault block: {line}")
    for fault in faults:
        if not {"file", "old", "new"} <= fault.keys():
            sys.exit(f"{path}:{fault['line']}: fault {fault['id']} lacks file, - or + line")
    return faults


def run(command):
    return subprocess.run(command, cwd=ROOT, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode


def check(fault, build, jobs):
    path = os.path.join(ROOT, fault["file"])
    with open(path, encoding="utf-8") as source:
        original = source.read()
    if original.count(fault["old"]) != 1:
        return "not planted (text not found exactly once)"
    try:
        with open(path, "w", encoding="utf-8") as source:
            source.write(original.replace(fault["old"], fault["new"]))
        if run(["cmake", "--build", build, "-j", str(jobs)]) != 0:
            return "does not build"
        failed = run(["ctest", "--test-dir", build, "-j", str(jobs), "-E", SLOW_TESTS,
                      "--stop-on-failure", "--timeout", "120"])
        return "caught" if failed else "MISSED"
    finally:
        with open(path, "w", encoding="utf-8") as source:
            source.write(original)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("faults", nargs="?", default=os.path.join(ROOT, "tests/planted-faults.txt"))
    parser.add_argument("--build", default="build", help="build folder, built already")
    parser.add_argument("--jobs", type=int, default=os.cpu_count())
    parser.add_argument("--only", help="regular expression on the fault ids to run")
    args = parser.parse_args()

    faults = read_faults(args.faults)
    if args.only:
        faults = [f for f in faults if re.search(args.only, f["id"])]
    caught = 0
    for fault in faults:
        outcome = check(fault, args.build, args.jobs)
        caught += outcome == "caught"
        print(f"{fault['id']}\t{outcome}\t{fault['file']}\t{fault['what']}", flush=True)
    # Put the build back in step with the untouched sources.
    run(["cmake", "--build", args.build, "-j", str(args.jobs)])
    print(f"caught {caught} of {len(faults)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
