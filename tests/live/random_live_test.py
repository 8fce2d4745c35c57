#!/usr/bin/env python3
"""Live test of random models: each fixed-seed random model (or model file) is imported and
generated with the headless command, built with its own pom, served with jetty or a stock
Tomcat (in turn) against a private MariaDB or PostgreSQL (in turn, after each pair of models),
and driven from its pages only. A model the checks refuse is counted as refused. Prints
PASS/FAIL per check, a line per model and the tally; exits 1 on a failure."""

import argparse
import json
import os
import shutil
import subprocess
import sys
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import pagedriver  # noqa: E402
import processes  # noqa: E402
import randmodel  # noqa: E402
import webapp  # noqa: E402
import wordvalues  # noqa: E402
from mariadb import MariaDB  # noqa: E402
from postgresdb import PostgresLive  # noqa: E402
from processes import SetupError  # noqa: E402
from results import Results  # noqa: E402


def arguments():
    parser = argparse.ArgumentParser(description=__doc__)
    webapp.add_common_arguments(parser, 3500)
    parser.add_argument("--seed", type=int, default=1, help="the first random model's seed")
    parser.add_argument("--count", type=int, default=0, help="how many random models")
    parser.add_argument("--model", action="append", default=[],
                        help="a model file to drive (its first project); repeatable")
    parser.add_argument("--lookups", action="store_true",
                        help="also drive each referenced class's type-ahead (look-up action)")
    parser.add_argument("--databases", default="mariadb,postgresql",
                        help="the database kinds the models take in turn")
    parser.add_argument("--edge-values", type=int, default=0,
                        help="how many times to drive the model of the newer words' edge values "
                             "(after the model files), each on the next container and database")
    return parser.parse_args()


class Tally(Results):
    """Results of one model, added into the run's tally."""

    def __init__(self, total):
        super().__init__()
        self.total = total

    def check(self, name, why):
        self.total.passed += why is None
        self.total.failed += why is not None
        return super().check(name, why)


def cli_run(cli, argv):
    for _ in range(30):  # the binary may be replaced while it is rebuilt
        if os.path.exists(cli):
            break
        time.sleep(2)
    done = subprocess.run([cli] + argv, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          stdin=subprocess.DEVNULL, timeout=300)
    return done.returncode, done.stdout.decode(errors="replace")


EDGE_TAG = "edge values"


def models(args):
    found = []
    for path in args.model:
        with open(path, encoding="utf-8-sig") as f:
            found.append((os.path.basename(path), json.load(f)))
    edge = randmodel.edge_model()
    for _ in range(args.edge_values if edge else 0):
        found.append((EDGE_TAG, edge))
    for seed in range(args.seed, args.seed + args.count):
        found.append(("seed %d" % seed, randmodel.random_model(seed)))
    return found


def generate(args, tag, model, folder, kind):
    """The generated project folder, or None when the checks refuse the model."""
    shutil.rmtree(folder, ignore_errors=True)
    root = webapp.prepare_root(folder, os.path.abspath(args.resources))
    path = os.path.join(folder, "model.json")
    randmodel.write(model, path)
    name = randmodel.project_name(model)
    code, out = cli_run(args.cli, ["--root", root, "import", path])
    if code == 0:
        code, out = cli_run(args.cli, ["--root", root, "generate", "--project", name,
                                       "--database", kind])
    if code in (1, 3):
        print("REFUSED %s (exit %d): %s" % (tag, code, out.strip().splitlines()[-1:]), flush=True)
        return None
    if code != 0:
        raise SetupError("brennoquill-cli exit %d: %s" % (code, out[-2000:]))
    project = os.path.join(root, "projects", name)
    if not os.path.isfile(os.path.join(project, "pom.xml")):
        raise SetupError("the generated project has no pom.xml: " + project)
    return project


def drive_model(args, servers, tag, model, index, total, maven_args):
    """Returns "refused", "passed" or "failed"; the models take the containers in turn, and
    the database kinds in turn once every container had one."""
    results = Tally(total)
    names = webapp.containers(args)
    container = names[index % len(names)]
    db = servers[(index // len(names)) % len(servers)]
    folder = os.path.join(args.work, "model-%d" % index)
    project = generate(args, tag, model, folder, db.kind)
    if project is None and tag == EDGE_TAG:
        results.check("[%s] the checks take the edge-value model" % tag, "refused")
        return "failed", results
    if project is None:
        return "refused", results
    tag = "%s on %s and %s" % (tag, container, db.kind)
    server = None
    try:
        war = webapp.package(project, maven_args)
        db.recreate()
        server = webapp.serve(container, project, war, args.work, db, args)
        drive = pagedriver.run(server.base_url(), results, "[%s]" % tag, server.log_path,
                               randmodel.field_words(model), args.lookups)
        if tag.startswith(EDGE_TAG):
            results.check("[%s] the tables hold what the pages show" % tag,
                          wordvalues.stored_difference(db, model, drive.sites))
    except SetupError as error:
        results.check("[%s] build and serve" % tag, str(error)[-1500:])
    finally:
        if server:
            server.stop()
    return ("passed" if results.failed == 0 else "failed"), results


def database_servers(args):
    kinds = {"mariadb": MariaDB, "postgresql": PostgresLive}
    names = [n.strip() for n in args.databases.split(",") if n.strip()]
    if not names or any(n not in kinds for n in names):
        raise SetupError("unknown databases %r; choose of %s" % (names, ", ".join(kinds)))
    return [kinds[n](args.work) for n in names]


def run_all(args, started):
    maven_args = webapp.maven_arguments(args)
    os.makedirs(args.work, exist_ok=True)
    webapp.stop_leftovers(args.work)
    total = Results()
    lines = []
    servers = database_servers(args)
    try:
        for db in servers:
            db.start()
        for index, (tag, model) in enumerate(models(args)):
            print("== %s: %s (%.0f s)" % (tag, randmodel.describe(model),
                                         time.monotonic() - started), flush=True)
            outcome, results = drive_model(args, servers, tag, model, index, total, maven_args)
            if outcome == "failed":
                print("model of %s:\n%s" % (tag, json.dumps(model, ensure_ascii=False)))
            lines.append("%-8s %s: %s" % (outcome.upper(), tag, results.summary()))
    finally:
        for db in servers:
            db.stop()
    print("== per model")
    for line in lines:
        print(line)
    counts = {o: sum(line.startswith(o.upper()) for line in lines)
              for o in ("passed", "failed", "refused")}
    print("models: %d, accepted %d (passed %d, failed %d), refused %d; checks: %s"
          % (len(lines), counts["passed"] + counts["failed"], counts["passed"],
             counts["failed"], counts["refused"], total.summary()))
    return total, counts


def main():
    args = arguments()
    processes.install_cleanup(args.deadline)
    started = time.monotonic()

    def body():
        total, counts = run_all(args, started)
        print("%s (%.0f s)" % (total.summary(), time.monotonic() - started))
        return 0 if total.failed == 0 and counts["failed"] == 0 and total.passed > 0 else 1
    return processes.test_exit_code(body)


if __name__ == "__main__":
    sys.exit(main())
