#!/usr/bin/env python3
"""Installs the build into a temporary prefix and checks the installed program: the headless
command reads the installed templates and keeps its database and output in the user's data
folder, the desktop entry and AppStream file validate, and the Debian package holds it all."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

BUILD = ""
APP_ID = "org.brennoquill.brennoquill"
SAMPLE = "图书管理系统"
MARK = "install-test-mark"


def run(args, env=None, cwd=None, check=True):
    result = subprocess.run(args, env=env, cwd=cwd, capture_output=True, text=True,
                            timeout=240)
    if check and result.returncode != 0:
        raise AssertionError(f"{args} exited {result.returncode}:\n{result.stdout}"
                             f"{result.stderr}")
    return result


def tree(folder):
    """The paths below a folder, relative to it."""
    found = set()
    for top, dirs, files in os.walk(folder):
        for name in dirs + files:
            found.add(os.path.relpath(os.path.join(top, name), folder))
    return found


class Installed(unittest.TestCase):
    """One install into a temporary prefix; each test gets a home folder of its own."""

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="brennoquill-install-")
        cls.prefix = os.path.join(cls.tmp, "prefix")
        run(["cmake", "--install", BUILD, "--prefix", cls.prefix])
        cls.share = os.path.join(cls.prefix, "share", "brennoquill")
        cls.cli_path = os.path.join(cls.prefix, "bin", "brennoquill-cli")
        cls.installed = tree(cls.prefix)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def setUp(self):
        self.home = tempfile.mkdtemp(dir=self.tmp, prefix="home-")
        self.data = os.path.join(self.home, ".local", "share", "brennoquill")
        self.env = dict(os.environ, HOME=self.home,
                        XDG_DATA_HOME=os.path.join(self.home, ".local", "share"))
        # Not the prefix: nothing may depend on the current folder.
        self.cwd = tempfile.mkdtemp(dir=self.tmp, prefix="cwd-")

    def cli(self, *args, check=True):
        return run([self.cli_path, *args], env=self.env, cwd=self.cwd, check=check)

    def test_installed_files(self):
        for path in ["bin/brennoquill", "bin/brennoquill-cli"]:
            self.assertTrue(os.access(os.path.join(self.prefix, path), os.X_OK), path)
        for path in ["share/brennoquill/help/index.html",
                     "share/brennoquill/template/pom.xml",
                     "share/brennoquill/template/src/struts.xml",
                     "share/brennoquill/bak/.project",
                     "share/brennoquill/bak/WebRoot/WEB-INF/web.xml",
                     f"share/applications/{APP_ID}.desktop",
                     f"share/icons/hicolor/scalable/apps/{APP_ID}.svg",
                     f"share/metainfo/{APP_ID}.metainfo.xml"]:
            self.assertIn(path, self.installed)
        icon = os.path.join(self.prefix, f"share/icons/hicolor/scalable/apps/{APP_ID}.svg")
        self.assertEqual(ElementTree.parse(icon).getroot().tag, "{http://www.w3.org/2000/svg}svg")

    def test_help_names_the_locations(self):
        out = self.cli("--help").stdout
        self.assertIn("用法: brennoquill-cli", out)
        self.assertIn(f"  数据库: {self.data}/projects.db\n", out)
        self.assertIn(f"  模板: {self.share}/template\n", out)
        self.assertIn(f"  资源: {self.share}/bak\n", out)
        self.assertIn(f"  输出: {self.data}/projects\n", out)
        root = os.path.join(self.tmp, "chosen")
        out = self.cli("--root", root, "--help").stdout
        self.assertIn(f"  数据库: {root}/projects.db\n", out)
        self.assertIn(f"  模板: {root}/template\n", out)
        self.assertIn(f"  输出: {root}/projects\n", out)

    def test_sample_generated_from_installed_data_into_user_data(self):
        # Only this test changes the installed data, and only with files of its own.
        with open(os.path.join(self.share, "template", "README.txt"), "a") as f:
            f.write(f"\n{MARK}\n")
        with open(os.path.join(self.share, "bak", "WebRoot", f"{MARK}.txt"), "w") as f:
            f.write(MARK)

        listed = self.cli("list", check=False)
        self.assertEqual(listed.returncode, 1)
        self.assertEqual(listed.stderr, f"没有找到数据库: {self.data}/projects.db\n")
        self.assertFalse(os.path.exists(self.data), "list created the data folder")

        self.assertEqual(self.cli("sample").stdout, f"已添加示例工程: {SAMPLE}\n")
        self.assertTrue(os.path.isfile(os.path.join(self.data, "projects.db")))
        generated = self.cli("generate", "--project", SAMPLE)
        self.assertTrue(generated.stdout.endswith("所有代码生成完毕!\n"), generated.stdout)
        self.assertEqual(generated.stderr, "")

        output = os.path.join(self.data, "projects", SAMPLE)
        for path in ["src/struts.xml", "src/hibernate.cfg.xml", "pom.xml", "README.txt",
                     "WebRoot/WEB-INF/web.xml", ".project"]:
            self.assertTrue(os.path.isfile(os.path.join(output, path)), path)
        with open(os.path.join(output, "README.txt"), encoding="utf-8") as f:
            self.assertIn(MARK, f.read())
        self.assertTrue(os.path.isfile(os.path.join(output, "WebRoot", f"{MARK}.txt")))
        # Nothing written into the installed folders.
        self.assertEqual(tree(self.prefix) - self.installed,
                         {f"share/brennoquill/bak/WebRoot/{MARK}.txt"})
        self.assertEqual(os.listdir(self.cwd), [])

    def test_root_overrides_both_folders(self):
        root = os.path.join(self.tmp, "root")
        for folder in ["template", "bak"]:
            shutil.copytree(os.path.join(self.share, folder), os.path.join(root, folder),
                            symlinks=True)
        self.cli("--root", root, "sample")
        generated = self.cli("--root", root, "generate", "--project", SAMPLE)
        self.assertTrue(generated.stdout.endswith("所有代码生成完毕!\n"), generated.stdout)
        self.assertTrue(os.path.isfile(os.path.join(root, "projects.db")))
        self.assertTrue(os.path.isfile(os.path.join(root, "projects", SAMPLE, "pom.xml")))
        self.assertFalse(os.path.exists(self.data))

        missing = self.cli("--root", os.path.join(self.tmp, "nowhere"), "sample", check=False)
        self.assertEqual((missing.returncode, missing.stderr),
                         (1, f"目录不存在: {self.tmp}/nowhere\n"))

    def test_data_folder_that_cannot_be_made_is_reported(self):
        blocked = os.path.join(self.home, "blocked")
        open(blocked, "w").close()
        self.env["XDG_DATA_HOME"] = blocked
        result = self.cli("sample", check=False)
        self.assertEqual((result.returncode, result.stderr),
                         (1, f"无法创建数据目录: {blocked}/brennoquill\n"))

    def test_desktop_entry_and_metainfo_validate(self):
        desktop = os.path.join(self.prefix, "share/applications", f"{APP_ID}.desktop")
        metainfo = os.path.join(self.prefix, "share/metainfo", f"{APP_ID}.metainfo.xml")
        run(["desktop-file-validate", desktop])
        result = run(["appstreamcli", "validate", "--no-net", metainfo])
        self.assertIn("Validation was successful", result.stdout)
        with open(desktop, encoding="utf-8") as f:
            entry = f.read().splitlines()
        for line in ["Exec=brennoquill", f"Icon={APP_ID}", "Name[zh_CN]=Brennoquill Java代码生成器"]:
            self.assertIn(line, entry)
        component = ElementTree.parse(metainfo).getroot()
        self.assertEqual(component.findtext("id"), APP_ID)
        self.assertEqual(component.findtext("launchable"), f"{APP_ID}.desktop")


class DebianPackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="brennoquill-deb-")
        run(["cpack", "-G", "DEB", "-B", cls.tmp], cwd=BUILD)
        debs = [name for name in os.listdir(cls.tmp) if name.endswith(".deb")]
        assert len(debs) == 1, debs
        cls.deb = os.path.join(cls.tmp, debs[0])

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def field(self, name):
        return run(["dpkg-deb", "-f", self.deb, name]).stdout.strip()

    def test_control_fields(self):
        arch = run(["dpkg", "--print-architecture"]).stdout.strip()
        self.assertEqual(self.field("Package"), "brennoquill")
        self.assertEqual(self.field("Version"), "2.1-1")
        self.assertEqual(self.field("Architecture"), arch)
        self.assertEqual(self.field("Section"), "devel")
        self.assertRegex(self.field("Maintainer"), r"^[^<>]+ <[^<>@]+@[^<>@]+>$")
        self.assertIn("Java web project generator", self.field("Description"))
        depends = [d.split(" ")[0] for d in self.field("Depends").split(", ")]
        for package in ["libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6sql6",
                        "libqt6sql6-sqlite", "fonts-noto-cjk"]:
            self.assertIn(package, depends)
        self.assertEqual(self.field("Recommends"),
                         "mdbtools, libqt6sql6-mysql, libqt6sql6-psql")

    def test_file_list(self):
        listing = run(["dpkg-deb", "-c", self.deb]).stdout.splitlines()
        entries = {line.split()[5]: line.split()[0] for line in listing}
        for path in ["./usr/bin/brennoquill", "./usr/bin/brennoquill-cli"]:
            self.assertEqual(entries.get(path), "-rwxr-xr-x", path)
        for path in ["./usr/share/brennoquill/help/index.html",
                     "./usr/share/brennoquill/template/pom.xml",
                     "./usr/share/brennoquill/template/src/com/packageName/domain/Admin.java",
                     "./usr/share/brennoquill/bak/.classpath",
                     "./usr/share/brennoquill/bak/WebRoot/WEB-INF/web.xml",
                     f"./usr/share/applications/{APP_ID}.desktop",
                     f"./usr/share/icons/hicolor/scalable/apps/{APP_ID}.svg",
                     f"./usr/share/metainfo/{APP_ID}.metainfo.xml"]:
            self.assertEqual(entries.get(path), "-rw-r--r--", path)
        outside = [p for p in entries if not p.startswith("./usr/") and p not in ("./", "./usr/")]
        self.assertEqual(outside, [])


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True, help="the configured and built build folder")
    options, rest = parser.parse_known_args()
    BUILD = os.path.abspath(options.build)
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
