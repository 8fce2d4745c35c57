"""Random model files for the live test: deterministic for a seed, mostly names the model
checks accept, every type word and flag, references to earlier classes, Chinese texts."""

import json
import os
import random

CLASS_WORDS = ["Kind", "Shelf", "Person", "Order", "Goods", "Course", "Room", "Team", "Ticket",
               "Vendor", "Note", "Tag", "Store", "Event", "Part", "Unit", "Item", "Road", "Card"]
MEMBER_WORDS = ["name", "title", "code", "amount", "price", "count", "remark", "address", "phone",
                "birthday", "weight", "score", "level", "color", "city", "total", "memo", "label",
                "size", "rate", "status", "item", "id", "startDate", "kind", "owner"]
FRIENDS = ["类别", "书架", "人员", "订单", "商品", "课程", "房间", "团队", "票据", "供应商", "笔记",
           "标签", "商店", "活动", "零件", "单位", "物品", "道路", "卡片"]
COMMENTS = ["名称", "标题", "编号", "金额", "价格", "数量", "备注", "地址", "电话", "生日", "重量",
            "分数", "级别", "颜色", "城市", "合计", "说明", "标记", "尺寸", "比率", "状态", "条目",
            "序号", "开始日期", "种类", "所有者", "描述", "日期", "价值", "长度"]
SCALARS = ["字符串", "整型", "浮点型", "日期型"]
ALL_NEW_WORDS = ["日期时间型", "小数型", "长整型", "文本型", "布尔型"]
# Names the generated code uses itself, drawn like any other name (`taken_names`): classes
# (with their Chinese names) and members.
TAKEN_CLASSES = [("User", "用户"), ("Login", "登录记录"), ("Session", "会话"), ("Request", "申请"),
                 ("Action", "动作"), ("Locale", "地区"), ("Set", "集合"), ("Select", "选择"),
                 ("Query", "查询"), ("List", "清单"), ("ArrayList", "数组"), ("Long", "长数"),
                 ("Double", "双数"), ("Boolean", "布尔"), ("ReferenceChoices", "引用选项")]
TAKEN_MEMBERS = ["attr", "request", "session", "application", "parameters", "action", "locale",
                 "s", "e", "tx", "q", "hql", "ctx"]


def listed_words():
    """The newer type words tests/random-type-words.txt lists."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "random-type-words.txt")
    with open(path, encoding="utf-8") as f:
        lines = [line.strip() for line in f]
    return [w for w in lines if w and not w.startswith("#")]


# The newer type words the random models use (random_model's default), and the edge-value
# model's classes.
NEW_WORDS = listed_words()


SIMPLE_TYPES = ("字符串", "整型", "浮点型", "日期型") + tuple(ALL_NEW_WORDS)

def member(name, comment, type_word, length=0, key=False, must=True, query=False,
           display=False, shown=True, scale=None):
    extra = {} if scale is None else {"scale": scale}
    return dict(extra, **{"memberComment": comment, "memberIsDisplay": display,
            "memberIsFloat": type_word == "浮点型", "memberIsInteger": type_word == "整型",
            "memberIsMust": must, "memberIsPri": key, "memberLength": length,
            "memberName": name, "memberQueryDisplay": shown, "memberType": type_word,
            "queryFlag": query})


def string_length(rng, key=False):
    if key:
        return rng.choice([2, 5, 10, 20, 20, 30])
    return rng.choice([1, 3, 8, 20, 20, 30, 50, 100, 255])


def random_class(rng, index, name, earlier, taken_names=False):
    member_words = MEMBER_WORDS + (TAKEN_MEMBERS if taken_names else [])
    members = []
    used = set()
    comments = rng.sample(COMMENTS, len(COMMENTS))

    def fresh_name(base):
        text, n = base, 2
        while text in used:
            text, n = "%s%d" % (base, n), n + 1
        used.add(text)
        return text

    lower = name[0].lower() + name[1:]
    if rng.random() < 0.6:
        key = member(fresh_name(rng.choice(["id", lower + "Id", "no"])), comments.pop(), "整型",
                     key=True)
    else:
        key = member(fresh_name(rng.choice(["code", lower + "No", "sn"])), comments.pop(),
                     "字符串", string_length(rng, True), key=True, query=rng.random() < 0.5)
    members.append(key)
    for _ in range(rng.randint(0, 9)):
        choices = SCALARS + ["ref"] * (2 if earlier else 0)
        type_word = rng.choice(choices)
        if type_word == "ref":
            target = rng.choice(earlier)
            base = rng.choice([target[0].lower() + target[1:], rng.choice(member_words)])
            members.append(member(fresh_name(base), comments.pop(), target,
                                  query=rng.random() < 0.5))
            continue
        length = string_length(rng) if type_word == "字符串" else 0
        members.append(member(fresh_name(rng.choice(member_words)), comments.pop(), type_word,
                              length, must=rng.random() < 0.7,
                              query=type_word in ("字符串", "日期型") and rng.random() < 0.5,
                              shown=rng.random() < 0.85))
    rng.shuffle(members)
    texts = [m for m in members if m["memberType"] == "字符串"]
    # A reference cannot be shown as text: the checks refuse it as the display member.
    simple = [m for m in members if m["memberType"] in SIMPLE_TYPES]
    if taken_names: # a reference shown by its referenced row's display text now and then
        simple = members
    display = rng.choice(texts) if texts and rng.random() < 0.9 else rng.choice(simple or members)
    display["memberIsDisplay"] = True
    display["memberQueryDisplay"] = True
    friends = dict(zip(CLASS_WORDS, FRIENDS), **dict(TAKEN_CLASSES))
    return {"className": name, "friendName": friends[name],
            "members": members}


def decimal_size(rng):
    precision = rng.choice([1, 5, 10, 12, 18, 18, 19, 30, 38])
    return precision, 0 if rng.random() < 0.2 else rng.randint(0, min(precision, 10))


def new_word(rng, m, words):
    """Gives member m a newer word: its size, search and required flags thrown again."""
    word = rng.choice(words)
    m.update(memberType=word, memberIsInteger=False, memberIsFloat=False, memberLength=0)
    m.pop("scale", None)
    if word == "小数型":
        m["memberLength"], m["scale"] = decimal_size(rng)
    elif word == "文本型":
        m["memberLength"] = rng.choice([0, 0, 500, 5000, 100000])
    m["queryFlag"] = rng.random() < 0.5
    m["memberIsMust"] = rng.random() < 0.6


def mark_new_words(seed, classes, words):
    """Simple members take a newer word as often as each of the four, integer keys now and then
    长整型; thrown with a generator of their own, so the rest of the model stays as it was."""
    if not words:
        return
    rng = random.Random("new words %d" % seed)
    odds = len(words) / (len(words) + len(SCALARS))
    for cls in classes:
        for m in cls["members"]:
            if m["memberIsPri"]:
                if m["memberType"] == "整型" and "长整型" in words and rng.random() < 0.4:
                    m["memberType"], m["memberIsInteger"] = "长整型", False
            elif m["memberType"] in SCALARS and not m["memberIsDisplay"] and rng.random() < odds:
                new_word(rng, m, words)


def random_model(seed, new_words=None, taken_names=True):
    """new_words: the newer type words it may use (default NEW_WORDS); taken_names: whether
    names the generated code uses itself are drawn too."""
    rng = random.Random(seed)
    words = CLASS_WORDS + ([c for c, _ in TAKEN_CLASSES] if taken_names else [])
    names = rng.sample(words, rng.randint(1, 6))
    classes = []
    for index, name in enumerate(names):
        classes.append(random_class(rng, index, name, names[:index], taken_names))
    mark_new_words(seed, classes, NEW_WORDS if new_words is None else list(new_words))
    return {"format": "brennoquill-model",
            "projects": [{"classes": classes, "projectName": "随机工程%d" % seed}],
            "version": 1}


def edge_class(name, friend, members):
    key = member("id", "编号", "整型", key=True)
    label = member("label", "名称", "字符串", 20, display=True)
    return {"className": name, "friendName": friend, "members": [key, label] + members}


def edge_model(words=None):
    """One class per newer word (default NEW_WORDS) whose members reach its edges: the pages
    take each edge value and show it back exactly. None when no word is listed."""
    words = NEW_WORDS if words is None else words
    made = {
        "日期时间型": lambda: edge_class("Moment", "时刻", [
            member("stamp", "时间", "日期时间型", query=True),
            member("deadline", "截止", "日期时间型", must=False)]),
        "小数型": lambda: edge_class("Money", "金额", [
            member("amount", "金额", "小数型", 18, query=True, scale=4),
            member("whole", "整数", "小数型", 5, must=False, scale=0)]),
        "长整型": lambda: {"className": "Serial", "friendName": "序列", "members": [
            dict(member("serialNo", "序号", "长整型", key=True), keyAssigned=True),
            member("label", "名称", "字符串", 20, display=True),
            member("total", "计数", "长整型", query=True),
            member("spare", "备用", "长整型", must=False)]},
        "文本型": lambda: edge_class("Essay", "文章", [
            member("body", "正文", "文本型", 100000, query=True),
            member("memo", "附注", "文本型", 0, must=False)]),
        "布尔型": lambda: edge_class("Toggle", "开关", [
            member("active", "开启", "布尔型", query=True),
            member("answer", "回答", "布尔型", must=False, query=True)]),
    }
    classes = [made[w]() for w in ALL_NEW_WORDS if w in words]
    if not classes:
        return None
    return {"format": "brennoquill-model",
            "projects": [{"classes": classes, "projectName": "边界值工程"}], "version": 1}


def field_words(model):
    """Add/modify form field name (object.member) -> member, for the newer words."""
    found = {}
    for cls in model["projects"][0]["classes"]:
        obj = cls["className"][0].lower() + cls["className"][1:]
        for m in cls["members"]:
            if m["memberType"] in ALL_NEW_WORDS:
                # an object name the code cannot use alone has "_" (set_.amount), and so has
                # the search field of a member named like a request object (parameters_)
                for prefix in (obj, obj + "_"):
                    for name in (m["memberName"], m["memberName"] + "_"):
                        found["%s.%s" % (prefix, name)] = m
    return found


def project_name(model):
    return model["projects"][0]["projectName"]


def write(model, path):
    with open(path, "w", encoding="utf-8") as f:
        json.dump(model, f, ensure_ascii=False, indent=4, sort_keys=True)
        f.write("\n")


def describe(model):
    """The model in a short notation: Class{member type [key] [display], ...}."""
    parts = []
    for cls in model["projects"][0]["classes"]:
        items = []
        for m in cls["members"]:
            t = m["memberType"]
            text = "%s %s" % (m["memberName"], "%s(%d)" % (t, m["memberLength"])
                              if t in ("字符串", "文本型") else
                              "%s(%d,%d)" % (t, m["memberLength"], m.get("scale", 0))
                              if t == "小数型" else t if t in SIMPLE_TYPES else "→" + t)
            flags = [f for f, k in (("key", "memberIsPri"), ("display", "memberIsDisplay"),
                                    ("search", "queryFlag")) if m[k]]
            flags += [] if m["memberIsMust"] else ["optional"]
            flags += [] if m["memberQueryDisplay"] else ["hidden"]
            items.append(text + ("" if not flags else " " + " ".join(flags)))
        parts.append("%s{%s}" % (cls["className"], ", ".join(items)))
    return "; ".join(parts)


if __name__ == "__main__":
    import sys
    for s in sys.argv[1:]:
        print(s, describe(random_model(int(s))))
