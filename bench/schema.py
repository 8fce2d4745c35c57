#!/usr/bin/env python3
"""Writes a SQLite database of N tables shaped like bench/model.py's classes.

Usage: schema.py FILE N

Each table has a key (integers and strings alternate), a name, text, integer, decimal and date
columns, and from the second table on three foreign keys to earlier tables, so that the import
maps every table to a class of 15 members.
"""
import sqlite3
import sys

from model import reference_members


def table_name(i):
    return f"entity_{i:04d}"


def key_column(i):
    return "id INTEGER PRIMARY KEY" if i % 2 == 1 else "code VARCHAR(20) PRIMARY KEY"


def key_of(i):
    return "id" if i % 2 == 1 else "code"


def key_type(i):
    return "INTEGER" if i % 2 == 1 else "VARCHAR(20)"


def columns(i):
    cols = [key_column(i), "name VARCHAR(50) NOT NULL", "title VARCHAR(100)",
            "remark VARCHAR(200)", "quantity INT NOT NULL", "level INT NOT NULL",
            "price DOUBLE NOT NULL", "weight DOUBLE NOT NULL", "create_date DATE NOT NULL",
            "update_date DATE NOT NULL"]
    foreign = []
    for m in reference_members(i):
        target = m["memberType"]
        if not target.startswith("Entity"):
            cols.append(f"{m['memberName']} VARCHAR({m['memberLength']})")
            continue
        j = int(target[len("Entity"):])
        cols.append(f"{m['memberName']}_{key_of(j)} {key_type(j)} NOT NULL")
        foreign.append(f"FOREIGN KEY ({m['memberName']}_{key_of(j)}) "
                       f"REFERENCES {table_name(j)}({key_of(j)})")
    cols += ["memo VARCHAR(500)", "email VARCHAR(60)"]
    return cols + foreign


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: schema.py FILE N")
    path, count = sys.argv[1], int(sys.argv[2])
    db = sqlite3.connect(path, isolation_level=None)
    db.execute("BEGIN")  # one transaction: a commit per table would sync the file each time
    for i in range(1, count + 1):
        db.execute(f"CREATE TABLE {table_name(i)} ({', '.join(columns(i))})")
    db.execute("COMMIT")
    db.close()


if __name__ == "__main__":
    main()
