#!/usr/bin/env python3
"""Generates the same models with two builds of the headless command and compares the results.

For each command (--old, --new) a root folder of its own gets the templates and scaffolding of
--resources, the sample project, and --count random model files (tests/live/randmodel.py, seeds
1 to N) imported one by one, every fifth seed also changed into a model the checks refuse (at
the import or at the run: no key, a Chinese class name, a reserved member name, ...); every
project is then generated (the sample also with a second package name) and exported. The two output trees must be equal byte for byte (paths, file
kinds, contents, link targets and permission bits; only the timestamps are not compared), and
so must every exported model file and every command's exit code. Printed output that differs is
listed too; it fails the comparison unless --allow-message-changes is given (a change of a
refusal's wording, say).

    scripts/compare-generation.py --old OLD/brennoquill-cli --new build/bin/brennoquill-cli

Exit 0 when everything compared equal.
"""

import argparse
import os
import shutil
import stat
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(REPO, "tests", "live"))
import randmodel  # noqa: E402  (the live test's random models)


# Changes that make a model one the checks refuse, at the import or at the run; every fifth seed
# also gets one of them, in turn.
def _no_key(model):
    for m in model["projects"][0]["classes"][-1]["members"]:
        m["memberIsPri"] = False


def _two_displays(model):
    for m in model["projects"][0]["classes"][0]["members"]:
        m["memberIsDisplay"] = True
    model["projects"][0]["classes"][0]["members"].append(
        randmodel.member("extraName", "名称", "字符串", 20, display=True))


def _chinese_class(model):
    model["projects"][0]["classes"][0]["className"] = "图书"


def _reserved_member(model):
    model["projects"][0]["classes"][0]["members"][0]["memberName"] = "class"


def _same_member_twice(model):
    members = model["projects"][0]["classes"][0]["members"]
    members.append(dict(members[0]))


def _missing_reference(model):
    model["projects"][0]["classes"][0]["members"].append(
        randmodel.member("gone", "不在", "Nowhere"))


def _zero_length(model):
    model["projects"][0]["classes"][0]["members"].append(
        randmodel.member("note", "备注", "字符串", 0))


def _unsafe_project(model):
    model["projects"][0]["projectName"] = "a/b"


def _lower_class(model):
    model["projects"][0]["classes"][0]["className"] = "book"


def _no_display(model):
    for m in model["projects"][0]["classes"][0]["members"]:
        m["memberIsDisplay"] = False


VARIANTS = [_no_key, _two_displays, _chinese_class, _reserved_member, _same_member_twice,
            _missing_reference, _zero_length, _unsafe_project, _lower_class, _no_display]


def run(cli, root, *args):
    """The command's exit code, standard output and standard error."""
    done = subprocess.run([cli, "--root", root, *args], capture_output=True, timeout=600)
    return done.returncode, done.stdout, done.stderr


def prepare(cli, root, resources, models):
    """Sets up the root, imports and generates everything; the commands' results by step."""
    os.makedirs(root)
    for folder in ("template", "bak"):
        shutil.copytree(os.path.join(resources, folder), os.path.join(root, folder),
                        symlinks=True)
    results = {"sample": run(cli, root, "sample")}
    for label, path in models:
        results["import " + label] = run(cli, root, "import", path)
    code, out, _ = run(cli, root, "list")
    if code != 0:
        raise SystemExit("%s list failed in %s" % (cli, root))
    ids = [line.split(b"\t")[0].decode() for line in out.splitlines()
           if not line.startswith(b" ")]
    for project_id in ids:
        results["generate %s" % project_id] = run(cli, root, "generate", "--project-id",
                                                    project_id)
        results["export %s" % project_id] = run(cli, root, "export", "--project-id", project_id)
    # The sample once more, with another package: new files beside the first run's.
    results["generate sample library"] = run(cli, root, "generate", "--project", "图书管理系统",
                                             "--package", "library")
    return results


def tree(folder):
    """Every entry below folder: relative path -> (kind, content or link target, mode bits)."""
    entries = {}
    for top, dirs, files in os.walk(folder):
        for name in dirs + files:
            path = os.path.join(top, name)
            relative = os.path.relpath(path, folder)
            info = os.lstat(path)
            mode = stat.S_IMODE(info.st_mode)
            if stat.S_ISLNK(info.st_mode):
                entries[relative] = ("link", os.readlink(path), mode)
            elif stat.S_ISDIR(info.st_mode):
                entries[relative] = ("folder", None, mode)
            else:
                with open(path, "rb") as f:
                    entries[relative] = ("file", f.read(), mode)
    return entries


def compare_trees(old, new):
    """The differences between two trees, one line each."""
    a, b = tree(old), tree(new)
    problems = []
    for path in sorted(set(a) | set(b)):
        if path not in b:
            problems.append("only in old: " + path)
        elif path not in a:
            problems.append("only in new: " + path)
        elif a[path] != b[path]:
            what = [n for n, x, y in zip(("kind", "bytes", "mode"), a[path], b[path]) if x != y]
            problems.append("differs (%s): %s" % (", ".join(what), path))
    return problems, len(a)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--old", required=True, help="the headless command before the change")
    parser.add_argument("--new", required=True, help="the headless command after the change")
    parser.add_argument("--resources", default=os.path.join(REPO, "resources"))
    parser.add_argument("--count", type=int, default=160, help="random models (seeds 1..N)")
    parser.add_argument("--work", help="folder for the two roots (kept); default: temporary")
    parser.add_argument("--allow-message-changes", action="store_true",
                        help="printed text may differ; trees, exports and exit codes may not")
    options = parser.parse_args()

    work = options.work or tempfile.mkdtemp(prefix="compare-generation-")
    models = []
    os.makedirs(os.path.join(work, "models"), exist_ok=True)
    for seed in range(1, options.count + 1):
        path = os.path.join(work, "models", "random%d.json" % seed)
        randmodel.write(randmodel.random_model(seed, new_words=(), taken_names=False), path)
        models.append(("random%d" % seed, path))
        if seed % 5 == 0:
            model = randmodel.random_model(seed, new_words=(), taken_names=False)
            VARIANTS[(seed // 5) % len(VARIANTS)](model)
            model["projects"][0]["projectName"] += "变体"
            path = os.path.join(work, "models", "variant%d.json" % seed)
            randmodel.write(model, path)
            models.append(("variant%d" % seed, path))

    roots = {}
    results = {}
    for side, cli in (("old", options.old), ("new", options.new)):
        roots[side] = os.path.join(work, side)
        if os.path.exists(roots[side]):
            shutil.rmtree(roots[side])
        results[side] = prepare(os.path.abspath(cli), roots[side], options.resources, models)

    problems, entries = compare_trees(os.path.join(roots["old"], "projects"),
                                      os.path.join(roots["new"], "projects"))
    message_changes = []
    for step in sorted(set(results["old"]) | set(results["new"])):
        old, new = results["old"].get(step), results["new"].get(step)
        if old is None or new is None:
            problems.append("step only on one side: " + step)
        elif old[0] != new[0]:
            problems.append("exit code %d -> %d: %s" % (old[0], new[0], step))
        elif step.startswith("export") and old[1] != new[1]:
            problems.append("exported model differs: " + step)
        elif old[1:] != new[1:]:
            message_changes.append("%s:\n  old: %r\n  new: %r" % (
                step, (old[1] + old[2]).decode(errors="replace")[-300:],
                (new[1] + new[2]).decode(errors="replace")[-300:]))

    generated = sum(1 for s, r in results["new"].items() if s.startswith("generate") and
                    r[0] == 0)
    refused = sum(1 for s, r in results["new"].items() if s.startswith("generate") and
                  r[0] != 0)
    imported = sum(1 for s, r in results["new"].items() if s.startswith("import") and r[0] == 0)
    print("%d model files (%d imported) and the sample; %d runs generated, %d refused; %d "
          "entries compared under projects/" % (len(models), imported, generated, refused,
                                                 entries))
    for line in message_changes:
        print("printed text differs: " + line)
    for line in problems:
        print("DIFFERENCE: " + line)
    if problems or (message_changes and not options.allow_message_changes):
        print("FAIL")
        return 1
    print("PASS: the two trees are equal byte for byte" +
          (", %d printed texts differ" % len(message_changes) if message_changes else ""))
    if not options.work:
        shutil.rmtree(work)
    return 0


if __name__ == "__main__":
    sys.exit(main())
