#!/usr/bin/env python3
"""Generates one model of N classes with the headless command and in the window (under Xvfb),
side by side: headless, the window left alone, headless again, then the window once more while
sampling how long it takes to open and close a menu as its run goes on. The window's run is
compared with the mean of the two headless runs.

Usage: window.py BIN_DIR [N]   (BIN_DIR: build/bin; N: classes, default 3000)

The window is driven with XTest key events only: Alt+A, A starts the run, Return closes its
boxes, Alt+P opens the project menu and Escape closes it again. A menu's reaction is the time
from the key event until its popup window is mapped (unmapped on close).
"""
import os
import resource
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from Xlib import X, XK, display as xdisplay
from Xlib.ext import xtest

BENCH = os.path.dirname(os.path.abspath(__file__))
TITLE = "BrennoquillJava代码生成器2.1版"
SAMPLE_EVERY = 0.2
TIMEOUT = 600.0


def prepare_root(bin_dir, n):
    """A program folder with the window's executable and a database of one project."""
    root = tempfile.mkdtemp(prefix="bench-window-")
    for name in ("template", "bak", "help"):
        if os.path.isdir(os.path.join(bin_dir, name)):
            shutil.copytree(os.path.join(bin_dir, name), os.path.join(root, name), symlinks=True)
    for name in ("brennoquill", "brennoquill-cli"):
        shutil.copy2(os.path.join(bin_dir, name), root)
    model = os.path.join(root, "model.json")
    subprocess.run([sys.executable, os.path.join(BENCH, "model.py"), model, f"Bench{n}", str(n)],
                   check=True)
    subprocess.run([os.path.join(root, "brennoquill-cli"), "--root", root, "import", model],
                   check=True, stdout=subprocess.DEVNULL)
    return root


def headless(root, n):
    """Wall-clock and CPU seconds of one headless generation."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    subprocess.run([os.path.join(root, "brennoquill-cli"), "--root", root, "generate",
                    "--project", f"Bench{n}"], check=True, stdout=subprocess.DEVNULL)
    wall = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime
    shutil.rmtree(os.path.join(root, "projects"))
    return wall, cpu


def start_xvfb():
    read, write = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                             "-nolisten", "tcp"], pass_fds=(write,), stderr=subprocess.DEVNULL)
    os.close(write)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read, 16)
        if not chunk:
            raise RuntimeError("Xvfb did not start")
        number += chunk
    os.close(read)
    return proc, ":" + number.decode().strip()


def proc_cpu(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def proc_rss_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


class Screen:
    """The X connection: key events in, map and unmap events of top-level windows out."""

    def __init__(self, name):
        self.d = xdisplay.Display(name)
        self.root = self.d.screen().root
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.d.sync()
        self.net_name = self.d.intern_atom("_NET_WM_NAME")
        self.utf8 = self.d.intern_atom("UTF8_STRING")
        self.protocols = self.d.intern_atom("WM_PROTOCOLS")
        self.delete = self.d.intern_atom("WM_DELETE_WINDOW")

    def key(self, name, modifier=None):
        code = self.d.keysym_to_keycode(XK.string_to_keysym(name))
        mod = self.d.keysym_to_keycode(XK.string_to_keysym(modifier)) if modifier else None
        if mod:
            xtest.fake_input(self.d, X.KeyPress, mod)
        xtest.fake_input(self.d, X.KeyPress, code)
        xtest.fake_input(self.d, X.KeyRelease, code)
        if mod:
            xtest.fake_input(self.d, X.KeyRelease, mod)
        self.d.flush()

    def title(self, window):
        try:
            prop = window.get_full_property(self.net_name, self.utf8)
            return prop.value.decode("utf-8", "replace") if prop else ""
        except Exception:
            return ""

    def override(self, window):
        try:
            return bool(window.get_attributes().override_redirect)
        except Exception:
            return False

    def next_event(self, deadline):
        """The next map or unmap event of a child of the root, or None at the deadline."""
        while True:
            while self.d.pending_events():
                event = self.d.next_event()
                if event.type in (X.MapNotify, X.UnmapNotify):
                    return event
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            select.select([self.d.fileno()], [], [], left)

    def wait_map(self, timeout, want=lambda w: True):
        deadline = time.monotonic() + timeout
        while True:
            event = self.next_event(deadline)
            if event is None:
                return None
            if event.type == X.MapNotify and want(event.window):
                return event.window

    def wait_unmap(self, window, timeout):
        deadline = time.monotonic() + timeout
        while True:
            event = self.next_event(deadline)
            if event is None:
                return False
            if event.type == X.UnmapNotify and event.window.id == window.id:
                return True

    def focus(self, window):
        window.set_input_focus(X.RevertToParent, X.CurrentTime)
        self.d.sync()

    def close(self, window):
        from Xlib.protocol import event as xevent
        message = xevent.ClientMessage(window=window, client_type=self.protocols,
                                       data=(32, [self.delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(message)
        self.d.flush()


def menu_reaction(screen, dialogs):
    """Opens and closes the project menu; its two times, or None when a box came instead."""
    start = time.monotonic()
    screen.key("p", "Alt_L")
    window = screen.wait_map(TIMEOUT)
    opened = time.monotonic() - start
    if window is None or not screen.override(window):
        dialogs.append(window)
        return None
    start = time.monotonic()
    screen.key("Escape")
    screen.wait_unmap(window, TIMEOUT)
    return opened, time.monotonic() - start


def close_box(screen, box):
    screen.focus(box)
    screen.key("Return")
    screen.wait_unmap(box, 30)


def start_run(screen, main):
    """Alt+A, A, then Return on the warning box: the run starts."""
    for _ in range(5):
        screen.focus(main)
        screen.key("a", "Alt_L")
        menu = screen.wait_map(10, screen.override)
        if menu is None:
            continue
        screen.key("a")
        box = screen.wait_map(30, lambda w: not screen.override(w))
        if box is not None:
            close_box(screen, box)
            return
    raise RuntimeError("the run did not start")


def sampled_run(screen, main, pid):
    """Starts a run and samples the menu until the run's final box is shown."""
    start_run(screen, main)
    cpu, start = proc_cpu(pid), time.monotonic()
    samples, dialogs = [], []
    next_sample = start
    while not dialogs:
        time.sleep(max(0.0, next_sample - time.monotonic()))
        next_sample = time.monotonic() + SAMPLE_EVERY
        reaction = menu_reaction(screen, dialogs)
        if reaction:
            samples.append(reaction)
    wall = time.monotonic() - start
    cpu = proc_cpu(pid) - cpu
    box = dialogs[0]
    name = screen.title(box)
    close_box(screen, box)
    return wall, cpu, samples, name


def plain_run(screen, main, pid):
    """Starts a run and only waits for its final box: the run as a user who waits sees it."""
    start_run(screen, main)
    cpu, start = proc_cpu(pid), time.monotonic()
    box = screen.wait_map(TIMEOUT, lambda w: not screen.override(w))
    wall, cpu = time.monotonic() - start, proc_cpu(pid) - cpu
    if box is None:
        raise RuntimeError("the run did not end")
    close_box(screen, box)
    # Without a file manager here, a box says that the output folder could not be opened.
    folder_box = screen.wait_map(5, lambda w: not screen.override(w))
    if folder_box is not None:
        close_box(screen, folder_box)
    return wall, cpu


def idle_samples(screen, main, count):
    screen.focus(main)
    samples = []
    for _ in range(count):
        reaction = menu_reaction(screen, [])
        if reaction:
            samples.append(reaction)
        time.sleep(SAMPLE_EVERY)
    return samples


def ms(values):
    return f"{statistics.median(values) * 1000:8.0f} {max(values) * 1000:8.0f}"


def window_runs(root, n):
    xvfb, name = start_xvfb()
    try:
        screen = Screen(name)
        env = dict(os.environ, DISPLAY=name, QT_QPA_PLATFORM="xcb")
        env.pop("WAYLAND_DISPLAY", None)
        proc = subprocess.Popen([os.path.join(root, "brennoquill")], env=env, cwd=root,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            main = screen.wait_map(30, lambda w: screen.title(w) == TITLE)
            if main is None:
                raise RuntimeError("the window did not appear")
            time.sleep(6)  # past the start-up timer
            result = dict(idle=idle_samples(screen, main, 10), rss=[proc_rss_mb(proc.pid)])
            result["plain"] = plain_run(screen, main, proc.pid)
            shutil.rmtree(os.path.join(root, "projects"))
            result["headless2"] = headless(root, n)
            result.update(zip(("wall", "cpu", "samples", "box"),
                              sampled_run(screen, main, proc.pid)))
            time.sleep(3)
            result["rss"].append(proc_rss_mb(proc.pid))
            report(result)
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
    finally:
        xvfb.terminate()
        xvfb.wait()


def report(w):
    headless_wall = (HEADLESS[0] + w["headless2"][0]) / 2
    print(f"headless: {w['headless2'][0]:.1f} s wall, {w['headless2'][1]:.1f} s CPU (again, "
          f"between the window's runs)")
    print(f"window:   {w['plain'][0]:.1f} s wall, {w['plain'][1]:.1f} s CPU (nothing else "
          f"done in the window); window / headless (mean of both): "
          f"{w['plain'][0] / headless_wall:.2f}")
    opened = [s[0] for s in w["samples"]]
    closed = [s[1] for s in w["samples"]]
    print(f"window:   {w['wall']:.1f} s wall, {w['cpu']:.1f} s CPU (until the box "
          f"\"{w['box']}\", the menu opened meanwhile)")
    print(f"menu, ms       median      max   (samples every {SAMPLE_EVERY * 1000:.0f} ms)")
    print(f"idle open    {ms([s[0] for s in w['idle']])}   ({len(w['idle'])})")
    print(f"idle close   {ms([s[1] for s in w['idle']])}")
    if opened:
        print(f"run open     {ms(opened)}   ({len(opened)})")
        print(f"run close    {ms(closed)}")
    before, after = w["rss"]
    print(f"memory: {before:.0f} MB before the run, {after:.0f} MB 3 s after it "
          f"({after / before:.2f})", flush=True)


HEADLESS = [1.0]


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit("usage: window.py BIN_DIR [N]")
    bin_dir = sys.argv[1]
    n = int(sys.argv[2]) if len(sys.argv) == 3 else 3000
    root = prepare_root(bin_dir, n)
    try:
        h_wall, h_cpu = headless(root, n)
        HEADLESS[0] = h_wall
        print(f"{n} classes x 15 members")
        print(f"headless: {h_wall:.1f} s wall, {h_cpu:.1f} s CPU", flush=True)
        window_runs(root, n)
    finally:
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
