#!/usr/bin/env python3
"""CPU of a whole process, user plus system time from getrusage, over runs.

    bench/child_cpu.py [-n RUNS] [--beside OTHER] PROGRAM [ARGUMENT...]

Prints min / median / max in milliseconds. The program's output is dropped.
With --beside, OTHER (an older build, say) runs with the same arguments in
turn with PROGRAM, run by run, so that both meet the same load.
"""
import argparse
import os
import resource
import statistics
import subprocess
import sys


def child_cpu_ms(command):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return 1000 * (after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--version", action="version", version="child_cpu.py 1.0")
    parser.add_argument("-n", "--runs", type=int, default=21, help="how many runs (21)")
    parser.add_argument("--beside", metavar="OTHER", help="a second program, run in turn with the first")
    parser.add_argument("command", nargs=argparse.REMAINDER, help="the program and its arguments")
    options = parser.parse_args()
    if not options.command:
        parser.error("name the program to run")
    if options.runs < 1:
        parser.error(f"-n {options.runs}: give one run or more")
    programs = [options.command[0]] + ([options.beside] if options.beside else [])
    times = {program: [] for program in programs}
    try:
        for _ in range(options.runs):
            for program in programs:
                times[program].append(child_cpu_ms([program] + options.command[1:]))
    except (OSError, subprocess.CalledProcessError) as error:
        sys.exit(f"child_cpu.py: {error}")
    for program in programs:
        runs = sorted(times[program])
        print(f"{program}: {runs[0]:.1f} / {statistics.median(runs):.1f} / {runs[-1]:.1f} ms CPU over {len(runs)} runs")


if __name__ == "__main__":
    main()
