#!/usr/bin/env python3
"""Times shell commands in turn, one run of each per round, so that a load that comes and goes
on a shared machine falls on every command alike (hyperfine runs all of one command's runs
before the next command's). Writes the figures as hyperfine's --export-json does, so that the
scripts read both alike.

usage: alternate.py --runs N --warmup N --export-json FILE NAME COMMAND [NAME COMMAND]...
"""
import argparse
import json
import resource
import statistics
import subprocess
import sys
import time


def run(command):
    """Wall, user and system seconds of one run of `command` through the shell."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    done = subprocess.run(command, shell=True, stdout=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if done.returncode != 0:
        sys.exit(f"alternate.py: '{command}' exited with {done.returncode}")
    return wall, after.ru_utime - before.ru_utime, after.ru_stime - before.ru_stime


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--warmup", type=int, default=3)
    parser.add_argument("--export-json", required=True)
    parser.add_argument("pairs", nargs="+")
    args = parser.parse_args()
    if len(args.pairs) % 2:
        parser.error("NAME COMMAND pairs expected")
    commands = list(zip(args.pairs[0::2], args.pairs[1::2]))

    # What starting the shell costs, taken off every run as hyperfine does.
    shell = statistics.median(run(":")[0] for _ in range(10))
    for _ in range(args.warmup):
        for _, command in commands:
            run(command)
    times = {name: [] for name, _ in commands}
    user = {name: 0.0 for name, _ in commands}
    system = {name: 0.0 for name, _ in commands}
    for _ in range(args.runs):
        for name, command in commands:
            wall, u, s = run(command)
            times[name].append(max(wall - shell, 0.0))
            user[name] += u
            system[name] += s

    results = []
    for name, command in commands:
        t = times[name]
        results.append({
            "command": name,
            "mean": statistics.mean(t),
            "stddev": statistics.stdev(t) if len(t) > 1 else 0.0,
            "median": statistics.median(t),
            "min": min(t),
            "max": max(t),
            "user": user[name] / args.runs,
            "system": system[name] / args.runs,
            "times": t,
        })
        print(f"  {name:<16} mean {statistics.mean(t) * 1000:9.1f} ms  min {min(t) * 1000:9.1f} ms"
              f"  user {user[name] / args.runs * 1000:8.1f} ms  system"
              f" {system[name] / args.runs * 1000:8.1f} ms", flush=True)
    with open(args.export_json, "w") as out:
        json.dump({"results": results}, out, indent=1)


if __name__ == "__main__":
    main()
