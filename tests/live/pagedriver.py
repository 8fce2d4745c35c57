"""Drives any generated application from its pages alone: the menu gives the classes, each
add form gives the fields (type, maxlength, choices), rows are added in the order the
choices allow, then listed, searched, modified and deleted, and a referenced row is
deleted in vain. On add and on modify, the requests a browser would not send (refusals.py)
are refused and change nothing."""

import decimal
import json
import urllib.parse

import firstadmin
import pages
import pageforms
import refusals
import wordvalues
from client import Client
from results import snippet

ROWS = 3  # per class; the last is never referred to and gets deleted
INTS = ["42", "-7", "2147483647"]
FLOATS = ["1234567", "12.5", "-0.75"]
DATES = ["2024-02-29", "1999-12-31", "2000-01-01"]
# Text after a unique head: Chinese, quotes, HTML, an expression, LIKE wildcards, a backslash.
TEXTS = ["中文'\"<b>x</b>&", "%{1+1}%_", "C:\\d_r 汉"]
SINGLE = "甲乙丙丁戊"
CHANGED = {"int": "-99", "float": "12345678", "date": "2031-07-15"}


class Stop(Exception):
    """This class cannot be driven further."""


class ClassSite:
    def __init__(self, name, friend, add_url, query_url):
        self.name = name
        self.friend = friend
        self.add_url = add_url
        self.query_url = query_url
        self.prefix = None  # the object name before "." in the form fields
        self.key_name = None  # the parameter the 修改/删除 links carry
        self.rows = {}  # key -> {field name: (value, shown)}
        self.order = []  # keys in the order added
        self.spare = None  # the key of the row nothing refers to
        self.fields = []  # the add form's fields


class Drive:
    def __init__(self, base, results, tag, log_path, words=None, lookups=False):
        self.client = Client(base)
        self.words = words or {}  # object.member -> member, for the newer words
        self.lookups = lookups  # also drive the type-ahead of each referenced class
        self.results = results
        self.tag = tag
        self.log_path = log_path
        self.sites = {}

    def check(self, name, why):
        return self.results.check("%s %s" % (self.tag, name), why)

    def run(self):
        if not self.login():
            return
        self.menu()
        stages = [("add", self.add_all), ("list", self.list_all), ("search", self.search_all),
                  ("modify", self.modify_all), ("delete", self.delete_all),
                  ("referenced delete", self.referenced_all)]
        if self.lookups:
            stages.insert(3, ("look-up", self.lookup_all))
        for name, stage in stages:
            self.results.stage("%s %s" % (self.tag, name), stage, Stop)

    # --- login and menu ------------------------------------------------------------------

    def login(self):
        reply = firstadmin.log_in(self.client, self.log_path)
        self.main = reply
        text = pages.Page(reply.text).text
        return self.check("first administrator set up with the logged token: main page",
                          None if reply.status == 200 and "欢迎您" in text
                          else "%s: %s" % (reply.brief(), snippet(text)))

    def menu(self):
        page = pages.Page(self.main.text)
        links = {}
        for href, text in page.links:
            path = pages.link_path(href)
            parts = path.strip("/").split("/")
            if len(parts) == 2 and text in ("添加", "查询"):
                links.setdefault(parts[0], {})[text] = urllib.parse.urljoin(self.main.url, href)
        for name, found in links.items():
            if set(found) == {"添加", "查询"}:
                self.sites[name] = ClassSite(name, "", found["添加"], found["查询"])
        self.check("main page menu: %d classes with 添加 and 查询" % len(self.sites),
                   None if self.sites else "no menu links in: " + snippet(page.text))

    # --- forms ---------------------------------------------------------------------------

    def form(self, url, action_suffix):
        reply = self.client.get(url)
        page = pageforms.LabelledPage(reply.text)
        for form in page.forms:
            if form.action.endswith(action_suffix):
                return reply, page, pageforms.annotate(form, self.words)
        raise Stop("no form posting to *%s at %s: %s" % (action_suffix, reply.brief(),
                                                          snippet(page.text)))

    def data_fields(self, form):
        return [f for f in form.fields
                if (f.submitted() or pageforms.box(f)) and pageforms.kind(f)]

    def ref_site(self, field, site):
        """The class whose rows a select offers: by key parameter, keys and labels."""
        key_name = field.name.rsplit(".", 1)[-1]
        values = {o[0] for o in field.options if o[0]}
        labels = {o[1] for o in field.options}
        best = None
        for other in self.sites.values():
            if other.key_name != key_name or not values <= set(other.rows):
                continue
            shown = {s for row in other.rows.values() for _, s in row.values()} | set(other.rows)
            if labels <= shown:
                return other
            best = best or other
        return best

    # --- add -----------------------------------------------------------------------------

    def add_all(self):
        pending = list(self.sites.values())
        while pending:
            progress = False
            for site in list(pending):
                try:
                    reply, page, form = self.form(site.add_url, "_Add%s.action" % site.name)
                except Stop as error:
                    pending.remove(site)
                    self.check("%s add form" % site.name, str(error))
                    continue
                fields = self.data_fields(form)
                if any(f.tag == "select" and not f.options for f in fields):
                    continue
                pending.remove(site)
                progress = True
                site.fields = fields
                # The object's fields, not the form's token.
                names = [f.name for f in form.fields if f.name and "." in f.name]
                site.prefix = names[0].split(".")[0] if names else site.name[0].lower()
                # A class whose only member is a generated key has an empty add form: its
                # rows are added all the same.
                self.check("%s add form: %d fields (%s)" % (
                    site.name, len(fields), ", ".join("%s:%s" % (f.name, pageforms.kind(f))
                                                      for f in fields)), None)
                try:
                    for index in range(ROWS):
                        self.add_row(site, index)
                except Stop as error:
                    self.check("%s add" % site.name, "stopped: %s" % error)
                site.spare = site.order[-1] if len(site.order) == ROWS else None
                self.guarded(site, "refused adds", self.refuse_add, site)
            if not progress:
                for site in pending:
                    self.check("%s add: every choice list has options" % site.name,
                               "a select stays empty after every other class got rows")
                return

    def refuse_add(self, site):
        before = set(self.listed(site))
        reply, page, form = self.form(site.add_url, "_Add%s.action" % site.name)
        base = dict(form.values())
        for field in self.data_fields(form):
            put(base, field.name, self.value(site, field, 0, change=True)[0])
        refusals.refuse_all(self.client, self.check, reply, form, base,
                            "_Add%s.action" % site.name, "%s添加成功!" % site.name,
                            "%s add" % site.name)
        new = set(self.listed(site)) - before
        self.check("%s refused adds store nothing" % site.name,
                   "new keys %r" % sorted(new, key=str) if new else None)

    def value(self, site, field, index, change=False):
        """(posted value, what the list should show) for a field of row index."""
        kind = pageforms.kind(field)
        head = "%s%s%d" % ("改" if change else "", site.name[:1], index)
        if field.member:
            return wordvalues.value(field.member, field, head, index, change)
        if kind == "ref":
            return self.choice(site, field, index, change)
        if kind in ("int", "float", "date"):
            value = CHANGED[kind] if change else {"int": INTS, "float": FLOATS,
                                                  "date": DATES}[kind][index]
            return value, value
        limit = pageforms.maxlength(field) or 60
        if limit < len(head):
            text = SINGLE[(index + (3 if change else 0)) % len(SINGLE)] * min(limit, 1)
            return text, text
        text = head + TEXTS[index]
        if index == ROWS - 1 and not change:
            text += "汉" * max(0, limit - len(text))  # the whole declared length
        return text[:limit], text[:limit]

    def choice(self, site, field, index, change):
        other = self.ref_site(field, site)
        options = [o for o in field.options if o[0]]
        if other is not None and other.spare is not None:
            options = [o for o in options if o[0] != other.spare] or options
        if not options:
            return "", ""
        # Row 0 takes the first choice everywhere: two references reaching one row.
        pick = options[(index + (1 if change else 0)) % len(options)]
        return pick[0], pick[1]

    def add_row(self, site, index):
        before = set(self.listed(site))
        reply, page, form = self.form(site.add_url, "_Add%s.action" % site.name)
        values = {}
        posted = dict(form.values())
        for field in self.data_fields(form):
            values[field.name] = self.value(site, field, index)
            put(posted, field.name, values[field.name][0])
        answer = self.client.post(urllib.parse.urljoin(reply.url, form.action),
                                  list(posted.items()))
        if not self.expect(answer, "%s添加成功!" % site.name, "%s add row %d" % (site.name, index),
                           values):
            return
        new = set(self.listed(site)) - before
        if len(new) != 1:
            self.check("%s row %d is listed after the add" % (site.name, index),
                       "new keys on the query page: %r" % sorted(new))
            return
        key = new.pop()
        site.rows[key] = values
        site.order.append(key)

    def expect(self, reply, text, name, values=None):
        page = pages.Page(reply.text)
        why = None
        if reply.status != 200 or text not in page.text:
            why = "expected %r; %s: %s" % (text, reply.brief(), snippet(page.text, 400))
            if values:
                why += " | posted %r" % {k: snippet(v[0] or "", 80) for k, v in values.items()}
        return self.check(name, why)

    # --- list ----------------------------------------------------------------------------

    def query_pages(self, site, params=None, url=None):
        """The result pages of a search, following 下一页."""
        url = url or self.client.url(site.query_url, params)
        found = []
        while url and len(found) < 20:
            reply = self.client.get(url)
            page = pageforms.LabelledPage(reply.text)
            found.append((reply, page))
            numbers = page.paging_numbers()
            href = page.link_to("下一页")
            url = urllib.parse.urljoin(reply.url, href) if href and numbers and \
                numbers[1] < numbers[2] else None
        return found

    def row_key(self, site, row):
        href = row.links.get("修改")
        if not href:
            return None
        query = urllib.parse.parse_qs(urllib.parse.urlsplit(href).query, keep_blank_values=True)
        names = [n for n in query if n != "currentPage"]
        if len(names) == 1:
            site.key_name = names[0]
            return query[names[0]][0]
        return None

    def listed(self, site, params=None):
        """key -> (row, headers) for every row the query shows."""
        found = {}
        for reply, page in self.query_pages(site, params):
            if reply.status != 200 or page.paging_numbers() is None:
                raise Stop("%s query page: %s: %s" % (site.name, reply.brief(),
                                                      snippet(page.text, 400)))
            for row in page.rows:
                found[self.row_key(site, row)] = (row, page.headers)
        return found

    def guarded(self, site, what, action, *args):
        """Runs one class's part of a stage; a page that stops it fails this class only."""
        try:
            action(*args)
        except Stop as error:
            self.check("%s %s" % (site.name, what), "stopped: %s" % error)

    def list_all(self):
        for site in self.sites.values():
            if site.rows and any(pageforms.kind(f) == "ref" for f in site.fields):
                self.guarded(site, "choices", lambda: self.check(
                    "%s choice lists show the referenced rows' values" % site.name,
                    self.labels_difference(site)))
            if site.rows:
                self.guarded(site, "list", lambda: self.check("%s list shows the %d added rows as entered" % (site.name, len(site.rows)),
                           self.list_difference(site)))

    def choice_labels(self, site):
        """field name -> {key: label} of the add form's selects, as they are now."""
        reply, page, form = self.form(site.add_url, "_Add%s.action" % site.name)
        return {f.name: {o[0]: o[1] for o in f.options} for f in form.fields
                if pageforms.kind(f) == "ref"}

    def labels_difference(self, site):
        """A choice shows a value entered for the row it names, never an object's address."""
        for name, labels in self.choice_labels(site).items():
            field = next(f for f in site.fields if f.name == name)
            other = self.ref_site(field, site)
            for key, label in labels.items():
                row = other.rows.get(key) if other else None
                if row is None:
                    continue
                entered = {v[1] for v in row.values()} | {key}
                if label not in entered:
                    return "%s choice %s shows %r, not a value of that row (%r)" % (
                        name, key, label, sorted(entered))
        return None

    def list_difference(self, site):
        shown = self.listed(site)
        self.labels = self.choice_labels(site)
        keys = sorted(k for k in shown if k is not None)
        if keys != sorted(site.rows):
            return "listed keys %r, added %r" % (keys, sorted(site.rows))
        for key, values in site.rows.items():
            row, headers = shown[key]
            why = self.row_difference(site, key, values, row, headers)
            if why:
                return why
        return None

    def row_difference(self, site, key, values, row, headers):
        labels = {f.label: f for f in site.fields}
        for header, cell in zip(headers, row.cells):
            field = labels.get(header)
            if field is None or field.name not in values:
                continue
            posted, expected = values[field.name]
            if pageforms.kind(field) == "ref":
                expected = self.labels.get(field.name, {}).get(posted, expected)
            if not same(pageforms.kind(field), cell, expected):
                return "row %s, %s (%s): shows %r, entered %r" % (
                    key, header, field.name, snippet(cell, 80), snippet(expected, 80))
        return None

    # --- search --------------------------------------------------------------------------

    def search_all(self):
        for site in self.sites.values():
            if site.rows:
                self.guarded(site, "search", self.search_site, site)

    def search_site(self, site):
        reply, page, form = self.form(site.query_url, "_Query%s.action" % site.name)
        pageforms.annotate(form, self.words, site.prefix + ".")
        self.check("%s search form is empty before a search" % site.name,
                   self.kept_difference(form, {}))
        for field in self.data_fields(form):
            for value in self.search_values(site, field):
                self.search(site, field, value)

    def add_field(self, site, field):
        """The add form's field a search field stands for: of its name, or of the name without
        the "_" a search value named like a request object (session_) gets."""
        first, dot, rest = field.name.partition(".")
        for stem in (first, first[:-1] if first.endswith("_") else None):
            name = "%s.%s%s%s" % (site.prefix, stem, dot, rest)
            found = next((f for f in site.fields if f.name == name), None) if stem else None
            if found:
                return found
        return None

    def search_values(self, site, field):
        source = self.add_field(site, field)
        if source is None:
            return []
        if field.member:
            shown = [v[source.name][1] for v in site.rows.values() if source.name in v]
            return wordvalues.search_values(field.member, field, shown)
        entered = [v[source.name][0] for v in site.rows.values() if source.name in v]
        if field.tag == "select":
            return [""] + entered[:1]
        values = entered[:1]
        if pageforms.kind(field) == "text":
            values += ["%", "_", "\\"]
        return [v for v in values if v is not None]

    def search(self, site, field, value):
        source = self.add_field(site, field)
        expected = set()
        for key, values in site.rows.items():
            entered = values.get(source.name, ("", ""))[0]
            if field.member:
                if wordvalues.found(field.member, field, value,
                                    values.get(source.name, ("", ""))[1]):
                    expected.add(key)
            elif (field.tag == "select" and value in ("", entered)) or \
                    (field.tag != "select" and value in entered):
                expected.add(key)
        reply, page, form = self.form(self.client.url(site.query_url, {field.name: value}),
                                      "_Query%s.action" % site.name)
        pageforms.annotate(form, self.words, site.prefix + ".")
        self.check("%s search form keeps %s=%r" % (site.name, field.name, value),
                   self.kept_difference(form, {field.name: value}))
        try:
            got = set(self.listed(site, {field.name: value}))
            why = None if got == expected else "found %r, expected %r" % (
                sorted(got, key=str), sorted(expected))
        except Stop as error:
            why = str(error)
        self.check("%s search %s=%r finds %d rows" % (site.name, field.name, value,
                                                      len(expected)), why)

    def kept_difference(self, form, params):
        for field in self.data_fields(form):
            wanted = params.get(field.name, "")
            if field.tag == "select":
                marked = [o[0] for o in field.options if o[2]]
                if marked not in ([wanted], [] if wanted == "" else [wanted]):
                    return "%s marks %r selected, expected %r" % (field.name, marked, wanted)
            elif field.value != wanted:
                return "%s holds %r, expected %r" % (field.name, snippet(field.value, 80), wanted)
        return None

    # --- look-up -------------------------------------------------------------------------

    def lookup_all(self):
        """The type-ahead of a referenced class finds each row by the start of the text its
        choices show, and by its key, and answers with that key and text."""
        for site in self.sites.values():
            for name, labels in self.choice_labels(site).items() if site.rows else []:
                field = next((f for f in site.fields if f.name == name), None)
                other = self.ref_site(field, site) if field else None
                if other is not None:
                    self.guarded(other, "look-up", self.lookup_rows, other, labels)

    def lookup_rows(self, site, labels):
        path = "/%s/%s_Lookup%s.action" % (site.name, site.name, site.name)
        for key, label in labels.items():
            for term in ({label[:3], key} - {""}) if key else ():
                reply = self.client.get(path, {"term": term})
                try:
                    found = [tuple(pair) for pair in json.loads(reply.text)]
                except ValueError:
                    found = None
                why = None if found and (key, label) in found else "%s: %s" % (
                    reply.brief(), snippet(reply.text, 300))
                self.check("%s look-up %r lists row %s shown as %r" % (
                    site.name, term, key, snippet(label, 40)), why)

    # --- modify --------------------------------------------------------------------------

    def modify_all(self):
        for site in self.sites.values():
            if site.order:
                self.guarded(site, "modify", self.modify, site, site.order[0])

    def modify(self, site, key):
        shown = self.listed(site)
        if key not in shown or "修改" not in shown[key][0].links:
            self.check("%s modify %s" % (site.name, key), "no 修改 link for the row")
            return
        href = urllib.parse.urljoin(self.client.base + "/", shown[key][0].links["修改"])
        reply, page, form = self.form(href, "_Modify%s.action" % site.name)
        stored = site.rows[key]
        why = None
        for name, (posted, shown) in stored.items():
            field = form.field(name)
            got, want = held(field, posted, shown)
            if field is None or not same(pageforms.kind(field), got, want):
                why = "%s holds %r, entered %r" % (name, snippet(str(got), 80),
                                                   snippet(str(want), 80))
                break
        self.check("%s modify form of %s holds the row" % (site.name, key), why)
        refusals.refuse_all(self.client, self.check, reply, form, dict(form.values()),
                            "_Modify%s.action" % site.name, "%s信息更新成功!" % site.name,
                            "%s modify %s" % (site.name, key))
        self.check("%s refused modifies change nothing" % site.name, self.list_difference(site))
        posted_pairs = dict(form.values())
        changed = dict(stored)
        for field in self.data_fields(form):
            if field.name in stored and not field.readonly:
                changed[field.name] = self.value(site, field, 0, change=True)
                put(posted_pairs, field.name, changed[field.name][0])
        answer = self.client.post(urllib.parse.urljoin(reply.url, form.action),
                                  list(posted_pairs.items()))
        if self.expect(answer, "%s信息更新成功!" % site.name, "%s modify %s" % (site.name, key),
                       changed):
            site.rows[key] = changed
            self.check("%s list after modify shows the change" % site.name,
                       self.list_difference(site))

    # --- delete --------------------------------------------------------------------------

    def delete_form(self, site, key):
        """The row's 删除 form (a POST with the session's token), or None."""
        shown = self.listed(site)
        return shown[key][0].form_with("删除") if key in shown else None

    def post_form(self, form):
        return self.client.post(urllib.parse.urljoin(self.client.base + "/", form.action),
                                form.values())

    def delete_all(self):
        for site in self.sites.values():
            if site.spare is not None:
                self.guarded(site, "delete", self.delete_spare, site)

    def delete_spare(self, site):
        form = self.delete_form(site, site.spare)
        if form is None:
            self.check("%s delete %s" % (site.name, site.spare), "no 删除 form")
            return
        if self.expect(self.post_form(form), "%s删除成功!" % site.name,
                       "%s delete %s (nothing refers to it)" % (site.name, site.spare)):
            del site.rows[site.spare]
            site.order.remove(site.spare)
            self.check("%s list after delete" % site.name, self.list_difference(site))

    def referrers(self, site, key):
        found = []
        for other in self.sites.values():
            for field in other.fields:
                if pageforms.kind(field) == "ref" and self.ref_site(field, other) is site:
                    found += [k for k, v in other.rows.items() if v.get(field.name, ("",))[0] == key]
        return found

    def referenced_all(self):
        for site in self.sites.values():
            key = next((k for k in site.order if self.referrers(site, k)), None)
            if key is not None:
                self.guarded(site, "referenced delete", self.delete_referenced, site, key)

    def delete_referenced(self, site, key):
        form = self.delete_form(site, key)
        if form is None:
            self.check("%s delete %s" % (site.name, key), "no 删除 form")
            return
        self.expect(self.post_form(form), "%s删除失败!" % site.name,
                    "%s delete %s, referred to by another row, is refused"
                    % (site.name, key))
        self.check("%s keeps %s after the refused delete" % (site.name, key),
                   self.list_difference(site))


def put(posted, name, value):
    """Sets a posted field; None leaves it out, as a browser does an unticked check box."""
    if value is None:
        posted.pop(name, None)
    else:
        posted[name] = value


def held(field, posted, shown):
    """(what a form field holds, what it should hold) for a value entered as posted, shown."""
    if field is None:
        return None, posted
    if field.type == "checkbox":
        return field.checked, posted is not None
    if field.tag == "select":
        return field.chosen() or "", posted or ""
    return field.value, shown if field.member else posted


def same(kind, shown, entered):
    if kind in ("int", "float"):
        if shown is None or "e" in shown.lower():
            return False
        try:
            return decimal.Decimal(shown) == decimal.Decimal(entered)
        except decimal.InvalidOperation:
            return False
    return shown == entered


def run(base, results, tag, log_path, words=None, lookups=False):
    """Drives the pages; words: object.member -> member of the fields of the newer words;
    lookups: also the type-ahead of the referenced classes. Returns the drive (its sites hold
    the rows as they should be)."""
    drive = Drive(base, results, tag, log_path, words, lookups)
    try:
        drive.run()
    except Stop as error:
        drive.check("drive", "stopped: %s" % error)
    return drive
