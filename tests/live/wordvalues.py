"""Fields of the newer type words, known from the model (the page alone cannot tell a date and
time or a decimal from text): each row's edge value as posted and as the pages show it, the
changed value, the searches and the bad values the server must refuse."""

import decimal

KINDS = {"日期时间型": "datetime", "小数型": "decimal", "长整型": "long", "文本型": "longtext",
         "布尔型": "bool"}
DATETIMES = ["9999-12-31 23:59:59", "1000-01-01 00:00:00", "2024-02-29 13:45:07"]
# A browser's date-time field posts the T form without seconds.
DATETIME_CHANGED = "2031-07-15T08:30"
LONGS = ["9223372036854775807", "-9223372036854775807", "0"]
LONG_CHANGED = "-42"
TEXT_BYTES = 100 * 1024  # the long text's size in UTF-8
# A TEXT column holds 65,535 bytes: the characters that fit however they are encoded.
TEXT_OWN_CHARS = 65535 // 4
TEXT_TAILS = ["", "中文'\"<b>x</b>&", "%{1+1}%_"]
YES, NO = "是", "否"


def datetime_text(posted):
    """A date and time as the pages keep it: a browser's T form with seconds added."""
    if len(posted) in (16, 19) and posted[10:11] == "T":
        return posted[:10] + " " + posted[11:] + (":00" if len(posted) == 16 else "")
    return posted


def kind(member):
    return KINDS.get(member["memberType"]) if member else None


def decimal_text(value, scale):
    """A decimal as the pages show it: plain, exactly scale digits after the point."""
    # precision up to 65 digits: more than the default context's 28
    return "{:f}".format(decimal.Decimal(value).quantize(decimal.Decimal(1).scaleb(-scale),
                                                         context=decimal.Context(prec=100)))


def changed_decimal(member):
    """-1, or -0.0…1 where the decimal has no integer digits (precision equal to scale)."""
    precision, scale = member["memberLength"], member.get("scale", 0)
    return "-1" if precision > scale else "-0." + "0" * (scale - 1) + "1"


def decimal_rows(member):
    precision, scale = member["memberLength"], member.get("scale", 0)
    largest = ("9" * (precision - scale) or "0") + ("." + "9" * scale if scale else "")
    return [largest, "-" + largest, "0.5" if scale else "7"]


def text_limit(member, field):
    declared = member["memberLength"] or None
    shown = field.attrs.get("maxlength") if hasattr(field, "attrs") else None
    limits = [n for n in (declared, int(shown) if shown and shown.isdigit() else None) if n]
    return min(limits) if limits else None


def long_text(head, limit):
    """head and Chinese text: 100 KB where the field takes it, else its whole length."""
    wanted = (TEXT_BYTES - len(head.encode()) + 2) // 3 + 1
    if limit is None:
        wanted = min(wanted, TEXT_OWN_CHARS - len(head))
    else:
        wanted = min(wanted, limit - len(head))
    return head + ("汉字文本" * (wanted // 4 + 1))[:max(0, wanted)]


def option_labelled(field, label):
    """The value of the select's option showing label; the empty choice for ""."""
    for value, text, _ in field.options:
        if (label and text == label) or (not label and not value):
            return value
    return None


def bool_value(field, index, change):
    if field.type == "checkbox":
        on = [True, False, True][index] != change
        return (field.attrs.get("value") or "on") if on else None, YES if on else NO
    label = [YES, NO, ""][index] if not change else ""
    return option_labelled(field, label), label


def value(member, field, head, index, change):
    """(posted value or None for a check box left unticked, what the pages show)."""
    word = kind(member)
    if word == "datetime":
        text = DATETIME_CHANGED if change else DATETIMES[index]
        return text, datetime_text(text)
    if word == "long":
        text = LONG_CHANGED if change else LONGS[index]
        return text, text
    if word == "decimal":
        scale = member.get("scale", 0)
        text = changed_decimal(member) if change else decimal_rows(member)[index]
        return text, decimal_text(text, scale)
    if word == "bool":
        return bool_value(field, index, change)
    limit = text_limit(member, field)
    if index == 0 and not change:
        text = long_text(head, limit)
    else:
        text = head + TEXT_TAILS[index]
    text = text if limit is None else text[:limit]
    return text, text


def search_values(member, field, shown):
    """The values to search a field by, given the rows' shown values."""
    word = kind(member)
    if word == "bool":
        return [o[0] for o in field.options]
    filled = [s for s in shown if s]
    if not filled:
        return []
    if word == "datetime":
        return [filled[0], filled[0][:10]]
    if word == "longtext":
        return [filled[0][:12], "%", "_"]
    if word == "decimal" and "." in filled[-1]:
        # Equal in value, not in text: 0.5 finds 0.5000.
        trimmed = filled[-1].rstrip("0").rstrip(".")
        return filled[:1] + ([trimmed] if trimmed not in ("", "-", filled[-1]) else [])
    return filled[:1]


def found(member, field, value, shown):
    """Whether a row showing shown is found by searching value."""
    word = kind(member)
    if word == "bool":
        label = next((o[1] for o in field.options if o[0] == value), "")
        return label not in (YES, NO) or shown == label
    if not shown:
        return False
    if word == "datetime":
        return shown.startswith(value)
    if word == "longtext":
        return value in shown
    return decimal.Decimal(shown) == decimal.Decimal(value)


def bad_values(member, field):
    """(what, posted value) the server must refuse for the field."""
    word = kind(member)
    found = [("empty", "")] if member["memberIsMust"] and word != "bool" else []
    if word == "datetime":
        found += [("wrong format", "2024/01/01 10:00:00"), ("no such day", "2023-02-30 10:00:00"),
                  ("no such hour", "2024-01-01 24:00:00"), ("date alone", "2024-01-01")]
    elif word == "long":
        found += [("letters", "abc"), ("too big", "9223372036854775808"),
                  ("too small", "-9223372036854775809"), ("not whole", "1.5")]
    elif word == "decimal":
        precision, scale = member["memberLength"], member.get("scale", 0)
        found += [("letters", "abc"), ("too many digits", "1" + "0" * (precision - scale)),
                  ("too many decimals", "0." + "0" * scale + "1")]
    elif word == "longtext":
        limit = text_limit(member, field)
        if limit:
            found.append(("over-long", "长" * (limit + 1)))
    return found


def database_text(word, cell):
    """A column value as the database client prints it, as the pages show it."""
    if cell in ("NULL", ""):
        return ""
    if word == "bool":
        return YES if cell in ("1", "t", "true") else NO if cell in ("0", "f", "false") else cell
    if word == "longtext":
        return cell.replace("\\t", "\t").replace("\\n", "\n").replace("\\\\", "\\")
    return cell


def stored_difference(db, model, sites):
    """Whether the database holds exactly what the pages show for each class of model: its
    rows by key, each value of a newer word (sites: class name -> pagedriver.ClassSite)."""
    for cls in model["projects"][0]["classes"]:
        site = sites.get(cls["className"])
        if site is None:
            return "%s: no pages" % cls["className"]
        key = next(m["memberName"] for m in cls["members"] if m["memberIsPri"])
        words = [m for m in cls["members"] if kind(m)]
        obj = cls["className"][0].lower() + cls["className"][1:]
        columns = ", ".join("`%s`" % m["memberName"] for m in [{"memberName": key}] + words)
        lines = db.sql("SELECT %s FROM brennoquill.`%s`" % (columns, cls["className"]))
        stored = {}
        for line in lines.splitlines():
            cells = line.split("\t")
            stored[cells[0]] = cells[1:]
        if sorted(stored) != sorted(site.rows):
            return "%s: the table holds keys %r, the pages %r" % (
                cls["className"], sorted(stored), sorted(site.rows))
        for row_key, cells in stored.items():
            for m, cell in zip(words, cells):
                name = "%s.%s" % (obj, m["memberName"])
                want = site.rows[row_key].get(name, (None, None))[1]
                got = database_text(kind(m), cell)
                if want is not None and got != want:
                    return "%s %s, %s: the table holds %r, the pages show %r" % (
                        cls["className"], row_key, m["memberName"], got[:60], want[:60])
    return None
