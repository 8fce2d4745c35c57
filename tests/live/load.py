"""Many users at once on the served sample: each client logs in with a session of its own, then
lists, pages and adds book types for a fixed time. Counts failed requests and latencies, and
checks that every add the application acknowledged is stored exactly once."""

import random
import statistics
import threading
import time
import urllib.parse

import firstadmin
import pages
from client import Client

LIST = "/BookType/BookType_QueryBookType.action"
PAGED = "/Book/Book_QueryBook.action"
ADD_VIEW = "/BookType/BookType_AddView.action"
ADDED = "BookType添加成功!"
NAME_PREFIX = "负载"
PAGE_SIZE = 10
SAMPLES = 5  # failures quoted in a report


class Tally:
    """What the clients saw, shared between their threads."""

    def __init__(self):
        self.lock = threading.Lock()
        self.latencies = []
        self.failures = 0
        self.samples = []
        self.acknowledged = []

    def request(self, started, why):
        with self.lock:
            self.latencies.append(time.monotonic() - started)
            if why is not None:
                self.failures += 1
                if len(self.samples) < SAMPLES:
                    self.samples.append(why)

    def report(self, seconds):
        """Requests, failures, throughput and latency percentiles (ms) as a dict."""
        times = sorted(self.latencies)
        cuts = statistics.quantiles(times, n=100) if len(times) > 1 else times * 99
        return {"requests": len(times), "failed": self.failures,
                "per_second": len(times) / seconds if seconds else 0.0,
                "p50": cuts[49] * 1000 if cuts else 0.0, "p95": cuts[94] * 1000 if cuts else 0.0,
                "p99": cuts[98] * 1000 if cuts else 0.0}


def failure(reply, wanted):
    if reply.status != 200:
        return reply.brief()
    if wanted not in reply.text:
        return "%s without %r: %s" % (reply.brief(), wanted, pages.Page(reply.text).text[:200])
    return None


def timed(tally, action, wanted):
    started = time.monotonic()
    try:
        reply = action()
    except OSError as error:
        tally.request(started, "%s: %s" % (type(error).__name__, error))
        return None
    tally.request(started, failure(reply, wanted))
    return reply


def add(client, tally, name):
    """Opens the add form and posts a new book type named name."""
    reply = timed(tally, lambda: client.get(ADD_VIEW), "typeName")
    if reply is None or reply.status != 200:
        return
    form = next((f for f in pages.Page(reply.text).forms if "bookType.typeName" in f.names()),
                None)
    if form is None:
        return
    fields = dict(form.values(), **{"bookType.typeName": name, "bookType.description": "并发"})
    target = urllib.parse.urljoin(reply.url, form.action)
    answer = timed(tally, lambda: client.post(target, list(fields.items())), ADDED)
    if answer is not None and ADDED in answer.text:
        with tally.lock:
            tally.acknowledged.append(name)


def user(base, log_path, number, pages_count, stop_at, tally):
    client = Client(base)
    if timed(tally, lambda: firstadmin.log_in(client, log_path), "欢迎您") is None:
        return
    chance = random.Random(number)
    made = 0
    while time.monotonic() < stop_at:
        pick = chance.random()
        if pick < 0.4:
            timed(tally, lambda: client.get(LIST), "共")
        elif pick < 0.8:
            page = chance.randint(1, max(1, pages_count))
            timed(tally, lambda: client.get(PAGED, {"currentPage": page}), "共")
        else:
            made += 1
            add(client, tally, "%s-%d-%d" % (NAME_PREFIX, number, made))


def run(base, log_path, clients, seconds, book_rows, first=0):
    """Runs `clients` users for `seconds`; returns the Tally. Client numbers start at first, so
    that later runs add other names."""
    tally = Tally()
    stop_at = time.monotonic() + seconds
    pages_count = (book_rows + PAGE_SIZE - 1) // PAGE_SIZE
    threads = [threading.Thread(target=user, args=(base, log_path, first + n, pages_count,
                                                   stop_at, tally), daemon=True)
               for n in range(clients)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join(seconds + 120)
    return tally


def stored_counts(db):
    """{name: rows} of the book types the load added, read from the database."""
    text = db.sql("SELECT typeName, COUNT(*) FROM brennoquill.`BookType` WHERE typeName LIKE "
                  "'%s-%%' GROUP BY typeName" % NAME_PREFIX)
    counts = {}
    for line in text.splitlines():
        name, _, count = line.rpartition("\t")
        if name:
            counts[name] = int(count)
    return counts


def stored_once_difference(db, tally):
    """None when every acknowledged add is stored exactly once, else what differs."""
    counts = stored_counts(db)
    wrong = [(n, counts.get(n, 0)) for n in tally.acknowledged if counts.get(n, 0) != 1]
    if wrong:
        return "%d of %d acknowledged adds not stored once: %r" % (
            len(wrong), len(tally.acknowledged), wrong[:SAMPLES])
    twice = [n for n, c in counts.items() if c > 1]
    return "stored more than once: %r" % twice[:SAMPLES] if twice else None
