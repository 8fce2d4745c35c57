"""Pages that stay small and cheap when tables are large: 2,000 book types and a book of each
are put into the database directly, then the pages that list them are fetched and the SELECT
statements each request makes are counted on the server."""

import collections
import json
import re
import urllib.parse

ROWS = 2000
MAX_PAGE_BYTES = 50 * 1024
MAX_SELECTS = 10
PAGE_SIZE = 10
KEY_LINK = re.compile(r"BookType_ModifyBookTypeQuery\.action\?typeId=(\d+)")


def selects(db):
    """The server's count of SELECT statements so far."""
    if db.kind == "postgresql":
        return db.select_count()
    line = db.sql("SHOW GLOBAL STATUS LIKE 'Com_select'").split()
    return int(line[-1])


def fill(db):
    """ROWS book types, and one book of each: counting books must not load them."""
    db.sql("INSERT INTO brennoquill.`BookType` (typeName, description) "
           "SELECT CONCAT('批量类别', seq), '' FROM brennoquill.seq_1_to_%d" % ROWS)
    db.sql("INSERT INTO brennoquill.`Book` (barcode, bookName, typeId, author, price, "
           "publishDate, stock) SELECT CONCAT('批量', t.typeId), '批量图书', t.typeId, '作者', "
           "1.5, '2024-01-01', 1 FROM brennoquill.`BookType` t "
           "WHERE t.typeName LIKE '批量类别%'")


def measured(app, db, path):
    """(reply, SELECT statements of the request)."""
    before = selects(db)
    reply = app.client.get(path)
    return reply, selects(db) - before


def page_checks(app, db):
    for path in ("/Book/Book_AddView.action", "/Book/Book_QueryBook.action",
                 "/Book/Book_QueryBook.action?currentPage=150",
                 "/BookType/BookType_QueryBookType.action?currentPage=2"):
        reply, count = measured(app, db, path)
        size = len(reply.text.encode("utf-8"))
        app.check("with %d book types GET %s is at most %d KB (%d bytes)"
                  % (ROWS, path, MAX_PAGE_BYTES // 1024, size),
                  None if reply.status == 200 and size <= MAX_PAGE_BYTES
                  else "HTTP %d, %d bytes" % (reply.status, size))
        app.check("with %d book types GET %s makes at most %d SELECTs (%d)"
                  % (ROWS, path, MAX_SELECTS, count),
                  None if count <= MAX_SELECTS else "%d SELECT statements" % count)


BOOK_LINK = re.compile(r"Book_ModifyBookQuery\.action\?barcode=([^\"&]+)")


def paged_keys(app, path, params, link, pages):
    """How often each key's modify link appears over the pages of a query."""
    seen = collections.Counter()
    for page in range(1, pages + 1):
        reply = app.client.get(path, dict(params, currentPage=page))
        seen.update(urllib.parse.unquote(k) for k in link.findall(reply.text))
    return seen


def once_problem(seen, total):
    twice = sorted(key for key, times in seen.items() if times > 1)
    if len(seen) != total or twice:
        return "%d rows, %d distinct keys on the pages, repeated: %s" % (
            total, len(seen), ", ".join(twice[:10]))
    return None


def paging_check(app, db):
    """Every page of the book types, each key exactly once; then the books found by a bound
    search, whose later pages are read from the end."""
    total = int(db.sql("SELECT COUNT(*) FROM brennoquill.`BookType`").split()[0])
    seen = paged_keys(app, "/BookType/BookType_QueryBookType.action", {}, KEY_LINK,
                      (total + PAGE_SIZE - 1) // PAGE_SIZE)
    app.check("paging through %d book types shows each row exactly once" % total,
              once_problem(seen, total))
    total = int(db.sql("SELECT COUNT(*) FROM brennoquill.`Book` WHERE barcode LIKE '批量1%'")
                .split()[0])
    seen = paged_keys(app, "/Book/Book_QueryBook.action", {"barcode": "批量1"}, BOOK_LINK,
                      (total + PAGE_SIZE - 1) // PAGE_SIZE)
    wrong = [key for key in seen if "批量1" not in key]
    app.check("paging through the %d books found by a search shows each exactly once" % total,
              once_problem(seen, total) or ("not matching: %s" % wrong[:5] if wrong else None))


LOOKUP = "/BookType/BookType_LookupBookType.action"
LOOKUP_LIMIT = 20
HOSTILE_NAME = "</script><b>类别'\"&"


def lookup(app, db, term):
    """(status, content type, rows or None, raw text, SELECTs) of one type-ahead request."""
    reply, count = measured(app, db, LOOKUP + "?" + urllib.parse.urlencode({"term": term}))
    try:
        rows = json.loads(reply.text)
    except ValueError:
        rows = None
    return reply.status, reply.headers.get("Content-Type", ""), rows, reply.text, count


def lookup_problem(status, content_type, rows, count, wanted):
    if status != 200 or not content_type.startswith("application/json"):
        return "HTTP %d, %s" % (status, content_type)
    if not isinstance(rows, list) or any(not isinstance(r, list) or len(r) != 2 for r in rows):
        return "not a list of [key, text] pairs: %r" % (rows,)
    if count > MAX_SELECTS:
        return "%d SELECT statements" % count
    return wanted(rows)


def lookup_checks(app, db):
    """The key field that replaces a large drop-down, and its type-ahead action."""
    page = app.client.get("/Book/Book_AddView.action").text
    app.check("with %d book types the add page offers suggestions for the type's key" % ROWS,
              None if 'data-lookup="/BookType/BookType_LookupBookType.action"' in page
              and "<select" not in page else "no key field with a look-up")
    if db.kind == "postgresql":  # index names are unique per schema there
        index = db.sql("SELECT indexdef FROM pg_indexes WHERE indexname = 'lookup_booktype'")
    else:
        index = db.sql("SHOW INDEX FROM brennoquill.`BookType` WHERE Key_name = 'lookup'")
    app.check("the book type's display column has the look-up's index",
              None if "typeName" in index else "no index lookup: %r" % index)
    status, kind, rows, _, count = lookup(app, db, "批量类别1")
    app.check("the look-up answers at most %d matching book types as JSON" % LOOKUP_LIMIT,
              lookup_problem(status, kind, rows, count, lambda rows: None
                             if 0 < len(rows) <= LOOKUP_LIMIT
                             and all("批量类别1" in r[1] for r in rows)
                             else "%d rows: %r" % (len(rows), rows[:3])))
    status, kind, rows, _, count = lookup(app, db, "%")
    app.check("the look-up takes % as a character, not as a wildcard",
              lookup_problem(status, kind, rows, count,
                             lambda rows: None if rows == [] else "%d rows" % len(rows)))
    db.sql("INSERT INTO brennoquill.`BookType` (typeName, description) VALUES ('%s', '')"
           % HOSTILE_NAME.replace("\\", "\\\\").replace("'", "\\'"))
    status, kind, rows, text, count = lookup(app, db, "</script>")
    app.check("the look-up escapes markup in what it answers",
              lookup_problem(status, kind, rows, count, lambda rows: None
                             if [r[1] for r in rows] == [HOSTILE_NAME] and "<" not in text
                             else "%r" % text[:200]))


def run(app, db):
    fill(db)
    page_checks(app, db)
    lookup_checks(app, db)
    paging_check(app, db)
