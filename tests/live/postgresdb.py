"""A private PostgreSQL server for the live tests, on 127.0.0.1 and a free port, with the
database `brennoquill` the application uses. Its sql() takes the statements the MariaDB drives
write (`brennoquill.` before a table, backticks, camelCase names bare, backslash escapes in
strings) and returns the rows as MariaDB's client prints them (tab-separated, no header)."""

import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "import_db"))

import postgres  # noqa: E402
from processes import SetupError  # noqa: E402

DATABASE = "brennoquill"
PASSWORD = "pg-Live-1"

CAMEL = re.compile(r'(?<![\w"])([a-z][a-z0-9]*[A-Z][A-Za-z0-9_]*)(?![\w"])')
SEQUENCE = re.compile(r"\bseq_1_to_(\d+)\b")
SELECT_LOGGED = re.compile(r"LOG:\s+(execute [^:]*|statement): select", re.I)


def pid_file(work):
    return os.path.join(work, "postgres.pid")


def mysql_string(text, start):
    """The value of the single-quoted MariaDB string at start, and the index after it."""
    value, i = [], start + 1
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            value.append(text[i + 1])
            i += 2
        elif c == "'" and text[i + 1:i + 2] == "'":
            value.append("'")
            i += 2
        elif c == "'":
            return "".join(value), i + 1
        else:
            value.append(c)
            i += 1
    raise SetupError("unterminated string in " + text)


def words(part):
    part = part.replace(DATABASE + ".", "").replace("`", '"')
    part = SEQUENCE.sub(r"generate_series(1, \1) AS s(seq)", part)
    return CAMEL.sub(r'"\1"', part)


def translated(statement):
    """The statement in PostgreSQL's words."""
    out, i = [], 0
    while True:
        quote = statement.find("'", i)
        if quote < 0:
            out.append(words(statement[i:]))
            return "".join(out)
        out.append(words(statement[i:quote]))
        value, i = mysql_string(statement, quote)
        out.append("'" + value.replace("'", "''") + "'")


class PostgresLive(postgres.PostgreSQL):
    kind = "postgresql"
    user = postgres.SUPERUSER  # the application's writing user

    def __init__(self, work):
        super().__init__(work, PASSWORD)
        self.app_password = PASSWORD

    def start(self):
        super().start()
        # every statement in the server's log, so that a test can count the SELECTs of a page
        self.admin_sql("postgres", "ALTER SYSTEM SET log_statement = 'all'")
        self.admin_sql("postgres", "SELECT pg_reload_conf()")
        self.admin_sql("postgres", "CREATE DATABASE %s ENCODING 'UTF8'" % DATABASE)

    def select_count(self):
        """The SELECT statements the server has run so far, read from its log."""
        with open(os.path.join(self.base, "stdout.log"), errors="replace") as f:
            return sum(1 for line in f if SELECT_LOGGED.search(line))

    def jdbc_url(self):
        return "jdbc:postgresql://127.0.0.1:%d/%s?stringtype=unspecified" % (self.port, DATABASE)

    def admin_sql(self, database, statement):
        postgres.PostgreSQL.sql(self, database, statement)

    def rows(self, statement, database=DATABASE):
        argv = self.client(database, statement) + ["-A", "-t", "-F", "\t"]
        done = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              stdin=subprocess.DEVNULL, timeout=60, env=self.env())
        if done.returncode != 0:
            raise SetupError("psql: %s: %s" % (statement, done.stderr.decode(errors="replace")))
        return done.stdout.decode().splitlines()

    def sql(self, statement):
        return "\n".join(self.rows(translated(statement))) + "\n"

    def recreate(self):
        self.admin_sql("postgres", "DROP DATABASE IF EXISTS %s WITH (FORCE)" % DATABASE)
        self.admin_sql("postgres", "CREATE DATABASE %s ENCODING 'UTF8'" % DATABASE)
