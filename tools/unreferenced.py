#!/usr/bin/env python3
"""Lists the code of the game that nothing reaches, and fails on what the allow-list lacks.

Two kinds of entry:
  function  a function defined in the game's libraries, executable or tools that no object of
            them refers to (tests and benchmarks do not count: code only a test calls is dead
            to the player). Read from an unoptimized build's objects, so no call is hidden by
            inlining: the defined text symbols (nm) against every relocation (readelf).
  parameter a parameter a function body throws away with a cast to void.

    tools/unreferenced.py            build, list, and fail on entries not in the allow-list
    tools/unreferenced.py --write    build, list, and write the allow-list anew

The allow-list is tools/unreferenced.allow: entries kept on purpose (an interface the game's
content can reach, an override whose base needs the parameter). An entry that is no longer found
is reported so the list can shrink.

The functions the game's design names (tools/interface.names, by qualified name) are not listed
however unreferenced: the interface stays whole. Each of them that nothing in the game reaches
must be named by a test instead, or the check fails.
"""

import argparse
import concurrent.futures
import os
import re
import subprocess
import sys

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
ALLOW = os.path.join(ROOT, "tools", "unreferenced.allow")
INTERFACE = os.path.join(ROOT, "tools", "interface.names")
TEST_FOLDERS = ("tests",)
LONG_STRING = "std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >"
SOURCE_FOLDERS = ("app", "audio", "core", "game", "graphics", "menus", "platform", "rules",
                  "widgets", "tools")


def build(folder, jobs):
    subprocess.run(["cmake", "-S", ROOT, "-B", folder, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=None",
                    "-DCMAKE_CXX_FLAGS=-O0 -g0", "-DP7_BUILD_TESTS=OFF", "-DP7_BUILD_BENCH=OFF"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", folder, "-j", str(jobs)], check=True,
                   stdout=subprocess.DEVNULL)


def demangle(names):
    if not names:
        return {}
    out = subprocess.run(["c++filt"], input="\n".join(names), capture_output=True, text=True,
                         check=True).stdout.split("\n")
    return dict(zip(names, out))


def source_of(obj, folder):
    """game/screens/MyGameApp.cpp for .../CMakeFiles/p7_screens.dir/game/screens/MyGameApp.cpp.o."""
    rel = os.path.relpath(obj, folder)
    m = re.search(r"^(.*?)CMakeFiles/[^/]*\.dir/(.*)\.o$", rel)
    if not m:
        return rel
    # Objects of a subfolder's targets sit under its build folder and name the rest.
    return os.path.normpath(m.group(1) + m.group(2).replace("__/", "../"))


def object_symbols(obj):
    """The text symbols obj defines and the names its relocations refer to."""
    nm = subprocess.run(["nm", "--defined-only", obj], capture_output=True, text=True).stdout
    defined = []
    for line in nm.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[1] in "TW" and not parts[2].startswith("__"):
            defined.append(parts[2])
    relocs = subprocess.run(["readelf", "-rW", obj], capture_output=True, text=True).stdout
    referenced = set()
    for line in relocs.splitlines():
        parts = line.split()
        if len(parts) >= 5 and re.fullmatch(r"[0-9a-f]{16}", parts[0]):
            referenced.add(parts[4])
    return defined, referenced


def unreferenced_functions(folder, jobs):
    objects = []
    for top, _, files in os.walk(folder):
        objects += [os.path.join(top, f) for f in files if f.endswith(".o")]
    objects.sort()
    defined = {}  # mangled -> source
    referenced = set()
    # Two tool runs for each of some hundred objects: side by side on every core. The results
    # come back in the objects' order, so a symbol defined twice keeps its first source.
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, jobs)) as pool:
        for obj, (names, refs) in zip(objects, pool.map(object_symbols, objects)):
            for name in names:
                defined.setdefault(name, source_of(obj, folder))
            referenced |= refs
    names = {m: n.replace(LONG_STRING, "std::string")
             for m, n in demangle(sorted(set(defined) | referenced)).items()}
    used = {names[r] for r in referenced}
    found = set()
    for mangled, source in defined.items():
        name = names[mangled]
        if mangled == "main" or name in used or name.startswith(
                ("typeinfo", "vtable", "VTT", "non-virtual thunk", "virtual thunk")):
            continue
        found.add(f"function {source}: {name}")
    return found


def read_names(path):
    """The non-comment lines of a list file, as a set."""
    if not os.path.exists(path):
        return set()
    with open(path, encoding="utf-8") as f:
        return {line.strip() for line in f if line.strip() and not line.startswith("#")}


def qualified_name(entry):
    """Foo::Bar for 'function a/Foo.cpp: Foo::Bar(int) const'; None for other entries."""
    if not entry.startswith("function "):
        return None
    name = entry.split(": ", 1)[1]
    depth = 0
    for i, ch in enumerate(name):
        if ch == "<":
            depth += 1
        elif ch == ">":
            depth -= 1
        elif ch == "(" and depth == 0:
            return name[:i]
    return name


def test_sources():
    texts = []
    for folder in TEST_FOLDERS:
        for top, _, files in os.walk(os.path.join(ROOT, folder)):
            for f in sorted(files):
                if f.endswith((".cpp", ".h")):
                    with open(os.path.join(top, f), encoding="utf-8") as src:
                        texts.append(src.read())
    return "\n".join(texts)


def split_interface(found, interface):
    """(entries still to judge, named interface functions that no test names either)."""
    kept = {e for e in found if qualified_name(e) in interface}
    tests = test_sources() if kept else ""
    untested = set()
    for entry in kept:
        short = qualified_name(entry).rsplit("::", 1)[-1]
        if not re.search(r"\b" + re.escape(short) + r"\s*\(", tests):
            untested.add(entry)
    return found - kept, untested


def discarded_parameters():
    found = set()
    for folder in SOURCE_FOLDERS:
        for top, _, files in os.walk(os.path.join(ROOT, folder)):
            for f in sorted(files):
                if not f.endswith(".cpp"):
                    continue
                path = os.path.join(top, f)
                rel = os.path.relpath(path, ROOT)
                with open(path, encoding="utf-8") as src:
                    for line in src:
                        for name in re.findall(r"\(void\)\s*([A-Za-z_]\w*)\b(?!\s*[(.\[-])", line):
                            found.add(f"parameter {rel}: {name}")
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "unref"),
                        help="the unoptimized build folder")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    parser.add_argument("--write", action="store_true", help="write the allow-list anew")
    args = parser.parse_args()

    build(args.build, args.jobs)
    found, untested = split_interface(unreferenced_functions(args.build, args.jobs),
                                      read_names(INTERFACE))
    found |= discarded_parameters()
    for entry in sorted(untested):
        print(f"unreferenced: neither the game nor a test reaches {entry}", file=sys.stderr)
    if args.write:
        with open(ALLOW, "w", encoding="utf-8") as f:
            f.write("# What nothing in the game reaches, allowed: test seams, tools' helpers, "
                    "overrides\n# that ignore an argument. tools/unreferenced.py fails on an entry "
                    "not listed here.\n")
            f.writelines(entry + "\n" for entry in sorted(found))
        print(f"unreferenced: {len(found)} entries written to {os.path.relpath(ALLOW, ROOT)}")
        return
    allowed = read_names(ALLOW)
    new = sorted(found - allowed)
    gone = sorted(allowed - found)
    for entry in gone:
        print(f"unreferenced: no longer found, drop it from the allow-list: {entry}")
    for entry in new:
        print(f"unreferenced: nothing reaches {entry}", file=sys.stderr)
    if new:
        print(f"unreferenced: {len(new)} new entries; remove the code, or if the game's content "
              f"reaches it, add it to {os.path.relpath(ALLOW, ROOT)}", file=sys.stderr)
    if untested:
        print(f"unreferenced: {len(untested)} functions of the named interface untested; add a "
              f"test that calls each", file=sys.stderr)
    if new or untested:
        sys.exit(1)
    print(f"unreferenced: nothing new ({len(found)} entries allowed)")


if __name__ == "__main__":
    main()
