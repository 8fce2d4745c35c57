"""Pages that stay small and cheap when tables are large: 2,000 book types and a book of each
are put into the database directly, then the pages that list them are fetched and the SELECT
statements each request makes are counted on the server."""

import collections
import re

ROWS = 2000
MAX_PAGE_BYTES = 50 * 1024
MAX_SELECTS = 10
PAGE_SIZE = 10
KEY_LINK = re.compile(r"BookType_ModifyBookTypeQuery\.action\?typeId=(\d+)")


def selects(db):
    """The server's count of SELECT statements so far."""
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


def paging_check(app, db):
    """Every page of the book types, each key exactly once."""
    total = int(db.sql("SELECT COUNT(*) FROM brennoquill.`BookType`").split()[0])
    seen = collections.Counter()
    for page in range(1, (total + PAGE_SIZE - 1) // PAGE_SIZE + 1):
        reply = app.client.get("/BookType/BookType_QueryBookType.action",
                               {"currentPage": page})
        seen.update(KEY_LINK.findall(reply.text))
    twice = sorted((key for key, times in seen.items() if times > 1), key=int)
    why = None
    if len(set(seen)) != total or twice:
        why = "%d rows, %d distinct keys on the pages, repeated: %s" % (
            total, len(set(seen)), ", ".join(twice[:10]))
    app.check("paging through %d book types shows each row exactly once" % total, why)


def run(app, db):
    fill(db)
    page_checks(app, db)
    paging_check(app, db)
