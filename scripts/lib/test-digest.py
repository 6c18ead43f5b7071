#!/usr/bin/env python3
"""What CTest's log says about the tests that failed, in a few lines each, for the end of a run.

    test-digest.py LastTest.log

A run's output is long and a reader (or a CI excerpt) often sees only its end, where CTest
names the failed tests but not why. Tests that failed once and passed when run again are
named too: they passed, but something made them fail, and it should not go unseen.
"""

import re
import sys

# Lines that say why: GoogleTest's failure lines, the end-to-end cases' FAILED lines, a
# harness's last traceback line, and what a test printed as an error.
TELLING = re.compile(r"Failure|FAILED|Value of:|Actual:|Expected|Which is:|[Ee]rror|"
                     r"Exception|timed? ?out|Timeout")
PER_ATTEMPT = 14


def attempts(log):
    """(name, passed, output lines) for each run of a test, in the log's order."""
    name, output, inside, took = None, [], False, "?"
    for line in log.splitlines():
        started = re.match(r"^\d+/\d+ Test: (.+)$", line)
        if started:
            name, output, inside = started.group(1).strip(), [], False
        elif line == "Output:":
            inside = True
        elif line == "<end of output>":
            inside = False
        elif inside and not re.fullmatch(r"-{20,}", line):
            output.append(line)
        elif name and line.startswith("Test time ="):
            took = line.split("=", 1)[1].strip()  # a time-out shows only as a long time
        elif name and line in ("Test Passed.", "Test Failed."):
            yield name, line == "Test Passed.", output + [f"(ran {took})"]
            name = None


def telling(output):
    *said, took = output
    lines = [line.rstrip() for line in said if TELLING.search(line)
             and not re.search(r"\[\s+(OK|RUN)\s+\]", line)]
    if len(lines) > PER_ATTEMPT:
        lines = lines[:PER_ATTEMPT - 1] + [f"... and {len(lines) - PER_ATTEMPT + 1} more"]
    return (lines or [line.rstrip() for line in said[-4:]]) + [took]


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    try:
        with open(sys.argv[1], encoding="utf-8", errors="replace") as log:
            runs = list(attempts(log.read()))
    except OSError:
        return 0
    first_failure, final = {}, {}
    for name, passed, output in runs:
        if not passed:
            first_failure.setdefault(name, output)
        final[name] = (passed, output)
    failed = [name for name, (passed, _) in final.items() if not passed]
    flaky = [name for name in first_failure if final[name][0]]
    for title, names, source in (("failed", failed, lambda n: final[n][1]),
                                 ("passed only when run again", flaky,
                                  lambda n: first_failure[n])):
        if not names:
            continue
        print(f"\ntests that {title}:")
        for name in names:
            print(f"  {name}")
            for line in telling(source(name)):
                print(f"    {line}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
