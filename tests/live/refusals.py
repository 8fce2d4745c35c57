"""Requests a browser would not send, derived from a form alone: an empty required field, text
over the field's maxlength, letters or a number that does not fit in a number field, a day that
does not exist in a date field. Each must be refused: the same form again (add stays add,
modify stays modify), holding the posted values, with one Chinese message naming the field.
The caller checks afterwards that nothing was stored."""

import decimal
import re
import urllib.parse

import pageforms
import wordvalues
from results import snippet

ERRORS = re.compile(r'<ul[^>]*class="errors"[^>]*>(.*?)</ul>', re.S)
CJK = re.compile(r"[\u4e00-\u9fff]")


def cases(field):
    """(what, posted value) of the refusals a field of a form allows."""
    if field.readonly:
        return []
    if getattr(field, "member", None):
        return wordvalues.bad_values(field.member, field)
    kind = pageforms.kind(field)
    found = [("empty", "")] if "required" in field.attrs else []
    limit = pageforms.maxlength(field)
    if kind == "text" and limit:
        found.append(("over-long", "长" * (limit + 1)))
    if kind in ("int", "float"):
        found.append(("letters", "abc"))
    found += {"int": [("too big", "2147483648")], "float": [("not finite", "1e39"), ("NaN", "NaN")],
              "date": [("no such day", "2023-02-30")]}.get(kind, [])
    return found


def form_posting_to(page, suffix):
    return next((f for f in page.forms if f.action.endswith(suffix)), None)


def error_items(text):
    """The texts of the page's error lists."""
    items = []
    for block in ERRORS.findall(text):
        items += [re.sub(r"<[^>]+>", "", li).strip() for li in re.findall(r"<li.*?</li>", block,
                                                                           re.S)]
    return items


def same(kind, shown, posted):
    if shown == posted or (kind == "datetime" and shown == wordvalues.datetime_text(posted)):
        return True
    if kind in ("int", "float", "long", "decimal") and shown:
        try:
            return decimal.Decimal(shown) == decimal.Decimal(posted)
        except decimal.InvalidOperation:
            return False
    return False


def values_difference(form, posted):
    for field in form.fields:
        if field.name not in posted or not pageforms.kind(field):
            continue
        want = posted[field.name]
        if field.type == "checkbox":
            if not field.checked:
                return "%s is not ticked, posted %r" % (field.name, want)
        elif field.tag == "select":
            if want and field.chosen() != want:
                return "%s chooses %r, posted %r" % (field.name, field.chosen(), want)
        elif not same(pageforms.kind(field), field.value, want):
            return "%s holds %r, posted %r" % (field.name, snippet(field.value or "", 60),
                                               snippet(want, 60))
    return None


def message_difference(text, label):
    items = error_items(text)
    if len(items) != 1:
        return "%d error messages, expected 1: %r" % (len(items), items)
    if label not in items[0] or not CJK.search(items[0].replace(label, "")):
        return "message %r is no Chinese message naming %r" % (items[0], label)
    return None


def refused_difference(answer, suffix, posted, field, success, words):
    page = pageforms.LabelledPage(answer.text)
    if answer.status != 200 or success in page.text:
        return "%s: %s" % (answer.brief(), snippet(page.text, 300))
    form = form_posting_to(page, suffix)
    if form is None:
        return "no form posting to *%s: %s" % (suffix, snippet(page.text, 300))
    return values_difference(pageforms.annotate(form, words), posted) or message_difference(answer.text, field.label)


def refuse_all(client, check, reply, form, base, suffix, success, tag):
    """Posts each refusal that form allows, each from the valid values base (name -> value),
    to the form's action; suffix is the end of that action, success the text of a stored
    request."""
    target = urllib.parse.urljoin(reply.url, form.action)
    words = {f.name: f.member for f in form.fields if getattr(f, "member", None)}
    for field in form.fields:
        if not field.submitted() or not pageforms.kind(field):
            continue
        for what, bad in cases(field):
            posted = dict(base, **{field.name: bad})
            answer = client.post(target, list(posted.items()))
            check("%s: %s %s (%r) is refused and shown again" % (
                tag, field.name, what, snippet(bad, 12)),
                refused_difference(answer, suffix, posted, field, success, words))
