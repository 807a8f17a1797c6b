#!/usr/bin/env python3
"""The long fuzzing campaign: every target of the fuzz build until it has run
ten million inputs, or thirty minutes where it is slower than that.

Targets take turns in slices (one target at a time, on one core, niced), so
that a campaign stopped early has given every target its share; each target
keeps its own growing corpus between slices and runs. Progress is kept in the
work folder, so a second start carries on where the first one stopped.
Prints per target: executions, time, CPU time, executions per second, coverage (cov:
and ft: as libFuzzer counts them), crashes and slow inputs (over one second).
Exit status 1 when anything was found.

  scripts/fuzz-campaign.py [--slice SECONDS] [--until HH:MM] [TARGET...]
"""
import argparse
import datetime
import glob
import json
import os
import re
import resource
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
GOAL_EXECS = 10_000_000
GOAL_SECONDS = 30 * 60
FINDING_PREFIXES = ("crash-", "leak-", "oom-", "timeout-", "slow-unit-")


def targets(build):
    found = sorted(glob.glob(os.path.join(build, "fuzz", "fuzz_*")))
    return [os.path.basename(p)[len("fuzz_"):] for p in found if os.access(p, os.X_OK)]


def load(work, name):
    path = os.path.join(work, name, "state.json")
    if os.path.exists(path):
        with open(path) as f:
            return json.load(f)
    return {"execs": 0, "seconds": 0.0, "cpu": 0.0, "cov": 0, "ft": 0, "runs": 0}


def save(work, name, state):
    with open(os.path.join(work, name, "state.json"), "w") as f:
        json.dump(state, f)


def findings(work, name):
    names = os.listdir(os.path.join(work, name, "findings"))
    crashes = [n for n in names if n.startswith(("crash-", "leak-", "oom-"))]
    slow = [n for n in names if n.startswith(("timeout-", "slow-unit-"))]
    return crashes, slow


def done(state):
    return state["execs"] >= GOAL_EXECS or state["seconds"] >= GOAL_SECONDS


def run_slice(build, work, name, state, seconds):
    folder = os.path.join(work, name)
    corpus = os.path.join(folder, "corpus")
    seeds = os.path.join(ROOT, "fuzz", "corpus", name)
    os.makedirs(corpus, exist_ok=True)
    os.makedirs(os.path.join(folder, "findings"), exist_ok=True)
    command = ["nice", "-n", "15", os.path.join(build, "fuzz", "fuzz_" + name),
               "-timeout=1", "-report_slow_units=1", "-rss_limit_mb=2048",
               "-max_total_time=%d" % max(1, int(seconds)),
               "-runs=%d" % max(1, GOAL_EXECS - state["execs"]),
               "-print_final_stats=1", "-close_fd_mask=1",
               "-artifact_prefix=" + os.path.join(folder, "findings") + "/", corpus, seeds]
    started = time.monotonic()
    used = resource.getrusage(resource.RUSAGE_CHILDREN)
    with open(os.path.join(folder, "last.log"), "w") as log:
        code = subprocess.call(command, stdout=log, stderr=subprocess.STDOUT, cwd=folder)
    elapsed = time.monotonic() - started
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - used.ru_utime) + (after.ru_stime - used.ru_stime)
    with open(os.path.join(folder, "last.log"), errors="replace") as log:
        text = log.read()
    execs = re.findall(r"stat::number_of_executed_units:\s*(\d+)", text)
    if not execs:  # a crash ends the run before the final statistics
        units = re.findall(r"^#(\d+)\s", text, re.M)
        execs = units[-1:] or ["0"]
    state["execs"] += int(execs[-1])
    state["seconds"] += elapsed
    state["cpu"] = state.get("cpu", 0.0) + cpu  # below the time when the machine is shared
    state["runs"] += 1
    coverage = re.findall(r"cov: (\d+) ft: (\d+)", text)
    if coverage:
        state["cov"], state["ft"] = max(state["cov"], int(coverage[-1][0])), max(state["ft"], int(coverage[-1][1]))
    state["last_exit"] = code
    save(work, name, state)
    return code


def report(work, names, out=sys.stdout):
    line = "%-14s %12s %9s %9s %9s %7s %7s %8s %5s  %s"
    print(line % ("target", "executions", "time", "cpu time", "exec/s", "cov", "ft", "crashes", "slow", "goal"),
          file=out)
    total_findings = 0
    for name in names:
        state = load(work, name)
        os.makedirs(os.path.join(work, name, "findings"), exist_ok=True)
        crashes, slow = findings(work, name)
        total_findings += len(crashes) + len(slow)
        rate = state["execs"] / state["seconds"] if state["seconds"] else 0
        goal = ("reached (10M executions)" if state["execs"] >= GOAL_EXECS else
                "reached (30 minutes)" if state["seconds"] >= GOAL_SECONDS else
                "%.1f%% of 10M, %.1f%% of 30 min" % (100 * state["execs"] / GOAL_EXECS,
                                                      100 * state["seconds"] / GOAL_SECONDS))
        print(line % (name, state["execs"], "%dm%02ds" % divmod(int(state["seconds"]), 60),
                      "%dm%02ds" % divmod(int(state.get("cpu", 0)), 60), "%.0f" % rate,
                      state["cov"], state["ft"], len(crashes), len(slow), goal), file=out)
    out.flush()
    return total_findings


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "fuzz"))
    parser.add_argument("--work", default=None, help="progress, corpora and findings (default BUILD/campaign)")
    parser.add_argument("--slice", type=int, default=600, help="seconds a target runs per turn")
    parser.add_argument("--until", default=None, help="stop starting new slices after this UTC time (HH:MM)")
    parser.add_argument("--report", action="store_true", help="print the figures so far and stop")
    parser.add_argument("names", nargs="*")
    args = parser.parse_args()
    work = args.work or os.path.join(args.build, "campaign")
    names = args.names or targets(args.build)
    if not names:
        sys.exit("no fuzz targets in %s (cmake --preset fuzz && cmake --build --preset fuzz)" % args.build)
    for name in names:
        os.makedirs(os.path.join(work, name, "findings"), exist_ok=True)
    deadline = None
    if args.until:
        hour, minute = map(int, args.until.split(":"))
        now = datetime.datetime.now(datetime.timezone.utc)
        deadline = now.replace(hour=hour, minute=minute, second=0, microsecond=0)
        if deadline <= now:
            deadline += datetime.timedelta(days=1)

    while not args.report:
        pending = [n for n in names if not done(load(work, n))]
        if not pending:
            break
        for name in pending:
            state = load(work, name)
            left = min(args.slice, GOAL_SECONDS - state["seconds"])
            if deadline is not None:
                left = min(left, (deadline - datetime.datetime.now(datetime.timezone.utc)).total_seconds())
                if left < 10:
                    break
            code = run_slice(args.build, work, name, state, left)
            print("%s %s: slice ended (exit %d)" % (time.strftime("%H:%M:%S"), name, code), flush=True)
        else:
            report(work, names)
            continue
        break
    found = report(work, names)
    print("findings (inputs) are kept in %s/<target>/findings" % work)
    sys.exit(1 if found else 0)


if __name__ == "__main__":
    main()
