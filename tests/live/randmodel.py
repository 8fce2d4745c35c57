"""Random model files for the live test: deterministic for a seed, mostly names the model
checks accept, every type word and flag, references to earlier classes, Chinese texts."""

import json
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


SIMPLE_TYPES = ("字符串", "整型", "浮点型", "日期型")

def member(name, comment, type_word, length=0, key=False, must=True, query=False,
           display=False, shown=True):
    return {"memberComment": comment, "memberIsDisplay": display,
            "memberIsFloat": type_word == "浮点型", "memberIsInteger": type_word == "整型",
            "memberIsMust": must, "memberIsPri": key, "memberLength": length,
            "memberName": name, "memberQueryDisplay": shown, "memberType": type_word,
            "queryFlag": query}


def string_length(rng, key=False):
    if key:
        return rng.choice([2, 5, 10, 20, 20, 30])
    return rng.choice([1, 3, 8, 20, 20, 30, 50, 100, 255])


def random_class(rng, index, name, earlier):
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
            base = rng.choice([target[0].lower() + target[1:], rng.choice(MEMBER_WORDS)])
            members.append(member(fresh_name(base), comments.pop(), target,
                                  query=rng.random() < 0.5))
            continue
        length = string_length(rng) if type_word == "字符串" else 0
        members.append(member(fresh_name(rng.choice(MEMBER_WORDS)), comments.pop(), type_word,
                              length, must=rng.random() < 0.7,
                              query=type_word in ("字符串", "日期型") and rng.random() < 0.5,
                              shown=rng.random() < 0.85))
    rng.shuffle(members)
    texts = [m for m in members if m["memberType"] == "字符串"]
    # A reference cannot be shown as text: the checks refuse it as the display member.
    simple = [m for m in members if m["memberType"] in SIMPLE_TYPES]
    display = rng.choice(texts) if texts and rng.random() < 0.9 else rng.choice(simple or members)
    display["memberIsDisplay"] = True
    display["memberQueryDisplay"] = True
    return {"className": name, "friendName": FRIENDS[CLASS_WORDS.index(name)],
            "members": members}


def random_model(seed):
    rng = random.Random(seed)
    names = rng.sample(CLASS_WORDS, rng.randint(1, 6))
    classes = []
    for index, name in enumerate(names):
        classes.append(random_class(rng, index, name, names[:index]))
    return {"format": "brennoquill-model",
            "projects": [{"classes": classes, "projectName": "随机工程%d" % seed}],
            "version": 1}


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
                              if t == "字符串" else t if t in SCALARS else "→" + t)
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
