"""Reads what a generated page shows: forms with their fields, links, result rows, paging."""

import html.parser
import re
import urllib.parse


class Field:
    def __init__(self, tag, attrs):
        self.tag = tag
        self.name = attrs.get("name")
        self.type = (attrs.get("type") or "text").lower() if tag == "input" else tag
        self.value = attrs.get("value") or ""
        self.readonly = "readonly" in attrs
        self.disabled = "disabled" in attrs
        self.checked = "checked" in attrs
        self.options = []  # select: [value, label, selected]

    def chosen(self):
        """The value of the option marked selected, or None."""
        marked = [o[0] for o in self.options if o[2]]
        return marked[0] if marked else None

    def selected(self):
        """What a browser submits: the marked option, else the first."""
        marked = self.chosen()
        if marked is not None:
            return marked
        return self.options[0][0] if self.options else ""

    def submitted(self):
        """Whether a browser sends this field when the form is submitted."""
        if not self.name or self.disabled:
            return False
        if self.type in ("submit", "reset", "button", "image", "file"):
            return False
        return self.type not in ("checkbox", "radio") or self.checked

    def current(self):
        return self.selected() if self.tag == "select" else self.value


class Form:
    def __init__(self, attrs):
        self.action = attrs.get("action") or ""
        self.method = (attrs.get("method") or "get").lower()
        self.fields = []

    def field(self, name):
        for f in self.fields:
            if f.name == name:
                return f
        return None

    def names(self):
        return [f.name for f in self.fields if f.submitted()]

    def values(self):
        return [(f.name, f.current()) for f in self.fields if f.submitted()]


class Row:
    def __init__(self):
        self.cells = []
        self.links = {}  # link text -> href
        self.forms = []  # small forms in the row, such as 删除

    def form_with(self, label):
        """The row's form whose submit button shows this label, or None."""
        for form in self.forms:
            if any(f.type == "submit" and f.value == label for f in form.fields):
                return form
        return None


class Page(html.parser.HTMLParser):
    def __init__(self, text):
        super().__init__(convert_charrefs=True)
        self.forms, self.links, self.rows, self.text_parts = [], [], [], []
        self.form = self.select = self.option = self.textarea = None
        self.link = None
        self.result_depth = 0
        self.row = self.cell = None
        self.paging = None
        self.hidden = 0
        self.feed(text)
        self.close()
        self.text = " ".join(" ".join(self.text_parts).split())

    def handle_starttag(self, tag, attr_list):
        attrs = dict((k, v if v is not None else "") for k, v in attr_list)
        classes = attrs.get("class", "").split()
        if tag in ("script", "style"):
            self.hidden += 1
        elif tag == "form":
            self.form = Form(attrs)
            self.forms.append(self.form)
            if self.row is not None:
                self.row.forms.append(self.form)
        elif tag in ("input", "select", "textarea"):
            self.start_field(tag, attrs)
        elif tag == "option" and self.select:
            self.option = [attrs.get("value"), "", "selected" in attrs]
            self.select.options.append(self.option)
        elif tag == "a":
            self.link = [attrs.get("href", ""), ""]
        elif tag == "table" and ("result" in classes or self.result_depth):
            self.result_depth += 1
        elif tag == "tr" and self.result_depth == 1 and "row" in classes:
            self.row = Row()
            self.rows.append(self.row)
        elif tag == "td" and self.row is not None and self.result_depth == 1:
            self.cell = []
        elif tag == "span" and "paging" in classes:
            self.paging = []
        elif tag == "br":
            self.handle_data(" ")

    def start_field(self, tag, attrs):
        field = Field(tag, attrs)
        if self.form is not None:
            self.form.fields.append(field)
        if tag == "select":
            self.select = field
        elif tag == "textarea":
            self.textarea = field

    def handle_endtag(self, tag):
        if tag in ("script", "style"):
            self.hidden = max(0, self.hidden - 1)
        elif tag == "form":
            self.form = None
        elif tag == "select":
            self.end_select()
        elif tag == "option":
            self.option = None
        elif tag == "textarea" and self.textarea is not None:
            # A browser drops one line break right after the start tag.
            value = self.textarea.value
            self.textarea.value = value[2:] if value.startswith("\r\n") else \
                value[1:] if value.startswith("\n") else value
            self.textarea = None
        elif tag == "a" and self.link:
            self.end_link()
        elif tag == "table" and self.result_depth:
            self.result_depth -= 1
        elif tag == "tr" and self.result_depth == 1:
            self.row = None
        elif tag == "td" and self.cell is not None and self.result_depth == 1:
            self.row.cells.append("".join(self.cell).strip())
            self.cell = None
        elif tag == "span" and self.paging is not None:
            self.paging = "".join(self.paging)

    def end_select(self):
        for option in self.select.options:
            option[1] = option[1].strip()
            if option[0] is None:
                option[0] = option[1]
        self.select = self.option = None

    def end_link(self):
        href, text = self.link[0], self.link[1].strip()
        self.links.append((href, text))
        if self.row is not None:
            self.row.links[text] = href
        self.link = None

    def handle_data(self, data):
        if self.hidden:
            return
        self.text_parts.append(data)
        for sink in (self.option, self.link):
            if sink is not None:
                sink[1] += data
        if self.textarea is not None:
            self.textarea.value += data
        if self.cell is not None:
            self.cell.append(data)
        if isinstance(self.paging, list):
            self.paging.append(data)

    def link_to(self, text):
        """The href of the first link with this text, or None."""
        for href, label in self.links:
            if label == text:
                return href
        return None

    def paging_numbers(self):
        """(records, page, pages) from the paging line, or None."""
        if not isinstance(self.paging, str):
            return None
        found = re.search(r"共\s*(\d+)\s*条记录\s*第\s*(\d+)\s*/\s*(\d+)\s*页", self.paging)
        return tuple(int(n) for n in found.groups()) if found else None


def query_value(href, name):
    """The value of one query parameter of a link, URL-decoded as UTF-8."""
    query = urllib.parse.urlsplit(href).query
    values = urllib.parse.parse_qs(query, keep_blank_values=True, encoding="utf-8")
    return values.get(name, [None])[0]


def link_path(href):
    return urllib.parse.urlsplit(href).path
