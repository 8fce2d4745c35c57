#!/usr/bin/env python3
"""Counts how many of the live test's random models (tests/live/randmodel.py, seeds 1 to N,
names the generated code uses itself included) a headless command refuses, at the import or at
the run, and prints the first words of each refusal.

    scripts/refusal-rate.py --cli build/bin/brennoquill-cli --count 200
"""

import argparse
import collections
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "tests", "live"))
import randmodel  # noqa: E402


def run(cli, root, *args):
    done = subprocess.run([cli, "--root", root] + list(args), stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=120)
    return done.returncode, done.stderr.decode(errors="replace")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--cli", required=True)
    parser.add_argument("--count", type=int, default=200)
    parser.add_argument("--resources", default=os.path.join(os.path.dirname(HERE), "resources"))
    args = parser.parse_args()
    reasons = collections.Counter()
    refused = 0
    with tempfile.TemporaryDirectory() as work:
        for seed in range(1, args.count + 1):
            root = os.path.join(work, str(seed))
            for folder in ("template", "bak"):
                shutil.copytree(os.path.join(args.resources, folder), os.path.join(root, folder))
            model = randmodel.random_model(seed)
            path = os.path.join(root, "model.json")
            randmodel.write(model, path)
            code, err = run(args.cli, root, "import", path)
            if code == 0:
                code, err = run(args.cli, root, "generate", "--project",
                                randmodel.project_name(model))
            shutil.rmtree(root)
            if code != 0:
                refused += 1
                line = err.strip().splitlines()[-1] if err.strip() else "exit %d" % code
                # the rule, not the class or member it names
                rule = re.sub(r"(类名?|成员名?)[A-Za-z0-9_$\"]+", r"\1‹›", line.split(":", 1)[-1].strip())
                reasons[rule[:60]] += 1
    print("%d of %d random models refused (%.0f%%)" % (refused, args.count,
                                                       100.0 * refused / args.count))
    for reason, count in reasons.most_common(15):
        print("%4d  %s" % (count, reason))


if __name__ == "__main__":
    main()
