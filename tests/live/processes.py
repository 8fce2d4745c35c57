"""Child processes of the live test: started in their own process group, stopped by pid."""

import atexit
import os
import signal
import socket
import subprocess
import time

_running = []


class SetupError(Exception):
    """What the test needs is missing or broken; no check can run."""


class NetworkUnavailable(SetupError):
    """Maven could reach no repository and its local cache lacks what the build needs: the
    suite is skipped (exit SKIP_CODE), not failed."""


# The exit code CTest reads as "skipped" (SKIP_RETURN_CODE of the live suites).
SKIP_CODE = 77


def run(argv, what, timeout=120, cwd=None):
    done = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          stdin=subprocess.DEVNULL, timeout=timeout, cwd=cwd)
    if done.returncode != 0:
        output = done.stdout.decode(errors="replace")[-3000:]
        raise SetupError("%s failed (exit %d):\n%s" % (what, done.returncode, output))
    return done.stdout.decode(errors="replace")


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def port_open(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=1):
            return True
    except OSError:
        return False


def listen_addresses(port):
    """The local addresses with a listening TCP socket on the port (hex, as in /proc/net)."""
    found = set()
    for table in ("/proc/net/tcp", "/proc/net/tcp6"):
        try:
            with open(table) as f:
                lines = f.readlines()[1:]
        except OSError:
            continue
        for line in lines:
            fields = line.split()
            address, hex_port = fields[1].rsplit(":", 1)
            if int(hex_port, 16) == port and fields[3] == "0A":
                found.add(address)
    return found


LOOPBACK = {"0100007F", "00000000000000000000000001000000",
            "0000000000000000FFFF00000100007F"}


class Child:
    """A server process in its own session; its pid is kept in a file so a later run can stop
    it when this one was killed before its clean-up ran."""

    def __init__(self, name, argv, log_path, pid_path, env=None, cwd=None):
        self.name = name
        self.pid_path = pid_path
        stop_stale(pid_path)
        self.log = open(log_path, "wb")
        self.proc = subprocess.Popen(argv, stdout=self.log, stderr=subprocess.STDOUT,
                                     stdin=subprocess.DEVNULL, env=env, cwd=cwd,
                                     start_new_session=True)
        write_pid(pid_path, self.proc.pid)
        _running.append(self)

    def alive(self):
        return self.proc.poll() is None

    def stop(self, timeout=60):
        if self not in _running:
            return
        if self.alive():
            signal_group(self.proc.pid, signal.SIGTERM)
            try:
                self.proc.wait(timeout)
            except subprocess.TimeoutExpired:
                signal_group(self.proc.pid, signal.SIGKILL)
                self.proc.wait(10)
        # Whatever the leader left behind in its group goes too.
        signal_group(self.proc.pid, signal.SIGKILL)
        self.log.close()
        remove(self.pid_path)
        _running.remove(self)


def signal_group(pid, sig):
    try:
        os.killpg(pid, sig)
    except (ProcessLookupError, PermissionError):
        pass


def start_time(pid):
    """The start time of a process (clock ticks after boot): with the pid it names one process."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[19]
    except (OSError, IndexError):
        return None


def write_pid(path, pid):
    with open(path, "w") as f:
        f.write("%d %s\n" % (pid, start_time(pid)))


def remove(path):
    try:
        os.remove(path)
    except FileNotFoundError:
        pass


def stop_stale(pid_path):
    """Stops the group that an earlier run, killed before its clean-up, left running."""
    try:
        with open(pid_path) as f:
            pid_text, started = f.read().split()
        pid = int(pid_text)
    except (OSError, ValueError):
        remove(pid_path)
        return
    if start_time(pid) == started:
        signal_group(pid, signal.SIGTERM)
        wait_gone(pid, 30)
        signal_group(pid, signal.SIGKILL)
    remove(pid_path)


def wait_gone(pid, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if start_time(pid) is None:
            return
        time.sleep(0.2)


def stop_all():
    for child in list(reversed(_running)):
        child.stop()


STOP_SIGNALS = (signal.SIGTERM, signal.SIGINT, signal.SIGHUP, signal.SIGALRM)


def _on_signal(signum, frame):
    # The first signal starts the clean-up; later ones must not interrupt it.
    for sig in STOP_SIGNALS:
        signal.signal(sig, signal.SIG_IGN)
    raise SystemExit("stopped by signal %d" % signum)


def install_cleanup(deadline):
    """Stops the servers at exit, on a stop signal, and when the deadline (s) passes."""
    atexit.register(stop_all)
    for sig in STOP_SIGNALS:
        signal.signal(sig, _on_signal)
    signal.alarm(deadline)


def test_exit_code(body, results=None):
    """Runs a live test's body (which returns its exit code) and turns what stopped it into
    one: SKIP_CODE when Maven could not fetch what it needs, 1 when the set-up failed or the
    deadline passed; with results, their tally is printed after such a stop too."""
    try:
        return body()
    except NetworkUnavailable as error:
        print("SKIPPED: %s" % error, flush=True)
        return SKIP_CODE
    except (SetupError, OSError, subprocess.SubprocessError) as error:
        print("SET-UP FAILED: %s" % error, flush=True)
    except SystemExit as stop:
        print("STOPPED: %s" % stop, flush=True)
    if results is not None:
        print(results.summary())
    return 1
