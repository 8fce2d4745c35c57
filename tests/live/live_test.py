#!/usr/bin/env python3
"""Live test of a generated application: generates the sample project with the headless
command, builds it with its pom, serves it with jetty against a private MariaDB and on Tomcat
against a private PostgreSQL (the project generated for each kind), and drives its pages over
HTTP. Prints PASS/FAIL per check, then the tally; exits 1 on any failure."""

import argparse
import os
import sys
import time

# The modules beside this file; no bytecode cache in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import processes  # noqa: E402
import scenario  # noqa: E402
import webapp  # noqa: E402
from mariadb import MariaDB  # noqa: E402
from postgresdb import PostgresLive  # noqa: E402
from results import Results  # noqa: E402


def arguments():
    parser = argparse.ArgumentParser(description=__doc__)
    webapp.add_common_arguments(parser, 1700)
    parser.add_argument("--databases", default="mariadb,postgresql",
                        help="the database kind of each container, in the containers' order")
    return parser.parse_args()


SERVERS = {"mariadb": MariaDB, "postgresql": PostgresLive}


def kinds(args):
    """The database kind of each container: the list's entry, else its last one."""
    names = [n.strip() for n in args.databases.split(",") if n.strip()]
    unknown = [n for n in names if n not in SERVERS]
    if unknown or not names:
        raise processes.SetupError("unknown databases %r; choose of %s"
                                   % (unknown, ", ".join(SERVERS)))
    return names


def step(text, started):
    print("-- %s (%.1f s)" % (text, time.monotonic() - started), flush=True)


def serve_and_drive(args, results, started):
    maven_args = webapp.maven_arguments(args)
    os.makedirs(args.work, exist_ok=True)
    webapp.stop_leftovers(args.work)
    root = webapp.prepare_root(args.work, os.path.abspath(args.resources))
    names = kinds(args)
    for index, container in enumerate(webapp.containers(args)):
        kind = names[min(index, len(names) - 1)]
        project = webapp.generate(os.path.abspath(args.cli), root, kind)
        step("generated %s for %s" % (project, kind), started)
        war = webapp.package(project, maven_args)
        step("mvn package built the WAR", started)
        results.prefix = "[%s] " % container
        drive_on(container, SERVERS[kind](args.work), args, project, war, results, started)
    results.prefix = ""


def drive_on(container, db, args, project, war, results, started):
    """The whole scenario on one container, against a fresh database."""
    server = None
    try:
        db.start()
        step("%s listens on 127.0.0.1:%d" % (db.kind, db.port), started)
        server = webapp.serve(container, project, war, args.work, db, args)
        step("%s serves %s" % (container, server.base_url()), started)
        requests = scenario.run(server.base_url(), results, server.log_path, db)
        step("%d requests on %s" % (requests, container), started)
    finally:
        if server:
            server.stop()
        db.stop()


def main():
    args = arguments()
    processes.install_cleanup(args.deadline)
    results = Results()
    started = time.monotonic()

    def body():
        serve_and_drive(args, results, started)
        step("servers stopped", started)
        print(results.summary())
        return 0 if results.failed == 0 and results.passed > 0 else 1
    return processes.test_exit_code(body, results)


if __name__ == "__main__":
    sys.exit(main())
