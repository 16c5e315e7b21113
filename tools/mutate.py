#!/usr/bin/env python3
"""Mutation testing: how many small faults put into the code do the tests notice?

One mutant changes one place of one line: a comparison flipped (== and !=, < and >=, > and <=),
an arithmetic or logic operator swapped (+ and -, * and /, ++ and --, += and -=, && and ||), a
boolean constant inverted, or a whole statement dropped. The candidates are every such place in
the .cpp files of the folders below; a seeded sample of them is tried, each in a non-sanitized
build (-O1) of a copy of the tree: the affected test program is rebuilt and run with a time limit.
A mutant is killed when the program fails or runs out of time, survives when it passes, and is
left out when it does not build.

    tools/mutate.py run --tree . --out mutants.json [--count 320] [--seed 27] [--jobs 4]
    tools/mutate.py compare before.json after.json

The sample depends only on the seed and on the code of the folders; a mutant is named by the
text of its line, so two runs over trees whose tests differ try the same mutants, and compare
scores them over the mutants both runs built.
"""

import argparse
import hashlib
import json
import os
import queue
import random
import re
import shutil
import subprocess
import sys
import threading
import time

# Each folder of code under test and the test program whose tests aim at it.
FOLDERS = {
    "rules": "test_rules",
    "game/data": "test_data",
    "core/expr": "test_expr",
    "core/files": "test_files",
    "widgets/script": "test_anim",
}

SWAPS = [
    ("compare", "==", "!="),
    ("compare", "!=", "=="),
    ("compare", "<=", ">"),
    ("compare", ">=", "<"),
    ("compare", " < ", " >= "),
    ("compare", " > ", " <= "),
    ("arith", " + ", " - "),
    ("arith", " - ", " + "),
    ("arith", " * ", " / "),
    ("arith", " / ", " * "),
    ("arith", "++", "--"),
    ("arith", "--", "++"),
    ("arith", "+=", "-="),
    ("arith", "-=", "+="),
    ("logic", " && ", " || "),
    ("logic", " || ", " && "),
    ("bool", "true", "false"),
    ("bool", "false", "true"),
]

# Lines whose loss a compiler would refuse or that carry no behaviour of their own.
NOT_DROPPED = re.compile(r"^(return\b|case\b|default\b|break;|continue;|\}|\{|using\b|namespace\b|"
                         r"static_assert|template\b|typedef\b|friend\b|public:|private:|"
                         r"protected:|[A-Za-z_][\w:<>,\s\*&]*\s+[\*&]*\w+(\s*=.*|\s*\{.*\}|\(.*\))?;$)")


def mask_literals(line):
    """The line with string and character literals and a trailing // comment blanked out."""
    out = []
    i = 0
    quote = None
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            out.append(" " if c != quote else c)
            if c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            break
        else:
            out.append(c)
        i += 1
    return "".join(out).ljust(len(line))


def candidates(tree):
    """Every mutant of the folders, in a stable order."""
    found = []
    for folder in sorted(FOLDERS):
        root = os.path.join(tree, folder)
        for name in sorted(os.listdir(root)):
            if not name.endswith(".cpp"):
                continue
            rel = f"{folder}/{name}"
            with open(os.path.join(root, name), encoding="utf-8") as f:
                lines = f.read().split("\n")
            seen = {}
            in_block = False
            for number, line in enumerate(lines):
                occurrence = seen.get(line, 0)
                seen[line] = occurrence + 1
                stripped = line.strip()
                if in_block:
                    in_block = "*/" not in stripped
                    continue
                if stripped.startswith("/*"):
                    in_block = "*/" not in stripped
                    continue
                if not stripped or stripped.startswith(("//", "#", "*")):
                    continue
                masked = mask_literals(line)
                key = {"file": rel, "text": line, "occurrence": occurrence, "line": number + 1}
                for kind, old, new in SWAPS:
                    start = 0
                    while (col := masked.find(old, start)) >= 0:
                        start = col + len(old)
                        if kind == "bool":
                            before = masked[col - 1] if col > 0 else " "
                            after = masked[start] if start < len(masked) else " "
                            if before.isalnum() or before == "_" or after.isalnum() or after == "_":
                                continue
                        if old in ("==", "!=", "<=", ">=", "++", "--", "+=", "-="):
                            # Not part of a longer operator (<<=, ->, ...).
                            if masked[col - 1:col] in "<>=!+-" and col > 0:
                                continue
                            if masked[start:start + 1] in "=>":
                                continue
                        found.append(dict(key, kind=kind, col=col, old=old, new=new))
                if (stripped.endswith(";") and not NOT_DROPPED.match(stripped)
                        and stripped.count("(") == stripped.count(")")):
                    found.append(dict(key, kind="drop", col=0, old=line, new=""))
    return found


def mutant_id(m):
    raw = f"{m['file']}|{m['text']}|{m['occurrence']}|{m['kind']}|{m['col']}|{m['old']}"
    return hashlib.sha1(raw.encode()).hexdigest()[:12]


def apply(lines, m):
    """The file's lines with the mutant put in, or None when its line is gone."""
    hits = [i for i, line in enumerate(lines) if line == m["text"]]
    if len(hits) <= m["occurrence"]:
        return None
    at = hits[m["occurrence"]]
    line = lines[at]
    if m["kind"] == "drop":
        mutated = ""
    else:
        if line[m["col"]:m["col"] + len(m["old"])] != m["old"]:
            return None
        mutated = line[:m["col"]] + m["new"] + line[m["col"] + len(m["old"]):]
    return lines[:at] + [mutated] + lines[at + 1:]


def copy_tree(tree, dest):
    top = os.path.abspath(tree)

    def skip(folder, names):
        return [n for n in names if os.path.abspath(folder) == top and n in ("build", ".git")]

    shutil.copytree(top, dest, ignore=skip, dirs_exist_ok=True)


def configure(copy):
    build = os.path.join(copy, "build", "mut")
    subprocess.run(["cmake", "-S", copy, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=None",
                    "-DCMAKE_CXX_FLAGS=-O1 -g0", "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache",
                    "-DP7_BUILD_BENCH=OFF"], check=True, stdout=subprocess.DEVNULL)
    return build


def build(build_dir, target, jobs=1, timeout=3600):
    try:
        r = subprocess.run(["cmake", "--build", build_dir, "--target", target, "-j", str(jobs)],
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout)
        return r.returncode == 0
    except subprocess.TimeoutExpired:
        return False


def run_tests(build_dir, target, timeout):
    """'passed', 'failed' or 'timeout'."""
    env = dict(os.environ, SDL_VIDEODRIVER="offscreen", SDL_AUDIODRIVER="dummy")
    exe = os.path.join(build_dir, "tests", target)
    try:
        r = subprocess.run([exe, "--gtest_brief=1"], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=timeout, env=env,
                           cwd=os.path.dirname(exe), start_new_session=True)
        return "passed" if r.returncode == 0 else "failed"
    except subprocess.TimeoutExpired:
        return "timeout"


def command_run(args):
    tree = os.path.abspath(args.tree)
    sample_from = os.path.abspath(args.sample_from or tree)
    every = candidates(sample_from)
    rng = random.Random(args.seed)
    sample = sorted(rng.sample(every, min(args.count, len(every))),
                    key=lambda m: (m["file"], m["line"], m["col"], m["kind"]))
    print(f"{len(every)} candidate mutants, {len(sample)} sampled (seed {args.seed})", flush=True)

    work = os.path.abspath(args.work)
    copies = [os.path.join(work, f"w{i}") for i in range(args.jobs)]
    for copy in copies:
        copy_tree(tree, copy)
    builds = [configure(copy) for copy in copies]

    # The unmutated programs first: they must pass, and their time sets each one's limit.
    limits = {}
    for target in sorted(set(FOLDERS.values())):
        if not build(builds[0], target, args.jobs):
            sys.exit(f"mutate: {target} does not build unmutated")
        started = time.monotonic()
        if run_tests(builds[0], target, 1800) != "passed":
            sys.exit(f"mutate: {target} fails unmutated")
        limits[target] = max(30.0, 10 * (time.monotonic() - started))
        print(f"{target}: unmutated run {time.monotonic() - started:.1f} s, limit "
              f"{limits[target]:.0f} s", flush=True)
    for b in builds[1:]:
        for target in sorted(set(FOLDERS.values())):
            build(b, target, args.jobs)

    todo = queue.Queue()
    for m in sample:
        todo.put(m)
    results = []
    lock = threading.Lock()

    def worker(copy, build_dir):
        while True:
            try:
                m = todo.get_nowait()
            except queue.Empty:
                return
            target = FOLDERS[m["file"].rsplit("/", 1)[0]]
            path = os.path.join(copy, m["file"])
            with open(path, encoding="utf-8") as f:
                original = f.read()
            mutated = apply(original.split("\n"), m)
            if mutated is None:
                outcome = "missing"
            else:
                with open(path, "w", encoding="utf-8") as f:
                    f.write("\n".join(mutated))
                if not build(build_dir, target):
                    outcome = "unbuilt"
                else:
                    outcome = {"passed": "survived", "failed": "killed",
                               "timeout": "killed"}[run_tests(build_dir, target, limits[target])]
                with open(path, "w", encoding="utf-8") as f:
                    f.write(original)
            with lock:
                results.append(dict(m, id=mutant_id(m), outcome=outcome))
                print(f"[{len(results)}/{len(sample)}] {outcome:8} {m['file']}:{m['line']} "
                      f"{m['kind']} {m['old'].strip()!r}", flush=True)

    threads = [threading.Thread(target=worker, args=(c, b)) for c, b in zip(copies, builds)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    results.sort(key=lambda r: (r["file"], r["line"], r["col"], r["kind"]))
    with open(args.out, "w", encoding="utf-8") as f:
        json.dump(results, f, indent=1)
    summarize(results)
    if not args.keep:
        shutil.rmtree(work, ignore_errors=True)


def summarize(results):
    count = {o: sum(r["outcome"] == o for r in results)
             for o in ("killed", "survived", "unbuilt", "missing")}
    viable = count["killed"] + count["survived"]
    share = 100.0 * count["killed"] / viable if viable else 0.0
    print(f"killed {count['killed']} of {viable} built mutants ({share:.1f} %); "
          f"{count['unbuilt']} did not build, {count['missing']} not found")


def command_compare(args):
    with open(args.before, encoding="utf-8") as f:
        before = {r["id"]: r for r in json.load(f)}
    with open(args.after, encoding="utf-8") as f:
        after = {r["id"]: r for r in json.load(f)}
    built = ("killed", "survived")
    common = [i for i in before if i in after and before[i]["outcome"] in built
              and after[i]["outcome"] in built]
    k_before = sum(before[i]["outcome"] == "killed" for i in common)
    k_after = sum(after[i]["outcome"] == "killed" for i in common)
    print(f"{len(common)} mutants built in both runs: killed before {k_before} "
          f"({100.0 * k_before / max(1, len(common)):.1f} %), after {k_after} "
          f"({100.0 * k_after / max(1, len(common)):.1f} %)")
    for i in common:
        if before[i]["outcome"] == "killed" and after[i]["outcome"] != "killed":
            r = before[i]
            print(f"  now survives: {r['file']}:{r['line']} {r['kind']} {r['text'].strip()}")
    sys.exit(0 if k_after >= k_before else 1)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    sub = parser.add_subparsers(dest="command", required=True)
    run = sub.add_parser("run", help="build and run a sample of mutants")
    run.add_argument("--tree", default=".", help="the source tree whose tests are measured")
    run.add_argument("--sample-from", help="the tree whose code the sample is drawn from")
    run.add_argument("--out", required=True, help="the JSON file of outcomes")
    run.add_argument("--work", default="build/mutants", help="where the copies of the tree go")
    run.add_argument("--count", type=int, default=320)
    run.add_argument("--seed", type=int, default=27)
    run.add_argument("--jobs", type=int, default=4, help="copies of the tree run side by side")
    run.add_argument("--keep", action="store_true", help="keep the copies for a later run")
    run.add_argument("--list", action="store_true", help="print the sample and stop")
    compare = sub.add_parser("compare", help="the kill shares of two runs over the same mutants")
    compare.add_argument("before")
    compare.add_argument("after")
    args = parser.parse_args()
    if args.command == "run" and args.list:
        every = candidates(os.path.abspath(args.sample_from or args.tree))
        for m in random.Random(args.seed).sample(every, min(args.count, len(every))):
            print(f"{m['file']}:{m['line']} {m['kind']} {m['old'].strip()!r} -> "
                  f"{m['new'].strip()!r}")
        return
    {"run": command_run, "compare": command_compare}[args.command](args)


if __name__ == "__main__":
    main()
