"""An attacker's checks against the generated application: session fixation, default and
first-administrator credentials, stored passwords, throttling, forged requests, error pages,
cookies and redirects."""

import re
import urllib.parse

import firstadmin
import pages
from client import Client
from results import first_difference, snippet

SESSION_COOKIE = "JSESSIONID"
DEFAULT_CREDENTIALS = [("admin", "admin"), ("admin", "123456"), ("admin", "password"),
                       ("root", "root")]
HASH_PREFIX = "pbkdf2-sha256$"
FOREIGN = "http://evil.example"
LEAK = re.compile(r"Exception|Throwable|Caused by|\bat (java|javax|org|com|sun|jdk)\.|"
                  r"[Jj]etty|Struts Problem|\.java:\d+")
FREE_FAILURES = 5  # wrong passwords the application lets pass before it stops an account
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
    reply = login(Client(base), LEGACY_USER, LEGACY_PASSWORD)
    text = pages.Page(reply.text).text
    results.check("the same client address is slowed down for another account too",
                  brief(reply) if welcomed(reply) or "次数过多" not in text else None)
