#!/usr/bin/env python3
"""Writes the model file of one project of N classes x 15 members.

Usage: model.py FILE PROJECT N

The file is what `brennoquill-cli export` writes for that project; `brennoquill-cli import`
adds it.

The model is pure arithmetic on the class number, so every run builds the same one. Each class
has one key (integers and strings alternate), one display member, every simple type word, and
from the second class on three references to earlier classes.
"""
import json
import sys

STRING, INTEGER, FLOAT, DATE = "字符串", "整型", "浮点型", "日期型"
WORDS = ["客户", "订单", "商品", "仓库", "员工", "部门", "供应商", "合同", "发票", "项目"]


def class_name(i):
    return f"Entity{i:04d}"


def friend_name(i):
    return f"{WORDS[i % len(WORDS)]}{i}"


def member(name, mtype, comment, length=0, pri=0, must=1, query=0, display=0, qdisplay=0):
    return {
        "memberName": name,
        "memberType": mtype,
        "memberLength": length if mtype == STRING else 0,
        "memberIsPri": pri,
        "memberComment": comment,
        "memberIsMust": must,
        "memberIsInteger": int(mtype == INTEGER),
        "memberIsFloat": int(mtype == FLOAT),
        "queryFlag": int(query),
        "memberIsDisplay": display,
        "memberQueryDisplay": int(qdisplay) if query else 0,
    }


def key_member(i, display):
    if i % 2 == 1:
        return member("id", INTEGER, "编号", pri=1, display=display)
    return member("code", STRING, "代码", 20, pri=1, query=i % 4 == 0, display=display)


def reference_members(i):
    earlier = i - 1
    if earlier == 0:
        return [
            member("contact", STRING, "联系人", 20, must=0),
            member("address", STRING, "地址", 100, must=0, query=1, qdisplay=1),
            member("phone", STRING, "电话", 20, must=0),
        ]
    first = earlier
    second = 1 + (i * 7) % earlier
    third = first if i % 3 == 0 else 1 + (i * 13) % earlier
    return [
        member("parent", class_name(first), "上级" + friend_name(first), query=1, qdisplay=1),
        member("owner", class_name(second), "所属" + friend_name(second), query=0),
        member("source", class_name(third), "来源" + friend_name(third), query=i % 2, qdisplay=1),
    ]


def class_members(i):
    key_displays = i % 7 == 0
    members = [
        key_member(i, int(key_displays)),
        member("name", STRING, "名称", 50, query=1, display=int(not key_displays), qdisplay=1),
        member("title", STRING, "标题", 100, must=0, query=i % 3 == 0),
        member("remark", STRING, "备注", 200, must=0),
        member("quantity", INTEGER, "数量"),
        member("level", INTEGER, "级别"),
        member("price", FLOAT, "单价"),
        member("weight", FLOAT, "重量"),
        member("createDate", DATE, "创建日期", query=1, qdisplay=i % 2),
        member("updateDate", DATE, "修改日期", query=i % 2 == 0),
    ]
    members += reference_members(i)
    members += [
        member("memo", STRING, "说明", 500, must=0),
        member("email", STRING, "电子邮箱", 60, must=0, query=i % 5 == 0, qdisplay=1),
    ]
    return members


# The flags of a member are booleans in a model file.
FLAGS = ("memberIsPri", "memberIsMust", "memberIsInteger", "memberIsFloat", "queryFlag",
         "memberIsDisplay", "memberQueryDisplay")


def file_member(m):
    return {k: bool(v) if k in FLAGS else v for k, v in m.items()}


def model(project, count):
    classes = [{"className": class_name(i), "friendName": friend_name(i),
                "members": [file_member(m) for m in class_members(i)]}
               for i in range(1, count + 1)]
    return {"format": "brennoquill-model", "version": 1,
            "projects": [{"projectName": project, "classes": classes}]}


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: model.py FILE PROJECT N")
    path, project, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
    with open(path, "w", encoding="utf-8") as f:
        f.write(json.dumps(model(project, count), ensure_ascii=False, indent=4,
                           sort_keys=True) + "\n")


if __name__ == "__main__":
    main()
