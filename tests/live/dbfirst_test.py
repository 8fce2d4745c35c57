#!/usr/bin/env python3
"""Database-first live test: a schema of snake_case tables (a foreign key named unlike the
referenced key, nullable text, a view) loaded with rows into a private MariaDB, imported with a
user that may only SELECT, generated, built and served on jetty against that same database;
then through the pages: every list shows its table's row count, and saving every row unchanged
leaves every table's checksum as it was and the schema unchanged but for the Admin table.
Prints PASS/FAIL per check and the tally; exits 1 on a failure."""

import argparse
import os
import subprocess
import sys
import time
import urllib.parse

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import pageforms  # noqa: E402
import pagedriver  # noqa: E402
import processes  # noqa: E402
import webapp  # noqa: E402
from mariadb import MariaDB  # noqa: E402
from processes import SetupError  # noqa: E402
from results import Results, snippet  # noqa: E402

DATABASE = "brennoquill"  # the database MariaDB.jdbc_url names
PROJECT = "shop"
READER_PASSWORD = "rd-Pass-1"

SCHEMA = [
    "CREATE TABLE product_type (type_id INT AUTO_INCREMENT PRIMARY KEY,"
    " type_name VARCHAR(40) NOT NULL)",
    "CREATE TABLE staff (staff_id INT AUTO_INCREMENT PRIMARY KEY,"
    " full_name VARCHAR(40) NOT NULL, phone VARCHAR(20) NULL)",
    "CREATE TABLE store_branch (branch_id INT AUTO_INCREMENT PRIMARY KEY,"
    " branch_name VARCHAR(40) NOT NULL, manager_staff_id INT NOT NULL,"
    " note VARCHAR(80) NULL, opened_on DATE NULL,"
    " FOREIGN KEY (manager_staff_id) REFERENCES staff(staff_id))",
    "CREATE TABLE product (product_id INT AUTO_INCREMENT PRIMARY KEY,"
    " product_name VARCHAR(60) NOT NULL, type_id INT NOT NULL, price DECIMAL(8,2) NOT NULL,"
    " description VARCHAR(200) NULL, FOREIGN KEY (type_id) REFERENCES product_type(type_id))",
    "CREATE VIEW product_list AS SELECT p.product_name, t.type_name FROM product p"
    " JOIN product_type t ON t.type_id = p.type_id",
]

ROWS = [
    "INSERT INTO product_type (type_name) VALUES ('书籍'), ('文具'), ('玩具')",
    "INSERT INTO staff (full_name, phone) VALUES ('张三', NULL), ('李四', '010-1234'),"
    " ('Wang Wu', '021-5678')",
    "INSERT INTO store_branch (branch_name, manager_staff_id, note, opened_on) VALUES"
    " ('东城店', 2, NULL, '2020-02-29'), ('西城店', 1, 'corner <b>shop</b>', NULL)",
    "INSERT INTO product (product_name, type_id, price, description) VALUES"
    " ('笔记本', 2, 12.50, NULL), ('童话', 1, 30.00, '精装'), ('积木', 3, 99.99, NULL),"
    " ('铅笔', 2, 1.20, 'HB')",
]

# Class name the import gives -> its table.
TABLES = {"ProductType": "product_type", "Staff": "staff", "StoreBranch": "store_branch",
          "Product": "product"}


def arguments():
    parser = argparse.ArgumentParser(description=__doc__)
    webapp.add_common_arguments(parser, 900)
    parser.add_argument("--lower-case-table-names", type=int, choices=(0, 1), default=0,
                        help="the server's lower_case_table_names (1: the Windows default)")
    return parser.parse_args()


def sql_lines(db, statement):
    done = subprocess.run(db.client(statement), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          stdin=subprocess.DEVNULL, timeout=60)
    if done.returncode != 0:
        raise SetupError("mariadb: %s: %s" % (statement, done.stderr.decode(errors="replace")))
    return done.stdout.decode().splitlines()


def schema(db):
    """Every column, index and table of the database, as text lines."""
    return sql_lines(db, (
        "SELECT 'col', TABLE_NAME, COLUMN_NAME, COLUMN_TYPE, IS_NULLABLE, COLUMN_DEFAULT, EXTRA"
        " FROM information_schema.COLUMNS WHERE TABLE_SCHEMA='%s' UNION ALL"
        " SELECT 'idx', TABLE_NAME, INDEX_NAME, COLUMN_NAME, SEQ_IN_INDEX, NON_UNIQUE, ''"
        " FROM information_schema.STATISTICS WHERE TABLE_SCHEMA='%s' UNION ALL"
        " SELECT 'tab', TABLE_NAME, TABLE_TYPE, '', '', '', ''"
        " FROM information_schema.TABLES WHERE TABLE_SCHEMA='%s' ORDER BY 1, 2, 3, 4")
        % (DATABASE, DATABASE, DATABASE))


def checksums(db):
    return {t: sql_lines(db, "CHECKSUM TABLE %s.%s" % (DATABASE, t))[0].split("\t")[-1]
            for t in TABLES.values()}


def load(db):
    for statement in SCHEMA + ROWS:
        db.sql("USE %s; %s" % (DATABASE, statement))
    db.sql("CREATE USER 'reader'@'127.0.0.1' IDENTIFIED BY '%s'; "
           "GRANT SELECT ON %s.* TO 'reader'@'127.0.0.1'" % (READER_PASSWORD, DATABASE))


def cli(args, argv, env=None):
    done = subprocess.run([args.cli] + argv, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          stdin=subprocess.DEVNULL, timeout=300, env=env)
    return done.returncode, done.stdout.decode(errors="replace")


def import_and_generate(args, db, results):
    folder = os.path.join(args.work, "dbfirst")
    root = webapp.prepare_root(folder, os.path.abspath(args.resources))
    env = dict(os.environ, BRENNOQUILL_DB_PASSWORD=READER_PASSWORD)
    url = "mysql://reader@127.0.0.1:%d/%s" % (db.port, DATABASE)
    code, out = cli(args, ["--root", root, "import-db", url, "--as", PROJECT], env)
    results.check("import-db with a SELECT-only user", None if code == 0 else out[-1500:])
    if code != 0:
        raise SetupError("import-db failed")
    code, out = cli(args, ["--root", root, "generate", "--project", PROJECT])
    if code != 0:
        raise SetupError("generate failed: " + out[-1500:])
    return os.path.join(root, "projects", PROJECT)


def check_counts(drive, db):
    for name, site in sorted(drive.sites.items()):
        expected = int(sql_lines(db, "SELECT COUNT(*) FROM %s.%s" % (DATABASE, TABLES[name]))[0])
        reply, page = drive.query_pages(site)[0]
        numbers = page.paging_numbers()
        drive.check("%s list shows the %d rows of %s" % (name, expected, TABLES[name]),
                    None if numbers and numbers[0] == expected
                    else "%s: %s" % (reply.brief(), numbers))


def save_unchanged(drive):
    """Posts every row's modify form as the page shows it."""
    for name, site in sorted(drive.sites.items()):
        failed = []
        shown = drive.listed(site)
        for key, (row, _) in shown.items():
            href = urllib.parse.urljoin(drive.client.base + "/", row.links["修改"])
            reply, page, form = drive.form(href, "_Modify%s.action" % name)
            answer = drive.client.post(urllib.parse.urljoin(reply.url, form.action),
                                       form.values())
            if "%s信息更新成功!" % name not in pageforms.LabelledPage(answer.text).text:
                failed.append("%s: %s" % (key, snippet(pageforms.LabelledPage(answer.text).text)))
        drive.check("%s: each of %d rows saved unchanged" % (name, len(shown)),
                    "; ".join(failed) or None)


def run(args, results):
    maven_args = webapp.maven_arguments(args)
    os.makedirs(args.work, exist_ok=True)
    webapp.stop_leftovers(args.work)
    db = MariaDB(args.work, args.lower_case_table_names)
    server = None
    try:
        db.start()
        load(db)
        before, sums = schema(db), checksums(db)
        project = import_and_generate(args, db, results)
        war = webapp.package(project, maven_args)
        server = webapp.serve("jetty", project, war, args.work, db, args)
        drive = pagedriver.Drive(server.base_url(), results, "[dbfirst]", server.log_path)
        if not drive.login():
            return
        drive.menu()
        drive.check("menu offers every table's class",
                    None if set(drive.sites) == set(TABLES) else sorted(drive.sites))
        results.stage("[dbfirst] lists", lambda: check_counts(drive, db), pagedriver.Stop)
        results.stage("[dbfirst] save unchanged", lambda: save_unchanged(drive),
                      pagedriver.Stop)
        after = checksums(db)
        results.check("saving unchanged rows leaves every table's checksum",
                      None if after == sums else "before %s, after %s" % (sums, after))
        added = [line for line in schema(db) if line not in before]
        removed = [line for line in before if line not in schema(db)]
        results.check("schema unchanged but for the Admin table",
                      None if not removed and all("\tadmin\t" in line.lower() for line in added)
                      else "added %s, removed %s" % (added, removed))
    finally:
        if server:
            server.stop()
        db.stop()


def main():
    args = arguments()
    processes.install_cleanup(args.deadline)
    started = time.monotonic()
    results = Results()

    def body():
        run(args, results)
        print("%s (%.0f s)" % (results.summary(), time.monotonic() - started))
        return 0 if results.failed == 0 and results.passed > 0 else 1
    return processes.test_exit_code(body)


if __name__ == "__main__":
    sys.exit(main())
