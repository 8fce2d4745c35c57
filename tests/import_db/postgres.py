"""A private PostgreSQL server under the build tree, on 127.0.0.1 and a free port, with a
password for TCP connections. Run as the postgres user when the test runs as root."""

import glob
import os
import pwd
import shutil
import subprocess
import time

import processes
from processes import SetupError, run

SUPERUSER = "postgres"


def find_program(name):
    found = shutil.which(name) or sorted(glob.glob("/usr/lib/postgresql/*/bin/" + name))
    if not found:
        raise SetupError(name + " not found (the set-up installs postgresql)")
    return found if isinstance(found, str) else found[-1]


class PostgreSQL:
    def __init__(self, work, password):
        self.base = os.path.join(work, "postgres")
        self.data = os.path.join(self.base, "data")
        self.port = processes.free_port()
        self.password = password
        self.child = None
        self.as_user = []
        if os.geteuid() == 0:
            self.as_user = ["runuser", "-u", SUPERUSER, "--"]

    def own(self, path):
        if self.as_user:
            entry = pwd.getpwnam(SUPERUSER)
            for folder, _, files in os.walk(path):
                for name in [folder] + [os.path.join(folder, f) for f in files]:
                    os.chown(name, entry.pw_uid, entry.pw_gid)

    def start(self):
        shutil.rmtree(self.base, ignore_errors=True)
        os.makedirs(self.base)
        pwfile = os.path.join(self.base, "pw")
        with open(pwfile, "w") as f:
            f.write(self.password + "\n")
        self.own(self.base)
        if self.as_user:
            # the postgres user must reach the folder through every parent
            os.chmod(self.base, 0o755)
        run(self.as_user + [find_program("initdb"), "-D", self.data, "-U", SUPERUSER,
                            "--pwfile=" + pwfile, "--auth-local=trust",
                            "--auth-host=scram-sha-256", "-E", "UTF8", "--locale=C.UTF-8"],
            "initdb")
        argv = self.as_user + [find_program("postgres"), "-D", self.data, "-p", str(self.port),
                               "-c", "listen_addresses=127.0.0.1",
                               "-c", "unix_socket_directories=" + self.base,
                               "-c", "fsync=off"]
        self.child = processes.Child("postgres", argv, os.path.join(self.base, "stdout.log"),
                                     os.path.join(work_pid_dir(self.base), "postgres.pid"))
        self.wait_ready(60)

    def wait_ready(self, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not self.child.alive():
                raise SetupError("postgres exited at start; see " + self.base + "/stdout.log")
            if processes.port_open(self.port) and self.try_sql("postgres", "SELECT 1"):
                return
            time.sleep(0.3)
        raise SetupError("postgres did not accept connections in %d s" % timeout)

    def client(self, database, statement):
        return [find_program("psql"), "-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", "127.0.0.1",
                "-p", str(self.port), "-U", SUPERUSER, "-d", database, "-c", statement]

    def env(self):
        return dict(os.environ, PGPASSWORD=self.password)

    def try_sql(self, database, statement):
        done = subprocess.run(self.client(database, statement), stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL, timeout=30,
                              env=self.env())
        return done.returncode == 0

    def sql(self, database, statement):
        done = subprocess.run(self.client(database, statement), stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, timeout=60,
                              env=self.env())
        if done.returncode != 0:
            raise SetupError("psql failed: %s" % done.stdout.decode(errors="replace")[-2000:])

    def stop(self):
        if self.child:
            self.child.stop()
            self.child = None


def work_pid_dir(base):
    # the pid file lives beside the data, outside the folder postgres owns
    return os.path.dirname(base)
