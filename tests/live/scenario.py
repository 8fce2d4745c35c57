"""The live scenario: guard and login, then add, query, page, modify and delete every class of
the sample in dependency order, with Chinese text, quotes and SQL-looking text."""

import time
import urllib.parse

import attacks
import firstadmin
import load
import model
import pageforms
import pages
import scale
import refusals
from client import Client
from driver import App, ClassPages, DriverError, resolve
from results import first_difference, snippet

MULTIPART_PARTS = 2500
LOAD_CLIENTS = 32
LOAD_SECONDS = 20
TRICKY = "O'Brien \"x\" ' OR '1'='1"
GUARDED = ["/main.jsp", "/menu.jsp", "/BookType/BookType_QueryBookType.action",
           "/Book/Book_AddView.action", "/Loan/Loan_ModifyLoanQuery.action?loanId=1",
           "/Reader/Reader_DeleteReader.action?readerNo=R001"]


def run(base, results, log_path, db):
    app = App(Client(base), results)
    guest = Client(base)
    stages = [("guard", lambda: guard(guest, results)),
              ("fresh database", lambda: attacks.fresh_database(base, db, log_path, results)),
              ("login", lambda: login(app)), ("fixation", lambda: attacks.fixation(base, results)),
              ("menu", lambda: menu(app)), ("BookType", lambda: book_types(app)),
              ("Reader", lambda: readers(app)), ("Book", lambda: books(app)),
              ("Loan", lambda: loans(app)), ("refusals", lambda: refused_requests(app)),
              ("references", lambda: referenced(app)),
              ("forged requests", lambda: forged_requests(app)),
              ("errors", lambda: attacks.errors(app, base, results)),
              ("crafted parameters", lambda: crafted_parameters(app)),
              ("scale", lambda: scale.run(app, db)),
              ("many users", lambda: many_users(base, log_path, db, results)),
              ("older database", lambda: attacks.legacy_password(base, db, results)),
              ("logout", lambda: attacks.logout(app, results)),
              ("throttling", lambda: attacks.throttling(base, results)),
              ("login hardening", lambda: attacks.login_hardening(base, db, results))]
    for name, stage in stages:
        results.stage(name, stage, DriverError)
    odd = sorted(set(app.client.not_utf8 + guest.not_utf8))
    results.check("every page is served as UTF-8", "; ".join(odd) if odd else None)
    return app.client.requests + guest.requests


# --- guard, login, menu --------------------------------------------------------------------


def redirect_difference(reply):
    location = urllib.parse.urlsplit(reply.location()).path
    return first_difference([("status", reply.status, 302), ("Location", location, "/login.jsp")])


def guard(guest, results):
    for path in GUARDED:
        results.check("guard redirects GET %s to /login.jsp" % path,
                      redirect_difference(guest.get(path, follow=False)))
    post = guest.post("/BookType/BookType_AddBookType.action",
                      [("bookType.typeName", "未登录类别"), ("bookType.description", "")],
                      follow=False)
    results.check("guard redirects a POST add to /login.jsp", redirect_difference(post))
    for path in ("/login.jsp", "/", "/index.jsp"):
        reply = guest.get(path)
        why = None if reply.status == 200 and login_form(reply) else (
            "%s: %s" % (reply.brief(), snippet(pages.Page(reply.text).text)))
        results.check("GET %s shows the login form without login" % path, why)
    for path in ("/message.jsp", "/error.jsp"):
        reply = guest.get(path, follow=False)
        results.check("GET %s answers without login" % path,
                      first_difference([("status", reply.status, 200)]))
    multipart_refused(guest, results)


def multipart_body(parts, boundary):
    chunks = []
    for i in range(parts):
        chunks.append("--%s\r\nContent-Disposition: form-data; name=\"admin.username%d\"\r\n\r\n"
                      "x\r\n" % (boundary, i))
    chunks.append("--%s--\r\n" % boundary)
    return "".join(chunks).encode("ascii")


def multipart_refused(guest, results):
    """No generated action takes a file: a multipart body is refused before it is parsed."""
    boundary = "brennoquill%d" % MULTIPART_PARTS
    started = time.monotonic()
    reply = guest.post_body("/login_CheckLogin.action", multipart_body(MULTIPART_PARTS, boundary),
                            "multipart/form-data; boundary=" + boundary)
    elapsed = time.monotonic() - started
    why = None if 400 <= reply.status < 500 else "%s after %.2f s" % (reply.brief(), elapsed)
    results.check("a %d-part multipart POST to the login action is refused (%.2f s)"
                  % (MULTIPART_PARTS, elapsed), why)


def login_form(reply):
    page = pages.Page(reply.text)
    return any({"admin.username", "admin.password"} <= set(f.names()) for f in page.forms)


def submit_login(app, password):
    return app.client.post("/login_CheckLogin.action",
                           [("admin.username", firstadmin.USERNAME), ("admin.password", password)])


def login(app):
    reply = submit_login(app, "wrong-password")
    page = pages.Page(reply.text)
    refused = reply.status == 200 and "欢迎您" not in page.text and (
        login_form(reply) or "错误" in page.text)
    app.check("login with a wrong password is refused", None if refused else (
        "%s: %s" % (reply.brief(), snippet(page.text))))
    app.check("a refused login does not open the session",
              redirect_difference(app.client.get("/main.jsp", follow=False)))
    reply = submit_login(app, firstadmin.PASSWORD)
    app.main_page = reply
    page = pages.Page(reply.text)
    welcome = reply.status == 200 and "欢迎您" in page.text
    app.check("login with the password chosen at set-up shows the main page",
              None if welcome else "%s: %s" % (reply.brief(), snippet(page.text)))


def menu(app):
    page = pages.Page(app.main_page.text)
    for name in model.ORDER:
        cls = model.CLASSES[name]
        found = {}
        for label, method in (("添加", "AddView"), ("查询", "Query" + name)):
            wanted = "/%s/%s_%s.action" % (name, name, method)
            hrefs = [h for h, text in page.links if text == label and pages.link_path(h) == wanted]
            if hrefs:
                found[label] = resolve(app.main_page.url, hrefs[0])
        why = None if len(found) == 2 and cls.friend in page.text else (
            "links %r, label %s shown: %s" % (found, cls.friend, cls.friend in page.text))
        app.check("main page menu links 添加/查询 of %s (%s)" % (name, cls.friend), why)
        app.menu[name] = found


# --- the classes -----------------------------------------------------------------------------


def book_types(app):
    types = ClassPages(app, "BookType")
    types.expect_query("before any add (the guarded POST stored nothing)", {})
    types.add("计算机", {"typeName": "计算机", "description": "程序设计、算法与数据库"})
    types.add("with HTML text", {"typeName": "文学", "description": "小说 <b>诗歌</b> & \"散文\""})
    types.add("历史", {"typeName": "历史", "description": ""})
    types.add("临时类别", {"typeName": "临时类别", "description": "待删除"})
    types.expect_query("without search", {})
    types.expect_query("by typeName 计算", {"typeName": "计算"})
    types.modify("description of 历史", key_of(app, "BookType", "typeName", "历史"),
                 {"description": "中国古代史、世界史"})
    types.delete("临时类别", key_of(app, "BookType", "typeName", "临时类别"))
    types.expect_query("after modify and delete", {})


def readers(app):
    people = ClassPages(app, "Reader")
    for no, name, age, phone in [("R001", "张三", "20", "13800000001"), ("R002", "李四", "35", ""),
                                 ("R&D 甲", "王五", "41", "010-12345678"),
                                 ("R004", "O'Brien \"x\"", "28", "' OR '1'='1"),
                                 ("R005", "临时读者", "50", "")]:
        people.add(no, {"readerNo": no, "readerName": name, "age": age, "telephone": phone})
    people.add("duplicate R001", {"readerNo": "R001", "readerName": "重复", "age": "1",
                                   "telephone": ""}, expect="该读者编号已经存在!")
    people.expect_query("without search", {})
    people.expect_query("by readerNo R00", {"readerNo": "R00"})
    people.expect_query("by readerNo with & and Chinese", {"readerNo": "&D 甲"})
    people.expect_query("by readerName 张", {"readerName": "张"})
    people.expect_query("by readerName with quotes", {"readerName": "O'Brien \"x\""})
    people.modify("R&D 甲 (key with & and a space)", "R&D 甲", {"readerName": "王五六", "age": "42"})
    people.delete("R005", "R005")
    people.expect_query("after modify and delete", {})


def book_rows(app):
    computer, literature, history = (key_of(app, "BookType", "typeName", n)
                                     for n in ("计算机", "文学", "历史"))
    kinds = [computer] * 7 + [literature] * 4 + [history] * 3
    for n in range(1, 15):
        yield {"barcode": "B%03d" % n, "bookName": "数据结构第%d版" % n, "bookType": kinds[n - 1],
               "author": "王小明" if n % 2 else "王芳", "price": "%.1f" % (10.5 + n),
               "publishDate": "%d-0%d-15" % (2020 + n % 2, 1 + n % 9), "stock": str(n)}


def books(app):
    shelf = ClassPages(app, "Book")
    for row in book_rows(app):
        if row["barcode"] == "B007":
            row.update(bookName=TRICKY, author="O'Brien")
        shelf.add(row["barcode"], row)
    shelf.add("duplicate B001", dict(next(book_rows(app)), bookName="重复"),
              expect="该图书条形码已经存在!")
    shelf.expect_query("without search (2 pages)", {})
    shelf.delete("B014", "B014")
    book_searches(app, shelf)
    paging_links(app, shelf, {"author": "王"})
    literature = key_of(app, "BookType", "typeName", "文学")
    shelf.modify("B003: type, price, name, stock", "B003",
                 {"bookType": literature, "price": "99.9", "bookName": "数据结构第3版（修订）",
                  "stock": "0"})
    shelf.modify("B007: stock only, the tricky name kept", "B007", {"stock": "70"})
    shelf.expect_query("by the new bookType after modify", {"bookType.typeId": literature})
    computer = key_of(app, "BookType", "typeName", "计算机")
    shelf.expect_query("by the old bookType after modify", {"bookType.typeId": computer})


def book_searches(app, shelf):
    history = key_of(app, "BookType", "typeName", "历史")
    for label, params in [("without search after delete", {}),
                          ("by barcode B01", {"barcode": "B01"}),
                          ("by bookName 数据结构 (2 pages)", {"bookName": "数据结构"}),
                          ("by bookType", {"bookType.typeId": history}),
                          ("by bookType 0 = all", {"bookType.typeId": "0"}),
                          ("by author 小明", {"author": "小明"}),
                          ("by publishDate 2021", {"publishDate": "2021"}),
                          ("by barcode and author", {"barcode": "B00", "author": "芳"}),
                          ("by bookName with quotes and SQL text", {"bookName": "' OR '1'='1"}),
                          ("by bookName, the whole tricky text", {"bookName": TRICKY}),
                          ("by bookName, SQL text matching nothing", {"bookName": "zz' OR '1'='1"}),
                          ("by bookName with a double quote", {"bookName": "\"x\""})]:
        shelf.expect_query(label, params)


def paging_links(app, shelf, params):
    """首页, 上一页, 下一页 and 尾页 keep the search and lead to the right page."""
    reply, page = shelf.query(params)
    why = links_difference(page, params, {"下一页": "2", "尾页": "2"})
    if why is None:
        reply, page = shelf.query(None, resolve(reply.url, page.link_to("尾页")))
        why = first_difference([("尾页 leads to page", (page.paging_numbers() or (0, 0))[1], 2)])
        why = why or links_difference(page, params, {"首页": "1", "上一页": "1"})
    app.check("Book paging links keep the search %r" % params, why)


def links_difference(page, params, wanted):
    for label, number in wanted.items():
        href = page.link_to(label)
        if href is None:
            return "no link %s in: %s" % (label, snippet(page.text))
        got = [(n, pages.query_value(href, n)) for n in list(params) + ["currentPage"]]
        if got != list(params.items()) + [("currentPage", number)]:
            return "link %s is %r" % (label, href)
    return None


def loans(app):
    desk = ClassPages(app, "Loan")
    for book, reader, day, back, fine in [("B001", "R001", "2024-03-01", "2024-03-31", "0"),
                                          ("B002", "R002", "2024-03-05", "2024-04-05", "0"),
                                          ("B001", "R&D 甲", "2024-04-10", "2024-05-10", "1.5"),
                                          ("B007", "R004", "2024-04-12", "2024-05-12", "0.5")]:
        desk.add("%s to %s" % (book, reader), {"book": book, "reader": reader, "loanDate": day,
                                               "returnDate": back, "fine": fine})
    desk.expect_query("without search", {})
    desk.expect_query("by book B001", {"book.barcode": "B001"})
    desk.expect_query("by book, empty = all", {"book.barcode": ""})
    desk.expect_query("by reader R&D 甲", {"reader.readerNo": "R&D 甲"})
    desk.expect_query("by reader and book", {"reader.readerNo": "R001", "book.barcode": "B001"})
    desk.expect_query("by loanDate 2024-04", {"loanDate": "2024-04"})
    second = key_of(app, "Loan", "loanDate", "2024-03-05")
    desk.modify("reader and fine of the loan of B002", second, {"reader": "R004", "fine": "2.5"})
    desk.expect_query("by the new reader after modify", {"reader.readerNo": "R004"})
    desk.expect_query("by the old reader after modify", {"reader.readerNo": "R002"})
    desk.delete("the loan of B007", key_of(app, "Loan", "loanDate", "2024-04-12"))
    desk.expect_query("after modify and delete", {})
    missing_reference(app, desk)


def missing_reference(app, desk):
    """A required reference to a row that is not there (a stale form) stores nothing."""
    reply = desk.submit_add({"book": "B999", "reader": "R001", "loanDate": "2024-06-01",
                             "returnDate": "2024-07-01", "fine": "0"})
    page = pages.Page(reply.text)
    app.check("Loan add naming a missing book is not reported as done", None if (
        desk.added() not in page.text) else "%s: %s" % (reply.brief(), snippet(page.text)))
    desk.expect_query("holds no row for the missing book", {})


def refused_requests(app):
    """Requests a browser would not send are refused on add and on modify, and store nothing."""
    for name in model.ORDER:
        target = ClassPages(app, name)
        key, row = next(iter(app.rows[name].items()))
        fresh = dict(row)
        if not target.cls.auto_key():
            fresh[target.cls.key] = "Z9"  # a new row, were the add taken
        refused_on(app, target, target.menu_url("添加", "AddView"), "Add", fresh,
                   target.added(), "%s add" % name)
        reply, href = target.find_row(key, "修改")
        refused_on(app, target, resolve(reply.url, href), "Modify", row,
                   "%s信息更新成功!" % name, "%s modify %s" % (name, key))
        target.expect_query("after the refused adds and modifies", {})


def refused_on(app, target, url, method, values, success, tag):
    reply = app.client.get(url)
    suffix = "_%s%s.action" % (method, target.name)
    form = refusals.form_posting_to(pageforms.LabelledPage(reply.text), suffix)
    if form is None:
        raise DriverError("no form posting to *%s at %s" % (suffix, reply.brief()))
    base = dict(target.fill(form, values))
    refusals.refuse_all(app.client, app.check, reply, form, base, suffix, success, tag)


def referenced(app):
    """Rows that others refer to cannot be deleted, and stay."""
    for name, key, search in [("Book", "B001", {"barcode": "B001"}),
                              ("Reader", "R001", {"readerNo": "R001"}),
                              ("BookType", key_of(app, "BookType", "typeName", "计算机"),
                               {"typeName": "计算机"})]:
        target = ClassPages(app, name)
        target.delete("%s, referred to by another row" % key, key, refused=True)
        target.expect_query("still holds %s after the refused delete" % key, search)


def forged_requests(app):
    types = ClassPages(app, "BookType")
    attacks.forged_requests(app, app.results, key_of(app, "BookType", "typeName", "历史"),
                            lambda label: types.expect_query(label, {}))


def paging_of(app, path, params):
    reply = app.client.get(path, params, follow=False)
    return reply, pages.Page(reply.text).paging_numbers() if reply.status == 200 else None


def crafted_parameters(app):
    """Page numbers out of range show the first or the last page; a reference condition
    without the referenced key is no condition; nothing gives an error page."""
    books = "/Book/Book_QueryBook.action"
    records, _, last = paging_of(app, books, {})[1] or (0, 0, 0)
    for value, page in [("-1", 1), ("0", 1), ("-2147483648", 1), ("abc", 1), ("", 1),
                        (str(last + 1), last), ("2147483647", last)]:
        reply, numbers = paging_of(app, books, {"currentPage": value})
        app.check("Book list with currentPage=%r shows page %d of %d" % (value, page, last),
                  first_difference([("status", reply.status, 200),
                                    ("paging", numbers, (records, page, last))]))
    loans = "/Loan/Loan_QueryLoan.action"
    everything = paging_of(app, loans, {})[1]
    for name in ("book.bookName", "reader.readerName", "book.author"):
        reply, numbers = paging_of(app, loans, {name: "x"})
        app.check("Loan list with only %s=x lists every loan" % name,
                  first_difference([("status", reply.status, 200),
                                    ("paging", numbers, everything)]))


def many_users(base, log_path, db, results):
    """LOAD_CLIENTS users with sessions of their own list, page and add at once."""
    books = int(db.sql("SELECT COUNT(*) FROM brennoquill.`Book`").split()[0])
    tally = load.run(base, log_path, LOAD_CLIENTS, LOAD_SECONDS, books)
    figures = tally.report(LOAD_SECONDS)
    results.check("%d users for %d s: no failed request (%d requests, %.0f/s, p99 %.0f ms)"
                  % (LOAD_CLIENTS, LOAD_SECONDS, figures["requests"], figures["per_second"],
                     figures["p99"]),
                  None if tally.failures == 0 and figures["requests"] > 0 else
                  "%d failed: %s" % (tally.failures, tally.samples))
    results.check("%d users: each of the %d acknowledged adds is stored once"
                  % (LOAD_CLIENTS, len(tally.acknowledged)),
                  load.stored_once_difference(db, tally) or (
                      None if tally.acknowledged else "no add was acknowledged"))


def key_of(app, class_name, member, value):
    for key, row in app.rows[class_name].items():
        if row.get(member) == value:
            return key
    raise DriverError("no %s with %s = %r was added" % (class_name, member, value))
