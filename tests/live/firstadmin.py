"""The first administrator of a fresh database: the login page's set-up form, filled with the
one-time set-up token the application prints in the server log."""

import re
import time
import urllib.parse

import pages

TOKEN = re.compile(r"setup token\): ([0-9a-f]{32})")
USERNAME = "admin"
PASSWORD = "Lt-7q!pass 汉字"
LOG_WAIT = 30  # seconds the log may lag behind the page


def logged_tokens(log_path):
    try:
        with open(log_path, encoding="utf-8", errors="replace") as f:
            return TOKEN.findall(f.read())
    except OSError:
        return []


def last_token(log_path):
    """The last set-up token in the log, waiting a little for the log to be written."""
    deadline = time.monotonic() + LOG_WAIT
    while True:
        found = logged_tokens(log_path)
        if found or time.monotonic() > deadline:
            return found[-1] if found else None
        time.sleep(0.2)


def setup_form(reply):
    for form in pages.Page(reply.text).forms:
        if "setupCode" in form.names():
            return form
    return None


def submit(client, reply, token, username=USERNAME, password=PASSWORD, again=None):
    """Posts the set-up form of a login page reply (or to login_Setup.action without one)."""
    form = setup_form(reply)
    action = urllib.parse.urljoin(reply.url, form.action) if form else "/login_Setup.action"
    fields = dict(form.values()) if form else {}
    fields.update({"setupCode": token or "", "admin.username": username,
                   "admin.password": password, "password2": password if again is None else again})
    return client.post(action, list(fields.items()))


def set_up(client, log_path, username=USERNAME, password=PASSWORD):
    """Sets the first administrator through the login page; returns the reply."""
    reply = client.get("/login.jsp")
    return submit(client, reply, last_token(log_path), username, password)


def log_in(client, log_path, username=USERNAME, password=PASSWORD):
    """Logs in, setting the first administrator up first while the login page asks for it."""
    reply = client.get("/login.jsp")
    if setup_form(reply) is not None:
        return submit(client, reply, last_token(log_path), username, password)
    return client.post("/login_CheckLogin.action",
                       [("admin.username", username), ("admin.password", password)])
