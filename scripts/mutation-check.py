#!/usr/bin/env python3
"""Measures how many small faults the test suite catches.

From a fixed seed it draws one-line faults in the program's code (cipher/,
cli/, app/, secrets/): a flipped comparison, && and || swapped, true and
false swapped, a constant one off, + 1 and - 1 swapped, a statement deleted.
Each fault is applied alone to a copy of the source, the build is brought up
to date and ctest runs; a fault is caught ("killed") when any test fails or
times out. Faults that do not compile are set aside and another is drawn, so
the sample holds --count faults that build. The source file is restored after
every fault, also on Ctrl+C.

The draw depends only on the program's code and the seed, so two suites run
over the same code meet the same faults.

  scripts/mutation-check.py --source SRC --build BUILD --output REPORT \
      [--seed 1] [--count 64] [--skip-labels REGEX] [--retest EARLIER.json]
      [-- extra cmake arguments]
"""

import argparse
import json
import random
import re
import signal
import subprocess
import sys
import time
from dataclasses import dataclass, field
from pathlib import Path

PROGRAM_DIRS = ("cipher", "cli", "app", "secrets")


@dataclass
class Mutant:
    path: str  # relative to the source root
    line: int  # 1-based
    what: str
    new_text: str
    status: str = ""
    killers: list = field(default_factory=list)


def code_mask(text):
    """For every character of a C++ file, whether it is code (not inside a
    comment, string or character literal)."""
    mask = [False] * len(text)
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            i = n if j < 0 else j + 2
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            open_paren = text.find("(", i)
            delimiter = text[i + 2:open_paren]
            j = text.find(")" + delimiter + '"', open_paren)
            i = n if j < 0 else j + len(delimiter) + 2
        elif c in "\"'":
            if c == "'" and i > 0 and text[i - 1].isalnum():
                mask[i] = True  # digit separator, as in 1'000
                i += 1
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            i = j + 1
        else:
            mask[i] = True
            i += 1
    return mask


def _both_ways(pattern_a, text_a, pattern_b, text_b):
    return [(re.compile(pattern_a), text_b), (re.compile(pattern_b), text_a)]


# Each fault and its reverse: operators between blanks, words, "+ 1" and "- 1".
_OPERATOR = r"(?<=\s){}(?=\s)"
SWAPS = [
    *_both_ways(_OPERATOR.format("<"), "<", _OPERATOR.format("<="), "<="),
    *_both_ways(_OPERATOR.format(">"), ">", _OPERATOR.format(">="), ">="),
    *_both_ways(_OPERATOR.format("=="), "==", _OPERATOR.format("!="), "!="),
    *_both_ways(_OPERATOR.format("&&"), "&&", _OPERATOR.format(r"\|\|"), "||"),
    *_both_ways(r"\btrue\b", "true", r"\bfalse\b", "false"),
    *_both_ways(r"\+ 1\b(?!\.)", "+ 1", r"- 1\b(?!\.)", "- 1"),
]
NUMBER = re.compile(r"(?<![\w.'])(0[xX][0-9A-Fa-f]+|\d+)(?=[uUlLzZ]*\b)(?![.'])")


def line_mutants(path, lineno, line, mask):
    """Every single fault this line allows, as Mutant objects."""
    stripped = line.strip()
    if not stripped or stripped.startswith("#") or not any(mask):
        return []
    found = []

    def is_code(m):
        return all(mask[m.start():m.end()])

    def replace(m, new):
        return line[:m.start()] + new + line[m.end():]

    for pattern, new in SWAPS:
        for m in pattern.finditer(line):
            if is_code(m):
                found.append(Mutant(path, lineno, f"`{m.group(0)}` -> `{new}`", replace(m, new)))
    for m in NUMBER.finditer(line):
        if not is_code(m):
            continue
        literal = m.group(1)
        base = 16 if literal[:2].lower() == "0x" else 10
        value = int(literal, base)
        for delta in (1, -1):
            if value + delta < 0:
                continue
            new = hex(value + delta) if base == 16 else str(value + delta)
            found.append(Mutant(path, lineno, f"`{literal}` -> `{new}`", replace(m, new)))
    return found


def code_of(line, mask):
    return "".join(ch for ch, ok in zip(line, mask) if ok).strip()


def function_body_lines(lines, masks):
    """Which lines lie inside a function body: inside braces other than those
    of a namespace, class, struct, enum or initializer."""
    inside, stack = [], []
    for line, mask in zip(lines, masks):
        inside.append(any(stack))
        code = code_of(line, mask)
        for ch in code:
            if ch == "{":
                scope = re.search(r"\b(namespace|class|struct|enum|union)\b|=\s*\{|^\{", code)
                stack.append(not scope or (scope.group(0) == "{" and any(stack)))
            elif ch == "}" and stack:
                stack.pop()
    return inside


def deletable(lines, masks, index):
    """A whole one-line statement (not a return or a control line)."""
    code = code_of(lines[index], masks[index])
    if not code.endswith(";") or code.startswith(("return", "case", "default", "#", "}", "using", "namespace")):
        return False
    if any(ch in code for ch in "{}"):
        return False
    for k in range(index - 1, -1, -1):
        previous = code_of(lines[k], masks[k])
        if previous:
            return previous.endswith((";", "{", "}", ":")) and not previous.endswith("::")
    return False


def enumerate_mutants(source):
    mutants = []
    files = sorted(p for d in PROGRAM_DIRS for p in (source / d).rglob("*")
                   if p.suffix in (".cpp", ".h") and p.is_file())
    for file in files:
        text = file.read_text(encoding="utf-8")
        mask = code_mask(text)
        lines, masks, start = [], [], 0
        for raw in text.split("\n"):
            lines.append(raw)
            masks.append(mask[start:start + len(raw)])
            start += len(raw) + 1
        relative = str(file.relative_to(source))
        in_function = function_body_lines(lines, masks)
        for index, line in enumerate(lines):
            mutants += line_mutants(relative, index + 1, line, masks[index])
            if in_function[index] and deletable(lines, masks, index):
                mutants.append(Mutant(relative, index + 1, "statement deleted", ""))
    return mutants


class Restorer:
    """Puts back the original text of the file under mutation, whatever ends
    the run."""

    def __init__(self):
        self.path = None
        self.text = None

    def mutate(self, path, text, new_text):
        self.path, self.text = path, text
        path.write_text(new_text, encoding="utf-8")

    def restore(self):
        if self.path is not None:
            self.path.write_text(self.text, encoding="utf-8")
            self.path = None


def run(cmd, timeout=None, **kwargs):
    try:
        return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                              timeout=timeout, start_new_session=True, **kwargs)
    except subprocess.TimeoutExpired as e:
        return subprocess.CompletedProcess(cmd, -1, stdout=str(e.output or ""))


def build(build_dir, jobs):
    return run(["cmake", "--build", str(build_dir), "--parallel", str(jobs)]).returncode == 0


def failed_tests(build_dir, jobs, test_timeout, suite_timeout, stop_early=True, skip_labels=None):
    """Runs ctest; returns the names of the tests that failed (or a note when
    the whole run hung). With stop_early, ctest stops at the first failure and
    runs the tests in the order they are declared, the quick unit tests first."""
    temporary = build_dir / "Testing" / "Temporary"
    for name in ("LastTestsFailed.log", "CTestCostData.txt"):
        if (temporary / name).exists():
            (temporary / name).unlink()
    result = run(["ctest", "--test-dir", str(build_dir), "--parallel", str(jobs),
                  "--timeout", str(test_timeout), "--no-tests=error"]
                 + (["--stop-on-failure"] if stop_early else [])
                 + (["--label-exclude", skip_labels] if skip_labels else []), timeout=suite_timeout)
    if result.returncode == -1:
        return ["<whole ctest run timed out>"]
    names = []
    log = temporary / "LastTestsFailed.log"
    if log.exists():
        for entry in log.read_text().splitlines():
            names.append(entry.split(":", 1)[-1])
    if result.returncode != 0 and not names:
        names.append("<ctest failed: " + result.stdout.strip().splitlines()[-1] + ">")
    return names


def stop(signum, frame):
    """SIGTERM ends the run like Ctrl+C: the source is restored first."""
    raise KeyboardInterrupt


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--source", type=Path, required=True, help="source tree to mutate (a copy)")
    parser.add_argument("--build", type=Path, required=True, help="build folder of its own")
    parser.add_argument("--output", type=Path, required=True, help="report file (a .json beside it)")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--count", type=int, default=64, help="faults that compile to test")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--test-timeout", type=int, default=120,
                        help="seconds per test without its own limit (the gdb-driven output test takes 30 s)")
    parser.add_argument("--skip-labels", metavar="REGEX",
                        help="leave out the tests whose labels match (ctest -LE); a fault they alone would catch counts as"
                             " survived, so the figure can only come out lower")
    parser.add_argument("--retest", type=Path, metavar="JSON",
                        help="test again only the faults that survived in an earlier report's .json (after new tests)")
    parser.add_argument("--list", action="store_true", help="only print the drawn order of faults")
    parser.add_argument("cmake_args", nargs="*", help="extra arguments for the first configure")
    args = parser.parse_args()
    source, build_dir = args.source.resolve(), args.build.resolve()

    mutants = enumerate_mutants(source)
    random.Random(args.seed).shuffle(mutants)
    if args.retest:
        earlier = json.loads(args.retest.read_text(encoding="utf-8"))
        survivors = {(m["path"], m["line"], m["new_text"]) for m in earlier if m["status"] == "survived"}
        mutants = list({(m.path, m.line, m.new_text): m for m in mutants
                        if (m.path, m.line, m.new_text) in survivors}.values())
        if len(mutants) != len(survivors):
            sys.exit("the code changed under some earlier survivors: give the source the report was made on")
        args.count = len(mutants)
    if args.list:
        for m in mutants[:args.count * 2]:
            print(f"{m.path}:{m.line}: {m.what}")
        return 0

    signal.signal(signal.SIGTERM, stop)
    if not (build_dir / "CMakeCache.txt").exists():
        configure = ["cmake", "-S", str(source), "-B", str(build_dir), "-G", "Ninja",
                     "-DCMAKE_BUILD_TYPE=Release", "-DVELMORA_BUILD_BENCH=OFF",
                     "-DVELMORA_BUILD_FUZZ=OFF", *args.cmake_args]
        if run(configure).returncode != 0:
            sys.exit("configure failed")
    if not build(build_dir, args.jobs):
        sys.exit("the unmutated source does not build")
    baseline = failed_tests(build_dir, args.jobs, args.test_timeout, 1800, stop_early=False,
                            skip_labels=args.skip_labels)
    if baseline:
        sys.exit("the unmutated source fails tests: " + ", ".join(baseline))

    restorer = Restorer()
    tested, set_aside = [], []
    report = args.output.open("w", encoding="utf-8")

    def say(text):
        print(text, flush=True)
        report.write(text + "\n")
        report.flush()

    say(f"# seed {args.seed}, {len(mutants)} possible faults, sample of {args.count} that compile"
        + (f", tests labelled {args.skip_labels} left out" if args.skip_labels else ""))
    try:
        for mutant in mutants:
            if len(tested) == args.count:
                break
            path = source / mutant.path
            text = path.read_text(encoding="utf-8")
            lines = text.split("\n")
            original = lines[mutant.line - 1]
            lines[mutant.line - 1] = mutant.new_text
            started = time.monotonic()
            try:
                restorer.mutate(path, text, "\n".join(lines))
                if not build(build_dir, args.jobs):
                    mutant.status = "does not compile"
                    set_aside.append(mutant)
                    continue
                mutant.killers = failed_tests(build_dir, args.jobs, args.test_timeout, 400,
                                              skip_labels=args.skip_labels)
                mutant.status = "killed" if mutant.killers else "survived"
                tested.append(mutant)
            finally:
                restorer.restore()
            by = f" by {', '.join(mutant.killers[:4])}" + (" ..." if len(mutant.killers) > 4 else "") if mutant.killers else ""
            say(f"{len(tested):3d} {mutant.path}:{mutant.line}: {mutant.what}: {mutant.status}{by}"
                f"  [{time.monotonic() - started:.0f} s]\n      {original.strip()}")
    except KeyboardInterrupt:
        say("# interrupted")
    finally:
        restorer.restore()
        killed = sum(1 for m in tested if m.status == "killed")
        say(f"# killed {killed} of {len(tested)} faults that compile"
            f" ({len(set_aside)} drawn faults did not compile and were replaced)")
        for m in tested:
            if m.status == "survived":
                say(f"# survived: {m.path}:{m.line}: {m.what}")
        report.close()
        args.output.with_suffix(".json").write_text(json.dumps(
            [vars(m) for m in tested], indent=1, ensure_ascii=False), encoding="utf-8")
        build(build_dir, args.jobs)  # leave the build matching the restored source
    return 0


if __name__ == "__main__":
    sys.exit(main())
