"""Generates the sample project with the headless command, builds it with its own pom and
serves it with `mvn jetty:run` on 127.0.0.1."""

import glob
import os
import re
import shutil
import time
import urllib.error
import urllib.request
import xml.etree.ElementTree as ElementTree
import zipfile

import mariadb
import postgresdb
import processes
from processes import NetworkUnavailable, SetupError, run

PROJECT = "图书管理系统"
POM = "{http://maven.apache.org/POM/4.0.0}"
HOST_PROPERTY = "jetty.http.host"
JETTY_PLUGINS = ("jetty-maven-plugin", "jetty-ee8-maven-plugin")
LOOPBACK_NAMES = ("127.0.0.1", "localhost")


def prepare_root(work, resources):
    root = os.path.join(work, "root")
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)
    for folder in ("template", "bak"):
        source = os.path.join(resources, folder)
        if not os.path.isdir(source):
            raise SetupError("missing resource folder " + source)
        shutil.copytree(source, os.path.join(root, folder))
    return root


def generate(cli, root, database="mariadb"):
    run([cli, "--root", root, "sample"], "brennoquill-cli sample")
    run([cli, "--root", root, "generate", "--project", PROJECT, "--database", database],
        "brennoquill-cli generate")
    project = os.path.join(root, "projects", PROJECT)
    if not os.path.isfile(os.path.join(project, "pom.xml")):
        raise SetupError("the generated project has no pom.xml: " + project)
    return project


# Set once a build had to use Maven's local cache only: later Maven runs stay offline too.
_offline = False


def maven(maven_args):
    mvn = shutil.which("mvn")
    if not mvn:
        raise SetupError("mvn not found (the set-up installs maven)")
    return [mvn, "-B"] + (["-o"] if _offline else []) + maven_args


def package(project, maven_args):
    """Builds the WAR; when Maven cannot fetch, once more from its local cache only, and when
    that lacks something too, the suite is skipped (NetworkUnavailable)."""
    global _offline
    what = "mvn package in " + project
    try:
        run(maven(maven_args) + ["-q", "package"], what, timeout=1200, cwd=project)
    except SetupError as online:
        if _offline:
            raise
        _offline = True
        try:
            run(maven(maven_args) + ["-q", "package"], what + " (offline)", timeout=1200,
                cwd=project)
        except SetupError as offline:
            # Maven's own words for an artifact missing from the cache; the message always
            # holds "(offline)" from the step's name, and a compile error is no fetch problem
            if "offline mode" not in str(offline):
                raise online
            raise NetworkUnavailable("Maven could not fetch, and its local cache lacks what "
                                     "the build needs:\n%s" % offline)
    wars = glob.glob(os.path.join(project, "target", "*.war"))
    if not wars:
        raise SetupError("mvn package built no WAR under " + os.path.join(project, "target"))
    return wars[0]


def jetty_host(project):
    """The host the pom's jetty connector binds, with -Djetty.http.host=127.0.0.1 applied;
    None when the pom leaves it open (every address)."""
    try:
        root = ElementTree.parse(os.path.join(project, "pom.xml")).getroot()
    except ElementTree.ParseError as error:
        raise SetupError("the generated pom.xml is not well-formed: %s" % error)
    properties = {e.tag.replace(POM, ""): (e.text or "").strip()
                  for e in root.findall(POM + "properties/*")}
    properties[HOST_PROPERTY] = "127.0.0.1"
    for plugin in root.iter(POM + "plugin"):
        if plugin.findtext(POM + "artifactId") in JETTY_PLUGINS:
            host = plugin.findtext("%sconfiguration/%shttpConnector/%shost" % (POM, POM, POM))
            if host:
                return interpolate(host.strip(), properties)
            xmls = plugin.findtext("%sconfiguration/%sjettyXmls" % (POM, POM))
            return xml_host(project, xmls, properties) if xmls else None
    raise SetupError("the generated pom has no jetty-maven-plugin")


def xml_host(project, xmls, properties):
    """The host a connector of the jetty XML files binds: the system property it names (the
    test gives it), or a literal host; None when no connector sets one."""
    for name in xmls.split(","):
        path = interpolate(name.strip(), dict(properties, **{"project.basedir": project}))
        try:
            text = open(path, encoding="utf-8").read()
        except OSError as error:
            raise SetupError("cannot read the jetty XML file %s: %s" % (path, error))
        found = re.search(r'<Set name="host">(.*?)</Set>', text, re.S)
        if not found:
            continue
        value = found.group(1).strip()
        named = re.search(r'<SystemProperty name="([^"]+)"', value)
        return properties.get(named.group(1)) if named else value
    return None


def interpolate(text, properties):
    for name, value in properties.items():
        text = text.replace("${%s}" % name, value)
    return text


def check_jetty_host(project):
    host = jetty_host(project)
    if host not in LOOPBACK_NAMES:
        raise SetupError("the generated pom lets jetty listen on %s; this test serves on "
                         "127.0.0.1 only: the jetty plugin's httpConnector needs "
                         "<host>${%s}</host> (host %r)"
                         % ("every address" if host is None else host, HOST_PROPERTY, host))


def pid_file(work, name="jetty"):
    return os.path.join(work, name + ".pid")


CONTAINERS = ("jetty", "tomcat")
HERE = os.path.dirname(os.path.abspath(__file__))


class Server:
    """A container serving the generated application on 127.0.0.1 and a free port."""

    name = "server"

    def base_url(self):
        return "http://127.0.0.1:%d" % self.port

    def wait_ready(self, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not self.child.alive():
                raise SetupError("%s exited; see %s" % (self.name, self.log_tail()))
            self.check_loopback()
            if self.answers("/login.jsp"):
                return
            time.sleep(1)
        raise SetupError("/login.jsp did not answer in %d s; see %s" % (timeout, self.log_tail()))

    def check_loopback(self):
        other = processes.listen_addresses(self.port) - processes.LOOPBACK
        if other:
            self.stop()
            raise SetupError("%s listened on other addresses than 127.0.0.1 (%s)"
                             % (self.name, ", ".join(other)))

    def answers(self, path):
        direct = urllib.request.build_opener(urllib.request.ProxyHandler({}))
        try:
            with direct.open(self.base_url() + path, timeout=10) as reply:
                return reply.status == 200
        except (urllib.error.URLError, OSError):
            return False

    def log_tail(self):
        try:
            with open(self.log_path, errors="replace") as f:
                return self.log_path + ":\n" + "".join(f.readlines()[-25:])
        except OSError:
            return self.log_path + " (missing)"

    def stop(self):
        self.child.stop()


def database_properties(db):
    return ["-Dhibernate.connection.url=" + db.jdbc_url(),
            "-Dhibernate.connection.username=" + db.user,
            "-Dhibernate.connection.password=" + db.app_password]


class Jetty(Server):
    """`mvn jetty:run` in the project folder, as its README tells."""

    name = "jetty"

    def __init__(self, project, work, db, maven_args):
        check_jetty_host(project)
        self.project = project
        self.port = processes.free_port()
        self.log_path = os.path.join(work, "jetty.log")
        env = dict(os.environ)
        env["MAVEN_OPTS"] = " ".join(filter(None, [
            os.environ.get("MAVEN_OPTS"), "-Dfile.encoding=UTF-8"] + database_properties(db)))
        argv = maven(maven_args) + ["jetty:run", "-Djetty.http.port=%d" % self.port,
                                    "-D%s=127.0.0.1" % HOST_PROPERTY]
        self.child = processes.Child("jetty", argv, self.log_path,
                                     pid_file(work), env=env, cwd=project)


def tomcat_classpath(libs):
    """The jars of the stock Tomcat the set-up fetched into libs."""
    if os.path.exists(os.path.join(libs, "UNAVAILABLE")):
        raise NetworkUnavailable("the Tomcat of the live tests could not be fetched: "
                                 + open(os.path.join(libs, "UNAVAILABLE")).read().strip())
    jars = sorted(glob.glob(os.path.join(os.path.abspath(libs), "*.jar")))
    if not any("tomcat-embed-core" in os.path.basename(j) for j in jars):
        raise SetupError("no tomcat-embed-core jar in %s (scripts/tomcat-libs.sh fetches it)"
                         % libs)
    return jars


def compiled_launcher(work, jars):
    """The folder of ServeTomcat.class, compiled once per work folder and source change."""
    source = os.path.join(HERE, "tomcat", "ServeTomcat.java")
    classes = os.path.join(work, "tomcat-launcher")
    built = os.path.join(classes, "ServeTomcat.class")
    if not os.path.exists(built) or os.path.getmtime(built) < os.path.getmtime(source):
        run(["javac", "-nowarn", "-d", classes, "-cp", os.pathsep.join(jars), source],
            "javac ServeTomcat.java")
    return classes


class Tomcat(Server):
    """A stock Tomcat 9 (tests/live/tomcat/ServeTomcat.java: the default connector, context
    and web.xml, no encoding settings) serving the unpacked WAR at the root context."""

    name = "tomcat"

    def __init__(self, war, work, db, libs):
        jars = tomcat_classpath(libs)
        folder = os.path.join(work, "tomcat")
        shutil.rmtree(folder, ignore_errors=True)
        docs = os.path.join(folder, "webapp")
        with zipfile.ZipFile(war) as archive:
            archive.extractall(docs)
        classes = compiled_launcher(work, jars)
        self.port = processes.free_port()
        self.log_path = os.path.join(work, "tomcat.log")
        argv = (["java", "-cp", os.pathsep.join([classes] + jars)] + database_properties(db) +
                ["ServeTomcat", str(self.port), docs, os.path.join(folder, "base")])
        self.child = processes.Child("tomcat", argv, self.log_path,
                                     pid_file(work, "tomcat"), cwd=folder)


def serve(container, project, war, work, db, args):
    """Starts the container on the built project and waits until it answers."""
    if container == "jetty":
        server = Jetty(project, work, db, maven_arguments(args))
    else:
        server = Tomcat(war, work, db, args.tomcat)
    try:
        server.wait_ready(900)
    except BaseException:
        server.stop()
        raise
    return server


def add_common_arguments(parser, deadline):
    """The arguments every live test takes."""
    parser.add_argument("--cli", required=True, help="the brennoquill-cli executable")
    parser.add_argument("--resources", required=True, help="the folder holding template/, bak/")
    parser.add_argument("--work", required=True, help="scratch folder, recreated parts per run")
    parser.add_argument("--maven-repo", help="a Maven local repository instead of ~/.m2")
    parser.add_argument("--deadline", type=int, default=deadline,
                        help="seconds after which the test stops its servers and fails")
    parser.add_argument("--containers", default=",".join(CONTAINERS),
                        help="the containers to serve on, of %s" % ", ".join(CONTAINERS))
    parser.add_argument("--tomcat", default="build/tomcat",
                        help="the folder of the Tomcat jars (scripts/tomcat-libs.sh)")


def maven_arguments(args):
    repo = args.maven_repo
    return ["-Dmaven.repo.local=" + os.path.abspath(repo)] if repo else []


def stop_leftovers(work):
    """Stops the servers of an earlier run that was killed before its clean-up."""
    for path in (pid_file(work), pid_file(work, "tomcat"), mariadb.pid_file(work),
                 postgresdb.pid_file(work)):
        processes.stop_stale(path)

def containers(args):
    """The containers the arguments name, in order."""
    names = [n.strip() for n in args.containers.split(",") if n.strip()]
    unknown = [n for n in names if n not in CONTAINERS]
    if unknown or not names:
        raise SetupError("unknown containers %r; choose of %s" % (unknown, ", ".join(CONTAINERS)))
    return names
