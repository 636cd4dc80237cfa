#!/usr/bin/env python3
"""Applies each fault of mutants.txt alone to a scratch copy of the tree, builds it and
runs the test suite: a fault that makes a test fail is KILLED, one that passes every
test SURVIVED. See README.md in this folder."""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import threading
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
DEFAULT_TABLE = HERE / "mutants.txt"
DEFAULT_SCRATCH = Path("/tmp/tarnwick-mutation")


class Mutant:
    def __init__(self, ident, path):
        self.ident = ident
        self.path = path
        self.fault = ""
        self.original = []
        self.replacement = []

    @property
    def old(self):
        return "\n".join(self.original)

    @property
    def new(self):
        return "\n".join(self.replacement)


def read_table(path):
    mutants = []
    for number, line in enumerate(path.read_text().splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        header = re.fullmatch(r"\[(\S+)\]\s+(\S+)", line)
        if header:
            mutants.append(Mutant(header.group(1), header.group(2)))
            continue
        key, _, value = line.partition(":")
        if not mutants or key not in ("fault", "from", "to"):
            sys.exit(f"{path}:{number}: not a record line: {line}")
        value = value[1:] if value.startswith(" ") else value
        mutant = mutants[-1]
        if key == "fault":
            mutant.fault = value
        elif key == "from":
            mutant.original.append(value)
        else:
            mutant.replacement.append(value)
    idents = [m.ident for m in mutants]
    for m in mutants:
        if not m.original or not m.replacement or not m.fault:
            sys.exit(f"{path}: mutant {m.ident} needs fault, from and to")
        if idents.count(m.ident) > 1:
            sys.exit(f"{path}: mutant {m.ident} appears twice")
    return mutants


def occurrences(root, mutant):
    file = root / mutant.path
    if not file.is_file():
        return 0
    return file.read_text().count(mutant.old)


def tracked_files(source):
    out = subprocess.run(["git", "-C", str(source), "ls-files", "-z"], check=True,
                         capture_output=True).stdout
    return [name for name in out.decode().split("\0") if name]


def update_tree(source, tree):
    """Brings a scratch tree of an earlier run up to the checkout, writing only the files
    that differ, so that its build stays and rebuilds only what changed."""
    for name in tracked_files(source):
        src, dst = source / name, tree / name
        if src.is_file() and (not dst.is_file() or dst.read_bytes() != src.read_bytes()):
            dst.parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(src, dst, follow_symlinks=False)


def copy_tree(source, tree):
    scratch = tree.parent
    marker = scratch / ".mutation-scratch"
    if scratch.exists():
        if any(scratch.iterdir()) and not marker.exists():
            sys.exit(f"{scratch} is not empty and not a scratch folder of this tool")
        shutil.rmtree(scratch)
    tree.mkdir(parents=True)
    marker.touch()
    for name in tracked_files(source):
        src = source / name
        if src.is_file():  # a tracked file deleted in the checkout is left out
            dst = tree / name
            dst.parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(src, dst, follow_symlinks=False)


def run_logged(command, log, env):
    """Runs command with its output in log; answers the exit status."""
    with open(log, "w") as out:
        return subprocess.run(command, stdout=out, stderr=subprocess.STDOUT, env=env).returncode


# A result line of ctest: " 43/493 Test  #30: Suite.Name ....***Failed    0.02 sec". A test
# that skips itself (the Wine tests without a Windows build) or is disabled has not failed.
FAILED_LINE = re.compile(r"Test\s+#\d+: (\S+) .*\*\*\*(?!Skipped|Not Run)(\w+)")


def run_suite(command, log, env, timeout, stop_at_failure):
    """Runs ctest with its output in log. Answers the first failing test with how it failed,
    or None when every test passed. At the first failure (or after timeout seconds) ctest
    and every test it started are ended: they share a process group of their own."""
    with open(log, "w") as out:
        process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                   env=env, text=True, errors="replace", start_new_session=True)

        def end():
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass

        watchdog = threading.Timer(timeout, end)
        watchdog.start()
        failed = None
        read_to_end = False
        try:
            for line in process.stdout:
                out.write(line)
                match = FAILED_LINE.search(line)
                if match and failed is None:
                    failed = f"{match.group(1)} ({match.group(2)})"
                    if stop_at_failure:
                        break
            else:
                read_to_end = True
        finally:
            watchdog.cancel()
            if not read_to_end:
                end()
            status = process.wait()
            end()  # whatever a test left behind in the group
            process.stdout.close()
    if failed:
        return failed
    if status == -signal.SIGKILL:
        return f"suite hung (> {timeout} s)"
    return f"ctest exit {status}" if status != 0 else None


class Runner:
    def __init__(self, args):
        self.args = args
        self.tree = args.scratch / "tree"
        self.build = self.tree / "build"
        self.logs = args.scratch / "logs"
        self.env = dict(os.environ)
        # Objects of the scratch tree are those of any tree at the same depth below the base.
        self.env["CCACHE_BASEDIR"] = str(args.scratch)
        self.env["CCACHE_NOHASHDIR"] = "1"

    def step(self, name, command):
        log = self.logs / f"{name}.log"
        return run_logged(command, log, self.env), log

    def compile(self, name):
        status, log = self.step(f"{name}.build",
                                ["cmake", "--build", str(self.build), "-j", str(self.args.jobs)])
        return status == 0, log

    def test(self, name):
        command = ["ctest", "--test-dir", str(self.build), "-j", str(self.args.jobs),
                   "--timeout", str(self.args.timeout)]
        if self.args.exclude:
            command += ["-E", self.args.exclude]
        log = self.logs / f"{name}.test.log"
        return run_suite(command, log, self.env, self.args.suite_timeout,
                         not self.args.all_failures), log

    def prepare(self):
        if self.args.keep_build and (self.build / "build.ninja").exists():
            update_tree(self.args.source, self.tree)
        else:
            copy_tree(self.args.source, self.tree)
        self.logs.mkdir(parents=True, exist_ok=True)
        status, log = self.step("configure", [
            "cmake", "-S", str(self.tree), "-B", str(self.build), "-G", "Ninja",
            "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DTARNWICK_WERROR=ON"])
        if status != 0:
            sys.exit(f"configure failed, see {log}")
        built, log = self.compile("baseline")
        if not built:
            sys.exit(f"the unchanged tree does not build, see {log}")
        if not self.args.no_baseline:
            started = time.monotonic()
            failed, log = self.test("baseline")
            if failed:
                sys.exit(f"the unchanged tree fails {failed}, see {log}")
            print(f"baseline: suite passes ({time.monotonic() - started:.0f} s)", flush=True)

    def run_one(self, mutant):
        count = occurrences(self.tree, mutant)
        if count != 1:
            return "STALE", f"original text found {count} times"
        file = self.tree / mutant.path
        original = file.read_bytes()
        try:
            file.write_text(original.decode().replace(mutant.old, mutant.new))
            built, log = self.compile(mutant.ident)
            if not built:
                return "INVALID", f"does not build, see {log}"
            failed, log = self.test(mutant.ident)
            if failed:
                return "KILLED", failed
            return "SURVIVED", ""
        finally:
            file.write_bytes(original)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("ids", nargs="*", help="run only these mutants (default: all)")
    parser.add_argument("--list", action="store_true",
                        help="list the mutants and whether each still applies; build nothing")
    parser.add_argument("--exclude", metavar="REGEX", default="",
                        help="leave out the tests matching REGEX (ctest -E)")
    parser.add_argument("--table", type=Path, default=DEFAULT_TABLE)
    parser.add_argument("--source", type=Path, default=HERE.parent.parent,
                        help="the checkout whose tracked files are copied (default: this one)")
    parser.add_argument("--scratch", type=Path, default=DEFAULT_SCRATCH,
                        help="scratch folder, emptied first (default: %(default)s)")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--timeout", type=int, default=300,
                        help="seconds for a test that sets no timeout of its own")
    parser.add_argument("--suite-timeout", type=int, default=1800,
                        help="seconds after which a suite run counts as hung (killed)")
    parser.add_argument("--keep-build", action="store_true",
                        help="reuse the scratch tree and build of an earlier run, updated to "
                             "this checkout")
    parser.add_argument("--no-baseline", action="store_true",
                        help="skip the suite run on the unchanged tree")
    parser.add_argument("--all-failures", action="store_true",
                        help="run the whole suite for every mutant instead of ending it at "
                             "the first failing test")
    args = parser.parse_args()
    args.source = args.source.resolve()
    args.scratch = args.scratch.resolve()

    mutants = read_table(args.table)
    if args.ids:
        unknown = set(args.ids) - {m.ident for m in mutants}
        if unknown:
            sys.exit(f"no such mutant: {', '.join(sorted(unknown))}")
        mutants = [m for m in mutants if m.ident in args.ids]

    if args.list:
        for m in mutants:
            state = "ok" if occurrences(args.source, m) == 1 else "STALE"
            print(f"{m.ident:4} {state:5} {m.path}: {m.fault}")
        return 0

    started = time.monotonic()
    runner = Runner(args)
    runner.prepare()
    results = {}
    for m in mutants:
        began = time.monotonic()
        outcome, detail = runner.run_one(m)
        results[m.ident] = outcome
        print(f"{m.ident:4} {outcome:8} {time.monotonic() - began:5.0f} s  {m.path}  {detail}",
              flush=True)

    counts = {name: list(results.values()).count(name)
              for name in ("KILLED", "SURVIVED", "STALE", "INVALID")}
    judged = counts["KILLED"] + counts["SURVIVED"]
    rate = f"{100.0 * counts['KILLED'] / judged:.0f} %" if judged else "n/a"
    print(f"\n{len(results)} mutants: " + ", ".join(f"{n} {k.lower()}" for k, n in counts.items()))
    print(f"kill rate: {counts['KILLED']}/{judged} = {rate}")
    survived = [i for i, outcome in results.items() if outcome == "SURVIVED"]
    if survived:
        print("survived: " + " ".join(survived))
    print(f"time: {(time.monotonic() - started) / 60:.0f} min; logs in {runner.logs}")
    return 1 if counts["STALE"] or counts["INVALID"] else 0


if __name__ == "__main__":
    sys.exit(main())
