#!/usr/bin/env python3
"""Runs Glimvane's end-to-end tests: the real program under Wine on a virtual
display of its own, driven by real input and read back from outside.

  run_e2e.py --exe Glimvane.exe --probe glimvane_probe.exe \
             --helper glimvane_convert_helper --out BUILD/e2e [-k PATTERN] [-v]

Needs Xvfb, xdotool, xclip, xwininfo, ImageMagick's import and wine64
(scripts/install-deps.sh). Starts and ends its own display and Wine session;
no DISPLAY is needed. Writes the screenshots and logs to --out and ends with
a summary line.
"""

import argparse
import os
import signal
import sys
import time
import unittest

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402


class TimedResult(unittest.TextTestResult):
    """Notes how long each test took, for the slowest-tests line."""

    def startTest(self, test):
        self._started = time.monotonic()
        super().startTest(test)

    def stopTest(self, test):
        super().stopTest(test)
        self.durations = getattr(self, "durations", []) + [(time.monotonic() - self._started, test.id())]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--helper", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("-k", dest="patterns", action="append", default=None,
                        help="only tests whose name contains this substring")
    parser.add_argument("-v", dest="verbosity", action="store_const", const=2, default=2)
    args = parser.parse_args()
    for path in (args.exe, args.probe, args.helper):
        if not os.path.isfile(path):
            print(f"run_e2e: missing {path}", file=sys.stderr)
            return 2
    harness.Config.exe = os.path.abspath(args.exe)
    harness.Config.probe = os.path.abspath(args.probe)
    harness.Config.helper = os.path.abspath(args.helper)
    harness.Config.out_dir = os.path.abspath(args.out)

    # SIGTERM (ctest, a CI runner) ends the run the way Ctrl-C does, so that
    # the clean-up below still runs.
    def interrupted(signum, frame):
        raise KeyboardInterrupt
    signal.signal(signal.SIGTERM, interrupted)
    # Ctrl-C too, even where SIGINT came in ignored (a background job).
    signal.signal(signal.SIGINT, signal.default_int_handler)

    loader = unittest.TestLoader()
    if args.patterns:
        loader.testNamePatterns = [f"*{p}*" for p in args.patterns]
    suite = loader.discover(os.path.dirname(os.path.abspath(__file__)), pattern="test_*.py")
    started = time.monotonic()
    try:
        result = unittest.TextTestRunner(verbosity=args.verbosity, stream=sys.stdout,
                                         resultclass=TimedResult).run(suite)
    except KeyboardInterrupt:
        print("\nrun_e2e: interrupted", file=sys.stderr)
        return 130
    finally:
        harness.end_session()
    elapsed = time.monotonic() - started
    slowest = sorted(getattr(result, "durations", []), reverse=True)[:5]
    print("\nslowest: " + ", ".join(f"{name.rsplit('.', 1)[-1]} {seconds:.0f} s" for seconds, name in slowest))
    # Subtests make several failures of one test: count tests, not failures.
    def case(test):
        return getattr(test, "test_case", test).id()
    failed = {case(test) for test, _ in result.failures}
    errored = {case(test) for test, _ in result.errors} - failed
    passed = result.testsRun - len(failed) - len(errored) - len(result.skipped)
    print(f"probe runs: {harness.Probe.runs}, of them repeated after printing nothing: "
          f"{harness.Probe.retries}")
    print(f"end-to-end: {max(0, passed)} passed, {len(failed)} failed, {len(errored)} errors, "
          f"{len(result.skipped)} skipped, in {elapsed:.0f} s; "
          f"screenshots and logs in {harness.Config.out_dir}")
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
