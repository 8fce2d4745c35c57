"""Drives the pages of one class (add, query, modify, delete) and compares what they show
with the rows the test has stored so far."""

import math
import urllib.parse

import model
import pages
from results import first_difference, snippet

PAGE_SIZE = 10
TOKEN_FIELD = "csrfToken"
PLACEHOLDERS = ("", "0")


class DriverError(Exception):
    """The scenario cannot go on with this class."""


class App:
    """The logged-in browser and the rows the application should hold."""

    def __init__(self, client, results):
        self.client = client
        self.results = results
        self.rows = {name: {} for name in model.CLASSES}
        self.menu = {}  # class -> {"添加": href, "查询": href}

    def check(self, name, why):
        return self.results.check(name, why)

    def display(self, class_name, key):
        """What a reference to this row shows: its display member."""
        cls = model.CLASSES[class_name]
        row = self.rows[class_name].get(key)
        return key if row is None or cls.display == cls.key else row[cls.display]


def resolve(base_url, href):
    return urllib.parse.urljoin(base_url, href)


def numbers_equal(a, b):
    try:
        return abs(float(a) - float(b)) < 1e-3
    except (TypeError, ValueError):
        return False


def expected_pages(records):
    return math.ceil(records / PAGE_SIZE)


class ClassPages:
    def __init__(self, app, class_name):
        self.app = app
        self.cls = model.CLASSES[class_name]
        self.name = class_name
        self.add_form_checked = False

    # --- addresses ---------------------------------------------------------------------

    def action_path(self, method):
        return "/%s/%s_%s.action" % (self.name, self.name, method)

    def menu_url(self, label, method):
        return self.app.menu.get(self.name, {}).get(label) or self.action_path(method)

    # --- add ---------------------------------------------------------------------------

    def open_form(self, url):
        reply = self.app.client.get(url)
        page = pages.Page(reply.text)
        prefix = self.cls.obj() + "."
        for form in page.forms:
            if any((n or "").startswith(prefix) for n in form.names()):
                return reply, page, form
        return reply, page, None

    def add(self, label, values, expect=None):
        """Adds a row through the add form; expect is the page text, by default success."""
        answer = self.submit_add(values)
        if self.expect_text("%s add %s" % (self.name, label), answer, expect or self.added()):
            if expect is None:
                self.store_new(values)

    def added(self):
        return "%s添加成功!" % self.name

    def submit_add(self, values):
        reply, page, form = self.open_form(self.menu_url("添加", "AddView"))
        if not self.add_form_checked:
            self.add_form_checked = True
            self.check_add_form(reply, form)
        target = resolve(reply.url, form.action) if form else self.action_path("Add" + self.name)
        return self.app.client.post(target, self.fill(form, values))

    def check_add_form(self, reply, form):
        why = self.form_difference(reply, form, "Add" + self.name, model.add_fields(self.cls))
        self.app.check("%s add form: fields, action and choices" % self.name,
                       why or self.options_difference(form))

    def form_difference(self, reply, form, method, names):
        if form is None:
            return "no form with %s.* fields (%s): %s" % (
                self.cls.obj(), reply.brief(), snippet(pages.Page(reply.text).text))
        action = urllib.parse.urlsplit(resolve(reply.url, form.action)).path
        fields = [n for n in form.names() if n != TOKEN_FIELD]
        return first_difference([("action", action, self.action_path(method)),
                                 ("method", form.method, "post"),
                                 ("fields", sorted(fields), sorted(names)),
                                 ("token field filled", bool(dict(form.values()).get(TOKEN_FIELD)),
                                  True)])

    def options_difference(self, form):
        for member in self.cls.members:
            if member.kind != "ref":
                continue
            field = form.field(model.form_name(self.cls, member))
            if field is None or field.tag != "select":
                return "%s is no select" % model.form_name(self.cls, member)
            got = sorted((v, label) for v, label, _ in field.options
                         if v not in PLACEHOLDERS or v in self.app.rows[member.ref])
            keys = self.app.rows[member.ref]
            expected = sorted((k, self.app.display(member.ref, k)) for k in keys)
            if got != expected:
                return "%s choices: got %r, expected %r" % (field.name, got, expected)
        return None

    def fill(self, form, values):
        pairs = dict(form.values()) if form else {}
        for member in self.cls.members:
            if member.name in values:
                pairs[model.form_name(self.cls, member)] = values[member.name]
        return list(pairs.items())

    def store_new(self, values):
        row = dict(values)
        if self.cls.auto_key():
            row[self.cls.key] = self.new_key()
        self.app.rows[self.name][row[self.cls.key]] = row

    def new_key(self):
        known = set(self.app.rows[self.name])
        found = {self.row_key(r) for _, p in self.all_pages({}) for r in p.rows} - known
        if len(found) != 1:
            raise DriverError("cannot tell the key of the new %s row: new keys %r"
                              % (self.name, sorted(found, key=str)))
        return found.pop()

    # --- query -------------------------------------------------------------------------

    def query(self, params, url=None):
        url = url or self.app.client.url(self.menu_url("查询", "Query" + self.name), params)
        reply = self.app.client.get(url)
        return reply, pages.Page(reply.text)

    def all_pages(self, params):
        """The result pages of a search, as (reply, page), following the 下一页 links."""
        reply, page = self.query(params)
        found = [(reply, page)]
        numbers = page.paging_numbers()
        while numbers and numbers[1] < numbers[2] and len(found) < 50:
            href = page.link_to("下一页")
            if not href:
                break
            reply, page = self.query(None, resolve(reply.url, href))
            found.append((reply, page))
            numbers = page.paging_numbers()
        return found

    def row_key(self, row):
        href = row.links.get("修改")
        return pages.query_value(href, self.cls.key) if href else None

    def matching_keys(self, params):
        return {k for k, row in self.app.rows[self.name].items() if self.matches(row, params)}

    def matches(self, row, params):
        for name, value in params.items():
            member = next(m for m in self.cls.members if model.query_name(m) == name)
            if member.kind == "ref":
                if value != model.all_value(member) and row[member.name] != value:
                    return False
            elif value not in row.get(member.name, ""):
                return False
        return True

    def expect_query(self, label, params):
        """Searches and compares every page with the stored rows."""
        expected = self.matching_keys(params)
        try:
            found = [page for _, page in self.all_pages(params)]
            why = self.pages_difference(found, expected) or self.cells_difference(found)
        except DriverError as error:
            why = str(error)
        self.app.check("%s query %s: %d rows" % (self.name, label, len(expected)), why)

    def pages_difference(self, found, expected):
        total = expected_pages(len(expected))
        keys = []
        for number, page in enumerate(found, 1):
            why = self.page_difference(page, number, len(expected), total)
            if why:
                return "page %d: %s" % (number, why)
            keys += [self.row_key(r) for r in page.rows]
        if len(found) < max(total, 1):
            return "%d pages reached through 下一页, expected %d" % (len(found), total)
        if sorted(keys, key=str) != sorted(expected, key=str):
            return "keys %r, expected %r" % (sorted(keys, key=str), sorted(expected, key=str))
        return None

    def page_difference(self, page, number, records, total):
        numbers = page.paging_numbers()
        if numbers is None:
            return "no paging line (共R条记录 第P/T页) in: " + snippet(page.text)
        if records == 0 and numbers in ((0, 1, 0), (0, 1, 1)):
            return None if not page.rows else "rows shown for no records"
        rows = min(PAGE_SIZE, records - PAGE_SIZE * (number - 1))
        return first_difference([("records, page, pages", numbers, (records, number, total)),
                                 ("rows on the page", len(page.rows), rows)])

    def cells_difference(self, found):
        for page in found:
            for row in page.rows:
                why = self.row_difference(row)
                if why:
                    return why
        return None

    def row_difference(self, row):
        key = self.row_key(row)
        stored = self.app.rows[self.name].get(key)
        if stored is None:
            return "a row with unknown key %r: %r" % (key, row.cells)
        if len(row.cells) != len(self.cls.members) + 1:
            return "row %s has %d cells, expected %d: %r" % (
                key, len(row.cells), len(self.cls.members) + 1, row.cells)
        for member, cell in zip(self.cls.members, row.cells):
            expected = self.shown(member, stored)
            same = numbers_equal(cell, expected) if member.kind == "float" else cell == expected
            if not same:
                return "row %s, %s: shows %r, expected %r" % (key, member.name, cell, expected)
        return self.links_difference(row, key)

    def links_difference(self, row, key):
        href = row.links.get("修改", "")
        got = (pages.link_path(href), pages.query_value(href, self.cls.key))
        if got != (self.action_path("Modify%sQuery" % self.name), key):
            return "row %s: link 修改 is %r" % (key, href)
        form = row.form_with("删除")
        if form is None:
            return "row %s: no 删除 form" % key
        fields = dict(form.values())
        got = (form.method, pages.link_path(form.action), fields.get(self.cls.key),
               bool(fields.get(TOKEN_FIELD)))
        if got != ("post", self.action_path("Delete" + self.name), key, True):
            return "row %s: 删除 form (method, action, key, token) is %r" % (key, got)
        return None

    def shown(self, member, stored):
        value = stored.get(member.name, "")
        return self.app.display(member.ref, value) if member.kind == "ref" else value

    # --- modify and delete -------------------------------------------------------------

    def find_row(self, key, label):
        """The query page listing this row, and the row's link (or form) with this label."""
        for reply, page in self.all_pages({}):
            for row in page.rows:
                if self.row_key(row) != key:
                    continue
                if label in row.links:
                    return reply, row.links[label]
                if row.form_with(label) is not None:
                    return reply, row.form_with(label)
        raise DriverError("%s %s with a link or form %s is not listed by the query"
                          % (self.name, key, label))

    def modify(self, label, key, changes):
        reply, href = self.find_row(key, "修改")
        reply, page, form = self.open_form(resolve(reply.url, href))
        names = model.modify_fields(self.cls)
        why = (self.form_difference(reply, form, "Modify" + self.name, names)
               or self.options_difference(form) or self.filled_difference(form, key))
        self.app.check("%s modify form of %s: fields filled" % (self.name, key), why)
        target = resolve(reply.url, form.action) if form else self.action_path("Modify" + self.name)
        values = dict(self.app.rows[self.name][key], **changes)
        answer = self.app.client.post(target, self.fill(form, values))
        if self.expect_text("%s modify %s" % (self.name, label), answer, "%s信息更新成功!" % self.name):
            self.app.rows[self.name][key] = values

    def filled_difference(self, form, key):
        stored = self.app.rows[self.name][key]
        key_field = form.field(model.form_name(self.cls, self.cls.key_member()))
        if not key_field.readonly or key_field.value != key:
            return "key field: readonly=%s value=%r" % (key_field.readonly, key_field.value)
        for member in self.cls.members:
            field = form.field(model.form_name(self.cls, member))
            got = field.chosen() if field.tag == "select" else field.value
            expected = stored.get(member.name, "")
            same = numbers_equal(got, expected) if member.kind == "float" else got == expected
            if not same:
                return "%s holds %r, expected %r" % (member.name, got, expected)
        return None

    def delete(self, label, key, refused=False):
        reply, form = self.find_row(key, "删除")
        answer = self.app.client.post(resolve(reply.url, form.action), form.values())
        text = "%s删除%s!" % (self.name, "失败" if refused else "成功")
        if self.expect_text("%s delete %s" % (self.name, label), answer, text) and not refused:
            del self.app.rows[self.name][key]

    # --- result pages ------------------------------------------------------------------

    def expect_text(self, name, reply, text):
        page = pages.Page(reply.text)
        why = None
        if reply.status != 200 or text not in page.text:
            why = "expected %r; %s: %s" % (text, reply.brief(), snippet(page.text))
        return self.app.check(name, why)
