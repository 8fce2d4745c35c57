"""Pages read without a model: the label of every form field (the text before it) and the
headers of the result table, on top of pages.Page."""

import pages
import wordvalues


class LabelledPage(pages.Page):
    def __init__(self, text):
        self.pending = []
        self.headers = []
        self.header = None
        super().__init__(text)

    def handle_starttag(self, tag, attr_list):
        if tag == "tr":
            self.pending = []
        if tag == "th" and self.result_depth == 1:
            self.header = []
        super().handle_starttag(tag, attr_list)
        if tag in ("input", "select", "textarea") and self.form is not None:
            field = self.form.fields[-1]
            field.attrs = dict((k, v if v is not None else "") for k, v in attr_list)
            field.label = "".join(self.pending).replace("*", "").strip().rstrip(":：").strip()
            self.pending = []

    def handle_endtag(self, tag):
        if tag == "th" and self.header is not None:
            self.headers.append("".join(self.header).strip())
            self.header = None
        if tag == "select":
            self.pending = []
        super().handle_endtag(tag)

    def handle_data(self, data):
        super().handle_data(data)
        if self.hidden:
            return
        if self.header is not None:
            self.header.append(data)
        if self.select is None:
            self.pending.append(data)


def kind(field):
    """What a field holds: a newer word's kind when the field carries its member (see
    wordvalues), else from its tag and type: text, int, float, date or ref."""
    member = getattr(field, "member", None)
    if member:
        return wordvalues.kind(member)
    if field.tag == "select":
        return "ref"
    if field.type == "number":
        return "int" if field.attrs.get("step") == "1" else "float"
    return {"date": "date", "text": "text", "textarea": "text"}.get(field.type)


def maxlength(field):
    try:
        return int(field.attrs.get("maxlength"))
    except (TypeError, ValueError):
        return None


def annotate(form, words, prefix=""):
    """Gives each field of form its member of a newer word (words: object.member -> member)."""
    for field in form.fields:
        field.member = words.get(prefix + (field.name or ""))
    return form


def box(field):
    """A yes/no check box of a newer word: sent only when ticked, a value all the same."""
    return field.type == "checkbox" and bool(field.name) and not field.disabled and \
        getattr(field, "member", None) is not None
