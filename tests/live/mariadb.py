"""A private MariaDB server under the build tree, on 127.0.0.1 and a free port."""

import os
import shutil
import subprocess
import tempfile
import time

import processes
from processes import SetupError, run


def find_program(*names):
    for name in names:
        for folder in (None, "/usr/sbin", "/usr/bin"):
            path = shutil.which(name, path=folder)
            if path:
                return path
    raise SetupError("%s not found (the set-up installs mariadb-server and mariadb-client)"
                     % " / ".join(names))


def pid_file(work):
    return os.path.join(work, "mariadb", "mariadbd.pid")


class MariaDB:
    kind = "mariadb"
    user = "root"  # the application's writing user
    app_password = ""

    def __init__(self, work, lower_case_table_names=0):
        self.work = work
        # 1: names stored and compared in lower case (the Windows default)
        self.lower_case_table_names = lower_case_table_names
        self.base = os.path.join(work, "mariadb")
        self.data = os.path.join(work, "mariadb-data")
        self.port = processes.free_port()
        self.socket = self.socket_path()
        self.child = None

    def socket_path(self):
        # A Unix socket path is limited to about 100 bytes.
        self.socket_dir = None
        path = os.path.join(self.base, "mariadb.sock")
        if len(path.encode()) > 100:
            self.socket_dir = tempfile.mkdtemp(prefix="live-mariadb-")
            path = os.path.join(self.socket_dir, "mariadb.sock")
        return path

    def root_option(self):
        return ["--user=root"] if os.geteuid() == 0 else []

    def case_option(self):
        if not self.lower_case_table_names:
            return []
        return ["--lower-case-table-names=%d" % self.lower_case_table_names]

    def initialise(self):
        os.makedirs(self.base, exist_ok=True)
        shutil.rmtree(self.data, ignore_errors=True)
        run([find_program("mariadb-install-db", "mysql_install_db"), "--no-defaults",
             "--datadir=" + self.data, "--auth-root-authentication-method=normal",
             "--skip-test-db"] + self.case_option() + self.root_option(), "mariadb-install-db")

    def start(self):
        self.initialise()
        argv = [find_program("mariadbd", "mysqld"), "--no-defaults",
                "--datadir=" + self.data, "--socket=" + self.socket,
                "--pid-file=" + os.path.join(self.base, "server.pid"),
                "--port=%d" % self.port, "--skip-networking=0", "--bind-address=127.0.0.1",
                "--character-set-server=utf8mb4", "--collation-server=utf8mb4_unicode_ci",
                "--log-error=" + os.path.join(self.base, "error.log"),
                "--innodb-buffer-pool-size=64M"] + self.case_option() + self.root_option()
        self.child = processes.Child("mariadbd", argv, os.path.join(self.base, "stdout.log"),
                                     pid_file(self.work))
        self.wait_ready(60)
        self.sql("CREATE DATABASE brennoquill CHARACTER SET utf8mb4 "
                 "COLLATE utf8mb4_unicode_ci")

    def wait_ready(self, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not self.child.alive():
                raise SetupError("mariadbd exited at start; see " + self.error_log_tail())
            if processes.port_open(self.port) and self.try_sql("SELECT 1"):
                return
            time.sleep(0.3)
        raise SetupError("mariadbd did not accept connections in %d s; %s"
                         % (timeout, self.error_log_tail()))

    def error_log_tail(self):
        path = os.path.join(self.base, "error.log")
        try:
            with open(path, errors="replace") as f:
                return path + ":\n" + "".join(f.readlines()[-15:])
        except OSError:
            return path + " (missing)"

    def client(self, statement):
        # Over TCP, as the application connects.
        return [find_program("mariadb", "mysql"), "--no-defaults", "--protocol=TCP",
                "-h", "127.0.0.1", "-P", str(self.port), "-u", "root",
                "--default-character-set=utf8mb4", "-N", "-B", "-e", statement]

    def try_sql(self, statement):
        done = subprocess.run(self.client(statement), stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL, timeout=30)
        return done.returncode == 0

    def sql(self, statement):
        return run(self.client(statement), "mariadb: " + statement)

    def jdbc_url(self):
        return ("jdbc:mysql://127.0.0.1:%d/brennoquill?useUnicode=true&characterEncoding=UTF-8"
                "&useSSL=false" % self.port)

    def recreate(self):
        self.sql("DROP DATABASE IF EXISTS brennoquill")
        self.sql("CREATE DATABASE brennoquill CHARACTER SET utf8mb4 COLLATE utf8mb4_unicode_ci")

    def stop(self):
        if self.child:
            self.child.stop()
            self.child = None
        if self.socket_dir:
            shutil.rmtree(self.socket_dir, ignore_errors=True)
