#!/usr/bin/env python3
"""Mutation sampling: plants one small fault at a time in production code and checks that a test
fails. Run through scripts/mutate, which prepares Wine and Xvfb for the Windows build.

A mutant lives in one .cpp file: a flipped comparison, && for || (and back), true for false,
+ 1 for - 1 (and back), or a dropped call statement. Files under a core/ folder are portable and
are tried in the native build; the rest in the x86_64 build under Wine. After each mutant the
build folder is rebuilt incrementally and only the test programs whose executables were relinked
run, together with every test that starts a shipped program that was relinked. A mutant that does
not compile is not counted; a test time-out counts as killed. The same seed gives the same
mutants over the same tree.
"""

import argparse
import json
import os
import random
import re
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SHIPPED = ["tsu.exe", "TarrowSoftwareUninstall.exe", "VeltorFeedbackInformation.dll"]

# (pattern, replacement): each applies to one occurrence at a time.
OPERATORS = [
    (r" == ", " != "), (r" != ", " == "),
    (r" < ", " <= "), (r" <= ", " < "), (r" > ", " >= "), (r" >= ", " > "),
    (r" && ", " || "), (r" \|\| ", " && "),
    (r"\btrue\b", "false"), (r"\bfalse\b", "true"),
    (r" \+ 1\b", " - 1"), (r" - 1\b", " + 1"),
]
CALL_STATEMENT = re.compile(r"^(\s*)(\(void\))?[A-Za-z_:][\w:.\->]*(<[^;]*>)?\(.*\);\s*$")
NOT_A_CALL = re.compile(r"^\s*(return|if|while|for|switch|case|delete|throw|static_assert|using|typedef)\b")


def is_code(line):
    stripped = line.strip()
    return stripped and not stripped.startswith(("//", "#", "*", "/*"))


def code_part(line):
    """The line without a trailing // comment and string literals blanked, so that operators
    inside text are never mutated (offsets stay those of the original line)."""
    out = list(line)
    in_string = None
    i = 0
    while i < len(line):
        c = line[i]
        if in_string:
            if c == "\\":
                out[i] = " "
                if i + 1 < len(line):
                    out[i + 1] = " "
                i += 2
                continue
            if c == in_string:
                in_string = None
            else:
                out[i] = " "
        elif c in "\"'":
            in_string = c
        elif line.startswith("//", i):
            return "".join(out[:i])
        i += 1
    return "".join(out)


def sites_of(path):
    rel = os.path.relpath(path, ROOT)
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    sites = []
    for number, line in enumerate(lines):
        if not is_code(line):
            continue
        code = code_part(line)
        for op_index, (pattern, replacement) in enumerate(OPERATORS):
            for match in re.finditer(pattern, code):
                sites.append((rel, number, "op", op_index, match.start()))
        if CALL_STATEMENT.match(code) and not NOT_A_CALL.match(code) and code.count("(") == code.count(")") \
                and "=" not in code.split("(")[0]:
            sites.append((rel, number, "drop", -1, 0))
    return sites


def apply(site, lines):
    rel, number, kind, op_index, column = site
    line = lines[number]
    if kind == "drop":
        indent = re.match(r"\s*", line).group(0)
        return indent + ";", f"dropped: {line.strip()}"
    pattern, replacement = OPERATORS[op_index]
    match = re.compile(pattern).match(line, column)
    mutated = line[:column] + match.expand(replacement) + line[match.end():]
    return mutated, f"{match.group(0).strip()} -> {match.expand(replacement).strip()}"


def build_kind(rel):
    return "native" if rel.startswith("core/") or "/core/" in rel else "x86_64"


def executables(build):
    found = {}
    for folder, _, files in os.walk(os.path.join(build, "bin")):
        for name in files:
            path = os.path.join(folder, name)
            if os.access(path, os.X_OK) or name.endswith((".exe", ".dll")):
                found[path] = os.stat(path).st_mtime_ns
    return found


def ctest_programs(build):
    """test name -> the program it runs (the emulator's argument under the cross build)."""
    text = subprocess.run(["ctest", "--test-dir", build, "--show-only=json-v1"], capture_output=True,
                          text=True, check=True).stdout
    tests = {}
    for test in json.loads(text).get("tests", []):
        command = test.get("command") or []
        program = next((c for c in command if c.endswith(".exe") or os.path.basename(c) == test["name"]), None)
        if program:
            tests[test["name"]] = os.path.realpath(program)
    return tests


def starts_shipped(program, cache={}):
    """The shipped programs a test program names (as UTF-16 or narrow text), so it may start them."""
    if program not in cache:
        try:
            data = open(program, "rb").read()
        except OSError:
            data = b""
        cache[program] = {name for name in SHIPPED
                          if name.encode("utf-16-le") in data or name.encode() in data}
    return cache[program]


def build(build_dir):
    return subprocess.run(["cmake", "--build", build_dir], capture_output=True, text=True).returncode == 0


def run_mutant(site, args, programs):
    rel = site[0]
    path = os.path.join(ROOT, rel)
    build_dir = os.path.join(ROOT, "build", build_kind(rel))
    original = open(path, encoding="utf-8").read()
    lines = original.split("\n")
    mutated_line, what = apply(site, lines)
    lines[site[1]] = mutated_line
    before = executables(build_dir)
    try:
        with open(path, "w", encoding="utf-8") as f:
            f.write("\n".join(lines))
        if not build(build_dir):
            return "no-compile", what, []
        after = executables(build_dir)
        relinked = {p for p, stamp in after.items() if before.get(p) != stamp}
        relinked_names = {os.path.basename(p) for p in relinked}
        tests = sorted(name for name, program in programs[build_dir].items()
                       if program in relinked or starts_shipped(program) & relinked_names)
        if not tests:
            return "survived", what, []
        regex = "^(" + "|".join(re.escape(t) for t in tests) + ")$"
        command = ["ctest", "--test-dir", build_dir, "-R", regex, "-j2", "--stop-on-failure"]
        if args.timeout:
            command += ["--timeout", str(args.timeout)]
        result = subprocess.run(command, capture_output=True, text=True)
        return ("killed" if result.returncode != 0 else "survived"), what, tests
    finally:
        with open(path, "w", encoding="utf-8") as f:
            f.write(original)
        build(build_dir)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("folders", nargs="+", help="folders of production code (relative to the repository)")
    parser.add_argument("--count", type=int, default=20, help="how many mutants (default 20)")
    parser.add_argument("--seed", type=int, default=1, help="the sample's seed (default 1)")
    parser.add_argument("--timeout", type=int, default=0, help="seconds per test program (default: its own)")
    parser.add_argument("--only", choices=["native", "x86_64"], help="only files of this build (portable cores: native)")
    parser.add_argument("--list", action="store_true", help="only print the sampled mutants")
    args = parser.parse_args()

    files = []
    for folder in args.folders:
        top = os.path.join(ROOT, folder)
        for base, _, names in os.walk(top):
            files += [os.path.join(base, n) for n in names if n.endswith(".cpp")]
    files = sorted(f for f in files if "/tests/" not in f and "/bench/" not in f
                   and (not args.only or build_kind(os.path.relpath(f, ROOT)) == args.only))
    sites = [site for f in files for site in sites_of(f)]
    if not sites:
        sys.exit("mutate: no mutation sites in " + " ".join(args.folders))
    sample = random.Random(args.seed).sample(sites, min(args.count, len(sites)))
    sample.sort()

    if args.list:
        for site in sample:
            lines = open(os.path.join(ROOT, site[0]), encoding="utf-8").read().split("\n")
            print(f"{site[0]}:{site[1] + 1}: {apply(site, lines)[1]}")
        return 0

    programs = {}
    for kind in sorted({build_kind(site[0]) for site in sample}):
        build_dir = os.path.join(ROOT, "build", kind)
        if not build(build_dir):
            sys.exit(f"mutate: {build_dir} does not build before mutation")
        programs[build_dir] = ctest_programs(build_dir)

    counts = {"killed": 0, "survived": 0, "no-compile": 0}
    for index, site in enumerate(sample, 1):
        started = time.monotonic()
        outcome, what, tests = run_mutant(site, args, programs)
        counts[outcome] += 1
        print(f"[{index}/{len(sample)}] {outcome:10} {site[0]}:{site[1] + 1}: {what}"
              f"  ({len(tests)} tests, {time.monotonic() - started:.0f} s)", flush=True)
    counted = counts["killed"] + counts["survived"]
    rate = 100.0 * counts["killed"] / counted if counted else 0.0
    print(f"kill rate: {counts['killed']}/{counted} = {rate:.1f}% "
          f"({counts['no-compile']} did not compile, not counted)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
