"""An attacker's checks against the generated application: session fixation, default and
first-administrator credentials, stored passwords, throttling, forged requests, error pages,
cookies and redirects."""

import base64
import concurrent.futures
import hashlib
import http.client
import math
import os
import re
import statistics
import time
import urllib.parse

import firstadmin
import pages
from client import Client
from driver import DriverError
from results import first_difference, snippet

SESSION_COOKIE = "JSESSIONID"
DEFAULT_CREDENTIALS = [("admin", "admin"), ("admin", "123456"), ("admin", "password"),
                       ("root", "root")]
HASH_PREFIX = "pbkdf2-sha256$"
FOREIGN = "http://evil.example"
LEAK = re.compile(r"Exception|Throwable|Caused by|\bat (java|javax|org|com|sun|jdk)\.|"
                  r"[Jj]etty|Struts Problem|\.java:\d+")
FREE_FAILURES = 5  # wrong passwords the application lets pass before it stops an account
ADDRESS_FREE_FAILURES = 20  # wrong passwords from one address before it stops every account
LOCKED = "次数过多"
LEGACY_USER, LEGACY_PASSWORD = "oldadmin", "old-clear-pw"
WELCOME = "欢迎您"


def welcomed(reply):
    return reply.status == 200 and WELCOME in pages.Page(reply.text).text


def brief(reply):
    return "%s: %s" % (reply.brief(), snippet(pages.Page(reply.text).text))


def login(client, username, password):
    return client.post("/login_CheckLogin.action",
                       [("admin.username", username), ("admin.password", password)])


def stored_password(db, username):
    out = db.sql("SELECT password FROM brennoquill.`Admin` WHERE username = '%s'" % username)
    return out.strip()


def admin_count(db):
    return db.sql("SELECT COUNT(*) FROM brennoquill.`Admin`").strip()


def leak(reply):
    """What of the server's inside a reply shows: a trace, exception text, the server's name."""
    if reply.headers.get("X-Powered-By"):
        return "X-Powered-By header %r" % reply.headers.get("X-Powered-By")
    if reply.headers.get("Server"):
        return "Server header %r" % reply.headers.get("Server")
    found = LEAK.search(reply.text)
    return "body shows %r near: %s" % (found.group(0), snippet(reply.text[found.start():], 160)) \
        if found else None


def cookie_headers(reply):
    return [h for h in reply.headers.get_all("Set-Cookie") or [] if SESSION_COOKIE in h]


def still_guarded(client, path="/main.jsp"):
    reply = client.get(path, follow=False)
    location = urllib.parse.urlsplit(reply.location()).path
    return first_difference([("status", reply.status, 302), ("Location", location, "/login.jsp")])


# --- a fresh database: no default password, the set-up path ------------------------------------


def fresh_database(base, db, log_path, results):
    guest = Client(base)
    for username, password in DEFAULT_CREDENTIALS:
        reply = login(guest, username, password)
        results.check("fresh database: login %s/%s is refused" % (username, password),
                      brief(reply) if welcomed(reply) else still_guarded(guest))
    results.check("fresh database: the refused logins stored no administrator",
                  first_difference([("Admin rows", admin_count(db), "0")]))
    visitor = Client(base)
    page = visitor.get("/login.jsp")
    results.check("fresh database: the login page offers the set-up form",
                  None if firstadmin.setup_form(page) else brief(page))
    token = firstadmin.last_token(log_path)
    results.check("fresh database: a one-time set-up token is in the server log",
                  None if token else "no 'setup token): <hex>' line in " + log_path)
    wrong = firstadmin.submit(visitor, page, "0" * 32)
    results.check("set-up with a wrong token is refused and stores nothing",
                  brief(wrong) if welcomed(wrong) else first_difference(
                      [("Admin rows", admin_count(db), "0")]))
    empty = firstadmin.submit(Client(base), Client(base).get("/login.jsp"), "")
    results.check("set-up without a token is refused", brief(empty) if welcomed(empty) else None)
    before = visitor.cookie(SESSION_COOKIE)
    reply = firstadmin.submit(visitor, visitor.get("/login.jsp"), token)
    results.check("set-up with the logged token opens the main page",
                  None if welcomed(reply) else brief(reply))
    after = visitor.cookie(SESSION_COOKIE)
    results.check("set-up gives a new session id", None if before and after and before != after
                  else "session id before %r, after %r" % (before, after))
    http_only(results, "set-up", reply)
    stored = stored_password(db, firstadmin.USERNAME)
    results.check("the first administrator's password is stored as a salted hash",
                  None if stored.startswith(HASH_PREFIX) and firstadmin.PASSWORD not in stored
                  else "stored %r" % stored)
    again = firstadmin.submit(Client(base), page, token, "second", "another-pass-1")
    results.check("the set-up token works once only", brief(again) if welcomed(again) else
                  first_difference([("Admin rows", admin_count(db), "1")]))
    page = Client(base).get("/login.jsp")
    results.check("once set up, the login page offers no set-up form",
                  brief(page) if firstadmin.setup_form(page) else None)
    return stored


def http_only(results, what, reply):
    cookies = cookie_headers(reply)
    why = None if cookies and all("httponly" in c.lower() for c in cookies) else (
        "Set-Cookie: %r" % cookies)
    results.check("%s: the session cookie is HttpOnly" % what, why)


# --- sessions ---------------------------------------------------------------------------------


def fixation(base, results):
    """A session id known before login is not the one after; an id in the URL is refused."""
    victim = Client(base)
    victim.get("/login.jsp")
    planted = victim.cookie(SESSION_COOKIE)
    reply = login(victim, firstadmin.USERNAME, firstadmin.PASSWORD)
    fresh = victim.cookie(SESSION_COOKIE)
    results.check("login gives a new session id",
                  None if welcomed(reply) and planted and fresh and planted != fresh else
                  "before %r, after %r; %s" % (planted, fresh, brief(reply)))
    http_only(results, "login", reply)
    attacker = Client(base)
    attacker.opener.addheaders = [("Cookie", "%s=%s" % (SESSION_COOKIE, planted))]
    results.check("the session id known before login is not logged in",
                  still_guarded(attacker))
    for path in ("/main.jsp", "/BookType/BookType_QueryBookType.action"):
        reply = Client(base).get("%s;jsessionid=%s" % (path, fresh), follow=False)
        why = None if reply.status >= 400 or reply.status == 302 else brief(reply)
        why = why or (brief(reply) if WELCOME in reply.text or "查询" in reply.text else None)
        results.check("a session id in the URL is refused: %s" % path, why or leak(reply))
    reply = victim.get("/main.jsp", follow=False)
    results.check("the victim's own session goes on (cookie only)",
                  None if welcomed(reply) else brief(reply))


# --- forged requests ---------------------------------------------------------------------------


def token_of(client):
    page = pages.Page(client.get("/main.jsp").text)
    for form in page.forms:
        value = dict(form.values()).get("csrfToken")
        if value:
            return value
    return None


def forged_requests(app, results, key_of_type, expect_unchanged):
    """GETs to the state-changing actions, and POSTs without, with a wrong or with the right
    token from a foreign origin change nothing."""
    client = app.client
    token = token_of(client)
    results.check("the main page carries the session's token", None if token else "no token")
    add = "/BookType/BookType_AddBookType.action"
    modify = "/BookType/BookType_ModifyBookType.action"
    delete = "/BookType/BookType_DeleteBookType.action"
    fields = [("bookType.typeName", "伪造类别"), ("bookType.description", "csrf")]
    changing = [("add", add, fields),
                ("modify", modify, [("bookType.typeId", key_of_type),
                                    ("bookType.typeName", "伪造修改"),
                                    ("bookType.description", "csrf")]),
                ("delete", delete, [("typeId", key_of_type)])]
    for what, path, params in changing:
        reply = client.get(path, params, follow=False)
        results.check("GET %s (%s) is refused" % (path, what),
                      first_difference([("status", reply.status, 405)]) or leak(reply))
        for label, extra, headers, status in [
                ("without token", [], {}, 403),
                ("with a wrong token", [("csrfToken", "0" * 32)], {}, 403),
                ("with the token from a foreign Origin", [("csrfToken", token)],
                 {"Origin": FOREIGN}, 403),
                ("with the token and a foreign Referer", [("csrfToken", token)],
                 {"Referer": FOREIGN + "/page.html"}, 403)]:
            reply = client.post(path, params + extra, follow=False, headers=headers)
            results.check("POST %s (%s) %s is refused" % (path, what, label),
                          first_difference([("status", reply.status, status)]) or leak(reply))
    expect_unchanged("after the forged requests")
    password = [("oldPassword", firstadmin.PASSWORD), ("newPassword", "changed-by-csrf"),
                ("newPassword2", "changed-by-csrf")]
    reply = client.get("/changePassword_ChangePassword.action", password, follow=False)
    results.check("GET change password is refused",
                  first_difference([("status", reply.status, 405)]) or leak(reply))
    reply = client.post("/changePassword_ChangePassword.action", password, follow=False)
    results.check("POST change password without token is refused",
                  first_difference([("status", reply.status, 403)]) or leak(reply))
    reply = login(Client(app.client.base), firstadmin.USERNAME, firstadmin.PASSWORD)
    results.check("the password is unchanged after the forged requests",
                  None if welcomed(reply) else brief(reply))
    reply = client.get("/user_Logout.action", follow=False)
    results.check("GET logout is refused",
                  first_difference([("status", reply.status, 405)]) or leak(reply))
    reply = client.post("/user_Logout.action", [], follow=False)
    results.check("POST logout without token is refused",
                  first_difference([("status", reply.status, 403)]) or leak(reply))
    reply = client.get("/main.jsp", follow=False)
    results.check("still logged in after the forged logouts",
                  None if welcomed(reply) else brief(reply))


# --- errors, headers, redirects ----------------------------------------------------------------


def errors(app, base, results):
    guest = Client(base)
    for path in ("/login_toString.action", "/login_getAdmin.action", "/login_getClass.action",
                 "/login_nothing.action"):
        reply = guest.get(path, follow=False)
        results.check("GET %s gives a plain 404" % path,
                      first_difference([("status", reply.status, 404)]) or leak(reply))
    for path in ("/nothing.action", "/no/such/page.jsp", "/Book/Book_toString.action"):
        reply = app.client.get(path, follow=False)
        results.check("logged in, GET %s gives a plain 404" % path,
                      first_difference([("status", reply.status, 404)]) or leak(reply))
    for path in ("/Book/Book_nothing.action", "/Book/Book_ModifyBookQuery.action",
                 "/Loan/Loan_ModifyLoanQuery.action?loanId=x", "/Book/Book_QueryBook.action?currentPage=x"):
        reply = app.client.get(path, follow=False)
        results.check("logged in, GET %s shows no trace (%d)" % (path, reply.status), leak(reply))
    for path in ("/login.jsp", "/main.jsp", "/%zz", "/a%00b.jsp"):
        reply = guest.get(path, follow=False)
        results.check("GET %s shows no server version (%d)" % (path, reply.status), leak(reply))
    for path in ("/", "/main.jsp", "/Book/Book_QueryBook.action"):
        reply = guest.get(path, follow=False, headers={"Host": "evil.example"})
        location = reply.location()
        why = first_difference([("status", reply.status, 302)])
        if "evil" in location or urllib.parse.urlsplit(location).netloc not in ("", None):
            why = "Location %r" % location
        results.check("the redirect of %s ignores the Host header" % path, why)


# --- older databases, logout, throttling -------------------------------------------------------


def legacy_password(base, db, results):
    """A clear-text password of an older database works once and is then stored hashed."""
    db.sql("INSERT INTO brennoquill.`Admin` (username, password) VALUES ('%s', '%s')"
           % (LEGACY_USER, LEGACY_PASSWORD))
    reply = login(Client(base), LEGACY_USER, LEGACY_PASSWORD)
    results.check("a clear-text password of an older database logs in",
                  None if welcomed(reply) else brief(reply))
    stored = stored_password(db, LEGACY_USER)
    results.check("the clear-text password is stored hashed after the login",
                  None if stored.startswith(HASH_PREFIX) and LEGACY_PASSWORD not in stored
                  else "stored %r" % stored)
    reply = login(Client(base), LEGACY_USER, LEGACY_PASSWORD)
    results.check("the upgraded password still logs in", None if welcomed(reply) else brief(reply))


def logout(app, results):
    client = app.client
    reply = client.get("/main.jsp")
    form = next((f for f in pages.Page(reply.text).forms if f.action.endswith("user_Logout.action")),
                None)
    if form is None:
        results.check("the main page has a logout form", brief(reply))
        return
    old = client.cookie(SESSION_COOKIE)
    reply = client.post(urllib.parse.urljoin(reply.url, form.action), form.values())
    results.check("logout (POST with token) shows the login form",
                  None if reply.status == 200 and "admin.password" in reply.text else brief(reply))
    results.check("after logout the guard redirects again", still_guarded(client))
    stale = Client(client.base)
    stale.opener.addheaders = [("Cookie", "%s=%s" % (SESSION_COOKIE, old))]
    results.check("the logged-out session id is no longer logged in", still_guarded(stale))


def throttling(base, results):
    """After a run of wrong passwords the right one is refused for a while, for the account and
    for the client address."""
    client = Client(base)
    for n in range(FREE_FAILURES):
        login(client, firstadmin.USERNAME, "wrong-%d" % n)
    reply = login(client, firstadmin.USERNAME, firstadmin.PASSWORD)
    text = pages.Page(reply.text).text
    results.check("after %d wrong passwords the right one is refused for now" % FREE_FAILURES,
                  brief(reply) if welcomed(reply) or "次数过多" not in text else None)
    for n in range(ADDRESS_FREE_FAILURES):
        if refused(login(client, "nobody-%d" % n, "wrong-%d" % n)):
            break
    reply = login(Client(base), LEGACY_USER, LEGACY_PASSWORD)
    text = pages.Page(reply.text).text
    results.check("after %d failures from one client address, another account is stopped there "
                  "too" % ADDRESS_FREE_FAILURES,
                  brief(reply) if welcomed(reply) or "次数过多" not in text else None)


# --- login hardening: no lock-out of the owner, no way around the lock, nothing from timing ----

PBKDF2_ITERATIONS = 120000
TIMING_SAMPLES = 15
TIMING_ACCOUNTS = 5  # 3 failures each: no account gets near a limit
TIMING_RATIO = 1.5  # known / unknown name; the hash alone is several times a request
FILL_FAILURES = 4900  # failed logins of the table-filling run, at most ...
FILL_SECONDS = 35  # ... or this long, whichever ends first; then a lock, then ...
FILL_AFTER_LOCK = 150  # ... at most this many more
FILL_THREADS = 8
FAKE_NOTICE = "系统已迁移, 请到 evil.example 重新登录"


def address(block, n):
    """A loopback address of its own per check (block) and client (n): the server sees each
    as another client address."""
    return "127.%d.%d.%d" % (block, n // 250, 1 + n % 250)


def refused(reply):
    return not welcomed(reply) and LOCKED in pages.Page(reply.text).text


def add_account(db, username, password):
    """An administrator stored as the application stores one (PBKDF2-SHA256, 120000 rounds)."""
    salt = os.urandom(16)
    digest = hashlib.pbkdf2_hmac("sha256", password.encode("utf-8"), salt, PBKDF2_ITERATIONS)
    text = lambda raw: base64.b64encode(raw).decode("ascii").rstrip("=")
    db.sql("INSERT INTO brennoquill.`Admin` (username, password) VALUES ('%s', '%s$%d$%s$%s')"
           % (username, HASH_PREFIX.rstrip("$"), PBKDF2_ITERATIONS, text(salt), text(digest)))


def login_hardening(base, db, results):
    # PostgreSQL compares names with their case and accents: each variant is an account
    variants = [] if db.kind == "postgresql" else [
        ("name variants", lambda: name_variants(base, db, results))]
    checks = [("lock-out", lambda: lock_out(base, results))] + variants + [
        ("timing", lambda: name_timing(base, db, results)),
        ("table filling", lambda: table_filling(base, db, results)),
        ("change password guesses", lambda: change_password_guesses(base, db, results)),
        ("other sessions", lambda: other_sessions(base, db, results)),
        ("markup name", lambda: markup_name(base, db, results)),
        ("crafted messages", lambda: crafted_messages(base, results))]
    for name, check in checks:
        results.stage(name, check, DriverError)


def lock_out(base, results):
    """Wrong passwords from one address stop the account there only: the owner logs in from
    another address."""
    attacker = Client(base, source=address(10, 1))
    for n in range(FREE_FAILURES + 1):
        login(attacker, firstadmin.USERNAME, "guess-%d" % n)
    reply = login(attacker, firstadmin.USERNAME, firstadmin.PASSWORD)
    results.check("after %d wrong passwords from one address the right one is refused there"
                  % (FREE_FAILURES + 1), None if refused(reply) else brief(reply))
    reply = login(Client(base, source=address(10, 2)), firstadmin.USERNAME, firstadmin.PASSWORD)
    results.check("... and the right password from another address logs in",
                  None if welcomed(reply) else brief(reply))


def name_variants(base, db, results):
    """Case and accent variants of a name are one account (the database matches them as one):
    five failures spread over them stop that account at that address. A login of another
    account in between changes nothing."""
    add_account(db, "warden", "Warden-pass-1")
    add_account(db, "bystander", "Bystander-pass-1")
    source = address(11, 1)
    for name in ("warden", "WARDEN", "Wárden", "wArDeN"):
        login(Client(base, source=source), name, "guess")
    reply = login(Client(base, source=source), "bystander", "Bystander-pass-1")
    results.check("another account logs in from that address meanwhile",
                  None if welcomed(reply) else brief(reply))
    login(Client(base, source=source), "WaRdEn", "guess")
    reply = login(Client(base, source=source), "WÁRDEN", "Warden-pass-1")
    results.check("after %d wrong passwords spread over warden, WARDEN, Wárden, wArDeN, WaRdEn, "
                  "WÁRDEN with the right password is refused there" % FREE_FAILURES,
                  None if refused(reply) else brief(reply))
    reply = login(Client(base, source=address(11, 2)), "WÁRDEN", "Warden-pass-1")
    results.check("... and WÁRDEN logs in from another address",
                  None if welcomed(reply) else brief(reply))


def name_timing(base, db, results):
    """A wrong password takes as long for a name that exists as for one that does not: measured
    in one run, alternating, each pair from an address of its own, a few failures per account
    (no pause, no delay, no lock). Judged by the ratio of the medians and that of the fastest
    replies, the one nearer 1: a difference in work shows in both, a busy machine seldom in
    both at once."""
    keepers = ["timekeeper%d" % k for k in range(TIMING_ACCOUNTS)]
    for name in keepers:
        add_account(db, name, "Timekeeper-pass-1")
    known, unknown = [], []
    for n in range(TIMING_SAMPLES):
        client = Client(base, source=address(12, n))
        tries = [(known, keepers[n % TIMING_ACCOUNTS]), (unknown, "nobody%d" % n)]
        for times, name in tries if n % 2 else reversed(tries):
            started = time.monotonic()
            reply = login(client, name, "wrong-password")
            times.append(time.monotonic() - started)
            if welcomed(reply) or LOCKED in reply.text:
                raise DriverError("the timing login of %s was not an ordinary failure: %s"
                                  % (name, brief(reply)))
    medians = statistics.median(known) / statistics.median(unknown)
    fastest = min(known) / min(unknown)
    ratio = min((medians, fastest), key=lambda r: abs(math.log(r)))
    results.check("a wrong password for an existing name takes as long as for an unknown one "
                  "(medians %.0f / %.0f ms: %.2f; fastest %.0f / %.0f ms: %.2f)"
                  % (1000 * statistics.median(known), 1000 * statistics.median(unknown), medians,
                     1000 * min(known), 1000 * min(unknown), fastest),
                  None if 1 / TIMING_RATIO < ratio < TIMING_RATIO else
                  "ratio %.2f is outside 1/%.1f ... %.1f" % (ratio, TIMING_RATIO, TIMING_RATIO))


def fill_failures(base, first, count, deadline):
    """Failed logins of unknown names, each from an address of its own (each a new entry for
    the name and for the address), in parallel; stops at count or at the deadline. Returns how
    many were sent and how many of them did not answer 200 (the login page: Struts' fielderror
    tag has thrown now and then under this load)."""
    server = urllib.parse.urlsplit(base)

    def one(n):
        if time.monotonic() > deadline:
            return None
        connection = http.client.HTTPConnection(server.hostname, server.port, timeout=60,
                                                source_address=(address(13, first + n), 0))
        try:
            body = urllib.parse.urlencode([("admin.username", "filler-%d" % (first + n)),
                                           ("admin.password", "wrong")])
            connection.request("POST", "/login_CheckLogin.action", body,
                               {"Content-Type": "application/x-www-form-urlencoded"})
            reply = connection.getresponse()
            reply.read()
        finally:
            connection.close()
        return 1, int(reply.status != 200)
    with concurrent.futures.ThreadPoolExecutor(FILL_THREADS) as pool:
        done = [r for r in pool.map(one, range(count)) if r]
    return sum(r[0] for r in done), sum(r[1] for r in done)


def table_filling(base, db, results):
    """Filling the throttle's memory with failures from many addresses (the old code wiped it
    at 10,000 entries: 5,000 failed logins of new names from new addresses) leaves a lock in
    place. Filled, then an account locked at one address, then filled on."""
    add_account(db, "fortress", "Fortress-pass-1")
    started = time.monotonic()
    sent, odd = fill_failures(base, 1, FILL_FAILURES, started + FILL_SECONDS)
    locker = Client(base, source=address(13, 0))
    for n in range(FREE_FAILURES):
        login(locker, "fortress", "guess-%d" % n)
    reply = login(locker, "fortress", "Fortress-pass-1")
    if not refused(reply):
        raise DriverError("fortress was not locked at its address: %s" % brief(reply))
    more, odder = fill_failures(base, 1 + FILL_FAILURES, FILL_AFTER_LOCK,
                                time.monotonic() + FILL_SECONDS)
    reply = login(locker, "fortress", "Fortress-pass-1")
    results.check("after %d failed logins of new names from new addresses (%.0f s; %d not "
                  "answered 200) a locked account is still locked"
                  % (sent + more, time.monotonic() - started, odd + odder),
                  None if refused(reply) else brief(reply))


def change_form(client, old, new):
    token = token_of(client)
    return client.post("/changePassword_ChangePassword.action",
                       [("csrfToken", token or ""), ("oldPassword", old), ("newPassword", new),
                        ("newPassword2", new)])


def change_password_guesses(base, db, results):
    """Guessing the old password on the change-password page is limited as logins are."""
    add_account(db, "changer", "Changer-pass-1")
    client = Client(base, source=address(14, 1))
    if not welcomed(login(client, "changer", "Changer-pass-1")):
        raise DriverError("changer does not log in")
    for n in range(FREE_FAILURES + 1):
        change_form(client, "guess-%d" % n, "Changed-pass-1")
    reply = change_form(client, "Changer-pass-1", "Changed-pass-1")
    text = pages.Page(reply.text).text
    results.check("after %d wrong old passwords the right one does not change the password"
                  % (FREE_FAILURES + 1),
                  None if "成功" not in text and LOCKED in text else brief(reply))
    reply = login(Client(base, source=address(14, 2)), "changer", "Changer-pass-1")
    results.check("... and the password is unchanged", None if welcomed(reply) else brief(reply))


def other_sessions(base, db, results):
    """A password change ends the account's other sessions; the session that changed it goes
    on."""
    add_account(db, "roamer", "Roamer-pass-1")
    first, second = Client(base, source=address(15, 1)), Client(base, source=address(15, 2))
    for client in (first, second):
        if not welcomed(login(client, "roamer", "Roamer-pass-1")):
            raise DriverError("roamer does not log in")
    reply = change_form(first, "Roamer-pass-1", "Roamer-pass-2")
    results.check("the password change is reported done",
                  None if "密码修改成功" in pages.Page(reply.text).text else brief(reply))
    results.check("... the account's other session is logged out", still_guarded(second))
    reply = first.get("/main.jsp", follow=False)
    results.check("... the session that changed it goes on",
                  None if welcomed(reply) else brief(reply))
    reply = login(Client(base, source=address(15, 3)), "roamer", "Roamer-pass-2")
    results.check("... and the new password logs in", None if welcomed(reply) else brief(reply))


def markup_name(base, db, results):
    """An administrator's name is shown as text, never as markup; then the same session checks
    the framing headers and the Origin's scheme."""
    name = "<i>u</i>"
    add_account(db, name, "Markup-pass-1")
    client = Client(base, source=address(16, 1))
    reply = login(client, name, "Markup-pass-1")
    if not welcomed(reply):
        raise DriverError("%s does not log in: %s" % (name, brief(reply)))
    for what, reply in [("main page", client.get("/main.jsp")),
                        ("change password page",
                         client.get("/changePassword_ChangePasswordView.action"))]:
        shown = "&lt;i&gt;u&lt;/i&gt;" in reply.text
        results.check("the %s shows the name %s escaped" % (what, name),
                      None if shown and name not in reply.text else
                      "%s: %s" % (reply.brief(), snippet(reply.text[reply.text.find("欢迎"):]
                                                         if "欢迎" in reply.text else reply.text)))
    framing(base, client, results)
    origin_scheme(base, client, results)


def framing(base, client, results):
    """Every page forbids being framed: X-Frame-Options and an enforced CSP frame-ancestors."""
    for who, path in [(Client(base, source=address(16, 2)), "/login.jsp"), (client, "/main.jsp"),
                      (client, "/user_MainView.action"),
                      (client, "/BookType/BookType_QueryBookType.action"),
                      (Client(base, source=address(16, 2)), "/message.jsp")]:
        reply = who.get(path, follow=False)
        frame = reply.headers.get("X-Frame-Options")
        policy = reply.headers.get("Content-Security-Policy")
        results.check("GET %s forbids framing" % path,
                      None if (frame or "").upper() == "DENY" and policy and
                      "frame-ancestors 'none'" in policy else
                      "X-Frame-Options %r, Content-Security-Policy %r" % (frame, policy))


def origin_scheme(base, client, results):
    """The Origin (or Referer) of a POST must match the scheme, host and port: https on an http
    server is another origin."""
    token = token_of(client)
    host = urllib.parse.urlsplit(base).netloc
    for label, headers, status in [
            ("Origin https://%s" % host, {"Origin": "https://" + host}, 403),
            ("Referer https://%s/main.jsp" % host, {"Referer": "https://%s/main.jsp" % host}, 403),
            ("Origin http://%s (its own)" % host, {"Origin": "http://" + host}, 200)]:
        reply = client.post("/user_MainView.action", [("csrfToken", token or "")], follow=False,
                            headers=headers)
        results.check("a POST with the token and %s gets %d" % (label, status),
                      first_difference([("status", reply.status, status)]) or leak(reply))


def crafted_messages(base, results):
    """The public message and error pages show only what the application put there, never text
    a link carries."""
    guest = Client(base, source=address(17, 1))
    for path, name in (("/message.jsp", "message"), ("/error.jsp", "error")):
        for label, value in (("", FAKE_NOTICE), (" URL-encoded", urllib.parse.quote(FAKE_NOTICE))):
            reply = guest.get(path, {name: value}, follow=False)
            results.check("GET %s?%s=<a notice>%s does not show it" % (path, name, label),
                          "%s: %s" % (reply.brief(), snippet(pages.Page(reply.text).text))
                          if "evil.example" in reply.text else None)
