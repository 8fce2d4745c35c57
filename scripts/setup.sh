#!/usr/bin/env bash
# Installs what is missing (Debian 12), then configures and builds into build/.
# Usage: scripts/setup.sh [run|headless]   -- "run": what the window needs; "headless": what
# the headless command needs; both build the program without the test suites. Without an
# argument, also what the tests need (GoogleTest, a JDK, Maven, MariaDB, Python, the jars).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake g++ make qt6-base-dev libqt6sql6-sqlite libgl-dev qt6-translations-l10n)
# import-mdb reads Access databases with mdb-export; import-db reads MariaDB/MySQL and
# PostgreSQL schemas through Qt's drivers.
packages+=(mdbtools libqt6sql6-mysql libqt6sql6-psql)
# "run": the window; "headless": the headless command only; none: everything ./test needs.
mode="${1:-test}"
if [ "$mode" = run ]; then
    packages+=(fonts-noto-cjk)
elif [ "$mode" = test ]; then
    packages+=(libgtest-dev)
    # The compile test builds generated Java projects: a JDK and Maven, unless the machine has
    # them.
    command -v javac >/dev/null || packages+=(default-jdk-headless)
    command -v mvn >/dev/null || packages+=(maven)
    # The live test serves a generated project against a private MariaDB server.
    packages+=(python3 mariadb-server mariadb-client)
    # The import-db test reads a schema from a private PostgreSQL server too, and the live
    # tests serve generated projects against one.
    packages+=(postgresql)
    # The install test validates the installed desktop entry and AppStream file.
    packages+=(desktop-file-utils appstream)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y "${missing[@]}"
fi

tests=OFF
[ "$mode" = test ] && tests=ON
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRENNOQUILL_TESTS=$tests >/dev/null
cmake --build build -j2

# Runs a Maven fetch (its script): from the repositories, else from Maven's local cache only.
# When both fail, a file UNAVAILABLE in its folder says so, and the suites that need it are
# skipped rather than failed.
fetch() {
    local what=$1 folder=$2 script=$3
    rm -f "$folder/UNAVAILABLE"
    if "$script" || MAVEN_OFFLINE=1 "$script"; then
        return 0
    fi
    mkdir -p "$folder"
    echo "Maven could not fetch $what, and its local cache lacks it" >"$folder/UNAVAILABLE"
    echo "setup: Maven could not fetch $what (no network, nothing cached): its tests are skipped" >&2
}

if [ "$mode" = test ]; then
    # The libraries of the compile test; the program itself does not need them.
    fetch "the compile test's libraries" build/javalib scripts/java-libs.sh
    # The Access database of the legacy import test, written with Jackcess.
    fetch "the Access test file's writer" build/mdb scripts/mdb-fixture.sh
    # The stock Tomcat 9 the live tests serve on, beside jetty.
    fetch "the live tests' Tomcat" build/tomcat scripts/tomcat-libs.sh
fi
