#!/usr/bin/env python3
"""Database-first live test: a schema of snake_case tables (a foreign key named unlike the
referenced key, nullable text, a view) loaded with rows into a private MariaDB, imported with a
user that may only SELECT, generated, built and served on jetty against that same database
(--database postgresql: the same schema in a private PostgreSQL, served on Tomcat);
then through the pages: every list shows its table's row count, and saving every row unchanged
leaves every table's checksum as it was and the schema unchanged but for the Admin table. CamelCase
tables add a key the user assigns (asked for, checked, a taken one refused) and nullable numbers
(an empty field stored as NULL); add, modify and delete work on them. A table of every type
(date and time, exact decimals, long integers, long text, yes/no) holds edge values and NULLs
through the same listing and unchanged saves.
Prints PASS/FAIL per check and the tally; exits 1 on a failure."""

import argparse
import os
import re
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
from postgresdb import PostgresLive  # noqa: E402
from processes import SetupError  # noqa: E402
from results import Results, snippet  # noqa: E402

DATABASE = "brennoquill"  # the database MariaDB.jdbc_url names
PROJECT = "shop"
READER_PASSWORD = "rd-Pass-1"
NEW_GENRE = "100"  # the key given on Genre's add page

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
    # CamelCase names; a key the database does not number, referenced by another table; nullable
    # numbers holding NULLs
    # (quoted, so that PostgreSQL keeps their case too)
    "CREATE TABLE `Genre` (`GenreId` INT NOT NULL PRIMARY KEY, `Name` VARCHAR(120) NULL)",
    "CREATE TABLE `Track` (`TrackId` INT AUTO_INCREMENT PRIMARY KEY,"
    " `Name` VARCHAR(200) NOT NULL, `GenreId` INT NULL, `Milliseconds` INT NULL,"
    " `UnitPrice` DECIMAL(10,2) NULL, `Rating` FLOAT NULL,"
    " FOREIGN KEY (`GenreId`) REFERENCES `Genre`(`GenreId`))",
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
    # a track without a genre: a nullable reference holding NULL
    "INSERT INTO `Genre` (`GenreId`, `Name`) VALUES (1, 'Rock'), (2, NULL), (7, 'Jazz')",
    "INSERT INTO `Track` (`Name`, `GenreId`, `Milliseconds`, `UnitPrice`, `Rating`) VALUES"
    " ('For Those About To Rock', 1, 343719, 0.99, 4.5), ('Balls to the Wall', 2, NULL,"
    " NULL, NULL), ('So What', 7, 545000, NULL, 3), ('Untitled', NULL, NULL, 1.99, NULL)",
]

# A table of every type with edge values and NULLs, in each database's words: date and time,
# exact decimals, long integers, long text (100 KB of Chinese in one), yes/no (required and
# not); MariaDB adds INT UNSIGNED, YEAR and ENUM.
LONG_TEXT = "repeat('中文Text,', 10240)"
BODY = "'line one\nline two <b>&amp;</b> 中文'"

EVERY_TYPE_MYSQL = [
    "CREATE TABLE every_type (id BIGINT AUTO_INCREMENT PRIMARY KEY, label VARCHAR(40) NOT NULL,"
    " at DATETIME NULL, amount DECIMAL(18,4) NULL, whole DECIMAL(5,0) NULL, wide BIGINT NULL,"
    " body TEXT NULL, long_body MEDIUMTEXT NULL, flag BOOLEAN NOT NULL, maybe BOOLEAN NULL,"
    " counter INT UNSIGNED NULL, born YEAR NULL, size ENUM('S','M','XL') NULL)",
    "INSERT INTO every_type (label, at, amount, whole, wide, body, long_body, flag, maybe,"
    " counter, born, size) VALUES"
    " ('largest', '9999-12-31 23:59:59', 99999999999999.9999, 99999, 9223372036854775807,"
    " %s, %s, TRUE, NULL, 4294967295, 2155, 'XL'),"
    " ('smallest', '1000-01-01 00:00:00', -99999999999999.9999, -99999, -9223372036854775808,"
    " '0', 'x', FALSE, TRUE, 0, 1901, 'S'),"
    " ('empty', NULL, NULL, NULL, NULL, NULL, NULL, FALSE, FALSE, NULL, NULL, NULL)"
    % (BODY, LONG_TEXT),
]

EVERY_TYPE_PG = [
    "CREATE TABLE every_type (id BIGSERIAL PRIMARY KEY, label VARCHAR(40) NOT NULL,"
    " at TIMESTAMP(0) NULL, amount NUMERIC(18,4) NULL, whole NUMERIC(5,0) NULL,"
    " wide BIGINT NULL, body TEXT NULL, long_body TEXT NULL, flag BOOLEAN NOT NULL,"
    " maybe BOOLEAN NULL)",
    "INSERT INTO every_type (label, at, amount, whole, wide, body, long_body, flag, maybe)"
    " VALUES ('largest', '9999-12-31 23:59:59', 99999999999999.9999, 99999,"
    " 9223372036854775807, %s, %s, TRUE, NULL),"
    " ('smallest', '1000-01-01 00:00:00', -99999999999999.9999, -99999, -9223372036854775808,"
    " '0', 'x', FALSE, TRUE),"
    " ('empty', NULL, NULL, NULL, NULL, NULL, NULL, FALSE, FALSE)" % (BODY, LONG_TEXT),
]

# Class name the import gives -> its table.
TABLES = {"ProductType": "product_type", "Staff": "staff", "StoreBranch": "store_branch",
          "Product": "product", "Genre": "Genre", "Track": "Track", "EveryType": "every_type"}


def arguments():
    parser = argparse.ArgumentParser(description=__doc__)
    webapp.add_common_arguments(parser, 900)
    parser.add_argument("--database", choices=("mariadb", "postgresql"), default="mariadb",
                        help="the server the schema is loaded into and served from")
    parser.add_argument("--lower-case-table-names", type=int, choices=(0, 1), default=0,
                        help="the server's lower_case_table_names (1: the Windows default)")
    return parser.parse_args()


# ---- PostgreSQL: the same schema and rows, its own catalogue queries

def pg_statement(statement):
    return statement.replace("INT AUTO_INCREMENT PRIMARY KEY", "SERIAL PRIMARY KEY").replace(
        "`", '"')


def pg_schema(db):
    return db.rows(
        "SELECT 'col', table_name, column_name, data_type, is_nullable,"
        " coalesce(column_default, ''), coalesce(character_maximum_length::text, '')"
        " FROM information_schema.columns WHERE table_schema = 'public' UNION ALL"
        " SELECT 'idx', tablename, indexname, indexdef, '', '', '' FROM pg_indexes"
        " WHERE schemaname = 'public' UNION ALL"
        " SELECT 'con', table_name, constraint_name, constraint_type, '', '', ''"
        " FROM information_schema.table_constraints WHERE table_schema = 'public' UNION ALL"
        " SELECT 'tab', table_name, table_type, '', '', '', '' FROM information_schema.tables"
        " WHERE table_schema = 'public' ORDER BY 1, 2, 3, 4")


def pg_checksums(db):
    return {t: db.rows("SELECT md5(coalesce(string_agg(r::text, '|' ORDER BY r::text), ''))"
                       " FROM \"%s\" r" % t)[0] for t in TABLES.values()}


def pg_load(db):
    for statement in SCHEMA + ROWS:
        db.rows(pg_statement(statement))
    for statement in EVERY_TYPE_PG:
        db.rows(statement)
    db.rows("CREATE ROLE reader LOGIN PASSWORD '%s'" % READER_PASSWORD)
    db.rows("GRANT USAGE ON SCHEMA public TO reader; "
            "GRANT SELECT ON ALL TABLES IN SCHEMA public TO reader")


def pg_count(db, table):
    return int(db.rows('SELECT COUNT(*) FROM "%s"' % table)[0])


def on_postgres(db):
    return db.kind == "postgresql"


def sql_lines(db, statement):
    done = subprocess.run(db.client(statement), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          stdin=subprocess.DEVNULL, timeout=60)
    if done.returncode != 0:
        raise SetupError("mariadb: %s: %s" % (statement, done.stderr.decode(errors="replace")))
    return done.stdout.decode().splitlines()


def schema(db):
    """Every column, index and table of the database, as text lines."""
    if on_postgres(db):
        return pg_schema(db)
    return sql_lines(db, (
        "SELECT 'col', TABLE_NAME, COLUMN_NAME, COLUMN_TYPE, IS_NULLABLE, COLUMN_DEFAULT, EXTRA"
        " FROM information_schema.COLUMNS WHERE TABLE_SCHEMA='%s' UNION ALL"
        " SELECT 'idx', TABLE_NAME, INDEX_NAME, COLUMN_NAME, SEQ_IN_INDEX, NON_UNIQUE, ''"
        " FROM information_schema.STATISTICS WHERE TABLE_SCHEMA='%s' UNION ALL"
        " SELECT 'tab', TABLE_NAME, TABLE_TYPE, '', '', '', ''"
        " FROM information_schema.TABLES WHERE TABLE_SCHEMA='%s' ORDER BY 1, 2, 3, 4")
        % (DATABASE, DATABASE, DATABASE))


def checksums(db):
    if on_postgres(db):
        return pg_checksums(db)
    return {t: sql_lines(db, "CHECKSUM TABLE %s.%s" % (DATABASE, t))[0].split("\t")[-1]
            for t in TABLES.values()}


def load(db):
    if on_postgres(db):
        return pg_load(db)
    for statement in SCHEMA + ROWS + EVERY_TYPE_MYSQL:
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
    url = "%s://reader@127.0.0.1:%d/%s" % ("postgresql" if on_postgres(db) else "mysql", db.port,
                                          DATABASE)
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
        expected = (pg_count(db, TABLES[name]) if on_postgres(db) else
                    int(sql_lines(db, "SELECT COUNT(*) FROM %s.%s" % (DATABASE, TABLES[name]))[0]))
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


def page_text(reply):
    return pageforms.LabelledPage(reply.text).text


# The CamelCase names the queries below use, quoted for PostgreSQL.
CAMEL_CASE = re.compile(r"\b(Genre|Track|Name|GenreId|TrackId|Milliseconds|UnitPrice|Rating)\b")


def rows_of(db, query):
    """The rows as tab-separated lines, NULL written as NULL."""
    if not on_postgres(db):
        return sql_lines(db, "USE %s; %s" % (DATABASE, query))
    argv = db.client(DATABASE, CAMEL_CASE.sub(r'"\1"', query)) + [
        "-A", "-t", "-F", "\t", "-P", "null=NULL"]
    done = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          stdin=subprocess.DEVNULL, timeout=60, env=db.env())
    if done.returncode != 0:
        raise SetupError("psql: %s: %s" % (query, done.stderr.decode(errors="replace")))
    return done.stdout.decode().splitlines()


def add_form(drive, name):
    site = drive.sites[name]
    reply, page, form = drive.form(site.add_url, "_Add%s.action" % name)
    return urllib.parse.urljoin(reply.url, form.action), form


def post_with(drive, url, form, values):
    """Posts the form as the page fills it, but for the given values."""
    posted = dict(form.values())
    posted.update(values)
    return page_text(drive.client.post(url, list(posted.items())))


def add_assigned_key(drive, db):
    """Genre's key is not numbered by the database: the add page asks for it, the server
    checks it and refuses a key already taken."""
    url, form = add_form(drive, "Genre")
    drive.check("Genre add form asks for the key genre.genreId",
                None if form.field("genre.genreId") else "fields %s" % form.names())
    refused = [("", "请输入genreId"),
               ("2147483648", "genreId必须是-2147483648到2147483647之间的整数")]
    for key, message in refused:
        text = post_with(drive, url, form, {"genre.genreId": key, "genre.name": "x"})
        drive.check("Genre add with key %r refused: %s" % (key, message),
                    None if message in text else snippet(text))
    text = post_with(drive, url, form, {"genre.genreId": NEW_GENRE, "genre.name": "Blues"})
    drive.check("Genre add with the key %s" % NEW_GENRE,
                None if "Genre添加成功!" in text else snippet(text))
    stored = rows_of(db, "SELECT Name FROM Genre WHERE GenreId = %s" % NEW_GENRE)
    drive.check("Genre row %s stored with its key" % NEW_GENRE,
                None if stored == ["Blues"] else stored)
    before = rows_of(db, "SELECT GenreId, Name FROM Genre ORDER BY GenreId")
    for key in (NEW_GENRE, "1"):
        text = post_with(drive, url, form, {"genre.genreId": key, "genre.name": "Twice"})
        drive.check("Genre add with the taken key %s refused" % key,
                    None if "该genreId已经存在!" in text else snippet(text))
    after = rows_of(db, "SELECT GenreId, Name FROM Genre ORDER BY GenreId")
    drive.check("refused Genre adds change nothing",
                None if after == before else "before %s, after %s" % (before, after))


def add_with_nulls(drive, db):
    """Empty nullable number fields are stored as NULL."""
    url, form = add_form(drive, "Track")
    values = {"track.name": "Blue in Green", "track.milliseconds": "", "track.unitPrice": "",
              "track.rating": ""}
    text = post_with(drive, url, form, values)
    drive.check("Track add with empty numbers", None if "Track添加成功!" in text else snippet(text))
    stored = rows_of(db, "SELECT Milliseconds, UnitPrice, Rating FROM Track"
                         " WHERE Name = 'Blue in Green'")
    drive.check("Track's empty numbers stored as NULL",
                None if stored == ["NULL\tNULL\tNULL"] else stored)


def modify_form(drive, name, key):
    shown = drive.listed(drive.sites[name])
    if key not in shown:
        raise pagedriver.Stop("%s row %s not listed" % (name, key))
    href = urllib.parse.urljoin(drive.client.base + "/", shown[key][0].links["修改"])
    reply, page, form = drive.form(href, "_Modify%s.action" % name)
    return urllib.parse.urljoin(reply.url, form.action), form


def modify_and_delete(drive, db):
    url, form = modify_form(drive, "Genre", NEW_GENRE)
    text = post_with(drive, url, form, {"genre.name": "Delta Blues"})
    stored = rows_of(db, "SELECT Name FROM Genre WHERE GenreId = %s" % NEW_GENRE)
    drive.check("Genre row %s modified" % NEW_GENRE,
                None if "Genre信息更新成功!" in text and stored == ["Delta Blues"]
                else "%s %s" % (stored, snippet(text)))
    track = rows_of(db, "SELECT TrackId FROM Track WHERE Name = 'So What'")[0]
    url, form = modify_form(drive, "Track", track)
    text = post_with(drive, url, form, {"track.milliseconds": "", "track.rating": "2.5"})
    stored = rows_of(db, "SELECT Milliseconds, UnitPrice, Rating FROM Track WHERE TrackId = %s"
                     % track)
    drive.check("Track %s modified: a cleared number is NULL" % track,
                None if "Track信息更新成功!" in text and stored == ["NULL\tNULL\t2.5"]
                else "%s %s" % (stored, snippet(text)))
    form = drive.delete_form(drive.sites["Genre"], NEW_GENRE)
    text = page_text(drive.post_form(form)) if form else "no 删除 form"
    stored = rows_of(db, "SELECT COUNT(*) FROM Genre WHERE GenreId = %s" % NEW_GENRE)
    drive.check("Genre row %s deleted" % NEW_GENRE,
                None if "Genre删除成功!" in text and stored == ["0"]
                else "%s %s" % (stored, snippet(text)))


def run(args, results):
    maven_args = webapp.maven_arguments(args)
    os.makedirs(args.work, exist_ok=True)
    webapp.stop_leftovers(args.work)
    db = (PostgresLive(args.work) if args.database == "postgresql"
          else MariaDB(args.work, args.lower_case_table_names))
    container = "tomcat" if on_postgres(db) else "jetty"
    server = None
    try:
        db.start()
        load(db)
        before, sums = schema(db), checksums(db)
        project = import_and_generate(args, db, results)
        war = webapp.package(project, maven_args)
        server = webapp.serve(container, project, war, args.work, db, args)
        drive = pagedriver.Drive(server.base_url(), results, "[dbfirst %s]" % db.kind,
                                 server.log_path)
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
        results.stage("[dbfirst] assigned key", lambda: add_assigned_key(drive, db),
                      pagedriver.Stop)
        results.stage("[dbfirst] nullable numbers", lambda: add_with_nulls(drive, db),
                      pagedriver.Stop)
        results.stage("[dbfirst] modify and delete", lambda: modify_and_delete(drive, db),
                      pagedriver.Stop)
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
